// The marked text carries its look: the composition is converted text, underlined once, and
// the marked text that removes it has none.
#include "keyroad_fixture.h"

namespace keyroad_test {
namespace {

using platform::imk::Underline;

TEST_F(KeyRoadTest, TheCompositionIsUnderlinedOnceAndItsRemovalNotAtAll) {
  for (bool special : {false, true}) {
    SCOPED_TRACE(special ? "special application" : "application");
    FakeClient client;
    imkkep::KEPInputController& controller = open(client);
    controller.specialApp = special ? 1 : 0;
    type(controller, client, "ni");
    ASSERT_FALSE(client.marks.empty());
    EXPECT_EQ(client.marks.back().text, "ni");
    EXPECT_EQ(client.marks.back().style.underline, Underline::Single);
    EXPECT_EQ(client.marks.back().style,
              platform::imk::mark_for_style(platform::imk::kHiliteConvertedText));
    type(controller, client, "<bs><bs>");
    EXPECT_EQ(client.marks.back().text, "");
    EXPECT_EQ(client.marks.back().style.underline, Underline::None);
  }
}

}  // namespace
}  // namespace keyroad_test
