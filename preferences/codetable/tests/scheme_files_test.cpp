// The installed schemes of a folder: listing, choosing by name, importing and removing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codetable_fixture.h"
#include "scheme_files.h"

namespace {

using codetable::ImportOutcome;
using codetable_test::build_table;
using codetable_test::folder_names;
using codetable_test::read_file;
using codetable_test::ScratchDir;
using codetable_test::write_file;
namespace fs = std::filesystem;

// A complete table "<name>" in `dir`: scheme line, data and index.
void make_table(const ScratchDir& dir, const std::string& name, const std::string& source,
                const std::string& line = "5|*|1|1|0|0|a-z|a-z") {
  ASSERT_EQ(build_table(dir, name, source, 20), "");
  write_file(dir / (name + ".pct"), line);
}

std::vector<std::string> names_of(const std::vector<codetable::InstalledScheme>& schemes) {
  std::vector<std::string> names;
  for (const auto& scheme : schemes) names.push_back(scheme.file);
  return names;
}

TEST(SchemeFiles, ListsCompleteSchemesOfTheFolderOnly) {
  ScratchDir dir;
  make_table(dir, "b", "b x\n");
  make_table(dir, "A", "a x\n", "4|?|0|1|1|0");
  fs::rename(dir / "A.pct", dir / "A.PCT");
  write_file(dir / "noidx.pct", "5|*|1|1|0|0");
  write_file(dir / "noidx.qdb", "x");
  write_file(dir / "nodata.pct", "5|*|1|1|0|0");
  write_file(dir / "nodata.idx", "x");
  write_file(dir / "junk.pct", "not a scheme");
  write_file(dir / "junk.qdb", "x");
  write_file(dir / "junk.idx", "x");
  // Hidden files and tables in sub-folders are no schemes of this folder.
  fs::copy_file(dir / "b.pct", dir / ".hidden.pct");
  fs::create_directories(dir.path() / "sub");
  for (const char* ext : {".pct", ".qdb", ".idx"}) fs::copy_file(dir / (std::string("b") + ext), dir / (std::string("sub/c") + ext));

  std::vector<std::string> logged;
  const auto schemes = codetable::ListSchemes(dir.path().string(), [&](const std::string& line) { logged.push_back(line); });
  ASSERT_EQ(names_of(schemes), (std::vector<std::string>{"A.PCT", "b.pct"}));
  EXPECT_EQ(schemes[0].name, "A");
  EXPECT_EQ(schemes[0].line.max_key_length, 4);
  EXPECT_EQ(schemes[0].line.wildcard, '?');
  EXPECT_EQ(schemes[0].line.header_charset, "a-z");
  EXPECT_EQ(logged, (std::vector<std::string>{"DB file for nodata.pct not found.", "IDX file for noidx.pct not found."}));
}

TEST(SchemeFiles, FindsTheNamedSchemeWithoutRegardToCase) {
  ScratchDir dir;
  for (const char* name : {"a", "Wubi", "z"}) make_table(dir, name, "a x\n");
  const auto schemes = codetable::ListSchemes(dir.path().string());
  EXPECT_EQ(codetable::FindScheme(schemes, "wubi"), 1);
  EXPECT_EQ(codetable::FindScheme(schemes, "WUBI.pct"), 1);
  EXPECT_EQ(codetable::FindScheme(schemes, "z.PCT"), 2);
  EXPECT_EQ(codetable::FindScheme(schemes, "missing"), 0);
  EXPECT_EQ(codetable::FindScheme({}, "a"), -1);

  make_table(dir, "wubi", "a x\n");
  const auto both = codetable::ListSchemes(dir.path().string());
  ASSERT_EQ(names_of(both), (std::vector<std::string>{"a.pct", "Wubi.pct", "wubi.pct", "z.pct"}));
  EXPECT_EQ(codetable::FindScheme(both, "wubi"), 2);
  EXPECT_EQ(codetable::FindScheme(both, "Wubi.pct"), 1);
  EXPECT_EQ(codetable::FindScheme(both, "WUBI"), 1);
}

TEST(SchemeFiles, ImportReplacesTheThreeFilesTogether) {
  ScratchDir from;
  ScratchDir to;
  make_table(to, "t", "old x\n");
  write_file(to / "t.freq", "counters of the old records");
  write_file(to / "t.ex", "extra codes");
  make_table(from, "t", "new y\nnewer z\n", "3|?|0|0|1|1|a-z|a-z");

  std::string missing, error;
  ASSERT_EQ(codetable::ImportScheme(from / "t.pct", to.path().string(), &missing, &error),
            ImportOutcome::kImported) << error;
  for (const char* ext : {".pct", ".qdb", ".idx"}) {
    EXPECT_EQ(read_file(to / (std::string("t") + ext)), read_file(from / (std::string("t") + ext))) << ext;
  }
  EXPECT_EQ(folder_names(to.path()), (std::vector<std::string>{"t.ex", "t.idx", "t.pct", "t.qdb"}));
}

TEST(SchemeFiles, RefusedImportsCopyNothing) {
  ScratchDir from;
  ScratchDir to;
  make_table(from, "noidx", "a x\n");
  fs::remove(from / "noidx.idx");
  make_table(from, "nodata", "a x\n");
  fs::remove(from / "nodata.qdb");
  for (const char* ext : {".pct", ".qdb", ".idx"}) write_file(from / (std::string(".h") + ext), "5|*|1|1|0|0");
  write_file(from / "junk.pct", "nothing|like|a|scheme");
  write_file(from / "junk.qdb", "x");
  write_file(from / "junk.idx", "x");
  make_table(to, "inside", "a x\n");
  const auto before = folder_names(to.path());

  struct Case {
    std::string path;
    ImportOutcome outcome;
    std::string missing;
  };
  const std::vector<Case> cases = {
      {from / "noidx.pct", ImportOutcome::kMissingIndex, "noidx.idx"},
      {from / "nodata.pct", ImportOutcome::kMissingData, "nodata.qdb"},
      {from / ".h.pct", ImportOutcome::kBadName, ""},
      {from / "junk.pct", ImportOutcome::kNotScheme, ""},
      {to / "inside.pct", ImportOutcome::kInsideFolder, ""},
      {to.path().string() + "/../" + to.path().filename().string() + "/inside.pct", ImportOutcome::kInsideFolder, ""},
  };
  for (const Case& each : cases) {
    std::string missing, error;
    EXPECT_EQ(codetable::ImportScheme(each.path, to.path().string(), &missing, &error), each.outcome) << each.path;
    EXPECT_EQ(missing, each.missing) << each.path;
  }
  EXPECT_EQ(folder_names(to.path()), before);
}

TEST(SchemeFiles, RemoveLeavesExtraCodesAndCounters) {
  ScratchDir dir;
  make_table(dir, "t", "a x\n");
  fs::rename(dir / "t.pct", dir / "t.Pct");
  write_file(dir / "t.ex", "e");
  write_file(dir / "t.freq", "f");
  EXPECT_FALSE(codetable::RemoveScheme(dir.path().string(), "../t.Pct"));
  EXPECT_FALSE(codetable::RemoveScheme(dir.path().string(), "t.qdb"));
  EXPECT_TRUE(codetable::RemoveScheme(dir.path().string(), "t.Pct"));
  EXPECT_EQ(folder_names(dir.path()), (std::vector<std::string>{"t.ex", "t.freq"}));
}

}  // namespace
