#include "base/codec.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>

namespace {

std::array<unsigned char, 256> all_bytes() {
  std::array<unsigned char, 256> bytes{};
  for (int i = 0; i < 256; ++i) bytes[i] = static_cast<unsigned char>(i);
  return bytes;
}

TEST(CodecTest, EncodingThenDecodingGivesEveryByteBack) {
  auto bytes = all_bytes();
  ime_encode_str(bytes.data(), bytes.size());
  EXPECT_NE(bytes, all_bytes()) << "the substitution moves nothing";
  ime_decode_str(bytes.data(), bytes.size());
  EXPECT_EQ(bytes, all_bytes());
}

TEST(CodecTest, EachDirectionIsAPermutationAndTheOtherIsItsInverse) {
  std::set<int> encoded, decoded;
  for (int b = 0; b < 256; ++b) {
    auto byte = static_cast<unsigned char>(b);
    encoded.insert(getnew1(byte));
    decoded.insert(getnew0(byte));
    EXPECT_EQ(getnew0(getnew1(byte)), byte);
    EXPECT_EQ(getnew1(getnew0(byte)), byte);
  }
  EXPECT_EQ(encoded.size(), 256u);
  EXPECT_EQ(decoded.size(), 256u);
}

TEST(CodecTest, FieldsDecodeOnTheirOwn) {
  // Records are encoded whole but decoded field by field, so the codec must work bytewise.
  std::string record = "zg\x01\x02" "abc";
  std::string encoded = record;
  ime_encode_str(encoded.data(), encoded.size());
  std::string second_field = encoded.substr(4);
  ime_decode_str(second_field.data(), second_field.size());
  EXPECT_EQ(second_field, "abc");
}

TEST(CodecTest, EmptyFieldsAndTheDirectionSwitch) {
  unsigned char untouched = 'x';
  ime_decode_str(&untouched, 0);
  ime_encode_str(nullptr, 0);
  EXPECT_EQ(untouched, 'x');

  auto bytes = all_bytes();
  ime_enc_dec_str(bytes.data(), bytes.size(), 1);
  for (int b = 0; b < 256; ++b) EXPECT_EQ(bytes[b], getnew1(static_cast<unsigned char>(b)));
  ime_enc_dec_str(bytes.data(), bytes.size(), 0);
  EXPECT_EQ(bytes, all_bytes());
  ime_enc_dec_str(bytes.data(), bytes.size(), 7);
  EXPECT_EQ(bytes, all_bytes());
}

}  // namespace
