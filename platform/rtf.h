// The plain text of an RTF document, for showing a bundled credits or notes file in a text
// view: paragraphs and line breaks become "\n", tabs "\t", \'hh escapes are read in the
// document's code page (\ansicpg; Windows-1252 when none is given), \uN characters as Unicode
// (their fallback characters skipped); font, colour and style tables, pictures and other
// destinations (\*) are left out.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// nullopt when the text is not RTF: it must begin with "{\rtf", its groups must balance and
// close at its end (trailing blanks allowed), and groups may nest at most 256 deep. The result
// is UTF-8.
std::optional<std::string> rtf_plain_text(std::string_view rtf);

}  // namespace platform
