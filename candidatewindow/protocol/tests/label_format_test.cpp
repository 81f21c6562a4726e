#include "candidatewindow/protocol/label_format.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

using kepcandidate::formatLabel;

TEST(LabelFormatTest, AcceptedFormats) {
  const struct {
    const char* format;
    int number;
    const char* expected;
  } cases[] = {
      {"%d%@", 1, "1候选"},
      {"%d.%@", 2, "2.候选"},
      {"[%i] %@ ", 3, "[3] 候选 "},
      {"%u:%@", 4, "4:候选"},
      {"%2d|%@", 5, " 5|候选"},
      {"%-3d%@", 6, "6  候选"},
      {"%03d%@", 7, "007候选"},
      {"%-03d%@", 7, "7  候选"},  // '-' wins over '0'
      {"%+d%@", 8, "+8候选"},
      {"% d%@", 9, " 9候选"},
      {"%#d%@", 9, "9候选"},
      {"%1d%@", 12, "12候选"},  // width smaller than the number
      {"%99d%@", 1, nullptr},   // checked by length below
      {"%%%d%%%@%%", 1, "%1%候选%"},
      {"%04d%@", -5, "-005候选"},
      {"%+d%@", -5, "-5候选"},
      {"%d%@", INT_MIN, "-2147483648候选"},
      {"%u%@", -1, "4294967295候选"},
  };
  for (const auto& item : cases) {
    const std::string label = formatLabel(item.format, item.number, "候选");
    if (item.expected) {
      EXPECT_EQ(label, item.expected) << item.format;
    } else {
      EXPECT_EQ(label, std::string(98, ' ') + "1候选") << item.format;
    }
  }
}

TEST(LabelFormatTest, RejectedFormatsFallBackToNumberThenText) {
  const char* rejected[] = {
      "",          "plain",      "%d",        "%@",        "%@%d",      "%d%d%@",    "%d%@%@",
      "%d%@%d",    "%s%@",       "%n%@",      "%d%s",      "%x%@",      "%ld%@",     "%5.2d%@",
      "%d%@%",     "%d %@ 100%", "%123d%@",   "%d%",       "%",         "%d%@%n",    "%*d%@",
  };
  for (const char* format : rejected) {
    EXPECT_EQ(formatLabel(format, 3, "ab"), "3ab") << format;
  }
}

TEST(LabelFormatTest, TextIsNeverReadAsAFormat) {
  EXPECT_EQ(formatLabel("%d %@", 2, "%s%n%d%@"), "2 %s%n%d%@");
  EXPECT_EQ(formatLabel("%d%@", 1, std::string_view("a\0b", 3)), std::string("1a\0b", 4));
}

}  // namespace
