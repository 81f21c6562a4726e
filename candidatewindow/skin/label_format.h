// A candidate's label from the configured format: a number conversion, later the candidate's text.
#pragma once

#include <string>
#include <string_view>

namespace kepskin {

// The format has exactly one number conversion — '%', flags from "-+ 0#", at most two width
// digits, then 'd', 'i' or 'u' — followed somewhere later by exactly one "%@" for the text.
// "%%" stands for '%' anywhere. Anything else (precision, length modifiers, other conversions,
// a second conversion, the text first, a lone '%') makes the whole format "%d%@". The text is
// inserted as it is, never read as a format.
std::string format_label(std::string_view format, int number, std::string_view text);

}  // namespace kepskin
