// Dictionary folders as the engine reads them, including folders that are cut, damaged or
// contradict themselves: each must fail cleanly or have its bad entries skipped.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <future>
#include <set>
#include <thread>

#include "dict/dictfmt.h"
#include "dict/dictindex.h"
#include "dict/qdict.h"
#include "engine_test_support.h"
#include "platform/ports.h"
#include "platform/runloop.h"
#include "platform/text.h"
#include "record/engine_globals.h"
#include "record/qrdb.h"
#include "tables/accode.h"

namespace {

namespace fs = std::filesystem;
using engine_test::read_file;
using engine_test::TempDir;
using engine_test::write_file;

constexpr int kList = 1;

std::string gb(const std::string& utf8) {
  return platform::text::from_utf8(utf8, platform::text::Encoding::Gb18030).value();
}

struct Word {
  std::string initials;
  std::string finals;
  std::string tones;
  std::string utf8;
  std::uint32_t number;
  std::uint32_t frequency = 10;
};

// Lays out a folder by hand with the format's own record and index encoders, so that tests can
// also write what no builder would.
class FolderWriter {
 public:
  explicit FolderWriter(fs::path path) : path_(std::move(path)) { fs::create_directories(path_); }

  // Appends the words' records as one run and stores the key for them.
  FolderWriter& run(const std::string& key, const std::vector<Word>& words) {
    auto offset = static_cast<std::uint32_t>(db_.size());
    for (const Word& w : words) {
      std::string text = gb(w.utf8);
      db_ += dictfmt::encode_record(w.initials, w.finals, w.tones, text, std::string(text.size(), '*'),
                                    w.number, w.frequency);
    }
    return entry(key, dictfmt::encode_index_value(offset, static_cast<std::uint32_t>(words.size())));
  }
  FolderWriter& entry(const std::string& key, const std::string& value) {
    entries_[key] = value;
    return *this;
  }
  FolderWriter& info(const std::string& text) {
    info_ = text;
    return *this;
  }
  // Writes the files; `db_bytes` keeps only that many bytes of dict.db (a cut file).
  fs::path write(std::size_t db_bytes = std::string::npos) {
    write_file(path_ / "dict.db", db_.substr(0, db_bytes));
    write_file(path_ / "dict.info", info_.empty() ? "TOTAL_COUNT\t" + std::to_string(word_count()) + "\n" : info_);
    dictindex::Handle* index = dictindex::open_create((path_ / "dict_idx").string());
    EXPECT_NE(index, nullptr);
    for (const auto& [key, value] : entries_) EXPECT_EQ(dictindex::replace(index, key, value), dictindex::StoreResult::Stored);
    dictindex::close(index);
    return path_;
  }
  std::size_t db_size() const { return db_.size(); }

 private:
  std::uint32_t word_count() const {
    return static_cast<std::uint32_t>(db_.size() / dictfmt::kMinRecordSize);
  }
  fs::path path_;
  std::string db_;
  std::string info_;
  std::map<std::string, std::string> entries_;
};

// zhong'guo 中国 (tones 1, 2) and zhong'guo 种果 (tones 3, 3) under zK.
FolderWriter two_words(const fs::path& path) {
  FolderWriter writer(path);
  writer.run("zK", {{"zg", "t*", "12", "中国", 0, 90}, {"zg", "t*", "33", "种果", 1, 80}});
  writer.info("TOTAL_COUNT\t2\n");
  return writer;
}

class Conversation {
 public:
  explicit Conversation(std::vector<const char*> syllables) {
    conversation_ = static_cast<ime_conversation_t*>(std::calloc(1, sizeof(ime_conversation_t)));
    ime_qrdb_init_all(conversation_);
    for (std::size_t i = 0; i < syllables.size(); ++i) {
      std::snprintf(conversation_->py[i], IME_SYLLABLE_BYTES, "%s", syllables[i]);
    }
    conversation_->pynum = static_cast<std::uint16_t>(syllables.size() - 1);
    std::fill(std::begin(tones), std::end(tones), 15);
  }
  ~Conversation() {
    ime_qrdb_free_all(conversation_);
    std::free(conversation_);
  }
  int query(ImeDict* dict, int first, int last) {
    ime_qrdb_reset(conversation_, IME_QRDB_ALL);
    ime_current_pynum = conversation_->pynum;
    return ime_dict_query(dict, 3, conversation_, tones, first, last, kList);
  }
  std::vector<std::string> words() {
    std::vector<std::string> found;
    for (int i = 0; i < ime_qrdb_count(conversation_, kList); ++i) {
      ime_qrdb_entry_t* entry = nullptr;
      ime_qrdb_get_lazy(conversation_, kList, i, &entry);
      ime_query_result_t candidate{};
      if (ime_load_cz_lazy(entry, &candidate) == 0) {
        found.emplace_back(reinterpret_cast<const char*>(candidate.hz), candidate.hlen);
      }
    }
    return found;
  }
  ime_conversation_t* operator->() { return conversation_; }
  int tones[IME_MAX_SYLLABLES];

 private:
  ime_conversation_t* conversation_;
};

struct Opened {
  explicit Opened(const fs::path& path, int mode = IME_DICT_FREQ_NONE)
      : dict(ime_dict_open(path.c_str(), mode)) {}
  ~Opened() { ime_dict_close(dict); }
  ImeDict* dict;
};

bool logged(const std::string& fragment) {
  const auto& lines = engine_test::LogCapture::lines();
  return std::any_of(lines.begin(), lines.end(),
                     [&](const std::string& line) { return line.find(fragment) != std::string::npos; });
}

TEST(DictFolder, IsValidOnlyWithItsThreeFiles) {
  TempDir temp;
  engine_test::LogCapture log;
  two_words(temp / "d").write();
  EXPECT_EQ(ime_check_dict((temp / "d").c_str()), 0);
  EXPECT_EQ(ime_check_dict((temp / "absent").c_str()), -1);
  EXPECT_TRUE(logged("not exist"));
  for (const char* name : {"dict.info", "dict.db", "dict_idx.db"}) {
    fs::copy(temp / "d", temp / name, fs::copy_options::recursive);
    fs::remove(temp / name / name);
    EXPECT_EQ(ime_check_dict((temp / name).c_str()), -1) << name;
    EXPECT_EQ(ime_dict_open((temp / name).c_str(), IME_DICT_FREQ_NONE), nullptr) << name;
    EXPECT_TRUE(logged(std::string("Missing file \"") + name)) << name;
  }
}

TEST(DictFolder, InfoLinesAreReadLeniently) {
  TempDir temp;
  FolderWriter writer(temp / "info");
  std::string long_key(70, 'K');
  writer.run("zK", {{"zg", "t*", "12", "中国", 0}})
      .info("   # a comment TOTAL_COUNT 7\n\nTOTAL_COUNT\t1\nUSER  Some One  \nLONELY\n\t\tDESCRIPTION\twith\ttabs\r\n" +
            long_key + "\n")
      .write();
  Opened opened(temp / "info", IME_DICT_INFO_ONLY);
  ASSERT_NE(opened.dict, nullptr);
  const auto& info = opened.dict->info;
  EXPECT_EQ(opened.dict->word_count, 1u);
  EXPECT_EQ(info.at("USER"), "Some One  ");
  EXPECT_EQ(info.at("DESCRIPTION"), "with\ttabs");
  EXPECT_EQ(info.count("LONELY"), 0u);
  EXPECT_EQ(info.at(std::string(64, 'K')), "KKKKKK");  // a key is cut at 64 characters
  EXPECT_EQ(opened.dict->db, nullptr);                // information only
}

TEST(DictFolder, OpensQueriesAndFiltersTones) {
  TempDir temp;
  Opened opened(two_words(temp / "d").write());
  ASSERT_NE(opened.dict, nullptr);
  Conversation c({"zhong", "guo"});
  struct Case {
    int tone0, tone1;
    std::set<std::string> words;
  };
  const std::vector<Case> cases = {
      {15, 15, {"中国", "种果"}}, {1, 15, {"中国"}}, {4, 15, {"种果"}}, {8, 15, {}},
      {15, 2, {"中国"}}, {1, 4, {}}, {5, 6, {"中国", "种果"}},
  };
  for (const Case& k : cases) {
    c.tones[0] = k.tone0;
    c.tones[1] = k.tone1;
    c.query(opened.dict, 0, 1);
    auto words = c.words();
    EXPECT_EQ(std::set<std::string>(words.begin(), words.end()), k.words) << k.tone0 << "," << k.tone1;
  }
}

TEST(DictFolder, EntriesCarryTheirSortKeysAndSource) {
  TempDir temp;
  Opened opened(two_words(temp / "d").write());
  ASSERT_NE(opened.dict, nullptr);
  Conversation c({"zhong", "guo"});
  ASSERT_EQ(c.query(opened.dict, 0, 1), 2);
  ime_qrdb_entry_t* entry = nullptr;
  ASSERT_EQ(ime_qrdb_get_lazy(c.operator->(), kList, 1, &entry), 0);
  EXPECT_EQ(entry->type, IME_RESULT_DICT_WORD);
  EXPECT_EQ(entry->dbid, 3);
  EXPECT_EQ(entry->plen, 2);
  EXPECT_EQ(entry->rplen, 2);
  EXPECT_EQ(entry->index, 1);
  EXPECT_EQ(entry->freq, 80);
  EXPECT_EQ(entry->matval, 80);
  EXPECT_EQ(entry->offset, dictfmt::record_size(2));
  EXPECT_EQ(entry->size, dictfmt::record_size(2));
  EXPECT_EQ(entry->source, opened.dict);
  ime_query_result_t candidate{};
  ASSERT_EQ(ime_load_cz_lazy(entry, &candidate), 0);
  EXPECT_EQ(candidate.index, 1u);
  EXPECT_EQ(candidate.tone[0], 4);
  EXPECT_EQ(candidate.tone[1], 4);
  EXPECT_EQ(candidate.lazy, entry);
}

std::string repeat(const std::string& text, int times) {
  std::string repeated;
  for (int i = 0; i < times; ++i) repeated += text;
  return repeated;
}

TEST(DictFolder, SpansBeyondThirtySyllablesFindNothing) {
  TempDir temp;
  FolderWriter writer(temp / "long");
  writer.run(repeat("a", 31), {{repeat("a", 31), repeat("P", 31), std::string(31, '\0'), repeat("啊", 31), 0}});
  writer.run(repeat("a", 30), {{repeat("a", 30), repeat("P", 30), std::string(30, '\0'), repeat("啊", 30), 1}});
  Opened opened(writer.write());
  ASSERT_NE(opened.dict, nullptr);
  Conversation c(std::vector<const char*>(31, "a"));
  EXPECT_EQ(c.query(opened.dict, 0, 30), 0);
  EXPECT_EQ(c.query(opened.dict, 1, 30), 1);
}

TEST(DictFolder, WordNumbersAtOrBeyondTheWordCountAreNeverOffered) {
  TempDir temp;
  FolderWriter writer(temp / "d");
  writer.run("zK", {{"zg", "t*", "12", "中国", 0}, {"zg", "t*", "33", "种果", 2}}).info("TOTAL_COUNT\t2\n");
  Opened opened(writer.write());
  ASSERT_NE(opened.dict, nullptr);
  Conversation c({"zhong", "guo"});
  EXPECT_EQ(c.query(opened.dict, 0, 1), 1);
  EXPECT_EQ(c.words(), std::vector<std::string>{"中国"});
}

TEST(DictFolder, ACutDictDbIsRefusedOrItsEntriesSkipped) {
  TempDir temp;
  engine_test::LogCapture log;
  // dict.info promises more words than the cut file can hold: the folder does not open.
  FolderWriter cut = two_words(temp / "cut");
  cut.write(dictfmt::record_size(2) / 2);
  EXPECT_EQ(ime_dict_open((temp / "cut").c_str(), IME_DICT_FREQ_NONE), nullptr);
  EXPECT_TRUE(logged("damaged"));

  // A cut that still leaves room for the count: the run reaching past the end is skipped.
  FolderWriter short_run(temp / "short");
  short_run.run("zK", {{"zg", "t*", "12", "中国", 0}, {"zg", "t*", "33", "种果", 1}}).info("TOTAL_COUNT\t1\n");
  short_run.write(short_run.db_size() - 1);
  Opened opened(temp / "short");
  ASSERT_NE(opened.dict, nullptr);
  Conversation c({"zhong", "guo"});
  EXPECT_EQ(c.query(opened.dict, 0, 1), 0);
  EXPECT_TRUE(logged("points outside dict.db"));

  // Nothing left of dict.db at all.
  two_words(temp / "empty").write(0);
  EXPECT_EQ(ime_dict_open((temp / "empty").c_str(), IME_DICT_FREQ_NONE), nullptr);
}

std::string value_bytes(std::uint32_t offset, std::uint32_t count, const std::string& list = std::string(1, '\0')) {
  return dictfmt::encode_index_value(offset, count).substr(0, 8) + list;
}

TEST(DictFolder, CorruptIndexValuesAreSkipped) {
  const std::size_t size = dictfmt::record_size(2);
  struct Case {
    const char* name;
    std::string value;
    int found;
  };
  const std::vector<Case> cases = {
      {"good", value_bytes(0, 2), 2},
      {"too short", std::string("\0\0\0\0\2", 5), 0},
      {"offset past the end", value_bytes(static_cast<std::uint32_t>(2 * size + 1), 1), 0},
      {"offset at the end", value_bytes(static_cast<std::uint32_t>(2 * size), 1), 0},
      {"count past the end", value_bytes(0, 3), 0},
      {"count that wraps in 32 bits", value_bytes(0, 0xFFFFFFFFu / static_cast<std::uint32_t>(size) + 2), 0},
      {"offset inside a record", value_bytes(5, 1), 0},
      {"list without its end", value_bytes(0, 2, std::string("\x05zKzKz", 6)), 2},
      {"list entry past the end", value_bytes(0, 2, std::string("\x09zKz", 4)), 2},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TempDir temp;
    FolderWriter writer = two_words(temp / "d");
    writer.entry("zK", k.value);
    Opened opened(writer.write());
    ASSERT_NE(opened.dict, nullptr);
    Conversation c({"zhong", "guo"});
    c.query(opened.dict, 0, 1);
    EXPECT_EQ(static_cast<int>(c.words().size()), k.found);
  }
}

TEST(DictFolder, ListsOfLongerKeysAreCheckedBeforeUse) {
  TempDir temp;
  engine_test::LogCapture log;
  FolderWriter writer(temp / "d");
  const std::string five = "啊啊啊啊啊";
  const std::string six = "啊啊啊啊啊啊";
  writer.run("aaaaa", {{"aaaaa", "PPPPP", std::string(5, '\0'), five, 0}})
      .run("aaaaaa", {{"aaaaaa", "PPPPPP", std::string(6, '\0'), six, 1}})
      .run("zKzKz", {{"zgzgz", "t*t*t", std::string(5, '\0'), "中国中国中", 2}})
      .info("TOTAL_COUNT\t3\n");
  std::string value = dictfmt::encode_index_value(0, 1);
  // A longer key that does not begin with the key, one that is too long for any word, and the
  // real one.
  value = dictfmt::append_longer_key(value, "zKzKz");
  value = dictfmt::append_longer_key(value, std::string(61, 'a'));
  value = dictfmt::append_longer_key(value, "aaaaaa");
  writer.entry("aaaaa", value);
  Opened opened(writer.write());
  ASSERT_NE(opened.dict, nullptr);
  Conversation c({"a", "a", "a", "a", "a"});
  EXPECT_EQ(c.query(opened.dict, 0, 4), 1);
  std::vector<std::string> words = c.words();
  EXPECT_EQ(std::set<std::string>(words.begin(), words.end()), (std::set<std::string>{five, six}));
}

TEST(DictFolder, DamagedDescriptionOrIndexFilesAreRefused) {
  struct Case {
    const char* name;
    std::string info;
    bool corrupt_index;
  };
  const std::vector<Case> cases = {
      {"count not a number", "TOTAL_COUNT\tmany\n", false},
      {"negative count", "TOTAL_COUNT\t-1\n", false},
      {"count beyond 32 bits", "TOTAL_COUNT\t99999999999\n", false},
      {"count beyond the records", "TOTAL_COUNT\t3\n", false},
      {"index not an index", "TOTAL_COUNT\t2\n", true},
      {"info far too large", "TOTAL_COUNT\t2\n" + std::string(70000, '#'), false},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TempDir temp;
    FolderWriter writer = two_words(temp / "d");
    writer.info(k.info).write();
    if (k.corrupt_index) write_file(temp / "d" / "dict_idx.db", std::string(4096, '\x5A'));
    EXPECT_EQ(ime_dict_open((temp / "d").c_str(), IME_DICT_FREQ_NONE), nullptr);
  }
}

TEST(DictFolder, ADamagedRecordFailsItsLazyLoadOnly) {
  TempDir temp;
  Opened opened(two_words(temp / "d").write());
  ASSERT_NE(opened.dict, nullptr);
  Conversation c({"zhong", "guo"});
  ASSERT_EQ(c.query(opened.dict, 0, 1), 2);
  ime_qrdb_entry_t* entry = nullptr;
  ASSERT_EQ(ime_qrdb_get_lazy(c.operator->(), kList, 0, &entry), 0);
  ime_qrdb_entry_t moved = *entry;
  moved.offset = static_cast<std::uint32_t>(opened.dict->db_length);  // past the end
  ime_query_result_t candidate{};
  EXPECT_EQ(ime_load_cz_lazy(&moved, &candidate), -1);
  ime_qrdb_entry_t wrong_type = *entry;
  wrong_type.type = IME_RESULT_USER_WORD;
  EXPECT_EQ(ime_load_cz_lazy(&wrong_type, &candidate), -1);
  EXPECT_EQ(ime_load_cz_lazy(entry, &candidate), 0);
}

// Serves the converter's port on a thread of its own while alive, answering every request.
// The port is made and dropped by tasks queued to that thread (perform), since until the loop
// runs there the constructing thread counts as the loop's own.
class FakeConverter {
 public:
  explicit FakeConverter(std::string answer) : thread_([this] { loop_.run(); }) {
    on_loop_thread([this, answer] {
      std::error_code error;
      port_ = platform::ports::LocalPort::create(
          "KEPCCServerPort",
          [answer](std::int32_t, std::string_view) -> std::optional<std::string> { return answer; },
          loop_, error);
    });
  }
  ~FakeConverter() {
    on_loop_thread([this] { port_.reset(); });
    loop_.stop();
    thread_.join();
  }
  bool serving() const { return port_ != nullptr; }

 private:
  void on_loop_thread(std::function<void()> task) {
    std::promise<void> done;
    loop_.perform([&] {
      task();
      done.set_value();
    });
    done.get_future().wait();
  }

  platform::RunLoop loop_;
  std::unique_ptr<platform::ports::LocalPort> port_;
  std::thread thread_;
};

TEST(DictFolder, ComputedSecondFormsComeFromTheConverterOrShowTheWord) {
  TempDir temp;
  TempDir runtime;
  engine_test::ScopedEnv runtime_env("KEP_RUNTIME_DIR", (runtime.path() / "run").string());
  Opened opened(two_words(temp / "d").write());
  ASSERT_NE(opened.dict, nullptr);
  Conversation c({"zhong", "guo"});
  ASSERT_EQ(c.query(opened.dict, 0, 1), 2);
  ime_qrdb_entry_t* entry = nullptr;
  ASSERT_EQ(ime_qrdb_get_lazy(c.operator->(), kList, 0, &entry), 0);
  auto traditional_text = [&] {
    ime_query_result_t candidate{};
    EXPECT_EQ(ime_load_cz_lazy(entry, &candidate), 0);
    return std::string(reinterpret_cast<const char*>(candidate.thz), candidate.thlen);
  };

  ime_conversation_t* saved = ime_current_convs;
  ime_current_convs = c.operator->();
  EXPECT_EQ(traditional_text(), "中国");  // simplified mode: the converter is not asked
  c->mode |= IME_MODE_TRADITIONAL;
  EXPECT_EQ(traditional_text(), "中国");  // no converter running: the word, not "****"
  {
    FakeConverter converter("000:中國");
    ASSERT_TRUE(converter.serving());
    EXPECT_EQ(traditional_text(), "中國");
  }
  {
    FakeConverter failing("003:Convert to Traditional Chinese failed!");
    EXPECT_EQ(traditional_text(), "中国");
  }
  ime_current_convs = saved;
}

TEST(DictFolder, AccessoryLettersNarrowWordsByTheirCharactersCodes) {
  TempDir temp;
  Opened opened(two_words(temp / "d").write());
  ASSERT_NE(opened.dict, nullptr);
  ime_acc_dict_t codes = {{"中", {"l", "kl"}}, {"国", {"w"}}, {"种", {"hd"}}};
  ime_acc_dict_t* saved = kAccCodeDict;
  kAccCodeDict = &codes;
  Conversation c({"zhong", "guo"});
  const std::vector<std::pair<std::string, std::set<std::string>>> cases = {
      {"", {"中国", "种果"}}, {"k", {"中国"}}, {"h", {"种果"}}, {"kw", {"中国"}}, {"kx", {}},
      {"hz", {"种果"}},  // 果 has no codes, so it does not narrow
      {"kwx", {}},       // more letters than characters
  };
  for (const auto& [letters, words] : cases) {
    std::snprintf(c->accbuf, sizeof c->accbuf, "%s", letters.c_str());
    c->acclen = static_cast<std::uint16_t>(letters.size());
    c.query(opened.dict, 0, 1);
    auto found = c.words();
    EXPECT_EQ(std::set<std::string>(found.begin(), found.end()), words) << letters;
  }
  kAccCodeDict = saved;
}

TEST(DictFolder, FrequencyFilesAreNamedAfterTheFolder) {
  engine_test::ScratchHome home;
  TempDir temp;
  two_words(temp / "system.dict").write();
  ImeDict* dict = ime_dict_open((temp / "system.dict/").c_str(), IME_DICT_FREQ_KEEP);
  ASSERT_NE(dict, nullptr);
  EXPECT_EQ(fs::file_size(home.data_folder() / "system.freq"), 8u);
  ime_dict_set_freq(dict, 1, 0x1FF);
  ime_dict_dec_freq(dict, 7);  // no such word: ignored
  ime_dict_close(dict);
  const std::string counters = read_file(home.data_folder() / "system.freq");
  EXPECT_EQ(static_cast<unsigned char>(counters[7]), 0x7F);  // 0x1FF & 0xFF as the class
  // Without a frequency file nothing lands in the data folder.
  fs::remove(home.data_folder() / "system.freq");
  Opened bare(temp / "system.dict");
  ASSERT_NE(bare.dict, nullptr);
  ime_dict_inc_freq(bare.dict, 0);
  EXPECT_FALSE(fs::exists(home.data_folder() / "system.freq"));
}

TEST(DictHelpers, KeysSyllablesAndNames) {
  char py[IME_MAX_SYLLABLES][IME_SYLLABLE_BYTES] = {"zhong", "hua", "lan", "ke", "nv", "ge"};
  char key[IME_MAX_SYLLABLES + 1];
  EXPECT_EQ(ime_get_py_key(py, 0, 5, key), 6);
  EXPECT_STREQ(key, "zFNKNK");
  EXPECT_EQ(ime_get_py_key(py, 2, 3, key), 2);
  EXPECT_STREQ(key, "NK");
  EXPECT_EQ(ime_get_py_key(py, 58, 70, key), 2);  // stops below syllable 60

  const std::vector<std::tuple<const char*, const char*, const char*>> splits = {
      {"zhuang", "zh", "uang"}, {"chi", "ch", "i"}, {"shi", "sh", "i"}, {"a", "a", ""},
      {"er", "e", "r"}, {"guo", "g", "uo"}, {"h", "h", ""},
  };
  for (const auto& [syllable, initial, final_text] : splits) {
    char out[14];
    ime_get_sy(syllable, static_cast<int>(std::strlen(syllable)), out);
    EXPECT_STREQ(out, initial) << syllable;
    EXPECT_STREQ(out + 7, final_text) << syllable;
  }

  const std::vector<std::tuple<char, char, const char*>> syllables = {
      {'z', 't', "zhong"}, {'a', 'P', "a"}, {'e', 'Q', "e"}, {'o', 'R', "o"}, {'a', '<', "a"}, {'e', '`', "er"},
  };
  for (const auto& [initial, code, text] : syllables) {
    char out[8];
    ime_dec_py(initial, code, out);
    EXPECT_STREQ(out, text);
  }

  const std::vector<std::pair<const char*, const char*>> names = {
      {"/a/b/system.dict", "system"}, {"mine", "mine"}, {"/x/.hidden", ".hidden"}, {"/x/a.b.c", "a.b"},
  };
  for (const auto& [path, name] : names) {
    char out[512];
    EXPECT_STREQ(QALastName(path, out), name) << path;
  }
}

}  // namespace
