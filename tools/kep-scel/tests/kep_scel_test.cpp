// kep-scel as a user runs it: write, info and import, its word-list lines and its exit codes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

#include "CoreSource/tests/engine_test_support.h"
#include "tools/kep-scel/list_file.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs kep-scel with `arguments` and HOME set to `home`; gives up (and kills it) after 30 s.
ToolRun run_tool(const fs::path& home, const std::vector<std::string>& arguments) {
  engine_test::TempDir folder;
  const fs::path out = folder / "out";
  const fs::path err = folder / "err";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::string program = KEP_SCEL_PROGRAM;
  std::vector<std::string> words = arguments;
  std::vector<char*> argv = {program.data()};
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  engine_test::ScopedEnv home_env("HOME", home.string());
  ToolRun run;
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return run;
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      ADD_FAILURE() << "kep-scel did not end";
      return run;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
  run.out = engine_test::read_file(out);
  run.err = engine_test::read_file(err);
  return run;
}

class KepScel : public ::testing::Test {
 protected:
  KepScel() {
    fs::create_directories(data_folder());
    fs::permissions(data_folder(), fs::perms::owner_all);
  }
  fs::path data_folder() const { return home() / "Library" / "KEP"; }
  fs::path home() const { return temp_.path() / "home"; }
  fs::path file(const std::string& name) const { return temp_.path() / name; }
  ToolRun run(const std::vector<std::string>& arguments) const { return run_tool(home(), arguments); }

  engine_test::TempDir temp_;
};

TEST_F(KepScel, WriteThenInfoShowsTheHeader) {
  engine_test::write_file(file("words.txt"), "zhong'guo 中国 900\nbei'jing 北京\r\n\nshang'hai 上海 12.5\n");
  ToolRun written = run({"write", file("cities.scel"), "--name", "城市", "--uid", "1234", "--type",
                         "地名", "--remark", "two\nlines", "--samples", "北京,上海,广州", "--version",
                         "1700000000", "--words", file("words.txt")});
  ASSERT_EQ(written.status, 0) << written.err;
  ToolRun info = run({"info", file("cities.scel")});
  ASSERT_EQ(info.status, 0) << info.err;
  EXPECT_EQ(info.out,
            "name: 城市\n"
            "type: 地名\n"
            "remark: two\\nlines\n"
            "samples: 北京,上海,广州\n"
            "uid: 1234\n"
            "version: 1700000000\n"
            "words: 3\n");
}

TEST_F(KepScel, ImportBuildsTheFolderInTheDataFolder) {
  engine_test::write_file(file("words.txt"), "zhong'guo 中国 900\nqiu 㐀 5\nbei'jing 北京 800\n");
  ASSERT_EQ(run({"write", file("mine.scel"), "--name", "Mine", "--uid", "77", "--words",
                 file("words.txt")}).status, 0);
  ToolRun imported = run({"import", file("mine.scel")});
  ASSERT_EQ(imported.status, 0) << imported.err;
  const fs::path folder = data_folder() / "Dictionary" / "mine.scel";
  EXPECT_EQ(imported.out, "folder: " + folder.string() + "\nwords: 2\nskipped: 1\n");
  EXPECT_EQ(engine_test::read_file(folder / "uid.info"), "77");
  const std::string info = engine_test::read_file(folder / "dict.info");
  EXPECT_NE(info.find("TOTAL_COUNT\t2\n"), std::string::npos) << info;
  EXPECT_NE(info.find("USER\tMine\n"), std::string::npos) << info;
}

TEST_F(KepScel, UsageErrorsAndFailuresHaveTheirExitCodes) {
  engine_test::write_file(file("words.txt"), "zhong'guo 中国\n");
  engine_test::write_file(file("bad.txt"), "zhong'guo 中国\nbei'jing 北京人 3\n");
  engine_test::write_file(file("not.scel"), "not a cell dictionary at all");
  struct Case {
    std::vector<std::string> arguments;
    int status;
    std::string message;  // part of standard error
  };
  const std::vector<Case> cases = {
      {{}, 2, "usage:"},
      {{"frobnicate"}, 2, "unknown command"},
      {{"info"}, 2, "info takes one file"},
      {{"write", file("o.scel"), "--words", file("words.txt")}, 2, "write needs --name"},
      {{"write", file("o.scel"), "--name", "n"}, 2, "write needs --words"},
      {{"write", file("o.scel"), "--name", "n", "--words", file("words.txt"), "--uid", "12a"}, 2, "--uid"},
      {{"write", file("o.scel"), "--name", "n", "--words", file("words.txt"), "--colour", "red"}, 2, "unknown option"},
      {{"write", file("o.scel"), "--name", "n", "--words", file("bad.txt")}, 1,
       "line 2: the word has 3 characters but the pinyin 2 syllables"},
      {{"write", file("o.scel"), "--name", "n", "--words", file("none.txt")}, 1, "no word list file"},
      {{"info", file("none.scel")}, 1, "no such file"},
      {{"info", file("not.scel")}, 1, "not a cell dictionary"},
      {{"import", file("not.scel")}, 1, "not a cell dictionary"},
  };
  for (const Case& c : cases) {
    std::string shown;
    for (const auto& word : c.arguments) shown += "[" + word + "]";
    ToolRun result = run(c.arguments);
    EXPECT_EQ(result.status, c.status) << shown;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << shown << "\n" << result.err;
  }
  EXPECT_FALSE(fs::exists(file("o.scel")));
}

TEST(KepScelWordList, BadLinesAreNamedByNumber) {
  struct Case {
    std::string text;
    std::string error;  // empty: accepted
  };
  const std::vector<Case> cases = {
      {"zhong'guo 中国 900\n\xEF\xBB\xBF", "line 2: expected \"pinyin word [frequency]\""},
      {"\xEF\xBB\xBFzhong'guo 中国 900\r\n\r\n", ""},
      {"zhong'guo\n", "line 1: expected"},
      {"Zhong 中\n", "line 1: the pinyin \"Zhong\" holds more"},
      {"zhongguoo 中\n", "line 1: a syllable is not 1 to 6 letters"},
      {"zhong''guo 中国\n", "line 1: a syllable is not 1 to 6 letters"},
      {"zhong 中 -3\n", "line 1: the frequency \"-3\" is not a number"},
      {"zhong 中 3 4\n", "line 1: the frequency \"3 4\" is not a number"},
      {"zhong \n", "line 1: the word is missing"},
      {"zhong \xD6\xD0\n", "line 1: the word is not UTF-8"},
      {"zhong 中\tx\n", "line 1: the word holds a tab"},
      {"\nzhong'guo 中\n", "line 2: the word has 1 characters but the pinyin 2 syllables"},
  };
  for (const Case& c : cases) {
    std::string error;
    auto words = kep_scel::parse_word_list(c.text, &error);
    EXPECT_EQ(words.has_value(), c.error.empty()) << c.text;
    EXPECT_EQ(error.substr(0, c.error.size()), c.error) << c.text;
  }
  std::string error;
  auto words = kep_scel::parse_word_list("zhong'guo 中国 12.5\n", &error);
  ASSERT_TRUE(words);
  ASSERT_EQ(words->size(), 1u);
  EXPECT_EQ((*words)[0].syllables, (std::vector<std::string>{"zhong", "guo"}));
  EXPECT_EQ((*words)[0].text, "中国");
  EXPECT_EQ((*words)[0].frequency, 12.5f);
}

}  // namespace
