// Context classes of fixed items: the context-word libraries are indexed by the classes of the
// two fixed items that frame a gap, one letter per class of marks.
#pragma once

namespace sentence {

// Class of the sentence start.
inline constexpr char kStartClass = 'z';
// A class text: one letter, or the character itself (at most two bytes) and a terminator.
inline constexpr int kClassTextSize = 3;

// Writes the class of `character` (one byte, or two when the first has the high bit set): its
// class letter, or the character's own text when it belongs to no class.
void MakeDot(const char* character, char* out);

// The two-letter context of a gap between classes `left` and `right`; 1, or 0 when either class
// is no class letter (such a gap has no context words).
int ContextOfClasses(const char* left, const char* right, char* context);

}  // namespace sentence
