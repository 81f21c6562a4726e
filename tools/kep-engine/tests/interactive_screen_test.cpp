// The interactive driver's redraw after a long session: a key must cost the same whatever was
// committed before, so drawing may read only the end of the line it shows.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <string_view>

#include "interactive_screen.h"

namespace {

// A committed line of `unit` repeated, whose first `unreadable_pages` pages cannot be read:
// touching them ends the process.
class GuardedLine {
 public:
  GuardedLine(std::size_t unreadable_pages, std::string_view unit) {
    const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    size_ = (unreadable_pages + 1) * page;
    void* memory = ::mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) return;
    base_ = static_cast<char*>(memory);
    const std::size_t start = size_ % unit.size();  // the line ends on a whole unit
    for (std::size_t at = start; at < size_; at += unit.size()) {
      std::memcpy(base_ + at, unit.data(), unit.size());
    }
    line_ = std::string_view(base_ + start, size_ - start);
    ::mprotect(base_, unreadable_pages * page, PROT_NONE);
  }
  ~GuardedLine() {
    if (base_) ::munmap(base_, size_);
  }
  std::string_view line() const { return line_; }

 private:
  char* base_ = nullptr;
  std::size_t size_ = 0;
  std::string_view line_;
};

std::string repeated(std::string_view unit, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += unit;
  return text;
}

TEST(InteractiveScreenTest, RedrawReadsOnlyTheShownEndOfALongLine) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // 80 columns leave 73 for the text: eighteen units of four columns and the "b" before them.
  const std::string shown = "text: b" + repeated("发ab", 18) + "\r\n";
  std::string first_block;
  for (std::size_t unreadable_pages : {1u, 256u}) {
    GuardedLine guarded(unreadable_pages, "发ab");
    ASSERT_FALSE(guarded.line().empty());
    ASSERT_EXIT(
        {
          kep_terminal::Screen screen;
          screen.draw(guarded.line(), {}, 80);
          std::exit(0);
        },
        ::testing::ExitedWithCode(0), "")
        << unreadable_pages << " pages before the shown end were read";

    kep_terminal::Screen screen;
    const std::string block = screen.draw(guarded.line(), {}, 80);
    EXPECT_EQ(block.substr(0, block.find('\n') + 1), shown);
    if (first_block.empty()) first_block = block;
    EXPECT_EQ(block, first_block) << "the bytes written depend on the length of the line";
    const std::string redrawn = screen.draw(guarded.line(), {}, 80);
    EXPECT_TRUE(redrawn.starts_with("\r\x1b[2A\x1b[J"));
    EXPECT_LT(redrawn.size(), 200u);
  }
}

}  // namespace
