// The matchers fed arbitrary key sequences through the typing session the drivers use, on a
// small vocabulary. The first byte picks the scheme (full pinyin, double pinyin, code table);
// every other byte is a key: printable ASCII as typed, the rest one of the named keys.
#include "CoreSource/base/imelog.h"
#include "fuzz/fixtures/engine_fixture.h"
#include "fuzz/fuzz_support.h"
#include "session/engine_host.h"
#include "session/input_scheme.h"
#include "session/key_script.h"
#include "session/typing_session.h"

namespace {

using kep_session::Key;
using kep_session::KeyKind;

kep_session::TypingSession* session = nullptr;
const char* const kSchemes[] = {"full", "double:ziranma", "double:xiaohe", "code:t"};
std::string code_table_folder;

Key key_of(std::uint8_t byte) {
  if (byte >= 0x20 && byte < 0x7F) return Key{KeyKind::Character, static_cast<char>(byte)};
  static const KeyKind named[] = {KeyKind::Space,    KeyKind::Backspace, KeyKind::Delete,
                                  KeyKind::Return,   KeyKind::Left,      KeyKind::Right,
                                  KeyKind::PageUp,   KeyKind::PageDown,  KeyKind::Tab,
                                  KeyKind::Escape};
  constexpr std::size_t kNamed = sizeof named / sizeof named[0];
  std::size_t choice = byte % (kNamed + 9);
  if (choice < kNamed) return Key{named[choice], 0};
  return Key{KeyKind::Tone, static_cast<char>(choice - kNamed)};
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::use_scratch_environment();
  const std::filesystem::path root = std::getenv("KEP_ROOT");
  const std::filesystem::path contents = root / "Library/Components/KEP.component/Contents";
  std::string error;
  std::filesystem::create_directories(contents);
  fuzz::write_file(contents / "Info.plist",
                   fuzz::read_file(std::filesystem::path(KEP_RESOURCES_DIR) / "engine/Info.plist"));
  code_table_folder = (root / "tables").string();
  std::filesystem::create_directories(code_table_folder);
  if (!fuzz::write_engine_resources(contents / "Resources", KEP_RESOURCES_DIR, &error) ||
      !fuzz::write_code_table(code_table_folder, "t", fuzz::seed_code_source(), 20, &error) ||
      !kep_session::start_engine_host(&error)) {
    std::fprintf(stderr, "matcher fuzzer: %s\n", error.c_str());
    std::abort();
  }
  ime_log_func = [](const char*) {};
  auto opened = kep_session::TypingSession::open(false);
  if (!opened) std::abort();
  session = new kep_session::TypingSession(std::move(*opened));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::string error;
  if (!kep_session::select_input_scheme(kSchemes[data[0] % 4], code_table_folder, &error)) {
    std::fprintf(stderr, "matcher fuzzer: %s\n", error.c_str());
    std::abort();
  }
  for (std::size_t i = 1; i < size; ++i) session->type(key_of(data[i]));
  session->cancel();
  kep_session::close_input_scheme();
  return 0;
}
