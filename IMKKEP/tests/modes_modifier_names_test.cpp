// The names of the side-specific modifier keys, and the log line that names those held down.
#include "IMKKEP/controller/KEPHandleInput_keys.h"
#include "IMKKEP/base/server_state.h"
#include "modes_fixture.h"

namespace keyroad_test {
namespace {

TEST(ModifierNamesTest, EachHidUsageOfAModifierKeyHasItsName) {
  const struct {
    int usage;
    const char* name;
  } cases[] = {
      {224, "Left Control"},  {225, "Left Shift"},  {226, "Left Alt"},
      {227, "Left Command"},  {228, "Right Control"}, {229, "Right Shift"},
      {230, "Right Alt"},     {231, "Right Command"}, {223, "Unknown 0xdf"},
      {232, "Unknown 0xe8"},  {0, "Unknown 0x00"},   {0x1e3, "Unknown 0x1e3"},
  };
  for (const auto& c : cases) EXPECT_EQ(imkkep::modifierKeyString(c.usage), c.name) << c.usage;
}

class ModifierNamesLogTest : public ModesTest {
 protected:
  void SetUp() override {
    ModesTest::SetUp();
    imkkep::_log_flag = 1;
  }
  void TearDown() override {
    imkkep::_log_flag = 0;
    ModesTest::TearDown();
  }
  bool logged(const std::string& line) {
    return std::find(log_lines().begin(), log_lines().end(), line) != log_lines().end();
  }
};

TEST_F(ModifierNamesLogTest, AModifierChangeNamesTheKeysHeldDown) {
  using platform::imk::EventType;
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  const struct {
    std::uint64_t flags;
    const char* line;
  } cases[] = {
      {platform::imk::kShiftFlag | platform::imk::kRightShiftBit,
       "Modifier keys down: Right Shift."},
      {platform::imk::kControlFlag | platform::imk::kOptionFlag |
           platform::imk::kLeftControlBit | platform::imk::kRightOptionBit,
       "Modifier keys down: Left Control, Right Alt."},
      {platform::imk::kCommandFlag | platform::imk::kShiftFlag | platform::imk::kLeftShiftBit |
           platform::imk::kLeftCommandBit | platform::imk::kRightCommandBit |
           platform::imk::kRightControlBit,
       "Modifier keys down: Left Shift, Left Command, Right Control, Right Command."},
  };
  for (const auto& c : cases) {
    log_lines().clear();
    controller.handleEvent({EventType::FlagsChanged, "", 56, c.flags}, client);
    EXPECT_TRUE(logged(c.line)) << c.line;
  }
  log_lines().clear();
  controller.handleEvent({EventType::FlagsChanged, "", 56, 0}, client);
  EXPECT_TRUE(std::none_of(log_lines().begin(), log_lines().end(), [](const std::string& line) {
    return line.rfind("Modifier keys down", 0) == 0;
  }));
}

}  // namespace
}  // namespace keyroad_test
