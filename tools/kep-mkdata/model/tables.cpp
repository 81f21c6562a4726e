#include "model/tables.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <tuple>

#include "CoreSource/tables/pytable.h"
#include "tools/datasources/readers/toned_pinyin.h"
#include "tools/datasources/readers/utf8.h"

namespace mkdata {

using datasources::CharInfo;
using datasources::CharTable;
using datasources::Reading;
using datasources::RimeEntry;
using datasources::Sources;
using datasources::characters_of;
using datasources::has_final_code;

namespace {

PinyinRecord make_record(const CharInfo& info, const std::string& syllable,
                         const std::string& simplified, const std::string& traditional) {
  PinyinRecord record;
  record.syllable = syllable;
  record.simplified = simplified;
  record.traditional = traditional;
  record.base_frequency = info.weight(syllable);
  record.class_digit = class_digit(info.gb2312, record.base_frequency);
  record.tone_mask = info.tone_mask(syllable);
  return record;
}

// Within a syllable: the most used first; unknown frequency classes after known ones.
bool more_used(const CharInfo* a, const CharInfo* b, const std::string& syllable) {
  auto key = [&](const CharInfo* c) {
    return std::make_tuple(-static_cast<long long>(c->weight(syllable)),
                           c->frequency == 0 ? 9 : c->frequency, c->gb2312 ? 0 : 1, c->text);
  };
  return key(a) < key(b);
}

std::string gb_set(const CharInfo& info) {
  if (info.gb2312) return "1";
  return info.gbk ? "K" : "X";
}

}  // namespace

char class_digit(bool gb2312, std::uint32_t weight) {
  if (weight == 0) return gb2312 ? '1' : '0';
  int magnitude = static_cast<int>(std::log10(static_cast<double>(weight) + 1.0));
  return static_cast<char>('1' + std::min(8, magnitude));
}

void build_character_tables(const CharTable& characters, TableContents* tables) {
  std::map<std::string, std::vector<const CharInfo*>> groups;
  for (const auto& [text, info] : characters) {
    if (!info.gbk) continue;
    for (const std::string& syllable : info.table_syllables()) groups[syllable].push_back(&info);
  }
  std::vector<std::string> names;
  for (const auto& [syllable, members] : groups) names.push_back(syllable);

  std::set<std::string> listed;
  for (const std::string& syllable : order_syllables(names)) {
    std::vector<const CharInfo*>& members = groups[syllable];
    std::sort(members.begin(), members.end(),
              [&](const CharInfo* a, const CharInfo* b) { return more_used(a, b, syllable); });
    for (const CharInfo* info : members) {
      std::string traditional = info->traditional.empty() ? info->text : info->traditional[0];
      PinyinRecord record = make_record(*info, syllable, info->text, traditional);
      record.hanzi_index = static_cast<std::uint32_t>(tables->pinyin.size());
      tables->pinyin.push_back(record);
      if (listed.insert(info->text).second && !info->cangjie.empty()) {
        tables->accessory.push_back({info->text, {info->cangjie}});
      }
      // Further traditional forms read with this syllable serve traditional output.
      for (std::size_t i = 1; i < info->traditional.size(); ++i) {
        auto form = characters.find(info->traditional[i]);
        if (form == characters.end() || form->second.readings.empty() ||
            !form->second.table_syllables().count(syllable)) {
          continue;
        }
        PinyinRecord extra = make_record(form->second, syllable, info->text, form->first);
        extra.hanzi_index = static_cast<std::uint32_t>(tables->extension.size());
        tables->extension.push_back(extra);
      }
    }
  }

  for (const auto& [text, info] : characters) {
    QAHzInfoEntry entry;
    entry.hanzi = text;
    for (const Reading& reading : info.readings) entry.readings.push_back(reading.text());
    if (entry.readings.empty()) {
      for (const auto& [syllable, weight] : info.weights) entry.readings.push_back(syllable);
    }
    for (const std::string& form : info.traditional) entry.traditional += form;
    entry.gb_set = gb_set(info)[0];
    tables->hanzi.push_back(std::move(entry));
  }
}

void build_words(const Sources& sources, const CharTable& characters, TableContents* tables,
                 const std::vector<RimeEntry>& merged) {
  // One entry per word and pinyin, with the highest weight the sources give it.
  std::map<std::pair<std::string, std::vector<std::string>>, std::uint32_t> words;
  for (const std::vector<RimeEntry>* list : {&sources.words, &merged}) {
    for (const RimeEntry& entry : *list) {
      std::optional<std::vector<std::string>> chars = characters_of(entry.text);
      if (!chars || chars->size() < 2 || chars->size() != entry.syllables.size()) continue;
      if (!std::all_of(entry.syllables.begin(), entry.syllables.end(), has_final_code)) continue;
      std::uint32_t& weight = words[{entry.text, entry.syllables}];
      weight = std::max(weight, entry.weight);
    }
  }

  for (const auto& [key, weight] : words) {
    const auto& [text, syllables] = key;
    std::vector<std::string> chars = *characters_of(text);
    WordListEntry word;
    word.syllables = syllables;
    word.word = text;
    word.frequency = weight;
    std::string second;
    for (std::size_t i = 0; i < chars.size(); ++i) {
      auto info = characters.find(chars[i]);
      word.tones.push_back(tone_digit(info == characters.end() ? 15 : info->second.tone_mask(syllables[i])));
      auto forms = sources.characters.find(chars[i]);
      second += forms == sources.characters.end() || forms->second.empty() ? chars[i] : forms->second[0];
    }
    if (auto phrase = sources.phrases.find(text); phrase != sources.phrases.end() && !phrase->second.empty()) {
      std::optional<std::vector<std::string>> phrase_chars = characters_of(phrase->second[0]);
      if (phrase_chars && phrase_chars->size() == chars.size()) second = phrase->second[0];
    }
    word.second = second;
    // A word is kept even when its traditional form has no GBK spelling: the engine then
    // computes that form when it is needed.
    if (!write_word_list_line(word)) word.second.clear();
    if (!write_word_list_line(word)) continue;
    tables->words.push_back(std::move(word));
  }
}

}  // namespace mkdata
