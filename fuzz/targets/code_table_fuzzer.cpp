// A compiled code table as the engine opens it: the input is its scheme line (.pct), data file
// (.qdb), index (.idx, CHM or SQLite) and optional extra codes (.ex); the table is then asked
// for a few codes, exactly, by prefix and with the wildcard.
#include "CoreSource/dict/cmphplug.h"
#include "CoreSource/record/conversation.h"
#include "CoreSource/record/qrdb.h"
#include "fuzz/fuzz_support.h"
#include "preferences/codetable/scheme_line.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::use_scratch_environment();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto parts = fuzz::split_parts(fuzz::as_view(data, size), 4);
  auto scheme = codetable::ParseSchemeLine(parts[0]);
  fuzz::TempDir dir;
  const char* names[] = {"t.pct", "t.qdb", "t.idx", "t.ex"};
  for (std::size_t i = 0; i < 4; ++i) {
    if (i == 3 && parts[3].empty()) break;
    if (!fuzz::write_file(dir.path() / names[i], parts[i])) return 0;
  }
  char wildcard = scheme ? scheme->wildcard : codetable::kDefaultWildcard;
  int max_len = scheme ? scheme->max_key_length : codetable::kDefaultMaxKeyLength;
  if (ime_plug_open((dir.path() / "t.pct").c_str(), wildcard, max_len) != 0) return 0;
  static ime_conversation_t* conversation = nullptr;
  if (!conversation && ime_new_conversation(&conversation) != 0) std::abort();
  for (int exact = 0; exact < 2; ++exact) {
    ime_plug_query_type = exact;
    for (std::string_view code : {"a", "ab", "a*", "*", "!!a", "zzzzz"}) {
      ime_plug_query(conversation, 1, code.data(), static_cast<int>(code.size()));
      ime_qrdb_sort(conversation, 1);
      for (int i = 0; i < ime_qrdb_count(conversation, 1); ++i) {
        ime_query_result_t result;
        ime_qrdb_get(conversation, 1, i, &result);
      }
    }
  }
  ime_plug_close();
  return 0;
}
