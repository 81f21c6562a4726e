// Reading a skin folder's skin.ini: decoding its bytes and parsing the text.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "candidatewindow/skin/ini_values.h"

namespace kepskin {

// Answers of setSkinFile.
enum SkinLoadCode : int {
  kSkinLoaded = 0,
  kSkinNoFolder = -1,
  kSkinNoIni = -3,
  kSkinUnreadable = -4,   // cannot be read, too large, or does not parse
  kSkinUndecodable = -5,  // not text in any skin encoding, or empty
  kSkinNoMemory = -6,
  kSkinConversionFailed = -7,  // decodes to text the parser cannot take (a NUL character)
};

const char* skin_load_code_meaning(int code);

// skin.ini is refused above this size.
inline constexpr std::uintmax_t kMaxSkinIniBytes = 1 << 20;

// What tells one skin.ini file from another: a reinstalled skin changes at least one of them.
struct FileIdentity {
  std::uintmax_t device = 0;
  std::uintmax_t inode = 0;
  std::uintmax_t size = 0;
  std::int64_t modified_ns = 0;
  bool operator==(const FileIdentity&) const = default;
};

std::optional<FileIdentity> file_identity(const std::filesystem::path& path);

// Which skin a view has loaded: the skin folder (canonical) and its skin.ini's identity. Every
// view that loads skins decides "same skin" by this, so a skin reinstalled over its folder is
// read again by all of them alike.
struct SkinSource {
  std::filesystem::path folder;
  FileIdentity identity;
  bool operator==(const SkinSource&) const = default;
};

// What `folder`/skin.ini is now; nullopt when the folder or the file is not there.
std::optional<SkinSource> skin_source(const std::filesystem::path& folder);

// skin.ini bytes to UTF-8: a UTF-16 mark (LE or BE) or UTF-8 mark decides, valid UTF-8 is taken
// as it is, anything else is GB18030. Answers kSkinLoaded or the failure code.
int decode_skin_ini(std::string_view bytes, std::string& utf8);

struct SkinIni {
  IniDictionary dictionary;
  SkinSource source;  // the file that was read
};

// Reads and parses `folder`/skin.ini; writes nothing. Answers kSkinLoaded or the failure code.
int read_skin_ini(const std::filesystem::path& folder, SkinIni& result);

}  // namespace kepskin
