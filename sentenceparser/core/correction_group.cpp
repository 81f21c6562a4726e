#include "sentenceparser/core/correction_group.h"

#include <cstdio>
#include <cstring>

#include "CoreSource/base/datafolder.h"
#include "sentenceparser/core/library_search.h"
#include "sentenceparser/core/word_library.h"

namespace sentence {

namespace {

constexpr int kPathSize = 512;

SpFile* open_correction_file(const char* name, CorrectionFolder folder) {
  char path[kPathSize] = {};
  if (folder == CorrectionFolder::kDataPath) {
    if (!library_path(name, path)) return nullptr;
  } else if (ime_get_resource_filename(name, path) < 0) {
    return nullptr;
  }
  return _fopen(path, kOpenRead);
}

}  // namespace

bool OpenCorrectionGroup(const char* index_name, const char* records_name,
                         CorrectionFolder folder, std::int64_t number, int width,
                         CorrectionGroup* group) {
  *group = CorrectionGroup{};
  if (number < 0 || width <= 0 || width > kCorrectionRecordMax) return false;
  SpFile* index = open_correction_file(index_name, folder);
  if (index == nullptr) return false;
  int count = 0;
  const std::int64_t first = Get42Pos(number, &count, index);
  _fclose(index);
  if (first < 0 || count <= 0) return false;

  SpFile* records = open_correction_file(records_name, folder);
  if (records == nullptr) return false;
  // first < 2^32 and count < 2^16: the end cannot overflow.
  if ((first + count) * width > QAMMapSize(records)) {
    _fclose(records);
    return false;
  }
  group->records = records;
  group->first = first;
  group->count = count;
  group->width = width;
  return true;
}

void CloseCorrectionGroup(CorrectionGroup* group) {
  if (group->records != nullptr) _fclose(group->records);
  *group = CorrectionGroup{};
}

bool ReadCorrectionRecord(const CorrectionGroup& group, int k, char* record) {
  if (group.records == nullptr || k < 0 || k >= group.count) return false;
  const std::int64_t offset = (group.first + k) * group.width;
  if (offset + group.width > QAMMapSize(group.records)) return false;
  if (_fseek(group.records, static_cast<long>(offset), SEEK_SET) != 0) return false;
  const auto width = static_cast<std::size_t>(group.width);
  if (_fread(group.records, record, width) != width) return false;
  record[width] = '\0';
  return true;
}

std::int64_t LeadingLettersNumber(const char* text, int count) {
  if (text == nullptr) return -1;
  std::int64_t number = 0;
  for (int i = 0; i < count; ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c < 'a' || c > 'z') return -1;
    number = number * 26 + (c - 'a');
  }
  return number;
}

}  // namespace sentence
