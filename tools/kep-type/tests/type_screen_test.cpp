// The document line draws the marked text the way the input method asked for it.
#include "type_screen.h"

#include <gtest/gtest.h>

namespace kep_type {
namespace {

using platform::imk::kNotFound64;
using platform::imk::MarkedTextStyle;
using platform::imk::Underline;

std::string drawn_line(Underline underline) {
  TypeDocument document(64);
  document.insert_text("我", {kNotFound64, 0});
  document.set_marked_text("ni'hao", {2, 0}, {kNotFound64, kNotFound64},
                           MarkedTextStyle{underline});
  CandidateStrip strip;
  ScreenState state;
  state.document = &document;
  state.strip = &strip;
  TypeScreen screen;
  const std::string block = screen.draw(state, 80);
  return block.substr(0, block.find("\r\n"));
}

TEST(TypeScreenTest, TheMarkedTextIsUnderlinedAsTheInputMethodAsked) {
  struct Case {
    Underline underline;
    const char* line;
  };
  const Case cases[] = {
      {Underline::Single, "> 我\x1b[4mni\x1b[24m|\x1b[4m'hao\x1b[24m"},
      {Underline::Thick, "> 我\x1b[1;4mni\x1b[22;24m|\x1b[1;4m'hao\x1b[22;24m"},
      {Underline::None, "> 我ni|'hao"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.underline));
    EXPECT_EQ(drawn_line(c.underline), c.line);
  }
}

}  // namespace
}  // namespace kep_type
