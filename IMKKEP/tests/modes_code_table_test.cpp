// The code-table scheme: the options line of its ".pct" file and the names it may be given.
#include <fstream>

#include "CoreSource/dict/cmphplug.h"
#include "CoreSource/record/engine_globals.h"
#include "IMKKEP/app/KEPAppDelegate.h"
#include "IMKKEP/engine/KEPInputModes.h"
#include "modes_fixture.h"
#include "table_build.h"

namespace keyroad_test {
namespace {

TEST(PlugSchemeLineTest, FieldsAreCountedWithTheEmptyOnes) {
  struct Case {
    const char* line;
    std::optional<imkkep::PlugSchemeLine> options;
  } cases[] = {
      {"4|?|1|0|1|0|a-z|a-z", imkkep::PlugSchemeLine{4, '?', 1, 0, 1}},
      {"4|?|1|0|1", imkkep::PlugSchemeLine{4, '?', 1, 0, 1}},
      {"63|*|0|1|0", imkkep::PlugSchemeLine{63, '*', 0, 1, 0}},
      // An empty wildcard field keeps the fields after it in their places.
      {"4||1|1|0", imkkep::PlugSchemeLine{4, '\0', 1, 1, 0}},
      {"4|?|||1", imkkep::PlugSchemeLine{4, '?', 0, 0, 1}},
      {"4|?|1|0", std::nullopt},
      {"4||1|0", std::nullopt},
      {"0|?|1|0|1", std::nullopt},
      {"64|?|1|0|1", std::nullopt},
      {"|?|1|0|1", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.line);
    const std::optional<imkkep::PlugSchemeLine> parsed = imkkep::ParsePlugSchemeLine(k.line);
    ASSERT_EQ(parsed.has_value(), k.options.has_value());
    if (!parsed) continue;
    EXPECT_EQ(parsed->max_len, k.options->max_len);
    EXPECT_EQ(parsed->any_char, k.options->any_char);
    EXPECT_EQ(parsed->auto_fill, k.options->auto_fill);
    EXPECT_EQ(parsed->show_left, k.options->show_left);
    EXPECT_EQ(parsed->query_type, k.options->query_type);
  }
}

class CodeTableSchemeTest : public ModesTest {
 protected:
  void write(const std::filesystem::path& relative, const std::string& line) {
    const std::filesystem::path path = home_.path() / "Library/KEP" / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << line << "\n";
  }
};

TEST_F(CodeTableSchemeTest, OnlyAFiveFieldLineInTheTableFolderOpensATable) {
  write("PlugCodeTable/four.pct", "4|?|1|0");
  write("PlugCodeTable/five.pct", "4|?|1|0|1|0|a-z|a-z");
  write("outside.pct", "4|?|1|0|1|0|a-z|a-z");
  struct Case {
    const char* scheme;
    bool options_read;
  } cases[] = {
      {"five.pct", true},
      {"four.pct", false},
      {"missing.pct", false},
      {"../outside.pct", false},
      {"..", false},
      {"sub/five.pct", false},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.scheme);
    set_setting("CodeTableScheme", k.scheme);
    ime_plug_any_char = 0;
    ime_plug_max_len = 0;
    FakeClient client;
    imkkep::KEPInputController& controller = open(client);
    controller.invokeMenuItem(imkkep::kMenuPlug, client);
    // No table of that name was built, so none opens: full pinyin in the end either way.
    EXPECT_EQ(ime_mode, 0);
    EXPECT_TRUE(imkkep::KEPMenuItemOn(imkkep::kMenuPinyin));
    EXPECT_FALSE(imkkep::KEPMenuItemOn(imkkep::kMenuPlug));
    EXPECT_EQ(ime_plug_any_char, k.options_read ? '?' : '\0');
    EXPECT_EQ(ime_plug_max_len, k.options_read ? 4 : 0);
    controller.deactivateServer(client, platform::imk::DeactivationReason::FocusMoved, "");
  }
}

TEST_F(CodeTableSchemeTest, TheCodeTableItemTypesCodesOfACompiledTable) {
  const std::filesystem::path folder = home_.path() / "Library/KEP/PlugCodeTable";
  std::filesystem::create_directories(folder);
  const std::filesystem::path source = folder / "mine.source.txt";
  std::ofstream(source) << "aa 工\nab 式\nba 大\n";
  std::string error;
  ASSERT_EQ(codetable::BuildSQLPlug(source, "mine", folder.string(), nullptr, &error), 0) << error;
  write("PlugCodeTable/mine.pct", "4|?|0|0|0");
  set_setting("CodeTableScheme", "mine.pct");

  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  controller.invokeMenuItem(imkkep::kMenuPlug, client);
  ASSERT_EQ(ime_mode, 2);
  EXPECT_TRUE(imkkep::KEPMenuItemOn(imkkep::kMenuPlug));
  type(controller, client, "ab<space>ba<space>");
  EXPECT_EQ(client.inserted(), (std::vector<std::string>{"式", "大"}));
  ime_plug_close();
}

}  // namespace
}  // namespace keyroad_test
