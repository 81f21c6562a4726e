#include "base/codec.h"

#include <array>
#include <cstdint>

namespace {

using ByteTable = std::array<unsigned char, 256>;

// The encoding is the affine map b -> 167 * b + 89 (mod 256). An odd factor makes it a
// permutation of all 256 values, and building both tables from one rule keeps them inverse
// by construction rather than by hand-typed data.
constexpr unsigned kFactor = 167;
constexpr unsigned kOffset = 89;

constexpr ByteTable make_encoding_table() {
  ByteTable table{};
  for (unsigned b = 0; b < 256; ++b) table[b] = static_cast<unsigned char>((kFactor * b + kOffset) & 0xFF);
  return table;
}

constexpr ByteTable make_decoding_table(const ByteTable& encoding) {
  ByteTable table{};
  for (unsigned b = 0; b < 256; ++b) table[encoding[b]] = static_cast<unsigned char>(b);
  return table;
}

constexpr ByteTable kEncode = make_encoding_table();
constexpr ByteTable kDecode = make_decoding_table(kEncode);

constexpr bool tables_are_inverse() {
  for (unsigned b = 0; b < 256; ++b) {
    if (kDecode[kEncode[b]] != b || kEncode[kDecode[b]] != b) return false;
  }
  return true;
}
static_assert(tables_are_inverse(), "the record codec must be reversible");

void substitute(void* buffer, std::size_t length, const ByteTable& table) {
  if (buffer == nullptr) return;
  auto* bytes = static_cast<unsigned char*>(buffer);
  for (std::size_t i = 0; i < length; ++i) bytes[i] = table[bytes[i]];
}

}  // namespace

void ime_decode_str(void* buffer, std::size_t length) { substitute(buffer, length, kDecode); }

void ime_encode_str(void* buffer, std::size_t length) { substitute(buffer, length, kEncode); }

unsigned char getnew0(unsigned char byte) { return kDecode[byte]; }

unsigned char getnew1(unsigned char byte) { return kEncode[byte]; }

void ime_enc_dec_str(void* buffer, std::size_t count, int direction) {
  if (direction == 0) ime_decode_str(buffer, count);
  else if (direction == 1) ime_encode_str(buffer, count);
}
