// The silent list: which applications the server leaves alone.
#include <gtest/gtest.h>

#include <filesystem>

#include "CoreSource/tests/engine_test_support.h"
#include "IMKKEP/controller/KEPSilentList.h"

namespace {

TEST(SilentListTest, MatchesWholePathComponents) {
  struct Case {
    const char* lists;
    const char* application;
    bool counter;
    bool silent;
    const char* listed;
  };
  const Case cases[] = {
      {"/opt/A", "/opt/A", false, true, "/opt/A"},
      {"/opt/A", "/opt/A/bin/editor", false, true, "/opt/A"},
      {"/opt/A/", "/opt/A/bin/editor", false, true, "/opt/A/"},
      {"/opt/A", "/opt/AB", false, false, ""},
      {"/opt/A|", "/opt/B", false, false, ""},   // an empty entry silences nothing
      {"|/opt/B", "/opt/B", false, true, "/opt/B"},
      {"||", "/opt/B", false, false, ""},
      {"/opt/A|/usr/bin/term", "/usr/bin/term", false, true, "/usr/bin/term"},
      {"/opt/A", "/opt/B", true, true, ""},      // the counter list serves only those listed
      {"/opt/A", "/opt/A", true, false, "/opt/A"},
      {"/", "/anything", false, true, "/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.lists) + " / " + c.application);
    const imkkep::SilentVerdict verdict =
        imkkep::KEPCheckSilentList(c.lists, c.application, "com.example.app", c.counter);
    EXPECT_EQ(verdict.silent, c.silent);
    EXPECT_EQ(verdict.listed_path, c.listed);
  }
}

TEST(SilentListTest, ABundleAtAListedPathMatchesByIdentifier) {
  engine_test::TempDir folder;
  const std::filesystem::path bundle = folder.path() / "Editor.app";
  std::filesystem::create_directories(bundle / "Contents");
  engine_test::write_file(bundle / "Contents/Info.plist",
                          "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
                          "<key>CFBundleIdentifier</key><string>com.example.editor</string>"
                          "</dict></plist>");
  const std::string lists = "/opt/A|" + bundle.string();
  // Run from anywhere: the identifier decides, and the notice names the listed bundle.
  imkkep::SilentVerdict verdict =
      imkkep::KEPCheckSilentList(lists, "/tmp/elsewhere/editor", "com.example.editor", false);
  EXPECT_TRUE(verdict.silent);
  EXPECT_EQ(verdict.listed_path, bundle.string());
  verdict = imkkep::KEPCheckSilentList(lists, "/tmp/elsewhere/editor", "com.example.other", false);
  EXPECT_FALSE(verdict.silent);
  verdict = imkkep::KEPCheckSilentList(lists, "/tmp/elsewhere/editor", "", false);
  EXPECT_FALSE(verdict.silent) << "an application without an identifier matches no bundle";
}

}  // namespace
