// Scripted words for the segmentation passes: the passes ask Lookups, which the fixture points
// at small word lists keyed by the items' syllables, so each test states the words it needs.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "sentenceparser/core/convert.h"
#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/segmentation.h"
#include "sentenceparser/core/sp_chars.h"
#include "sentenceparser/core/tests/convert_fixture.h"
#include "sentenceparser/core/tests/core_test_support.h"
#include "sentenceparser/core/word_cache.h"
#include "sentenceparser/core/word_library.h"
#include "tools/kep-tavgen/word_library_writer.h"

namespace sentence::testing {

struct ScriptedWord {
  std::string text;  // GBK
  int weight = 0;
  unsigned char division = kNoInnerEnds;
};

struct Script {
  // Keyed by the items' letters joined with "_" (a digit item by its own character).
  std::map<std::string, ScriptedWord> main;
  std::map<std::string, ScriptedWord> head_end;
  std::map<std::string, std::string> whole;
  // Keyed by the upper-case initials.
  std::map<std::string, ScriptedWord> jp;
  // Keyed by the context letters, ':' and the joined letters.
  std::map<std::string, std::string> dot;
  std::map<std::string, std::string> dot_jp;
  // Single-character weights by two-byte syllable code.
  std::map<std::string, int> dan;

  std::vector<std::pair<int, int>> main_asked;
  std::vector<std::pair<int, int>> whole_asked;
  std::vector<std::string> contexts_asked;
  std::vector<std::string> jp_asked;
};

inline Script* active_script = nullptr;

inline std::string joined_letters(int first, int last) {
  std::string joined;
  for (int i = first; i <= last; ++i) {
    if (i > first) joined += "_";
    const Item& item = NCM[i];
    if ((item.flags2 & kItemDigit) != 0 && item.letters[0] == '\0') {
      joined += "#";
    } else {
      joined += std::string(item.letters, strnlen(item.letters, sizeof item.letters));
    }
  }
  return joined;
}

// Lookups refuse a word that contradicts a Chinese character already fixed in the range.
inline bool accords(const char* pattern, const std::string& word) {
  const std::string fixed(pattern);
  if (fixed.size() != word.size()) return true;
  for (std::size_t i = 0; i + 1 < fixed.size(); i += 2) {
    if (ComputeGbNo(fixed.c_str() + i) >= 0 && fixed.compare(i, 2, word, i, 2) != 0) return false;
  }
  return true;
}

inline int answer(const std::map<std::string, ScriptedWord>& words, const std::string& key,
                  char* text, int* weight, unsigned char* flags) {
  auto found = words.find(key);
  if (found == words.end() || !accords(text, found->second.text)) return 0;
  std::snprintf(text, kWordTextSize, "%s", found->second.text.c_str());
  *weight = found->second.weight;
  if (flags != nullptr) *flags = found->second.division;
  return 1;
}

inline int scripted_main(int first, int last, const char*, int, char* text, int* weight,
                         unsigned char* flags, int) {
  active_script->main_asked.emplace_back(first, last);
  return answer(active_script->main, joined_letters(first, last), text, weight, flags);
}

inline int scripted_head_end(int first, int last, const char*, int, char* text, int* weight,
                             unsigned char* flags) {
  return answer(active_script->head_end, joined_letters(first, last), text, weight, flags);
}

inline int scripted_whole(int first, int last, const char*, int, char* text) {
  active_script->whole_asked.emplace_back(first, last);
  auto found = active_script->whole.find(joined_letters(first, last));
  if (found == active_script->whole.end() || !accords(text, found->second)) return 0;
  std::snprintf(text, kWordTextSize, "%s", found->second.c_str());
  return 1;
}

inline int scripted_jp(const char* key, int, char* text, int* weight) {
  active_script->jp_asked.emplace_back(key);
  return answer(active_script->jp, key, text, weight, nullptr);
}

inline int scripted_dot(int first, int last, int, const char* classes, char* text) {
  active_script->contexts_asked.emplace_back(classes);
  auto found = active_script->dot.find(std::string(classes) + ":" + joined_letters(first, last));
  if (found == active_script->dot.end() || !accords(text, found->second)) return 0;
  std::snprintf(text, kWordTextSize, "%s", found->second.c_str());
  return 1;
}

inline int scripted_dot_jp(int first, int last, const char* classes, char* text) {
  auto found =
      active_script->dot_jp.find(std::string(classes) + ":" + joined_letters(first, last));
  if (found == active_script->dot_jp.end()) return 0;
  std::snprintf(text, kWordTextSize, "%s", found->second.c_str());
  return 1;
}

inline void scripted_dan(char* key, int* weight) {
  auto found = active_script->dan.find(std::string(key, 2));
  if (found != active_script->dan.end()) *weight = found->second;
}

class SegmentationTest : public DanTableFixture {
 protected:
  void SetUp() override {
    saved_ = Lookups;
    Lookups = {scripted_main, scripted_whole, scripted_head_end, scripted_jp,
               scripted_dot,  scripted_dot_jp, scripted_dan};
    active_script = &script_;
    MaxWordNum = 7;
    LoadRows({});
  }
  void TearDown() override {
    Lookups = saved_;
    active_script = nullptr;
    std::memset(NCM1, 0, sizeof NCM1);
    std::memset(NCM2, 0, sizeof NCM2);
    DanTableFixture::TearDown();
  }
  void Items(const std::string& input) { ASSERT_GT(sendpy(input.c_str(), ""), 0) << input; }
  void Word(const std::string& letters, const std::string& utf8_text, int weight,
            unsigned char division = kNoInnerEnds) {
    script_.main[letters] = {sentence_test::gbk(utf8_text), weight, division};
  }
  // The characters of items first..last as UTF-8; an open item shows as "?".
  std::string Chosen(int first = 0, int last = -1) const {
    if (last < 0) last = CurrentItem - 1;
    std::string text;
    for (int i = first; i <= last; ++i) {
      if ((NCM[i].flags & kItemFixed) == 0) {
        text += "?";
        continue;
      }
      text += sentence_test::utf8(item_character(NCM[i]));
    }
    return text;
  }
  // "|" after every item that ends a word.
  std::string Ends() const {
    std::string marks;
    for (int i = 0; i < CurrentItem; ++i) marks += (NCM[i].flags & kItemWordEnd) ? "|" : ".";
    return marks;
  }
  Script script_;

 private:
  WordLookups saved_{};
};

// The passes over real word libraries, written into a scratch data path by the generator's
// writer; each syllable's character sits first in its row of the character table.
class LibrarySegmentationTest : public DanTableFixture {
 protected:
  void SetUp() override {
    Lookups = LibraryLookups();
    char pattern[] = "/tmp/kep-segment-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    tav_ = pattern;
    std::snprintf(myFullPath, sizeof myFullPath, "%s/", pattern);
    InputProperty.DataPath = myFullPath;
    MaxWordNum = 7;
    std::string error;
    ASSERT_TRUE(tavgen::write_empty_context_libraries(tav_, &error)) << error;
  }
  void TearDown() override {
    FreeCache();
    FreeJPCache();
    CloseCachedFilePool();
    std::filesystem::remove_all(tav_);
    DanTableFixture::TearDown();
  }
  // The character table (syllable -> UTF-8 character), then fresh word caches sized from it.
  void Characters(const std::map<std::string, std::string>& rows) {
    DanRows gbk_rows;
    for (const auto& [syllable, character] : rows) gbk_rows[syllable] = sentence_test::gbk(character);
    LoadRows(gbk_rows);
    // The libraries' data path holds the character readings too.
    InputProperty.DataPath = myFullPath;
    engine_test::write_file(tav_ / kCharacterReadingsName, sentence_test::readings_of_rows(gbk_rows));
    FreeCache();
    FreeJPCache();
    incache_init();
    jpcache_init();
  }
  static tavgen::LibraryWord Entry(std::vector<std::string> syllables, int weight,
                                   int abbreviation_weight, unsigned char flags = 0x40) {
    std::vector<int> positions(syllables.size(), 0);
    return {std::move(syllables), std::move(positions), weight, abbreviation_weight, flags, 0};
  }
  void MainWords(int n, std::vector<tavgen::LibraryWord> words) {
    std::string error;
    ASSERT_TRUE(tavgen::write_main_library(tav_, n, std::move(words), &error)) << error;
  }
  void WholeWords(int n, std::vector<tavgen::LibraryWord> words) {
    std::string error;
    ASSERT_TRUE(tavgen::write_whole_library(tav_, n, std::move(words), &error)) << error;
  }
  // Converts like the service; the sentence as UTF-8 and the reply's word-end marks.
  int Convert(const std::string& input, std::string* sentence, std::string* ends) {
    std::string in = input;
    std::string out(1024, '\0');
    const int result = ConvertStream(in.data(), out.data(), 0);
    *sentence = sentence_test::utf8(out.c_str());
    ends->clear();
    for (int i = 0; i < CurrentItem; ++i) *ends += (NCM[i].flags & kItemWordEnd) ? "_" : "0";
    return result;
  }
  std::filesystem::path tav_;
};

}  // namespace sentence::testing
