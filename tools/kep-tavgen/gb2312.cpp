#include "gb2312.h"

#include "platform/text.h"
#include "tools/datasources/readers/utf8.h"

namespace tavgen {

bool is_gb2312_hanzi(GbkChar code) {
  const unsigned lead = code >> 8;
  const unsigned trail = code & 0xFF;
  if (lead < 0xB0 || lead > 0xF7 || trail < 0xA1 || trail > 0xFE) return false;
  return !(lead == 0xD7 && trail > 0xF9);
}

int gb2312_sequence(GbkChar code) {
  if (!is_gb2312_hanzi(code)) return 0;
  const int v = (code & 0xFF) + 94 * (code >> 8);
  return v < 20460 ? v - 16704 : v - 16709;
}

std::optional<GbkChar> gb2312_of_utf8(std::string_view utf8_character) {
  std::optional<std::string> gbk = platform::text::from_utf8(utf8_character, platform::text::Encoding::Gbk);
  if (!gbk || gbk->size() != 2) return std::nullopt;
  const GbkChar code = static_cast<GbkChar>((static_cast<unsigned char>((*gbk)[0]) << 8) |
                                            static_cast<unsigned char>((*gbk)[1]));
  if (!is_gb2312_hanzi(code)) return std::nullopt;
  return code;
}

std::optional<std::vector<GbkChar>> gb2312_text(std::string_view utf8) {
  std::optional<std::vector<std::string>> characters = datasources::characters_of(utf8);
  if (!characters) return std::nullopt;
  std::vector<GbkChar> codes;
  codes.reserve(characters->size());
  for (const std::string& character : *characters) {
    std::optional<GbkChar> code = gb2312_of_utf8(character);
    if (!code) return std::nullopt;
    codes.push_back(*code);
  }
  return codes;
}

std::optional<std::vector<GbkChar>> Gb2312Cache::text(std::string_view utf8) {
  std::optional<std::vector<std::string>> characters = datasources::characters_of(utf8);
  if (!characters) return std::nullopt;
  std::vector<GbkChar> codes;
  codes.reserve(characters->size());
  for (const std::string& character : *characters) {
    std::optional<GbkChar> code = (*this)(character);
    if (!code) return std::nullopt;
    codes.push_back(*code);
  }
  return codes;
}

void append_gbk(GbkChar code, std::string* out) {
  out->push_back(static_cast<char>(code >> 8));
  out->push_back(static_cast<char>(code & 0xFF));
}

std::string gbk_bytes(const std::vector<GbkChar>& codes) {
  std::string out;
  out.reserve(codes.size() * 2);
  for (GbkChar code : codes) append_gbk(code, &out);
  return out;
}

}  // namespace tavgen
