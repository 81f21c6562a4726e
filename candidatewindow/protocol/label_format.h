// A candidate's label from the configured format (FORMAT_STRING of message 100): a number
// conversion, later the candidate's text. The window takes a format only when the formatter does.
#pragma once

#include <string>
#include <string_view>

namespace kepcandidate {

// The format has exactly one number conversion — '%', flags from "-+ 0#", at most two width
// digits, then 'd', 'i' or 'u' — followed somewhere later by exactly one "%@" for the text.
// "%%" stands for '%' anywhere. Anything else (precision, length modifiers, other conversions,
// a second conversion, the text first, a lone '%') is refused.
bool isLabelFormat(std::string_view format);

// The label of candidate `number`; a refused format formats as "%d%@". The text is inserted as
// it is, never read as a format.
std::string formatLabel(std::string_view format, int number, std::string_view text);

}  // namespace kepskin
