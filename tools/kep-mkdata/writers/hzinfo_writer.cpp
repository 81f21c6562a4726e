#include "writers/hzinfo_writer.h"

#include <cmph.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>

#include "CoreSource/base/bigendian.h"
#include "CoreSource/base/checksum.h"
#include "CoreSource/base/codec.h"

namespace mkdata {

namespace {

bool append_record(std::string* out, std::string text) {
  if (text.size() > QAHZINFO_RECORD_MAX) return false;
  out->push_back(static_cast<char>(text.size()));
  ime_encode_str(text.data(), text.size());
  *out += text;
  return true;
}

// The CMPH index over `keys`, dumped into memory.
std::optional<std::string> build_index(std::vector<char*>& keys, cmph_t** hash, std::string* error) {
  cmph_io_adapter_t* source = cmph_io_vector_adapter(keys.data(), static_cast<cmph_uint32>(keys.size()));
  cmph_config_t* config = cmph_config_new(source);
  cmph_config_set_algo(config, CMPH_BDZ);
  *hash = cmph_new(config);
  cmph_config_destroy(config);
  cmph_io_vector_adapter_destroy(source);
  if (*hash == nullptr) {
    *error = "the perfect hash over the hanzi cannot be built";
    return std::nullopt;
  }
  char* buffer = nullptr;
  std::size_t size = 0;
  FILE* stream = ::open_memstream(&buffer, &size);
  bool dumped = stream != nullptr && cmph_dump(*hash, stream) != 0;
  if (stream != nullptr) std::fclose(stream);
  std::unique_ptr<char, void (*)(void*)> owned(buffer, std::free);
  if (!dumped) {
    *error = "the perfect hash cannot be written";
    return std::nullopt;
  }
  return std::string(buffer, size);
}

}  // namespace

std::optional<HzInfoFiles> write_hzinfo(const std::vector<QAHzInfoEntry>& entries,
                                        std::string* error) {
  if (entries.empty()) {
    *error = "no hanzi to write";
    return std::nullopt;
  }
  std::set<std::string> seen;
  std::vector<std::string> key_texts;
  for (const QAHzInfoEntry& entry : entries) {
    if (entry.hanzi.empty() || entry.hanzi.find('\t') != std::string::npos ||
        !seen.insert(entry.hanzi).second) {
      *error = "hanzi \"" + entry.hanzi + "\" is empty, holds a tab or is repeated";
      return std::nullopt;
    }
    key_texts.push_back(entry.hanzi);
  }
  std::vector<char*> keys;
  for (std::string& key : key_texts) keys.push_back(key.data());

  cmph_t* hash = nullptr;
  std::optional<std::string> index = build_index(keys, &hash, error);
  if (!index) return std::nullopt;
  std::unique_ptr<cmph_t, void (*)(cmph_t*)> owned_hash(hash, cmph_destroy);

  HzInfoFiles files;
  files.index = std::move(*index);
  append_record(&files.database, QAHzInfoFormatHeader(static_cast<std::uint32_t>(entries.size()),
                                                      ime_crc32(files.index.data(), files.index.size())));
  std::vector<std::uint32_t> slots(entries.size(), 0);
  std::vector<bool> used(entries.size(), false);
  for (const QAHzInfoEntry& entry : entries) {
    cmph_uint32 h = cmph_search(hash, entry.hanzi.data(), static_cast<cmph_uint32>(entry.hanzi.size()));
    if (h >= slots.size() || used[h]) {
      *error = "the perfect hash is not perfect for \"" + entry.hanzi + "\"";
      return std::nullopt;
    }
    used[h] = true;
    slots[h] = static_cast<std::uint32_t>(files.database.size());
    if (!append_record(&files.database, QAHzInfoFormatRecord(entry))) {
      *error = "the record of \"" + entry.hanzi + "\" is longer than 255 bytes";
      return std::nullopt;
    }
  }
  auto table_offset = static_cast<std::uint32_t>(files.database.size());
  unsigned char number[4];
  for (std::uint32_t slot : slots) {
    ime_write_be32(number, slot);
    files.database.append(reinterpret_cast<const char*>(number), 4);
  }
  ime_write_be32(number, table_offset);
  files.database.append(reinterpret_cast<const char*>(number), 4);
  return files;
}

}  // namespace mkdata
