#include "sentenceparser/core/library_search.h"

#include <cstdio>
#include <cstring>

#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/library_layout.h"
#include "sentenceparser/core/syllable_numbers.h"
#include "sentenceparser/core/word_library.h"

namespace sentence {

namespace {

constexpr int kPathSize = 512;

SpFile* open_library_file(const char* name) {
  char path[kPathSize];
  if (!library_path(name, path)) return nullptr;
  return _fopen(path, kOpenRead);
}

}  // namespace

int four_letter_bucket(const char* key) {
  // Every key numbered this way is four lower-case letters; anything else would land in some
  // other key's bucket.
  if (key == nullptr) return -1;
  for (int i = 0; i < 4; ++i) {
    if (key[i] < 'a' || key[i] > 'z') return -1;
  }
  return GetPy4No(key);
}

bool library_path(const char* name, char* path) {
  const char* base = InputProperty.DataPath;
  if (base == nullptr || name == nullptr) return false;
  const int written = std::snprintf(path, kPathSize, "%s%s", base, name);
  return written > 0 && written < kPathSize;
}

bool open_bucket(const char* index_name, const char* data_name, std::int64_t number, int width,
                 Bucket* bucket) {
  *bucket = Bucket{};
  if (number < 0 || width <= 0 || width > kRecordMax) return false;
  SpFile* index = open_library_file(index_name);
  if (index == nullptr) return false;
  int count = 0;
  const std::int64_t first = Get42Pos(number, &count, index);
  _fclose(index);
  if (first < 0 || count <= 0) return false;

  SpFile* data = open_library_file(data_name);
  if (data == nullptr) return false;
  // first < 2^32 and count < 2^16, so the end cannot overflow.
  if ((first + count) * width > QAMMapSize(data)) {
    _fclose(data);
    return false;
  }
  bucket->data = data;
  bucket->first = first;
  bucket->count = count;
  bucket->width = width;
  return true;
}

bool read_record(const Bucket& bucket, int k, unsigned char* record) {
  if (bucket.data == nullptr || k < 0 || k >= bucket.count) return false;
  const std::int64_t offset = (bucket.first + k) * bucket.width;
  if (offset + bucket.width > QAMMapSize(bucket.data)) return false;
  if (_fseek(bucket.data, static_cast<long>(offset), SEEK_SET) != 0) return false;
  return _fread(bucket.data, record, static_cast<std::size_t>(bucket.width)) ==
         static_cast<std::size_t>(bucket.width);
}

bool record_matches(const Bucket& bucket, int k, const unsigned char* compared, int length,
                    unsigned char* record) {
  return read_record(bucket, k, record) && std::memcmp(compared, record, length) == 0;
}

int search_bucket(const Bucket& bucket, const unsigned char* compared, int length,
                  unsigned char* record) {
  if (length <= 0 || length > bucket.width) return -1;
  int low = 0;
  int high = bucket.count - 1;
  while (low <= high) {
    const int middle = (low + high) / 2;
    if (!read_record(bucket, middle, record)) return -1;
    const int order = std::memcmp(compared, record, length);
    if (order == 0) return middle;
    if (order < 0) {
      high = middle - 1;
    } else {
      low = middle + 1;
    }
  }
  return -1;
}

}  // namespace sentence
