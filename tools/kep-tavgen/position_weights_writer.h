// cz/weight.dat: how strongly each GB2312 hanzi stands at each place of two- and three-character
// words, which the service weighs when it decides where to cut a run of characters.
#pragma once

#include <string>
#include <vector>

#include "gb2312.h"
#include "tools/datasources/readers/rime_dict.h"

namespace tavgen {

// 5 bytes per hanzi in GB2312 order: 1st / 2nd of two-character words, 1st / 2nd / 3rd of
// three-character words. Each distinct word counts once, with its heaviest weight plus one (a
// word the source does not weigh still counts). A place's sum s becomes
// round(255 * ln(1 + s) / ln(1 + m)), m the largest sum of all five places of all characters,
// so the places of one character compare; a sum above 0 is at least 1.
std::string write_position_weights(const std::vector<datasources::RimeEntry>& vocabulary, Gb2312Cache& gb2312);

}  // namespace tavgen
