#include "type_document.h"

#include <gtest/gtest.h>

namespace kep_type {
namespace {

using platform::imk::kNotFound32;
using platform::imk::kNotFound64;
using platform::imk::Range;

TEST(TypeDocumentTest, InsertsAtTheCaretAndEndsTheComposition) {
  TypeDocument document(64);
  document.set_marked_text("ni'hao", {6, 0}, {kNotFound64, kNotFound64}, {});
  EXPECT_EQ(document.marked(), "ni'hao");
  document.insert_text("你好", {kNotFound64, 0});
  EXPECT_EQ(document.text(), "你好");
  EXPECT_EQ(document.marked(), "");
  EXPECT_EQ(document.selected_range(), (Range{2, 0}));
}

TEST(TypeDocumentTest, NotFoundFollowsTheWordWidth) {
  // A 32-bit client's "not found" is 0x7FFFFFFF; a 64-bit location of that value is real.
  TypeDocument narrow(32);
  narrow.insert_text("ab", {kNotFound32, 0});
  narrow.insert_text("c", {kNotFound32, 0});
  EXPECT_EQ(narrow.text(), "abc");
  TypeDocument wide(64);
  wide.insert_text("ab", {kNotFound64, 0});
  wide.insert_text("c", {kNotFound32, 0});  // past the end: not applied as a replacement
  EXPECT_EQ(wide.text(), "abc");
}

TEST(TypeDocumentTest, MarkedTextReplacementMovesTheCaretBetweenBrackets) {
  // The bracket pairing: after "《》" the caret is put back before the closing bracket.
  TypeDocument document(64);
  document.insert_text("《》", {kNotFound64, 0});
  document.set_marked_text(" ", {kNotFound64, 0}, {1, 0}, {});
  document.set_marked_text("", {kNotFound64, 0}, {kNotFound64, 0}, {});
  EXPECT_EQ(document.text(), "《》");
  EXPECT_EQ(document.selected_range(), (Range{1, 0}));
  document.insert_text("书", {kNotFound64, 0});
  EXPECT_EQ(document.text(), "《书》");
}

TEST(TypeDocumentTest, CountsUtf16UnitsForQueries) {
  TypeDocument document(64);
  document.insert_text("a😀中b", {kNotFound64, 0});  // the emoji is two UTF-16 units
  EXPECT_EQ(document.selected_range(), (Range{5, 0}));
  EXPECT_EQ(document.substring({1, 2}), "😀");
  EXPECT_EQ(document.substring({3, 1}), "中");
  EXPECT_EQ(document.substring({2, 1}), std::nullopt);  // inside the emoji
  EXPECT_EQ(document.substring({4, 5}), std::nullopt);  // past the end
}

TEST(TypeDocumentTest, EditsWithKeysTheInputMethodLeftAlone) {
  TypeDocument document(64);
  document.apply_key("", "a");
  document.apply_key("", "中");
  document.apply_key("space", "");
  EXPECT_EQ(document.text(), "a中 ");
  document.apply_key("bs", "");
  document.apply_key("bs", "");
  EXPECT_EQ(document.text(), "a");
  document.apply_key("left", "");
  document.apply_key("", "b");
  EXPECT_EQ(document.text(), "ba");
  EXPECT_FALSE(document.apply_key("f5", ""));
  EXPECT_EQ(document.take_line(), "ba");
  EXPECT_EQ(document.text(), "");
  EXPECT_EQ(document.caret(), 0u);
}

}  // namespace
}  // namespace kep_type
