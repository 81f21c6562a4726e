// What the word libraries hold for one key: every record of its bucket that matches, decoded
// with the service's readers, and the word the service's lookup picks.
#pragma once

#include <string>
#include <vector>

namespace kep_tav {

struct RecordView {
  std::string text;         // UTF-8, or "?" when the positions do not decode
  std::string pinyin;       // abbreviations: the syllables the record spells
  int weight_byte = -1;     // stored bytes; -1 where the library has none
  int abbreviation_byte = -1;
  int flags = -1;
  int weight = -1;          // the stored weight read back
  int abbreviation_weight = -1;
  int adjusted = -1;        // the weight the service computes
};

struct QueryResult {
  std::vector<RecordView> records;
  std::string picked;  // the lookup's answer (UTF-8), empty for none
  int picked_weight = 0;
};

// `syllables` for full pinyin ("zhong", "guo"); `initials` for abbreviations ("zg"). False with
// the reason in `error` for a query the libraries cannot be asked.
bool query_main(const std::vector<std::string>& syllables, QueryResult* result, std::string* error);
bool query_whole(const std::vector<std::string>& syllables, QueryResult* result, std::string* error);
bool query_abbreviation(const std::string& initials, QueryResult* result, std::string* error);

}  // namespace kep_tav
