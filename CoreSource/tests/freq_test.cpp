#include "base/freq.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/counterfile.h"
#include "engine_test_support.h"

using namespace engine_test;

namespace {

constexpr std::uint32_t counter(std::uint32_t klass, std::uint32_t count, bool bit31 = false) {
  return (bit31 ? 0x80000000u : 0u) | (klass << 24) | count;
}

class FreqTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_mode_ = ime_freq_mode;
    saved_val_ = ime_hzfreq_val;
  }
  void TearDown() override {
    ime_freq_mode = saved_mode_;
    ime_hzfreq_val = saved_val_;
  }
  ScratchHome home_;
  int saved_mode_ = 0;
  int saved_val_ = 0;
};

TEST_F(FreqTest, CreatesKeepsAndRecreates) {
  const fs::path file = home_.data_folder() / "sys.freq";
  struct Case {
    const char* label;
    std::optional<std::size_t> existing;
    int recreate;
    bool kept;
  };
  const Case cases[] = {
      {"missing", std::nullopt, 0, false},
      {"right size", 4000, 0, true},
      {"one row short", 3996, 0, false},
      {"one row long", 4004, 0, false},
      {"recreate asked", 4000, 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    fs::remove(file);
    if (c.existing) write_file(file, std::string(*c.existing, '\x01'));
    QAFreq* freq = QAFreqOpen("sys", 1000, c.recreate);
    ASSERT_NE(freq, nullptr);
    EXPECT_EQ(freq->rows, 1000);
    EXPECT_EQ(freq->length, 4000);
    EXPECT_EQ(QAFreqGetValue(freq, 999), c.kept ? 0x01010101u : 0u);
    QAFreqClose(freq);
    std::string contents = read_file(file);
    EXPECT_EQ(contents.size(), 4000u);
    EXPECT_EQ(contents.find_first_not_of(c.kept ? '\x01' : '\0'), std::string::npos);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(home_.data_folder())) {
      names.push_back(entry.path().filename());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{IME_COUNTER_LOCK_NAME, "sys.freq"}));
  }
}

TEST_F(FreqTest, CountersPersistThroughTheMapping) {
  ime_freq_mode = 0;
  const fs::path absolute = home_.home() / "elsewhere.freq";
  QAFreq* freq = QAFreqOpen(absolute.c_str(), 4, 0);
  ASSERT_NE(freq, nullptr);
  QAFreqSetValue(freq, 2, 5);
  QAFreqIncreaseValue(freq, 3);
  QAFreqClose(freq);

  freq = QAFreqOpen(absolute.c_str(), 4, 0);
  ASSERT_NE(freq, nullptr);
  EXPECT_EQ(QAFreqGetValue(freq, 2), counter(5, 0));
  EXPECT_EQ(QAFreqGetValue(freq, 3), counter(1, 0));
  QAFreqClose(freq);
  EXPECT_FALSE(fs::exists(home_.data_folder() / (absolute.string() + ".freq")));
}

TEST_F(FreqTest, RefusesWhatCannotBeAFrequencyFile) {
  LogCapture log;
  EXPECT_EQ(QAFreqOpen("x", 0, 0), nullptr);
  EXPECT_EQ(QAFreqOpen("x", -3, 0), nullptr);
  EXPECT_EQ(QAFreqOpen("", 4, 0), nullptr);
  EXPECT_EQ(QAFreqOpen("no/such/folder/x", 4, 0), nullptr);
  ASSERT_EQ(LogCapture::lines().size(), 1u);
  EXPECT_NE(LogCapture::lines()[0].find("create file"), std::string::npos);
  QAFreqClose(nullptr);
  EXPECT_EQ(QAFreqGetValue(nullptr, 0), 0u);
}

enum class Op { Increase, Decrease, Set };

struct CounterCase {
  const char* label;
  int mode;
  Op op;
  std::uint32_t before;
  std::uint32_t argument;  // set: the value; decrease: ime_hzfreq_val
  std::uint32_t after;
};

const CounterCase kCounterCases[] = {
    {"class rises", 0, Op::Increase, counter(3, 5), 0, counter(4, 5)},
    {"class saturates at 127", 0, Op::Increase, counter(127, 5), 0, counter(127, 5)},
    {"class rise keeps bit 31", 0, Op::Increase, counter(1, 5, true), 0, counter(2, 5, true)},
    {"class falls to the ceiling", 0, Op::Decrease, counter(5, 16), 2, counter(2, 16)},
    {"class falls by one near the ceiling", 0, Op::Decrease, counter(4, 16), 2, counter(3, 16)},
    {"class 12 over ceiling 9", 0, Op::Decrease, counter(12, 1), 9, counter(9, 1)},
    {"class 11 with ceiling 9", 0, Op::Decrease, counter(11, 1), 9, counter(10, 1)},
    {"class 0 stays", 0, Op::Decrease, counter(0, 16), 9, counter(0, 16)},
    {"class set masks to 7 bits", 0, Op::Set, counter(3, 16), 0x1FF, counter(127, 16)},
    {"count rises", 1, Op::Increase, counter(2, 5), 0, counter(2, 6)},
    {"count saturates, class kept", 1, Op::Increase, counter(2, 0xFFFFFF), 0,
     counter(2, 0xFFFFFF)},
    {"count rise clears bit 31", 1, Op::Increase, counter(2, 5, true), 0, counter(2, 6)},
    {"count 13 falls to 0", 1, Op::Decrease, counter(2, 13), 9, counter(2, 0)},
    {"count 100 falls to 70", 1, Op::Decrease, counter(2, 100), 9, counter(2, 70)},
    {"count 15 falls to 10", 1, Op::Decrease, counter(2, 15), 9, counter(2, 10)},
    {"count 0 stays", 1, Op::Decrease, counter(2, 0), 9, counter(2, 0)},
    {"count set masks to 24 bits", 1, Op::Set, counter(2, 7), 0x1234567, counter(2, 0x234567)},
};

TEST_F(FreqTest, CounterUpdatesInBothModes) {
  QAFreq* freq = QAFreqOpen("rules", 2, 1);
  ASSERT_NE(freq, nullptr);
  for (const CounterCase& c : kCounterCases) {
    SCOPED_TRACE(c.label);
    ime_freq_mode = c.mode;
    freq->address[1] = c.before;
    switch (c.op) {
      case Op::Increase:
        QAFreqIncreaseValue(freq, 1);
        EXPECT_EQ(ime_freq_increased(c.before, c.mode), c.after);
        break;
      case Op::Decrease:
        ime_hzfreq_val = static_cast<int>(c.argument);
        QAFreqDecreaseValue(freq, 1);
        EXPECT_EQ(ime_freq_decreased(c.before, c.mode, ime_hzfreq_val), c.after);
        break;
      case Op::Set:
        QAFreqSetValue(freq, 1, c.argument);
        EXPECT_EQ(ime_freq_set(c.before, c.argument, c.mode), c.after);
        break;
    }
    EXPECT_EQ(QAFreqGetValue(freq, 1), c.after);
    EXPECT_EQ(freq->address[0], 0u);
  }
  QAFreqClose(freq);
}

TEST_F(FreqTest, RowsOutsideTheFileAreIgnored) {
  QAFreq* freq = QAFreqOpen("bounds", 3, 1);
  ASSERT_NE(freq, nullptr);
  for (int row : {3, 4, 1000000, -1}) {
    QAFreqSetValue(freq, row, 9);
    QAFreqIncreaseValue(freq, row);
    QAFreqDecreaseValue(freq, row);
    EXPECT_EQ(QAFreqGetValue(freq, row), 0u) << row;
  }
  for (int row = 0; row < 3; ++row) EXPECT_EQ(QAFreqGetValue(freq, row), 0u);
  QAFreqClose(freq);
  EXPECT_EQ(fs::file_size(home_.data_folder() / "bounds.freq"), 12u);
}

}  // namespace
