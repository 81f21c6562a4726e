#include "candidatewindow/protocol/label_format.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kepcandidate {

namespace {

constexpr std::string_view kDefaultFormat = "%d%@";
constexpr int kMaxWidthDigits = 2;

struct NumberConversion {
  bool left = false;
  bool plus = false;
  bool space = false;
  bool zero = false;
  int width = 0;
  char conversion = 'd';
};

struct Piece {
  enum class Kind { literal, number, text } kind = Kind::literal;
  std::string literal;
  NumberConversion number;
};

std::optional<std::vector<Piece>> parse(std::string_view format) {
  std::vector<Piece> pieces;
  bool seen_number = false;
  bool seen_text = false;
  std::string literal;
  auto flush = [&] {
    if (!literal.empty()) pieces.push_back({Piece::Kind::literal, std::move(literal), {}});
    literal.clear();
  };
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') {
      literal += format[i];
      continue;
    }
    if (++i >= format.size()) return std::nullopt;
    if (format[i] == '%') {
      literal += '%';
      continue;
    }
    if (format[i] == '@') {
      if (!seen_number || seen_text) return std::nullopt;
      seen_text = true;
      flush();
      pieces.push_back({Piece::Kind::text, {}, {}});
      continue;
    }
    NumberConversion wanted;
    for (; i < format.size(); ++i) {
      const char c = format[i];
      if (c == '-') wanted.left = true;
      else if (c == '+') wanted.plus = true;
      else if (c == ' ') wanted.space = true;
      else if (c == '0') wanted.zero = true;
      else if (c != '#') break;  // '#' changes nothing for decimal numbers
    }
    int digits = 0;
    for (; i < format.size() && format[i] >= '0' && format[i] <= '9'; ++i) {
      if (++digits > kMaxWidthDigits) return std::nullopt;
      wanted.width = wanted.width * 10 + (format[i] - '0');
    }
    if (i >= format.size()) return std::nullopt;
    const char conversion = format[i];
    if (conversion != 'd' && conversion != 'i' && conversion != 'u') return std::nullopt;
    if (seen_number) return std::nullopt;
    seen_number = true;
    wanted.conversion = conversion;
    flush();
    pieces.push_back({Piece::Kind::number, {}, wanted});
  }
  if (!seen_number || !seen_text) return std::nullopt;
  flush();
  return pieces;
}

std::string render_number(const NumberConversion& wanted, int number) {
  std::string sign;
  std::string digits;
  if (wanted.conversion == 'u') {
    // As the C library reads an int through %u.
    digits = std::to_string(static_cast<std::uint32_t>(number));
  } else {
    const std::int64_t wide = number;
    digits = std::to_string(wide < 0 ? -wide : wide);
    if (wide < 0) sign = "-";
    else if (wanted.plus) sign = "+";
    else if (wanted.space) sign = " ";
  }
  const std::size_t used = sign.size() + digits.size();
  const std::size_t width = static_cast<std::size_t>(wanted.width);
  if (used >= width) return sign + digits;
  const std::string padding(width - used, ' ');
  if (wanted.left) return sign + digits + padding;
  if (wanted.zero) return sign + std::string(width - used, '0') + digits;
  return padding + sign + digits;
}

}  // namespace

bool isLabelFormat(std::string_view format) { return parse(format).has_value(); }

std::string formatLabel(std::string_view format, int number, std::string_view text) {
  auto pieces = parse(format);
  if (!pieces) pieces = parse(kDefaultFormat);
  std::string label;
  for (const Piece& piece : *pieces) {
    switch (piece.kind) {
      case Piece::Kind::literal: label += piece.literal; break;
      case Piece::Kind::number: label += render_number(piece.number, number); break;
      case Piece::Kind::text: label += text; break;
    }
  }
  return label;
}

}  // namespace kepcandidate
