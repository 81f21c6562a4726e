// Plain text out of small RTF documents: what shows, what is left out, how characters outside
// ASCII are read, and which inputs are refused.
#include "platform/rtf.h"

#include <gtest/gtest.h>

#include <string>

namespace platform {
namespace {

struct Case {
  const char* rtf;
  const char* text;
};

TEST(RtfTest, DocumentsGiveTheirText) {
  const Case cases[] = {
      {"{\\rtf1\\ansi Hello}", "Hello"},
      {"{\\rtf1 a\\par b\\line c\\tab d}", "a\nb\nc\td"},
      {"{\\rtf1 a\r\nb\\\nc}", "ab\nc"},
      {"{\\rtf1\\fi-360\\li720  b}", " b"},
      {"{\\rtf1{\\b bold} and {\\i italic}}", "bold and italic"},
      {"{\\rtf1 a}\r\n  \t", "a"},
      // Tables, document information and destinations are left out.
      {"{\\rtf1{\\fonttbl{\\f0\\fswiss Helvetica;}}{\\colortbl;\\red255\\green0\\blue0;}"
       "{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}{\\author A}}{\\*\\generator Writer;}\\f0 Text}",
       "Text"},
      {"{\\rtf1{\\*\\expandedcolortbl;;}{\\*\\unknown secret}shown}", "shown"},
      {"{\\rtf1{\\listtable{\\list x}}{\\listoverridetable{\\listoverride y}}z}", "z"},
      {"{\\rtf1{\\header H}{\\footerl F}body}", "body"},
      {"{\\rtf1\\headery720 body}", "body"},
      {"{\\rtf1{\\field{\\*\\fldinst{HYPERLINK \"https://x.example\"}}{\\fldrslt link}}}", "link"},
      // Raw picture bytes may hold braces and backslashes.
      {"{\\rtf1 a{\\pict\\bin3 }{\\}b}", "ab"},
      // Control symbols.
      {"{\\rtf1 a\\~b\\-c\\_d\\\\e\\{f\\}}", "a\u00A0bc\u2011d\\e{f}"},
      {"{\\rtf1\\ldblquote x\\rdblquote\\bullet\\emdash}", "\u201Cx\u201D\u2022\u2014"},
      // Code page bytes: Windows-1252 unless the document says otherwise.
      {"{\\rtf1\\ansi caf\\'e9\\'93q\\'94 \\'80}", "caf\u00E9\u201Cq\u201D \u20AC"},
      {"{\\rtf1\\ansi\\ansicpg936 \\'d6\\'d0\\'ce\\'c4}", "\u4E2D\u6587"},
      {"{\\rtf1 \\'81x}", "\uFFFDx"},
      {"{\\rtf1\\ansicpg936 \\'d6}", "\uFFFD"},
      {"{\\rtf1\\ansicpg99999 \\'e9}", "\uFFFD"},
      // Unicode characters and their fallbacks.
      {"{\\rtf1 \\u20013?\\u25991?}", "\u4E2D\u6587"},
      {"{\\rtf1 \\u-255?}", "\uFF01"},
      {"{\\rtf1\\ansicpg936\\uc2 \\u20013\\'d6\\'d0\\u25991\\'ce\\'c4}", "\u4E2D\u6587"},
      {"{\\rtf1\\uc0\\u20013 a}", "\u4E2Da"},
      {"{\\rtf1{\\uc2\\u20013 ab}\\u25991 cd}", "\u4E2D\u6587d"},
      {"{\\rtf1\\uc3\\u20013{x}}", "\u4E2Dx"},
      {"{\\rtf1\\u-10179?\\u-8694?}", "\U0001F60A"},
      {"{\\rtf1\\u-10179?x}", "\uFFFDx"},
  };
  for (const Case& c : cases) {
    const auto text = rtf_plain_text(c.rtf);
    ASSERT_TRUE(text) << c.rtf;
    EXPECT_EQ(*text, c.text) << c.rtf;
  }
}

TEST(RtfTest, WhatIsNotWellFormedRtfIsRefused) {
  const char* cases[] = {
      "",
      "plain text",
      " {\\rtf1 a}",
      "{\\rt a}",
      "{\\rtf1 a",
      "{\\rtf1 a}}",
      "{\\rtf1 a}b",
      "{\\rtf1 a}{}",
      "{\\rtf1 \\'zz}",
      "{\\rtf1 \\'e",
      "{\\rtf1 a\\",
      "{\\rtf1 \\bin99 ab}",
      "{\\rtf1 \\abcdefghijklmnopqrstuvwxyzabcdefghijkl b}",
      "{\\rtf1 \\fs12345678901 b}",
  };
  for (const char* rtf : cases) EXPECT_FALSE(rtf_plain_text(rtf)) << rtf;
}

TEST(RtfTest, GroupsNestAtMost256Deep) {
  auto nested = [](int depth) {
    return "{\\rtf1" + std::string(depth - 1, '{') + "x" + std::string(depth, '}');
  };
  EXPECT_EQ(rtf_plain_text(nested(256)), "x");
  EXPECT_FALSE(rtf_plain_text(nested(257)));
  EXPECT_FALSE(rtf_plain_text(nested(100000)));
}

}  // namespace
}  // namespace platform
