#include <gtest/gtest.h>

#include <string>

#include "sentenceparser/core/line_scramble.h"
#include "sentenceparser/core/reading_library_layout.h"
#include "tavgen_fixture.h"
#include "tools/kep-tavgen/character_readings_writer.h"

namespace tavgen {
namespace {

using testing::gb;
using testing::gb2312_by_sequence;

// What a reader finds for a character: its record undone, the '0' padding cut.
std::string reading_in(const std::string& bytes, GbkChar character) {
  const std::size_t at = (gb2312_sequence(character) - 1) * sentence::kCharacterReadingBytes;
  std::string record = bytes.substr(at, sentence::kCharacterReadingBytes);
  sentence::decodeline(record.data());
  return record.substr(0, record.find('0'));
}

TEST(CharacterReadingsTest, EveryHanziGetsTheHeaviestOfItsReadings) {
  CharacterWeights weights;
  weights.add("hang", gb("行"), 300);
  weights.add("xing", gb("行"), 900);
  weights.add("zhong", gb("中"), 50);
  weights.add("a", gb("啊"), 1);
  weights.add("zhuang", gb2312_by_sequence(kGb2312HanziCount), 3);  // the last hanzi, six letters

  const CharacterReadings readings = write_character_readings(weights);
  ASSERT_EQ(readings.bytes.size(), kGb2312HanziCount * sentence::kCharacterReadingBytes);
  EXPECT_EQ(readings.with_reading, 4u);
  EXPECT_EQ(reading_in(readings.bytes, gb("行")), "xing");
  EXPECT_EQ(reading_in(readings.bytes, gb("中")), "zhong");
  EXPECT_EQ(reading_in(readings.bytes, gb("啊")), "a");  // not its placeholder form
  EXPECT_EQ(reading_in(readings.bytes, gb2312_by_sequence(kGb2312HanziCount)), "zhuang");
  EXPECT_EQ(reading_in(readings.bytes, gb("国")), "");
  EXPECT_EQ(most_common_reading(weights, gb("行")), "xing");
}

TEST(CharacterReadingsTest, RecordsAreStoredThroughTheLineSubstitution) {
  CharacterWeights weights;
  weights.add("zhong", gb("中"), 1);
  const CharacterReadings readings = write_character_readings(weights);
  std::string stored = "zhong0";
  sentence::encodeline(stored.data());
  const std::size_t at = (gb2312_sequence(gb("中")) - 1) * sentence::kCharacterReadingBytes;
  EXPECT_EQ(readings.bytes.substr(at, 6), stored);
  std::string empty = "000000";
  sentence::encodeline(empty.data());
  EXPECT_EQ(readings.bytes.substr(0, 6), empty);  // 啊 has no reading here
}

TEST(CharacterReadingsTest, TiesGoToTheAlphabeticallyFirstAndUnstorableSyllablesAreSkipped) {
  CharacterWeights weights;
  weights.add("zhong", gb("中"), 7);
  weights.add("chong", gb("中"), 7);
  weights.add("zhongxx", gb("中"), 9);  // too long for a record
  weights.add("zho2ng", gb("中"), 99);  // not letters
  weights.add("hang", gb("行"), 0);
  weights.add("xing", gb("行"), 0);
  EXPECT_EQ(most_common_reading(weights, gb("中")), "chong");
  EXPECT_EQ(most_common_reading(weights, gb("行")), "hang");
  EXPECT_EQ(most_common_reading(weights, 0xA1A1), "");
}

}  // namespace
}  // namespace tavgen
