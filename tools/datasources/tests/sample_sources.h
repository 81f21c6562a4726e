// Small samples of the sources in their own formats: a few Unihan lines, a Rime dictionary and
// two conversion tables, read into the sources the generators work from.
#pragma once

#include "tools/datasources/model/sources.h"
#include "tools/datasources/readers/opencc_table.h"
#include "tools/datasources/readers/rime_dict.h"
#include "tools/datasources/readers/unihan.h"

namespace datasources_test {

inline constexpr const char* kUnihanSample =
    "# comment\n"
    "U+884C\tkMandarin\txíng\n"
    "U+884C\tkHanyuPinlu\txíng(2943) háng(218)\n"
    "U+884C\tkXHC1983\t0442.080:háng 0443.050:hàng 0460.010:xìng 1290.030:xíng\n"
    "U+884C\tkHanyuPinyin\t20811.060:háng,xìng,xíng,hàng,héng\n"
    "U+884C\tkGB0\t4permit\n"
    "U+884C\tkCangjie\tHON\n"
    "U+884C\tkDefinition\tgo; walk\n"
    "U+4E2D\tkMandarin\tzhōng\n"
    "U+4E2D\tkXHC1983\t1494.100:zhōng 1501.040:zhòng\n"
    "U+4E2D\tkGB0\t5448\n"
    "U+4E2D\tkCangjie\tL\n"
    "U+56FD\tkMandarin\tguó\n"
    "U+56FD\tkGB0\t2590\n"
    "U+53D1\tkMandarin\tfā\n"
    "U+53D1\tkXHC1983\t0309.010:fā 0310.020:fà\n"
    "U+53D1\tkGB0\t2229\n"
    "U+53D1\tkTraditionalVariant\tU+767C U+9AEE\n"
    "U+767C\tkMandarin\tfā\n"
    "U+9AEE\tkMandarin\tfà\n"
    "U+9AEE\tkXHC1983\t0310.020:fà\n"
    "U+4E3C\tkMandarin\tjǐng\n";  // outside the word source: a rare character

inline constexpr const char* kRimeSample =
    "# Rime dictionary\n---\nname: sample\n...\n\n"
    "行\txing\t35822\n行\thang\t3209\n中\tzhong\t243213\n国\tguo\t1000\n发\tfa\t5000\n"
    "中国\tzhong guo\t106588\n中国\tzhong guo\t5\n发行\tfa xing\t900\n"
    "行\tfiao\t3\n丼丼\tjing jing\t1\n虐\tnue\t744\n";

inline datasources::Sources sample_sources() {
  datasources::Sources sources;
  datasources::parse_unihan_lines(kUnihanSample, &sources.unihan);
  sources.words = datasources::parse_rime_dict(kRimeSample);
  sources.characters = datasources::parse_opencc_text("发\t發 髮\n国\t國\n");
  sources.phrases = datasources::parse_opencc_text("发行\t發行\n");
  return sources;
}

}  // namespace datasources_test
