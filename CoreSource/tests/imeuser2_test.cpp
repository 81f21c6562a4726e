// The user phrase database: the udb.lib format, loading with malformed lines, queries with
// tones and syllables, and the file shared by several processes under its lock.
#include "user/imeuser2.h"

#include <sched.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "base/freq.h"
#include "engine_test_support.h"
#include "record/engine_globals.h"
#include "tables/pinyin_code.h"
#include "user/udb_file.h"
#include "user/udb_line.h"

using namespace engine_test;

namespace {

struct Phrase {
  std::vector<const char*> syllables;
  const char* text;
  const char* text2;
  std::vector<std::uint8_t> tones;  // masks; empty: all 0
};

ime_query_result_t record_of(const Phrase& phrase) {
  ime_query_result_t record{};
  record.type = IME_RESULT_DICT_WORD;
  record.plen = static_cast<std::uint8_t>(phrase.syllables.size());
  for (std::size_t j = 0; j < phrase.syllables.size(); ++j) {
    ime_decompose_py(phrase.syllables[j], &record.sm[j], &record.ym[j]);
    record.tone[j] = j < phrase.tones.size() ? phrase.tones[j] : 0;
  }
  record.hlen = static_cast<std::uint8_t>(std::strlen(phrase.text));
  std::memcpy(record.hz, phrase.text, record.hlen);
  record.thlen = static_cast<std::uint8_t>(std::strlen(phrase.text2));
  std::memcpy(record.thz, phrase.text2, record.thlen);
  return record;
}

// The udb.lib line of a phrase, written as it is: the writer checks lengths, not bytes.
std::string line_of(const Phrase& phrase) {
  ime_query_result_t record = record_of(phrase);
  UDBItem item{};
  std::memcpy(item.initials, record.sm, record.plen);
  std::memcpy(item.finals, record.ym, record.plen);
  std::memcpy(item.text, record.hz, record.hlen);
  std::memcpy(item.text2, record.thz, record.thlen);
  item.text_length = record.hlen;
  item.text2_length = record.thlen;
  item.syllables = record.plen;
  item.freq = 1;
  return ime_udb_format_line(ime_udb_fold_key(std::string_view(item.initials, record.plen)), item);
}

// Forks; the child is killed by an alarm should it ever wait for a lock for good, so a fault
// fails the test instead of hanging it.
pid_t fork_with_deadline() {
  pid_t pid = ::fork();
  if (pid == 0) ::alarm(20);
  return pid;
}

// Runs `body` in a child process; its result is the child's exit status (-1 when it did not
// exit normally).
int in_child(const std::function<int()>& body) {
  pid_t pid = fork_with_deadline();
  if (pid == 0) ::_exit(body());
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Whether another open of the file could take its lock now.
bool lock_is_free(const fs::path& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  ::close(fd);
  return free;
}

std::multiset<std::string> held_texts() {
  std::multiset<std::string> texts;
  for (const UDBItem* item : ime_udb_items()) texts.insert(std::string(item->text, item->text_length));
  return texts;
}

const Phrase kZhongguo{{"zhong", "guo"}, "中国", "中國", {1, 2}};
const Phrase kBeijing{{"bei", "jing"}, "北京", "北京", {4, 1}};
const Phrase kXiandai{{"xian", "dai"}, "现代", "現代", {8, 8}};

class UserPhraseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ime_udb_free();
    saved_hzfreq_val_ = ime_hzfreq_val;
    ime_hzfreq_val = 9;
    ime_freq_mode = 0;
  }
  void TearDown() override {
    ime_udb_free();
    ime_hzfreq_val = saved_hzfreq_val_;
    ime_freq_mode = 0;
    ime_am_flag = 0;
  }
  fs::path udb() const { return home_.data_folder() / "udb.lib"; }
  fs::path lock_file() const { return ime_udb_lock_path(udb().string()); }
  void add(const Phrase& phrase) {
    ime_query_result_t record = record_of(phrase);
    ASSERT_EQ(ime_udb_add(&record), 0) << phrase.text;
  }
  void reload() {
    ime_udb_free();
    ASSERT_EQ(ime_udb_open(), 0);
  }

  ScratchHome home_;
  int saved_hzfreq_val_ = 0;
};

TEST_F(UserPhraseTest, AMissingFileIsCreatedEmpty) {
  ASSERT_FALSE(fs::exists(udb()));
  EXPECT_EQ(ime_udb_open(), 0);
  EXPECT_EQ(ime_udb_loaded, 1);
  EXPECT_TRUE(fs::exists(udb()));
  EXPECT_TRUE(ime_udb_items().empty());
  EXPECT_TRUE(lock_is_free(lock_file()));
}

TEST_F(UserPhraseTest, WrittenPhrasesLoadBackFieldForField) {
  add(kZhongguo);
  add(kBeijing);
  ASSERT_EQ(ime_udb_items().size(), 2u);
  const UDBItem* first = nullptr;
  for (const UDBItem* item : ime_udb_items()) {
    if (std::string(item->text) == "中国") first = item;
  }
  ASSERT_NE(first, nullptr);
  char expected[64];
  std::snprintf(expected, sizeof expected, "x0a007530001%010lld;\n", static_cast<long long>(first->time));
  // Key zK (g folds to K), initials zg, finals t* (hong, uo), tones 1 and 2, 6 + 6 text bytes.
  const std::string zhongguo_line = std::string("02zKzgt*120606中国中國") + expected;
  const std::string file = read_file(udb());
  EXPECT_NE(file.find(zhongguo_line), std::string::npos) << file;
  EXPECT_TRUE(file.ends_with("<END>\n")) << file;

  reload();
  ASSERT_EQ(ime_udb_items().size(), 2u);
  for (const UDBItem* item : ime_udb_items()) {
    const Phrase& phrase = std::string(item->text) == "中国" ? kZhongguo : kBeijing;
    ime_query_result_t record = record_of(phrase);
    EXPECT_EQ(std::string(item->text2), phrase.text2);
    EXPECT_EQ(std::string(item->initials), std::string(record.sm, 2));
    EXPECT_EQ(std::string(item->finals), std::string(record.ym, 2));
    EXPECT_EQ(item->tones[0], phrase.tones[0]);
    EXPECT_EQ(item->tones[1], phrase.tones[1]);
    EXPECT_EQ(item->freq, 0x0a007530u);
    EXPECT_EQ(item->used, 1);
    EXPECT_GT(item->time, 0);
  }
}

TEST_F(UserPhraseTest, MalformedLinesAreSkippedAndTheRestLoads) {
  ime_debug_level = 1;
  LogCapture log;
  write_file(udb(),
             "01zz~01010000中中x00000001;\n"                      // one syllable
             "02zKzgt*120606中国中國x0a007530001" "1700000000;\n"  // good
             "31zK\n"                                              // 31 syllables
             "02zKzgt*120303中中x0a007530;\n"                      // texts of 3 bytes
             "02zKzgt*120707中国中国中国中x0a007530;\n"              // 7 > 3 x 2
             "02zKzgt*1206\n"                                      // cut short
             "02zKzgt*1z0606中国中國x0a007530;\n"                  // tone digit z
             "02bjbjg2810606北京北京005;\n"                        // old class frequency, no usage
             "02zKzgt*120606中国中國x0a007530001" "17000000;\n"    // time cut short
             "<END>\n"
             "02NjNjX2810606南京南京x00000001;\n");
  ASSERT_EQ(ime_udb_open(), 0);
  std::multiset<std::string> texts = held_texts();
  EXPECT_EQ(texts, (std::multiset<std::string>{"中国", "北京"}));
  for (const UDBItem* item : ime_udb_items()) {
    if (std::string(item->text) == "北京") {
      EXPECT_EQ(item->freq, 0x05000000u);
      EXPECT_EQ(item->used, 0);
      EXPECT_EQ(item->time, 0);
    } else {
      EXPECT_EQ(item->time, 1700000000);
    }
  }
  int debug_lines = 0;
  for (const std::string& line : log.lines()) debug_lines += line.starts_with("DEBUG|") ? 1 : 0;
  EXPECT_GE(debug_lines, 7);
  ime_debug_level = 0;
  EXPECT_TRUE(lock_is_free(lock_file()));
}

TEST_F(UserPhraseTest, ARewriteThatShortensTheFileEndsAtItsEndTag) {
  add(kZhongguo);
  add(kBeijing);
  add(kXiandai);
  const std::size_t long_size = fs::file_size(udb());
  for (const Phrase* gone : {&kBeijing, &kXiandai}) {
    ime_query_result_t record = record_of(*gone);
    EXPECT_EQ(ime_udb_remove(&record), 0);
  }
  const std::string file = read_file(udb());
  EXPECT_LT(file.size(), long_size);
  EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 2) << file;
  EXPECT_TRUE(file.ends_with("<END>\n")) << file;
  reload();
  EXPECT_EQ(held_texts(), (std::multiset<std::string>{"中国"}));

  ime_query_result_t unknown = record_of(kBeijing);
  EXPECT_EQ(ime_udb_remove(&unknown), -1);
}

TEST_F(UserPhraseTest, PhrasesTheFileCannotHoldAreRefused) {
  ASSERT_EQ(ime_udb_open(), 0);
  Phrase one{{"zhong"}, "中", "中", {}};
  Phrase short_text{{"a", "b"}, "abc", "abc", {}};
  std::vector<const char*> many(31, "a");
  Phrase too_long{many, "啊啊啊啊啊啊啊啊啊啊啊啊啊啊啊啊啊啊啊啊啊啊啊啊啊啊啊啊啊啊啊", "啊啊啊啊啊啊啊啊啊啊啊啊啊啊啊啊啊啊啊啊啊啊啊啊啊啊啊啊啊啊啊", {}};
  for (const Phrase* refused : {&one, &short_text, &too_long}) {
    ime_query_result_t record = record_of(*refused);
    EXPECT_EQ(ime_udb_add(&record), -1) << refused->text;
  }
  EXPECT_TRUE(ime_udb_items().empty());

  // Without a second form the text stands in, so the phrase survives a reload.
  Phrase no_second{{"xian", "dai"}, "现代", "", {}};
  add(no_second);
  reload();
  ASSERT_EQ(ime_udb_items().size(), 1u);
  EXPECT_STREQ(ime_udb_items()[0]->text2, "现代");
}

// After 中国 was written, 北京 is added while udb.lib cannot be written for `code`: the phrase
// is kept in memory, the file and its folder are as before, and the reason is reported and
// logged. 0, or the number of the check that failed.
int check_failed_write(const fs::path& folder, const std::string& before, int code) {
  const fs::path udb = folder / "udb.lib";
  LogCapture log;
  ime_query_result_t record = record_of(kBeijing);
  if (ime_udb_add(&record) != -2) return 1;
  if (held_texts() != std::multiset<std::string>{"中国", "北京"}) return 2;
  if (read_file(udb) != before) return 3;
  if (!lock_is_free(ime_udb_lock_path(udb.string()))) return 4;
  // The reason names the file and what the system said, in the result and in the log.
  const std::string why = udb.string() + ": " + std::strerror(code);
  if (ime_udb_write_error() != why) return 5;
  const bool logged = std::any_of(LogCapture::lines().begin(), LogCapture::lines().end(), [&](const std::string& line) {
    return line.rfind("ERROR|", 0) == 0 && line.find("Write udb.lib failed![" + why + "]") != std::string::npos;
  });
  if (!logged) return 6;
  // The half-written new file is gone.
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().filename().string().rfind(".udb.lib.", 0) == 0) return 7;
  }
  if (ime_udb_close() != -1 || ime_udb_loaded != 1) return 8;
  if (read_file(udb) != before) return 9;
  return 0;
}

TEST_F(UserPhraseTest, AFailedWriteKeepsThePhrasesAndReportsIt) {
  add(kZhongguo);
  const std::string before = read_file(udb());
  const int status = in_child([&] {
    // A file size limit makes the write of the new file fail.
    ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit;
    ::getrlimit(RLIMIT_FSIZE, &limit);
    struct rlimit tight = limit;
    tight.rlim_cur = 64;
    ::setrlimit(RLIMIT_FSIZE, &tight);
    if (const int failed = check_failed_write(home_.data_folder(), before, EFBIG)) return failed;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    if (ime_udb_refresh() != 0) return 20;
    if (!ime_udb_write_error().empty()) return 21;
    return 0;
  });
  EXPECT_EQ(status, 0);
  reload();
  EXPECT_EQ(held_texts(), (std::multiset<std::string>{"中国", "北京"}));
}

// Makes this process's view of `folder` a file system of its own that holds `udb` as udb.lib
// and has no room left. false where the process may not have mounts of its own.
bool full_file_system_at(const fs::path& folder, const std::string& udb) {
  const uid_t uid = ::getuid();
  const gid_t gid = ::getgid();
  if (::unshare(CLONE_NEWNS) != 0) {
    // Without the right to mount, a user namespace of our own gives it.
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return false;
    auto put = [](const char* path, const std::string& text) {
      const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
      const bool ok = fd >= 0 && ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
      if (fd >= 0) ::close(fd);
      return ok;
    };
    if (!put("/proc/self/setgroups", "deny") ||
        !put("/proc/self/uid_map", std::to_string(uid) + " " + std::to_string(uid) + " 1") ||
        !put("/proc/self/gid_map", std::to_string(gid) + " " + std::to_string(gid) + " 1")) {
      return false;
    }
  }
  if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return false;
  if (::mount("tmpfs", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k,mode=0700") != 0) return false;
  write_file(folder / "udb.lib", udb);
  const int filler = ::open((folder / "filler").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  if (filler < 0) return false;
  const std::string block(4096, 'x');
  while (::write(filler, block.data(), block.size()) > 0) {
  }
  const bool full = errno == ENOSPC;
  ::close(filler);
  return full;
}

TEST_F(UserPhraseTest, AFullDiskKeepsTheOldFileWholeAndSaysWhy) {
  add(kZhongguo);
  const std::string before = read_file(udb());
  constexpr int kNoPrivateMounts = 100;
  const int status = in_child([&] {
    if (!full_file_system_at(home_.data_folder(), before)) return kNoPrivateMounts;
    if (const int failed = check_failed_write(home_.data_folder(), before, ENOSPC)) return failed;
    // Room again: the next write stores what was kept.
    fs::remove(home_.data_folder() / "filler");
    if (ime_udb_refresh() != 0) return 20;
    if (read_file(udb()).find("北京") == std::string::npos) return 21;
    return 0;
  });
  if (status == kNoPrivateMounts) GTEST_SKIP() << "no file system of its own can be mounted here";
  EXPECT_EQ(status, 0);
}

TEST_F(UserPhraseTest, ASecondProcessWaitsForTheLockAndReadsTheFileThatReplacedIt) {
  ASSERT_EQ(ime_udb_open(), 0);
  std::string error;
  UdbLock held = UdbLock::acquire(udb().string());
  ASSERT_TRUE(held.held()) << held.failure();

  pid_t child = fork_with_deadline();
  if (child == 0) {
    // The child shares the parent's locked descriptor; closing its copy leaves the lock with
    // the parent, as a separate process would find it.
    ::close(held.descriptor());
    ime_udb_free();
    ::_exit(ime_udb_open() == 0 ? static_cast<int>(ime_udb_items().size()) : 100);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  int status = 0;
  EXPECT_EQ(::waitpid(child, &status, WNOHANG), 0) << "the child did not wait for the lock";

  // While it waits, the file is replaced by one holding two phrases.
  std::string content;
  for (const Phrase* phrase : {&kZhongguo, &kBeijing}) {
    content += line_of(*phrase);
  }
  ASSERT_TRUE(ime_udb_replace(udb().string(), content + "<END>\n", &error)) << error;
  held.release();

  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 2);
}

TEST_F(UserPhraseTest, TwoProcessesAddingAtOnceKeepEachOthersPhrases) {
  ASSERT_EQ(ime_udb_open(), 0);
  // Both start from the same empty database and add ten phrases each at the same time.
  auto add_ten = [](const char* text2_mark) {
    for (int i = 0; i < 10; ++i) {
      std::string text = std::string("中") + "国" + std::to_string(i) + text2_mark;
      Phrase phrase{{"zhong", "guo", "ling", "a"}, text.c_str(), text.c_str(), {}};
      ime_query_result_t record = record_of(phrase);
      if (ime_udb_add(&record) != 0) return 1;
    }
    return 0;
  };
  pid_t child = fork_with_deadline();
  if (child == 0) ::_exit(add_ten("b"));
  EXPECT_EQ(add_ten("a"), 0);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  reload();
  std::multiset<std::string> texts = held_texts();
  EXPECT_EQ(texts.size(), 20u);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(texts.count("中国" + std::to_string(i) + "a"), 1u) << i;
    EXPECT_EQ(texts.count("中国" + std::to_string(i) + "b"), 1u) << i;
  }
}

TEST_F(UserPhraseTest, ARemovalElsewhereIsNotUndoneAndUseCountsMadeHereSurvive) {
  add(kZhongguo);
  add(kBeijing);
  EXPECT_EQ(in_child([] {
              ime_query_result_t record = record_of(kBeijing);
              return ime_udb_remove(&record) == 0 ? 0 : 1;
            }),
            0);
  // This process still holds 北京; it counts a use of 中国 and adds 现代.
  for (const UDBItem* item : ime_udb_items()) {
    if (std::string(item->text) == "中国") const_cast<UDBItem*>(item)->used = 7;
  }
  add(kXiandai);
  EXPECT_EQ(held_texts(), (std::multiset<std::string>{"中国", "现代"}));
  reload();
  EXPECT_EQ(held_texts(), (std::multiset<std::string>{"中国", "现代"}));
  for (const UDBItem* item : ime_udb_items()) {
    if (std::string(item->text) == "中国") {
      EXPECT_EQ(item->used, 7);
    }
  }
}

TEST_F(UserPhraseTest, TwelveProcessesStartingAndAddingAtOnceLoseNothing) {
  constexpr int kWriters = 12;
  constexpr int kPhrasesEach = 20;
  auto text_of = [](int writer, int k) { return "中" + std::to_string(writer) + "-" + std::to_string(k); };
  ASSERT_EQ(ime_udb_open(), 0);
  // Every writer waits on the pipe, so all of them open and add at the same moment; each add
  // replaces the file while the others wait for the lock.
  int gate[2];
  ASSERT_EQ(::pipe(gate), 0);
  std::vector<pid_t> writers;
  for (int n = 0; n < kWriters; ++n) {
    pid_t pid = fork_with_deadline();
    if (pid == 0) {
      ::alarm(60);  // twelve writers share one disk: more time than a single one needs
      ::close(gate[1]);
      char byte;
      (void)::read(gate[0], &byte, 1);
      ime_udb_free();
      if (ime_udb_open() != 0) ::_exit(1);
      for (int k = 0; k < kPhrasesEach; ++k) {
        const std::string text = text_of(n, k);
        Phrase phrase{{"zhong", "guo", "ren"}, text.c_str(), text.c_str(), {}};
        ime_query_result_t record = record_of(phrase);
        if (ime_udb_add(&record) != 0) ::_exit(2);
      }
      ::_exit(0);
    }
    writers.push_back(pid);
  }
  ::close(gate[0]);
  ::close(gate[1]);
  for (pid_t pid : writers) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    // 1: the start failed; 2: an add was not written.
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "writer status " << status;
  }
  reload();
  std::multiset<std::string> expected;
  for (int n = 0; n < kWriters; ++n) {
    for (int k = 0; k < kPhrasesEach; ++k) expected.insert(text_of(n, k));
  }
  EXPECT_EQ(held_texts(), expected);
}

TEST_F(UserPhraseTest, TheLockWaitEndsAtItsTimeOutWhileAnotherHoldsIt) {
  UdbLock holder = UdbLock::acquire(udb().string());
  ASSERT_TRUE(holder.held()) << holder.failure();
  // flock belongs to the open file, so a second open in this process waits like another one.
  const auto start = std::chrono::steady_clock::now();
  UdbLock waiter = UdbLock::acquire(udb().string(), std::chrono::milliseconds(150));
  EXPECT_FALSE(waiter.held());
  EXPECT_TRUE(waiter.busy());
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150));
  holder.release();
  EXPECT_TRUE(UdbLock::acquire(udb().string(), std::chrono::milliseconds(150)).held());
}

// Texts that must never be shown or committed: not UTF-8, or holding control characters.
struct BadText {
  const char* what;
  std::string text;
  std::string text2;
};

const BadText kBadTexts[] = {
    {"invalid lead byte", "\xff中国", "中國人"},
    {"cut-off sequence", "中国\xe4\xb8", "中國人"},
    {"surrogate", "\xed\xa0\x80中", "中國人"},
    {"escape sequence", "中\x1b[2J", "中國人"},
    {"bell", "中国\x07", "中國人"},
    {"delete", "中国\x7f", "中國人"},
    {"C1 control sequence introducer", "中\xc2\x9b" "31m", "中國人"},
    {"carriage return in the second form", "中国人", "中國\r"},
};

TEST_F(UserPhraseTest, TextsThatAreNotUtf8OrHoldControlBytesAreNotLearned) {
  add(kZhongguo);
  const std::string before = read_file(udb());
  for (const BadText& bad : kBadTexts) {
    SCOPED_TRACE(bad.what);
    Phrase phrase{{"zhong", "guo", "ren"}, bad.text.c_str(), bad.text2.c_str(), {}};
    ime_query_result_t record = record_of(phrase);
    EXPECT_EQ(ime_udb_add(&record), -1);
  }
  EXPECT_EQ(held_texts(), (std::multiset<std::string>{"中国"}));
  EXPECT_EQ(read_file(udb()), before);
}

TEST_F(UserPhraseTest, LinesWithBadTextOrCodesAreSkippedAndTheRestLoads) {
  const std::string good = "02zKzgt*120606中国中國x0a007530001" "1700000000;\n";
  std::string planted = good;
  for (const BadText& bad : kBadTexts) {
    const std::string line = line_of({{"zhong", "guo", "ren"}, bad.text.c_str(), bad.text2.c_str(), {}});
    ASSERT_FALSE(line.empty()) << bad.what;
    planted += line;
  }
  planted += "02z\x1bzgt*120606中国中國x0a007530001" "1700000000;\n";  // an escape in the key
  planted += "02zKz\tt*120606中国中國x0a007530001" "1700000000;\n";   // a tab among the initials
  planted += "02bjbjg2810606北京北京005;\n<END>\n";
  write_file(udb(), planted);
  ASSERT_EQ(ime_udb_open(), 0);
  EXPECT_EQ(held_texts(), (std::multiset<std::string>{"中国", "北京"}));
}

class UserPhraseQueryTest : public UserPhraseTest {
 protected:
  void SetUp() override {
    UserPhraseTest::SetUp();
    ASSERT_EQ(ime_new_conversation(&conversation_), 0);
  }
  void TearDown() override {
    ime_free_conversation(&conversation_);
    UserPhraseTest::TearDown();
  }
  void type(std::vector<const char*> syllables, std::vector<std::uint8_t> tones = {}) {
    for (std::size_t k = 0; k < syllables.size(); ++k) {
      std::snprintf(conversation_->py[k], IME_SYLLABLE_BYTES, "%s", syllables[k]);
      conversation_->tones[k] = k < tones.size() ? tones[k] : 0;
    }
    conversation_->pynum = static_cast<std::uint16_t>(syllables.size() - 1);
  }
  std::multiset<std::string> found(int first, int last) {
    ime_qrdb_reset(conversation_, IME_QRDB_ALL);
    ime_udb_query(conversation_, first, last, IME_LIST_PHRASES);
    std::multiset<std::string> texts;
    for (int i = 0; i < ime_qrdb_count(conversation_, IME_LIST_PHRASES); ++i) {
      ime_qrdb_entry_t* entry = nullptr;
      EXPECT_EQ(ime_qrdb_get_lazy(conversation_, IME_LIST_PHRASES, i, &entry), 0);
      ime_query_result_t record;
      EXPECT_EQ(ime_load_ucz_lazy(entry, &record), 0);
      texts.insert(std::string(reinterpret_cast<char*>(record.hz), record.hlen));
    }
    return texts;
  }

  ime_conversation_t* conversation_ = nullptr;
};

TEST_F(UserPhraseQueryTest, TypedTonesKeepPhrasesWhoseMaskHoldsThemAndUntonedOnes) {
  add({{"zhong", "guo"}, "中国", "中國", {1, 2}});
  add({{"zhong", "guo"}, "种果", "種果", {0, 0}});  // tones not recorded
  add({{"zhong", "guo"}, "中過", "中過", {15, 15}});
  add({{"zhong", "guo"}, "重国", "重國", {8, 2}});
  struct Case {
    std::vector<std::uint8_t> typed;
    std::multiset<std::string> expected;
  } cases[] = {
      {{0, 0}, {"中国", "种果", "中過", "重国"}},
      {{1, 0}, {"中国", "种果", "中過"}},
      {{4, 0}, {"种果", "中過", "重国"}},
      {{1, 3}, {"种果", "中過"}},
      {{3, 0}, {"种果", "中過"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.typed));
    type({"zhong", "guo"}, c.typed);
    EXPECT_EQ(found(0, 1), c.expected);
  }
}

TEST_F(UserPhraseQueryTest, SpansSyllablesAndInitialsDecideWhatIsFound) {
  add(kZhongguo);
  add(kBeijing);
  add({{"zhong", "guo", "ren"}, "中国人", "中國人", {}});

  type({"zhong", "guo", "ren"});
  ime_am_flag = 0;
  EXPECT_EQ(found(0, 2), (std::multiset<std::string>{"中国人", "中国"}));
  EXPECT_EQ(ime_am_flag & 1, 1) << "a phrase covers the whole span";
  EXPECT_EQ(found(1, 2), (std::multiset<std::string>{}));
  EXPECT_EQ(found(0, 0), (std::multiset<std::string>{})) << "one syllable is no phrase";

  type({"zh", "g"});
  EXPECT_EQ(found(0, 1), (std::multiset<std::string>{"中国"}));
  type({"z", "g"});
  EXPECT_EQ(found(0, 1), (std::multiset<std::string>{"中国"})) << "zh is stored with the initial z";
  type({"c", "g"});
  EXPECT_EQ(found(0, 1), (std::multiset<std::string>{}));
  type({"bei", "jin"});
  EXPECT_EQ(found(0, 1), (std::multiset<std::string>{}));
  ime_fuzzy_mode = 1;
  ime_fuzzy_in2ing = 1;
  EXPECT_EQ(found(0, 1), (std::multiset<std::string>{"北京"}));
  ime_fuzzy_mode = 0;
  ime_fuzzy_in2ing = 0;

  // A negative list code only counts.
  type({"zhong", "guo"});
  ime_qrdb_reset(conversation_, IME_QRDB_ALL);
  EXPECT_EQ(ime_udb_query(conversation_, 0, 1, -1), 1);
  EXPECT_EQ(ime_qrdb_count(conversation_, IME_LIST_PHRASES), 0);
}

TEST_F(UserPhraseQueryTest, EntriesRankByTheFrequencyModeAndLoadIntoCandidates) {
  add(kZhongguo);
  type({"zhong", "guo"});
  for (int mode : {0, 1}) {
    ime_freq_mode = mode;
    ime_qrdb_reset(conversation_, IME_QRDB_ALL);
    ASSERT_EQ(ime_udb_query(conversation_, 0, 1, IME_LIST_PHRASES), 1);
    ime_qrdb_entry_t* entry = nullptr;
    ASSERT_EQ(ime_qrdb_get_lazy(conversation_, IME_LIST_PHRASES, 0, &entry), 0);
    EXPECT_EQ(entry->type, IME_RESULT_USER_WORD);
    EXPECT_EQ(entry->freq, 30000);
    EXPECT_EQ(entry->matval, mode == 0 ? 0x0a000000 : 30000);

    ime_query_result_t record;
    ASSERT_EQ(ime_load_ucz_lazy(entry, &record), 0);
    EXPECT_EQ(record.type, IME_RESULT_USER_WORD);
    EXPECT_EQ(record.plen, 2);
    EXPECT_EQ(std::string(record.sm, 2), "zg");
    EXPECT_EQ(record.tone[0], 1);
    EXPECT_EQ(record.tone[1], 2);
    EXPECT_STREQ(reinterpret_cast<char*>(record.thz), "中國");
    EXPECT_EQ(record.lazy, entry);
    EXPECT_EQ(record.matval, static_cast<std::uint32_t>(entry->matval));

    // The candidate removes exactly the phrase it was loaded from.
    if (mode == 1) {
      EXPECT_EQ(ime_udb_remove(&record), 0);
      EXPECT_TRUE(ime_udb_items().empty());
    }
  }
  ime_qrdb_entry_t not_user{};
  not_user.type = IME_RESULT_DICT_WORD;
  ime_query_result_t record;
  EXPECT_EQ(ime_load_ucz_lazy(&not_user, &record), -1);
}

TEST(UserPhraseHelpersTest, CopiesAndTimes) {
  char* copy = mstrdup("abcdef", 3);
  ASSERT_NE(copy, nullptr);
  EXPECT_STREQ(copy, "abc");
  std::free(copy);
  EXPECT_EQ(mstrdup(nullptr, 3), nullptr);
  EXPECT_EQ(mstrdup("abc", 0), nullptr);
  EXPECT_STREQ(ime_gettimeresult({10, 250000}, {12, 500000}), "2.250000");
}

}  // namespace
