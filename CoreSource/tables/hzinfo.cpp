#include "tables/hzinfo.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "base/bigendian.h"
#include "base/checksum.h"
#include "base/codec.h"
#include "base/datafolder.h"
#include "base/imelog.h"
#include "platform/files.h"

QAHzInfo* ime_hzdb = nullptr;

namespace {

// The index file is small (a few bytes per key); anything far larger is not ours.
constexpr std::size_t kIndexFileLimit = 16 * 1024 * 1024;

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (true) {
    std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos
                                                                      : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

bool parse_u32(std::string_view text, int base, std::uint32_t* value) {
  if (text.empty() || text.size() > 10) return false;
  std::string copy(text);
  char* end = nullptr;
  unsigned long long parsed = std::strtoull(copy.c_str(), &end, base);
  if (end != copy.c_str() + copy.size() || parsed > 0xFFFFFFFFull || copy[0] == '-' ||
      copy[0] == '+') {
    return false;
  }
  *value = static_cast<std::uint32_t>(parsed);
  return true;
}

// The record at `offset` of the records part (which ends at `limit`), decoded into `out`.
int read_record(const QAMMap* file, std::uint64_t offset, std::uint64_t limit, char* out,
                std::size_t* out_length) {
  if (offset >= limit) return -2;
  std::size_t length = file->address[offset];
  if (offset + 1 + length > limit) return -2;
  if (length > *out_length) return -3;
  std::memcpy(out, file->address + offset + 1, length);
  ime_decode_str(out, length);
  *out_length = length;
  return 0;
}

// Loads the CMPH index from memory whose checksum has already been compared, so the library
// parses exactly the bytes that were checked.
cmph_t* load_index(std::string& bytes) {
  FILE* stream = ::fmemopen(bytes.data(), bytes.size(), "rb");
  if (stream == nullptr) return nullptr;
  cmph_t* index = cmph_load(stream);
  std::fclose(stream);
  return index;
}

}  // namespace

QAHzInfo* QAHzInfoOpen(const char* path) {
  if (path == nullptr) return nullptr;
  auto* handle = static_cast<QAHzInfo*>(std::calloc(1, sizeof(QAHzInfo)));
  if (handle == nullptr) {
    IME_ERROR("Malloc failed!");
    return nullptr;
  }
  handle->file = QAMMapOpen(path, 0);
  if (handle->file == nullptr) {
    IME_ERROR("Open mmap info file '%s' failed!", path);
    std::free(handle);
    return nullptr;
  }
  auto fail = [&](const char* reason) -> QAHzInfo* {
    IME_ERROR("Hanzi information file '%s' is damaged: %s.", path, reason);
    QAHzInfoClose(handle);
    return nullptr;
  };

  const QAMMap* file = handle->file;
  auto size = static_cast<std::uint64_t>(file->size);
  if (size < 5) return fail("too short");
  handle->table_offset = ime_read_be32(file->address + size - 4);
  if (handle->table_offset > size - 4) return fail("the offset table lies beyond the file");
  char header[QAHZINFO_RECORD_MAX];
  std::size_t header_length = sizeof header;
  std::uint32_t key_count = 0, index_crc = 0;
  if (read_record(file, 0, handle->table_offset, header, &header_length) != 0 ||
      !QAHzInfoParseHeader(std::string_view(header, header_length), &key_count, &index_crc)) {
    return fail("no header record");
  }
  if (handle->table_offset + 4ull * key_count + 4 != size) {
    return fail("the offset table does not end the file");
  }

  char index_path[512];
  if (QAChangePostfix(path, ".idx", index_path, sizeof index_path) == nullptr) {
    IME_ERROR("Open index file '%s' failed!", path);
    QAHzInfoClose(handle);
    return nullptr;
  }
  std::error_code error;
  std::optional<std::string> index_bytes = platform::files::read_file(index_path, error);
  if (!index_bytes || index_bytes->size() > kIndexFileLimit) {
    IME_ERROR("Open index file '%s' failed!", index_path);
    QAHzInfoClose(handle);
    return nullptr;
  }
  if (ime_crc32(index_bytes->data(), index_bytes->size()) != index_crc ||
      (handle->index = load_index(*index_bytes)) == nullptr) {
    IME_ERROR("Open index file for '%s' failed!", path);
    QAHzInfoClose(handle);
    return nullptr;
  }
  handle->slot_count = cmph_size(handle->index);
  if (handle->slot_count != key_count) return fail("the index and the file hold different keys");
  return handle;
}

int QAHzInfoQuery(QAHzInfo* handle, const char* key, std::size_t key_length, char* out,
                  std::size_t* out_length) {
  if (handle == nullptr || handle->index == nullptr || handle->file == nullptr || key == nullptr ||
      out == nullptr || out_length == nullptr || key_length > 0xFFFFFFFFu) {
    return -1;
  }
  std::uint32_t hash = cmph_search(handle->index, key, static_cast<cmph_uint32>(key_length));
  if (hash >= handle->slot_count) return -1;
  const QAMMap* file = handle->file;
  std::uint64_t slot = handle->table_offset + 4ull * hash;
  if (slot + 4 > static_cast<std::uint64_t>(file->size) - 4) return -2;
  return read_record(file, ime_read_be32(file->address + slot), handle->table_offset, out,
                     out_length);
}

void QAHzInfoClose(QAHzInfo* handle) {
  if (handle == nullptr) return;
  if (handle->index != nullptr) cmph_destroy(handle->index);
  QAMMapClose(handle->file);
  std::free(handle);
}

std::string QAHzInfoFormatRecord(const QAHzInfoEntry& entry) {
  std::string tail = "\t" + entry.traditional + "\t" + std::string(1, entry.gb_set);
  std::string text = entry.hanzi + "\t";
  bool first = true;
  for (const std::string& reading : entry.readings) {
    std::size_t added = reading.size() + (first ? 0 : 1);
    if (text.size() + added + tail.size() > QAHZINFO_RECORD_MAX) break;
    if (!first) text += ",";
    text += reading;
    first = false;
  }
  return text + tail;
}

bool QAHzInfoParseRecord(std::string_view record, QAHzInfoEntry* entry) {
  std::vector<std::string_view> fields = split(record, '\t');
  if (fields.size() != 4 || fields[0].empty() || fields[3].size() != 1) return false;
  QAHzInfoEntry parsed;
  parsed.hanzi = fields[0];
  if (!fields[1].empty()) {
    for (std::string_view reading : split(fields[1], ',')) parsed.readings.emplace_back(reading);
  }
  parsed.traditional = fields[2];
  parsed.gb_set = fields[3][0];
  *entry = std::move(parsed);
  return true;
}

std::string QAHzInfoFormatHeader(std::uint32_t key_count, std::uint32_t index_crc) {
  char text[64];
  std::snprintf(text, sizeof text, "%s\t%d\t%u\t%08x", QAHZINFO_MAGIC, QAHZINFO_FORMAT, key_count,
                index_crc);
  return text;
}

bool QAHzInfoParseHeader(std::string_view record, std::uint32_t* key_count,
                         std::uint32_t* index_crc) {
  std::vector<std::string_view> fields = split(record, '\t');
  std::uint32_t format = 0;
  return fields.size() == 4 && fields[0] == QAHZINFO_MAGIC && parse_u32(fields[1], 10, &format) &&
         format == QAHZINFO_FORMAT && parse_u32(fields[2], 10, key_count) &&
         fields[3].size() == 8 && parse_u32(fields[3], 16, index_crc);
}

int QAHzInfoLookup(QAHzInfo* handle, std::string_view hanzi, QAHzInfoEntry* entry) {
  char record[QAHZINFO_RECORD_MAX];
  std::size_t length = sizeof record;
  int result = QAHzInfoQuery(handle, hanzi.data(), hanzi.size(), record, &length);
  // A key the index was not built from may hash beyond the table: it is simply not there.
  if (result == -1) return -1;
  if (result != 0) return -2;
  QAHzInfoEntry found;
  // Any key hashes to some record; only a record that names the key answers it.
  if (!QAHzInfoParseRecord(std::string_view(record, length), &found) || found.hanzi != hanzi) {
    return -1;
  }
  if (entry != nullptr) *entry = std::move(found);
  return 0;
}

int ime_load_hzdb() {
  if (ime_hzdb != nullptr) return 0;
  char path[512];
  struct stat st;
  if (ime_get_resource_filename("!hzdb.db", path) != 0 || ::stat(path, &st) != 0) {
    IME_ERROR("Hanzi information database not found!");
    return -1;
  }
  ime_hzdb = QAHzInfoOpen(path);
  if (ime_hzdb == nullptr) {
    IME_ERROR("Open Hanzi information database failed!");
    return -1;
  }
  return 0;
}

void ime_unload_hzdb() {
  QAHzInfoClose(ime_hzdb);
  ime_hzdb = nullptr;
}
