// The automatic spelling corrections applied to typed letters before they are split: common
// slips such as "gn" for "ng" or the textbook spelling "iou" for "iu". The output is as long as
// the input, so each normalized letter stays aligned with the key the user typed; a dropped
// letter leaves the marker IME_PY_DROPPED_MARK in its place, and IME_PY_NG_MARK stands for
// an "ng" written in one position.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

inline constexpr char IME_PY_DROPPED_MARK = '?';
inline constexpr char IME_PY_NG_MARK = '^';

// Settings EnableAutoCorrect and its seven pairs, set by the configuration reload. The pairs
// count only while ime_auto_mode is on.
extern int ime_auto_mode;
extern int ime_auto_gn2ng;
extern int ime_auto_mg2ng;
extern int ime_auto_iou2iu;
extern int ime_auto_uei2ui;
extern int ime_auto_uen2un;
extern int ime_auto_ion2iong;
extern int ime_auto_ve2ue;

// Which corrections apply; all off is a plain copy.
struct QAAutoCorrections {
  bool gn2ng = false;
  bool mg2ng = false;
  bool iou2iu = false;
  bool uei2ui = false;
  bool uen2un = false;
  bool ion2iong = false;
  bool ve2ue = false;
};

// The corrections the settings switch on (none while ime_auto_mode is off).
QAAutoCorrections ime_auto_corrections_from_settings();
// Every correction on, as EnableAutoCorrect with its pairs at their defaults.
QAAutoCorrections ime_all_auto_corrections();

// The corrected letters, as long as `letters`.
std::string ime_apply_auto_corrections(std::string_view letters, const QAAutoCorrections& corrections);

// The settings' corrections over `n` letters into `out`, which holds n + 1 bytes (the result
// is NUL-terminated).
void PreprocessAutoMode(const char* in, std::size_t n, char* out);
