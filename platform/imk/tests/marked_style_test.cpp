// The look of marked text: what each highlight style asks for, and how it travels.
#include <gtest/gtest.h>

#include "platform/imk/input_method.h"
#include "platform/imk/wire.h"

namespace platform::imk {
namespace {

TEST(MarkedStyleTest, HighlightStylesUnderlineRawAndConvertedTextSelectedPartsThick) {
  const std::pair<int, Underline> cases[] = {
      {kHiliteRawText, Underline::Single},
      {kHiliteSelectedRawText, Underline::Thick},
      {kHiliteConvertedText, Underline::Single},
      {kHiliteSelectedConvertedText, Underline::Thick},
      {0, Underline::None},
      {1, Underline::None},
      {6, Underline::None},
      {-4, Underline::None},
  };
  for (const auto& [style, underline] : cases) {
    EXPECT_EQ(mark_for_style(style).underline, underline) << style;
  }
}

TEST(MarkedStyleTest, TheUnderlineTravelsInOneByteAndAnUnknownOneIsMalformed) {
  for (Underline underline : {Underline::None, Underline::Single, Underline::Thick}) {
    wire::Writer writer;
    writer.marked_style({underline});
    ASSERT_EQ(writer.bytes().size(), 1u);
    wire::Reader reader(writer.bytes());
    MarkedTextStyle read{Underline::None};
    ASSERT_TRUE(reader.marked_style(read));
    EXPECT_TRUE(reader.complete());
    EXPECT_EQ(read.underline, underline);
  }
  for (const char* bytes : {"\x03", "\xff", ""}) {
    wire::Reader reader(std::string_view(bytes, std::char_traits<char>::length(bytes)));
    MarkedTextStyle read;
    EXPECT_FALSE(reader.marked_style(read));
    EXPECT_FALSE(reader.ok()) << "later reads fail too";
    EXPECT_EQ(read, MarkedTextStyle{}) << "nothing is taken from a failed read";
  }
}

}  // namespace
}  // namespace platform::imk
