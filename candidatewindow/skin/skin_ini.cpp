#include "candidatewindow/skin/skin_ini.h"

#include <sys/stat.h>

#include "platform/files.h"
#include "platform/text.h"

namespace kepskin {

namespace fs = std::filesystem;
using platform::text::Encoding;

const char* skin_load_code_meaning(int code) {
  switch (code) {
    case kSkinLoaded: return "loaded";
    case kSkinNoFolder: return "the skin folder does not exist";
    case kSkinNoIni: return "the skin folder has no skin.ini";
    case kSkinUnreadable: return "skin.ini cannot be read or does not parse";
    case kSkinUndecodable: return "skin.ini is not text in a known encoding, or is empty";
    case kSkinNoMemory: return "no memory to convert skin.ini";
    case kSkinConversionFailed: return "skin.ini cannot be converted";
    default: return "unknown failure";
  }
}

std::optional<FileIdentity> file_identity(const fs::path& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  return FileIdentity{static_cast<std::uintmax_t>(status.st_dev), static_cast<std::uintmax_t>(status.st_ino),
                      static_cast<std::uintmax_t>(status.st_size),
                      static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec};
}

std::optional<SkinSource> skin_source(const fs::path& folder) {
  std::error_code error;
  fs::path canonical = fs::canonical(folder, error);
  if (error) return std::nullopt;
  const auto identity = file_identity(canonical / "skin.ini");
  if (!identity) return std::nullopt;
  return SkinSource{std::move(canonical), *identity};
}

int decode_skin_ini(std::string_view bytes, std::string& utf8) {
  std::optional<std::string> decoded;
  const auto mark = platform::text::detect_bom(bytes);
  if (mark.encoding) {
    decoded = platform::text::to_utf8(bytes.substr(mark.length), *mark.encoding);
  } else if (platform::text::is_valid_utf8(bytes)) {
    decoded = std::string(bytes);
  } else {
    decoded = platform::text::to_utf8(bytes, Encoding::Gb18030);
  }
  if (!decoded || decoded->empty()) return kSkinUndecodable;
  if (decoded->find('\0') != std::string::npos) return kSkinConversionFailed;
  utf8 = std::move(*decoded);
  return kSkinLoaded;
}

int read_skin_ini(const fs::path& folder, SkinIni& result) {
  std::error_code error;
  if (!fs::is_directory(folder, error)) return kSkinNoFolder;
  fs::path canonical = fs::canonical(folder, error);
  if (error) return kSkinNoFolder;
  const fs::path ini = canonical / "skin.ini";
  if (!fs::exists(ini, error)) return kSkinNoIni;
  const auto identity = file_identity(ini);
  if (!identity || identity->size > kMaxSkinIniBytes) return kSkinUnreadable;
  const auto bytes = platform::files::read_file(ini, error);
  if (!bytes || bytes->size() > kMaxSkinIniBytes) return kSkinUnreadable;
  std::string text;
  if (const int code = decode_skin_ini(*bytes, text); code != kSkinLoaded) return code;
  IniDictionary dictionary = parse_ini_text(text);
  if (!dictionary) return kSkinUnreadable;
  result.dictionary = std::move(dictionary);
  result.source = SkinSource{std::move(canonical), *identity};
  return kSkinLoaded;
}

}  // namespace kepskin
