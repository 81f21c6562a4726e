#include "text/punct.h"

#include <cstring>
#include <optional>
#include <string_view>

#include "base/datafolder.h"
#include "base/filestamp.h"
#include "base/imelog.h"
#include "platform/files.h"

ime_punct_t ime_punct[IME_PUNCT_KEYS];

namespace {

ime_file_stamp_t loaded_stamp;
bool loaded = false;

// A line shorter than this, its line feed counted, holds no value.
constexpr std::size_t kShortestLine = 4;

}  // namespace

int ime_parse_punct(const std::string& text, ime_punct_t (&table)[IME_PUNCT_KEYS]) {
  std::memset(table, 0, sizeof table);
  int refused = 0;
  std::string_view rest(text);
  while (!rest.empty()) {
    std::size_t end = rest.find('\n');
    bool has_line_feed = end != std::string_view::npos;
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(has_line_feed ? end + 1 : rest.size());

    if (line.size() + (has_line_feed ? 1 : 0) < kShortestLine) continue;
    auto key = static_cast<unsigned char>(line[0]);
    std::string_view value = line.substr(2);
    if (key >= IME_PUNCT_KEYS || value.size() > IME_PUNCT_TEXT_MAX ||
        line.size() > IME_PUNCT_LINE_MAX) {
      ++refused;
      continue;
    }
    ime_punct_t& entry = table[key];
    std::memset(&entry, 0, sizeof entry);
    std::memcpy(entry.text, value.data(), value.size());
    entry.length = static_cast<std::uint16_t>(value.size());
  }
  return refused;
}

int ime_load_punct() {
  char path[512];
  if (ime_get_resource_filename("punct.def", path) != 0) return -1;
  ime_file_stamp_t stamp;
  if (!ime_file_stamp_t::of(path, &stamp)) {
    IME_ERROR("Punct file '%s' not found.", path);
    return -1;
  }
  if (loaded && stamp == loaded_stamp) {
    IME_DEBUG("[%s] not changed.[%lld,%lld]", path, loaded_stamp.seconds, stamp.seconds);
    return 0;
  }
  IME_DEBUG("Loading punct from '%s' ...", path);
  std::error_code error;
  std::optional<std::string> text = platform::files::read_file(path, error);
  if (!text) {
    IME_ERROR("Open file \"%s\" failed!:%s", path, error.message().c_str());
    return -1;
  }
  int refused = ime_parse_punct(*text, ime_punct);
  if (refused > 0) {
    IME_ERROR("%d lines of '%s' refused: a key above 127 or a value over 31 bytes.", refused, path);
  }
  loaded_stamp = stamp;
  loaded = true;
  return 0;
}

void ime_forget_punct() {
  loaded = false;
  loaded_stamp = {};
}
