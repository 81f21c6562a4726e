// skin.ini bytes: decoded by their mark or as GB18030, parsed, and read the way a scheme is read.
#include <array>
#include <string>

#include "candidatewindow/skin/ini_values.h"
#include "candidatewindow/skin/skin_ini.h"
#include "candidatewindow/skin/skin_log.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kepskin::set_log_sink([](const std::string&) {});  // syntax complaints are expected here
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > kepskin::kMaxSkinIniBytes) return 0;
  std::string text;
  if (kepskin::decode_skin_ini(fuzz::as_view(data, size), text) != 0) return 0;
  kepskin::IniDictionary dictionary = kepskin::parse_ini_text(text);
  if (!dictionary) return 0;
  for (int scheme = 0; scheme < 4; ++scheme) {
    std::array<int, 4> items{};
    kepskin::GetIntItems(kepskin::_iniparser_getstring(dictionary.get(), scheme, "pinyin_marge", ""), items);
    kepskin::_iniparser_getint(dictionary.get(), scheme, "transparent_color", 0xffffff);
  }
  kepskin::iniparser_getnsstring(dictionary.get(), "display:font_ch", "Hei");
  return 0;
}
