// Code points to UTF-8 and back, for the characters the sources name as "U+XXXX".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace datasources {

std::string utf8_of(char32_t code_point);
// The code points of a valid UTF-8 text; nullopt for invalid text.
std::optional<std::vector<char32_t>> code_points_of(std::string_view utf8);
// The characters of a valid UTF-8 text, each as its UTF-8 string; nullopt for invalid text.
std::optional<std::vector<std::string>> characters_of(std::string_view utf8);
// "U+4E2D" -> 0x4E2D; nullopt when the text is not of that form.
std::optional<char32_t> parse_code_point(std::string_view text);

}  // namespace datasources
