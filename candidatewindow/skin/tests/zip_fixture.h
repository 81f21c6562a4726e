// Writes small zip archives for tests with libzip, including the hostile ones no honest
// packer makes: names leading outside, links, entries whose declared size lies.
#pragma once

#include <sys/stat.h>
#include <zip.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kepskin::testing {

struct ZipEntry {
  std::string name{};     // ending in "/" makes a folder entry
  std::string data{};
  std::optional<std::uint32_t> unix_mode{};  // file type and permissions kept in the attributes
  bool stored = false;                       // no compression: the data lies in the file as is
  bool raw_name = false;                     // the name's bytes as given, not flagged as UTF-8
};

inline void write_zip(const std::filesystem::path& path, const std::vector<ZipEntry>& entries) {
  int code = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
  if (archive == nullptr) throw std::runtime_error("zip_open failed for " + path.string());
  for (const ZipEntry& entry : entries) {
    zip_int64_t index = -1;
    if (!entry.name.empty() && entry.name.back() == '/') {
      index = zip_dir_add(archive, entry.name.c_str(), ZIP_FL_ENC_UTF_8);
    } else {
      // The source reads entry.data when the archive is closed, below, while `entries` lives.
      zip_source_t* source = zip_source_buffer(archive, entry.data.data(), entry.data.size(), 0);
      if (source == nullptr) throw std::runtime_error("zip_source_buffer failed");
      index = zip_file_add(archive, entry.name.c_str(), source, entry.raw_name ? ZIP_FL_ENC_CP437 : ZIP_FL_ENC_UTF_8);
      if (index < 0) zip_source_free(source);
    }
    if (index >= 0 && entry.stored &&
        zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0) != 0) {
      throw std::runtime_error("cannot store " + entry.name + " uncompressed");
    }
    if (index < 0) throw std::runtime_error("cannot add " + entry.name + ": " + zip_strerror(archive));
    if (entry.unix_mode &&
        zip_file_set_external_attributes(archive, static_cast<zip_uint64_t>(index), 0, ZIP_OPSYS_UNIX,
                                          *entry.unix_mode << 16) != 0) {
      throw std::runtime_error("cannot set attributes of " + entry.name);
    }
  }
  if (zip_close(archive) != 0) {
    std::string why = zip_strerror(archive);
    zip_discard(archive);
    throw std::runtime_error("zip_close failed: " + why);
  }
}

inline std::string read_bytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void write_bytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Rewrites the uncompressed size that the local header and the central directory declare for
// the entry `name` (stored entries: compressed and real sizes stay as written).
inline void patch_declared_size(const std::filesystem::path& path, const std::string& name, std::uint32_t size) {
  std::string bytes = read_bytes(path);
  const auto put32 = [&](std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  const auto get16 = [&](std::size_t at) {
    return static_cast<std::size_t>(static_cast<unsigned char>(bytes[at])) |
           static_cast<std::size_t>(static_cast<unsigned char>(bytes[at + 1])) << 8;
  };
  int patched = 0;
  // Local header: signature PK\3\4, size at 22, name length at 26, name at 30.
  // Central header: signature PK\1\2, size at 24, name length at 28, name at 46.
  for (std::size_t at = 0; at + 46 <= bytes.size(); ++at) {
    if (bytes.compare(at, 4, "PK\3\4") == 0 && get16(at + 26) == name.size() &&
        bytes.compare(at + 30, name.size(), name) == 0) {
      put32(at + 22, size);
      ++patched;
    } else if (bytes.compare(at, 4, "PK\1\2") == 0 && get16(at + 28) == name.size() &&
               bytes.compare(at + 46, name.size(), name) == 0) {
      put32(at + 24, size);
      ++patched;
    }
  }
  if (patched != 2) throw std::runtime_error("entry " + name + " not found in both headers");
  write_bytes(path, bytes);
}

}  // namespace kepskin::testing
