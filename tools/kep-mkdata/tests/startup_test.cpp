// Engine start-up on tiny tables: the order of the steps, the per-user files it keeps, and how
// a damaged table of each kind stops it cleanly.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "CoreSource/query/pyquery.h"
#include "CoreSource/record/conversation.h"
#include "CoreSource/record/engine_globals.h"
#include "CoreSource/record/qrdb.h"
#include "CoreSource/split/py_splitter.h"
#include "CoreSource/tables/suggestion.h"
#include "CoreSource/user/imeuser2.h"
#include "table_fixture.h"

namespace table_test {
namespace {

TEST(StartupTest, LoadsEveryTableAndLogsEachStep) {
  EngineRoot root;
  root.put_tiny_tables();
  root.enable_debug_log();
  ASSERT_EQ(ime_init(), 0) << root.log_text();
  std::string log = root.log_text();
  const char* steps[] = {">Configure file loaded.", ">Pinyin table loaded.",
                         ">Pinyin extension table loaded.", ">User phrase db loaded.",
                         ">Punct. table loaded.",
                         ">Freq. information loaded.", "KEP initialize successed."};
  std::size_t at = 0;
  for (const char* step : steps) {
    std::size_t found = log.find(step, at);
    EXPECT_NE(found, std::string::npos) << step << " missing or out of order in\n" << log;
    at = found == std::string::npos ? at : found;
  }
  EXPECT_EQ(ime_valid, 1);
  EXPECT_NE(ime_hzdb, nullptr);
  EXPECT_EQ(fs::file_size(root.data_folder() / "hzfreq.db"), 960000u);
  EXPECT_EQ(ime_freq_info.length, 960000);
  EXPECT_TRUE(fs::exists(root.data_folder() / "udb.lib"));
  EXPECT_EQ(read_file(root.data_folder() / "hzdb.info"), "tiny 1\n");
  EXPECT_EQ(ime_punct[','].length, 3);
  EXPECT_STREQ(ime_punct[','].text, "，");

  // A second call does nothing; after ime_exit the engine starts again.
  EXPECT_EQ(ime_init(), 0);
  ime_exit();
  EXPECT_EQ(ime_py_hash, nullptr);
  EXPECT_EQ(ime_hzdb, nullptr);
  EXPECT_EQ(ime_freq_info.address, nullptr);
  EXPECT_EQ(ime_init(), 0);
  std::vector<ime_py_hit_t> hits;
  EXPECT_EQ(ime_query_py_records("zhong", 15, &hits), 2);
}

TEST(StartupTest, TheHanziCounterFileKeepsOneSizeAndItsCounters) {
  struct Case {
    const char* what;
    std::size_t old_size;  // 0: no file
    bool keeps_counter;
  } cases[] = {
      {"no file", 0, false},
      {"a smaller file of another program", 480000, true},
      {"the right size", 960000, true},
      {"a larger file", 1000000, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EngineRoot root;
    root.put_tiny_tables();
    write_file(root.data_folder() / "hzdb.info", "tiny 1\n");
    if (c.old_size > 0) {
      std::string counters(c.old_size, '\0');
      counters[8 * 7] = 0x2A;  // a counter of hanzi index 7
      write_file(root.data_folder() / "hzfreq.db", counters);
    }
    ASSERT_EQ(ime_init(), 0) << root.log_text();
    std::string now = read_file(root.data_folder() / "hzfreq.db");
    EXPECT_EQ(now.size(), 960000u);
    EXPECT_EQ(now[8 * 7] == 0x2A, c.keeps_counter);
    EXPECT_EQ(static_cast<const unsigned char*>(ime_freq_info.address)[8 * 7] == 0x2A, c.keeps_counter);
  }
}

TEST(StartupTest, ANewHanziDatabaseStartsTheCountersAfresh) {
  struct Case {
    const char* what;
    const char* user_info;  // nullptr: none in the data folder
    bool resource_info;
    bool keeps_counter;
  } cases[] = {
      {"same version", "tiny 1\n", true, true},
      {"other version", "tiny 0\n", true, false},
      {"no version in the data folder", nullptr, true, false},
      {"no version among the resources", "tiny 0\n", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EngineRoot root;
    root.put_tiny_tables();
    if (!c.resource_info) fs::remove(root.resources() / "hzdb.info");
    if (c.user_info != nullptr) write_file(root.data_folder() / "hzdb.info", c.user_info);
    std::string counters(960000, '\0');
    counters[0] = 0x11;
    write_file(root.data_folder() / "hzfreq.db", counters);
    ASSERT_EQ(ime_init(), 0) << root.log_text();
    EXPECT_EQ(read_file(root.data_folder() / "hzfreq.db")[0] == 0x11, c.keeps_counter);
    if (c.resource_info) {
      EXPECT_EQ(read_file(root.data_folder() / "hzdb.info"), "tiny 1\n");
    }
  }
}

TEST(StartupTest, ADamagedTableOfEachKindStopsStartUpWithItsLogLine) {
  struct Case {
    const char* file;
    std::function<void(std::string&)> damage;
    const char* log_line;
  } cases[] = {
      {"pinyin.db", [](std::string& b) { b.resize(b.size() - 5); }, "Load py failed!"},
      {"pinyin.db", [](std::string& b) { b.clear(); }, "Load py failed!"},
      {"pinyin2.db", [](std::string& b) { b.resize(b.size() - 1); }, "Load py ext failed!"},
      {"hzdb.db", [](std::string& b) { b.resize(b.size() / 3); }, "Load hzdb failed!"},
      {"hzdb.idx", [](std::string& b) { b.resize(b.size() / 3); }, "Load hzdb failed!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    EngineRoot root;
    root.put_tiny_tables();
    std::string bytes = read_file(root.resources() / c.file);
    c.damage(bytes);
    root.put_resource(c.file, bytes);
    EXPECT_EQ(ime_init(), -1);
    EXPECT_NE(root.log_text().find(c.log_line), std::string::npos) << root.log_text();
    // A failed start is not reported as a success by the next call.
    EXPECT_EQ(ime_init(), -1);
  }
}

TEST(StartupTest, AMissingPunctuationMapStopsStartUp) {
  EngineRoot root;
  root.put_tiny_tables();
  fs::remove(root.resources() / "punct.def");
  EXPECT_EQ(ime_init(), -1);
  std::string log = root.log_text();
  EXPECT_NE(log.find("not found."), std::string::npos) << log;
  EXPECT_NE(log.find("Load punct config failed!"), std::string::npos) << log;
}

TEST(StartupTest, AStartThatFailedRunsAgainOnceTheTableIsMended) {
  EngineRoot root;
  root.put_tiny_tables();
  std::string good = read_file(root.resources() / "pinyin.db");
  root.put_resource("pinyin.db", good.substr(0, 40));
  EXPECT_EQ(ime_init(), -1);
  root.put_resource("pinyin.db", good);
  EXPECT_EQ(ime_init(), 0) << root.log_text();
  std::vector<ime_py_hit_t> hits;
  EXPECT_EQ(ime_query_py_records("j", 15, &hits), 3);
}

TEST(StartupTest, APinyinTableWithoutAHanziIndexInTheDataFolderStartsTheEngine) {
  EngineRoot root;
  root.put_tiny_tables();
  fs::remove(root.resources() / "pinyin.db");
  write_file(root.data_folder() / "pinyin.db", without_hanzi_index(tiny_pinyin_table()));
  ASSERT_EQ(ime_init(), 0) << root.log_text();

  // The query the first syllable of a composition gets.
  ime_conversation_t* conversation = nullptr;
  ASSERT_EQ(ime_new_conversation(&conversation), 0);
  EXPECT_EQ(ime_query_py_list(conversation, 0, "zhong", IME_LIST_HANZI), 2);
  ime_qrdb_sort(conversation, IME_LIST_HANZI);
  std::vector<std::string> texts;
  for (int i = 0; i < ime_qrdb_count(conversation, IME_LIST_HANZI); ++i) {
    ime_query_result_t candidate{};
    ASSERT_EQ(ime_qrdb_get(conversation, IME_LIST_HANZI, i, &candidate), 0);
    texts.emplace_back(reinterpret_cast<const char*>(candidate.hz));
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"中", "种"}));
  ime_free_conversation(&conversation);
}

TEST(ConversationTest, NewConversationsAreEmptyAndFreedConversationsCleared) {
  EngineRoot root;
  fs::remove_all(root.data_folder());
  ime_conversation_t* conversation = nullptr;
  ASSERT_EQ(ime_new_conversation(&conversation), 0);
  ASSERT_NE(conversation, nullptr);
  // Empty, except for the markers of "not split" and "no D-mode" and the lists it owns.
  EXPECT_EQ(conversation->pynum, IME_PY_NOT_SPLIT);
  EXPECT_EQ(conversation->dpos, IME_NO_DPOS);
  EXPECT_EQ(conversation->inoff + conversation->nseg + conversation->ncand + conversation->outlen, 0);
  EXPECT_EQ(conversation->mode, 0u);
  EXPECT_EQ(ime_qrdb_count(conversation, IME_LIST_CANDIDATES), 0);
  EXPECT_TRUE(fs::is_directory(root.data_folder()));
  EXPECT_EQ(fs::status(root.data_folder()).permissions() & fs::perms::all, fs::perms::owner_all);
  EXPECT_EQ(ime_free_conversation(&conversation), 0);
  EXPECT_EQ(conversation, nullptr);
  EXPECT_EQ(ime_free_conversation(&conversation), 0);
}

TEST(StartupTest, StartUpReadsTheUserPhrasesAndSuggestionsAndExitWritesThePhrasesBack) {
  EngineRoot root;
  root.put_tiny_tables();
  root.put_resource("pysuggest.txt", "xian\txi'an\n");
  write_file(root.data_folder() / "udb.lib", "02zKzgt*120606中国中國x0a007530001" "1700000000;\n<END>\n");
  ASSERT_EQ(ime_init(), 0) << root.log_text();
  ASSERT_EQ(ime_udb_items().size(), 1u);

  suggestted_mode = 1;
  char syllables[64];
  char typed[64];
  EXPECT_EQ(QASplitBuffer("xian", syllables, sizeof syllables, typed, sizeof typed), 5);
  EXPECT_STREQ(syllables, "xi'an");
  suggestted_mode = 0;

  // A use counted in memory reaches the file when the engine stops.
  const_cast<UDBItem*>(ime_udb_items()[0])->used = 9;
  ime_exit();
  EXPECT_EQ(ime_udb_loaded, 0);
  EXPECT_NE(read_file(root.data_folder() / "udb.lib").find("x0a007530009" "1700000000;"), std::string::npos);
}

// Runs `body` in a child process as a user without the power to write what it may not (root
// writes any file, so as root the child first gives the scratch tree to "nobody" and becomes
// that user). Its result is the child's exit status, -1 when it did not exit normally.
int as_ordinary_user(const fs::path& tree, const std::function<int()>& body) {
  pid_t pid = ::fork();
  if (pid == 0) {
    ::alarm(20);
    if (::geteuid() == 0) {
      constexpr uid_t kNobody = 65534;
      std::error_code error;
      if (::lchown(tree.c_str(), kNobody, kNobody) != 0) ::_exit(100);
      for (const auto& entry : fs::recursive_directory_iterator(tree, error)) {
        if (::lchown(entry.path().c_str(), kNobody, kNobody) != 0) ::_exit(100);
      }
      if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(100);
    }
    ::_exit(body());
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(StartupTest, AReadOnlyUserPhraseFileStartsTheEngineWithoutLearning) {
  EngineRoot root;
  root.put_tiny_tables();
  const fs::path udb = root.data_folder() / "udb.lib";
  const std::string phrases = "02zKzgt*120606中国中國x0a007530001" "1700000000;\n<END>\n";
  write_file(udb, phrases);
  const fs::path tree = root.data_folder().parent_path().parent_path().parent_path();
  const int status = as_ordinary_user(tree, [&] {
    if (::chmod(udb.c_str(), 0444) != 0) return 10;
    if (ime_init() != 0) return 1;
    if (ime_udb_items().size() != 1) return 2;  // what it holds is still offered
    ime_query_result_t phrase{};
    phrase.plen = 2;
    std::memcpy(phrase.sm, "zg", 2);
    std::memcpy(phrase.ym, "t*", 2);
    phrase.hlen = phrase.thlen = 6;
    std::memcpy(phrase.hz, "中过", 6);
    std::memcpy(phrase.thz, "中過", 6);
    for (int attempt = 0; attempt < 3; ++attempt) {
      if (ime_udb_add(&phrase) != -1) return 3;
    }
    ime_exit();
    if (read_file(udb) != phrases) return 4;
    const std::string log = root.log_text();
    std::size_t said = 0;
    for (std::size_t at = log.find("no phrase is learned"); at != std::string::npos;
         at = log.find("no phrase is learned", at + 1)) {
      ++said;
    }
    if (said != 1) return 5;
    if (log.find("Save the user phrase db failed") != std::string::npos) return 6;
    return 0;
  });
  // 1: no start; 2: the phrases were not read; 3: a phrase was learned; 4: udb.lib changed;
  // 5: not said exactly once; 6: the exit reported a failed save.
  EXPECT_EQ(status, 0);
}

TEST(SuggestionTest, AnEmptyLineEndsTheListAndSavingWritesItBack) {
  EngineRoot root;
  EXPECT_EQ(ime_load_suggestion(), 0);
  ASSERT_NE(selectedSuggestions, nullptr);
  EXPECT_TRUE(selectedSuggestions->empty());

  write_file(root.data_folder() / "qy.cfg", "a\nb\n\nc\n");
  EXPECT_EQ(ime_load_suggestion(), 0);
  EXPECT_EQ(*selectedSuggestions, (std::set<std::string>{"a", "b"}));

  selectedSuggestions->insert("西安");
  EXPECT_EQ(ime_save_suggestion(), 0);
  EXPECT_EQ(selectedSuggestions, nullptr);
  EXPECT_EQ(read_file(root.data_folder() / "qy.cfg"), "a\nb\n西安\n");
  EXPECT_EQ(ime_save_suggestion(), 0);
}

}  // namespace
}  // namespace table_test
