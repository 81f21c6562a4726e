// kep-pycode: compiles a pinyin code file from a source list, and gives texts their pinyin
// from one.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "CoreSource/base/imelog.h"
#include "imetools.h"
#include "platform/text.h"

namespace {

void usage() {
  std::fprintf(stderr,
               "usage: kep-pycode build SOURCE OUTPUT [NAME [DESCRIPTION [AUTHOR]]]\n"
               "       kep-pycode phrase CODE-FILE TEXT [PINYIN=HANZI ...]\n"
               "A source line: pinyin, a blank, the character (GB18030), and optionally its\n"
               "second form, a frequency and a tag. PINYIN=HANZI reads HANZI as PINYIN.\n");
}

int build(int argc, char** argv) {
  if (argc < 2 || argc > 5) return usage(), 2;
  ime_pycode_node_t root{};
  return ime_build_pinyin_from_file(&root, argv[0], argv[1], argc > 2 ? argv[2] : "",
                                    argc > 3 ? argv[3] : "", argc > 4 ? argv[4] : "") == 0 ? 0 : 1;
}

int phrase(int argc, char** argv) {
  if (argc < 2) return usage(), 2;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(argv[0], "rb"), std::fclose);
  if (!file) {
    std::fprintf(stderr, "kep-pycode: cannot open %s\n", argv[0]);
    return 1;
  }
  std::vector<ime_pycode_override_t> overrides;
  for (int i = 2; i < argc; ++i) {
    std::string_view arg = argv[i];
    std::size_t equals = arg.find('=');
    std::optional<std::string> utf16 =
        equals == std::string_view::npos || equals > 6
            ? std::nullopt
            : platform::text::convert(arg.substr(equals + 1), platform::text::Encoding::Utf8,
                                      platform::text::Encoding::Utf16BE);
    if (!utf16 || utf16->size() != 2) {
      std::fprintf(stderr, "kep-pycode: \"%s\" is not PINYIN=HANZI\n", argv[i]);
      return 2;
    }
    ime_pycode_override_t o{};
    std::snprintf(o.pinyin, sizeof o.pinyin, "%.*s", static_cast<int>(equals), arg.data());
    unsigned unit = (static_cast<unsigned char>((*utf16)[0]) << 8) | static_cast<unsigned char>((*utf16)[1]);
    o.index = unit >= IME_PYCODE_FIRST_UNIT ? unit - IME_PYCODE_FIRST_UNIT : IME_PYCODE_INDEX_ENTRIES;
    overrides.push_back(o);
  }
  std::string pinyin;
  std::u16string second;
  if (ime_build_phrase_string(file.get(), argv[1], &pinyin, &second, overrides.data(),
                              static_cast<int>(overrides.size())) != 0) {
    std::fprintf(stderr, "kep-pycode: no pinyin for \"%s\" in %s\n", argv[1], argv[0]);
    return 1;
  }
  std::string utf16be;
  for (char16_t unit : second) {
    utf16be.push_back(static_cast<char>(unit >> 8));
    utf16be.push_back(static_cast<char>(unit & 0xFF));
  }
  std::optional<std::string> second_utf8 =
      platform::text::convert(utf16be, platform::text::Encoding::Utf16BE, platform::text::Encoding::Utf8);
  std::printf("%s\t%s\n", pinyin.c_str(), second_utf8.value_or("").c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  ime_test_platform();
  std::string_view command = argc > 1 ? argv[1] : "";
  if (command == "build") return build(argc - 2, argv + 2);
  if (command == "phrase") return phrase(argc - 2, argv + 2);
  usage();
  return 2;
}
