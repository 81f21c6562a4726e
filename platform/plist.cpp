#include "platform/plist.h"

#include <plist/plist.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <limits>

#include "platform/files.h"
#include "platform/plist_nul_check.h"

namespace platform::plist {

// ---- Dictionary ---------------------------------------------------------------------------

const Value* Dictionary::find(std::string_view key) const {
  for (const auto& [k, v] : entries_) {
    if (k == key) return &v;
  }
  return nullptr;
}

Value* Dictionary::find(std::string_view key) {
  for (auto& [k, v] : entries_) {
    if (k == key) return &v;
  }
  return nullptr;
}

void Dictionary::set(std::string key, Value value) {
  if (Value* existing = find(key)) {
    *existing = std::move(value);
    return;
  }
  entries_.emplace_back(std::move(key), std::move(value));
}

bool Dictionary::erase(std::string_view key) {
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->first == key) {
      entries_.erase(it);
      return true;
    }
  }
  return false;
}

bool Dictionary::operator==(const Dictionary& other) const {
  // Key order is kept for writing but does not make two dictionaries different.
  if (size() != other.size()) return false;
  for (const auto& [k, v] : entries_) {
    const Value* theirs = other.find(k);
    if (!theirs || !(*theirs == v)) return false;
  }
  return true;
}

// ---- Value conversions --------------------------------------------------------------------

namespace {

std::optional<std::int64_t> parse_integer(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  long long v = std::strtoll(text.c_str(), &end, 10);
  if (end && *end == '\0') {
    // A whole integer out of range has no value; the reader's default applies.
    if (errno == ERANGE) return std::nullopt;
    return v;
  }
  // "1.5" and the like: take the number's integer part, as a numeric string would convert.
  // 2^63 itself is out of range, and is exactly what INT64_MAX turns into as a double.
  constexpr double kLimit = 9223372036854775808.0;
  errno = 0;
  double d = std::strtod(text.c_str(), &end);
  if (errno == 0 && end && *end == '\0' && std::isfinite(d) && d >= -kLimit && d < kLimit) {
    return static_cast<std::int64_t>(d);
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::int64_t> Value::integer_value() const {
  if (auto* i = std::get_if<std::int64_t>(&storage_)) return *i;
  if (auto* b = std::get_if<bool>(&storage_)) return *b ? 1 : 0;
  if (auto* d = std::get_if<double>(&storage_)) {
    if (!std::isfinite(*d)) return std::nullopt;
    if (*d >= 9.2e18 || *d <= -9.2e18) return std::nullopt;
    return static_cast<std::int64_t>(*d);
  }
  if (auto* s = std::get_if<std::string>(&storage_)) return parse_integer(*s);
  return std::nullopt;
}

std::optional<double> Value::real_value() const {
  if (auto* d = std::get_if<double>(&storage_)) return *d;
  if (auto* i = std::get_if<std::int64_t>(&storage_)) return static_cast<double>(*i);
  if (auto* b = std::get_if<bool>(&storage_)) return *b ? 1.0 : 0.0;
  if (auto* s = std::get_if<std::string>(&storage_)) {
    char* end = nullptr;
    double d = std::strtod(s->c_str(), &end);
    if (!s->empty() && end && *end == '\0') return d;
  }
  return std::nullopt;
}

std::optional<bool> Value::bool_value() const {
  if (auto* b = std::get_if<bool>(&storage_)) return *b;
  if (auto* i = std::get_if<std::int64_t>(&storage_)) return *i != 0;
  if (auto* d = std::get_if<double>(&storage_)) return *d != 0.0;
  if (auto* s = std::get_if<std::string>(&storage_)) {
    // Strings read the way a settings reader takes them: yes/true words or a non-zero number.
    if (s->empty()) return std::nullopt;
    char c = (*s)[0];
    if (c == 'Y' || c == 'y' || c == 'T' || c == 't') return true;
    if (c == 'N' || c == 'n' || c == 'F' || c == 'f') return false;
    if (auto i = parse_integer(*s)) return *i != 0;
    return false;
  }
  return std::nullopt;
}

std::optional<std::string> Value::string_value() const {
  if (auto* s = std::get_if<std::string>(&storage_)) return *s;
  if (auto* i = std::get_if<std::int64_t>(&storage_)) return std::to_string(*i);
  if (auto* b = std::get_if<bool>(&storage_)) return std::string(*b ? "1" : "0");
  if (auto* d = std::get_if<double>(&storage_)) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17g", *d);
    return std::string(buffer);
  }
  return std::nullopt;
}

// ---- Reading (libplist) -------------------------------------------------------------------

namespace {

constexpr int kMaxDepth = 64;  // a hostile file cannot recurse us off the stack

std::optional<Value> from_node(plist_t node, int depth) {
  if (!node || depth > kMaxDepth) return std::nullopt;
  switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
      uint8_t b = 0;
      plist_get_bool_val(node, &b);
      return Value(b != 0);
    }
    case PLIST_UINT: {
      uint64_t u = 0;
      plist_get_uint_val(node, &u);
      // Negative integers are stored in two's complement.
      return Value(static_cast<std::int64_t>(u));
    }
    case PLIST_REAL: {
      double d = 0;
      plist_get_real_val(node, &d);
      return Value(d);
    }
    case PLIST_STRING: {
      // By pointer and length: plist_get_string_val aborts on a NUL inside the text.
      uint64_t length = 0;
      const char* text = plist_get_string_ptr(node, &length);
      if (!text) return Value(std::string());
      std::string_view view(text, length);
      if (view.find('\0') != std::string_view::npos) return std::nullopt;
      return Value(std::string(view));
    }
    case PLIST_DATA: {
      char* bytes = nullptr;
      uint64_t length = 0;
      plist_get_data_val(node, &bytes, &length);
      Data data(reinterpret_cast<std::uint8_t*>(bytes), reinterpret_cast<std::uint8_t*>(bytes) + length);
      std::free(bytes);
      return Value(std::move(data));
    }
    case PLIST_DATE: {
      int32_t sec = 0, usec = 0;
      plist_get_date_val(node, &sec, &usec);
      return Value(Date{sec + usec / 1e6});
    }
    case PLIST_ARRAY: {
      Array array;
      uint32_t n = plist_array_get_size(node);
      for (uint32_t i = 0; i < n; ++i) {
        auto item = from_node(plist_array_get_item(node, i), depth + 1);
        if (!item) return std::nullopt;
        array.push_back(std::move(*item));
      }
      return Value(std::move(array));
    }
    case PLIST_DICT: {
      Dictionary dict;
      plist_dict_iter it = nullptr;
      plist_dict_new_iter(node, &it);
      while (it) {
        // Keys have no length-aware getter in libplist; parse() has refused every list whose
        // keys could hold a NUL, the one thing that makes this getter abort.
        char* key = nullptr;
        plist_t child = nullptr;
        plist_dict_next_item(node, it, &key, &child);
        if (!key) break;
        std::string name = key;
        std::free(key);
        auto item = from_node(child, depth + 1);
        if (!item) {
          std::free(it);
          return std::nullopt;
        }
        dict.set(std::move(name), std::move(*item));
      }
      std::free(it);
      return Value(std::move(dict));
    }
    default:
      return std::nullopt;
  }
}

}  // namespace

std::optional<Value> parse(std::string_view bytes) {
  if (bytes.empty() || bytes.size() > std::numeric_limits<uint32_t>::max()) return std::nullopt;
  if (may_hold_nul_in_string(bytes)) return std::nullopt;
  plist_t root = nullptr;
  plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
  if (!root) return std::nullopt;
  auto value = from_node(root, 0);
  plist_free(root);
  return value;
}

std::optional<Value> read_file(const std::filesystem::path& path, std::error_code& error) {
  auto bytes = files::read_file(path, error);
  if (!bytes) return std::nullopt;
  auto value = parse(*bytes);
  if (!value) error = std::make_error_code(std::errc::illegal_byte_sequence);
  return value;
}

// ---- Writing (our own XML writer, so key order and negative integers come out right) -------

namespace {

void append_escaped(std::string& out, std::string_view text) {
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out += c;
    }
  }
}

void append_base64(std::string& out, const Data& data) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::size_t i = 0;
  for (; i + 2 < data.size(); i += 3) {
    unsigned v = (data[i] << 16) | (data[i + 1] << 8) | data[i + 2];
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += kAlphabet[v & 63];
  }
  if (i + 1 == data.size()) {
    unsigned v = data[i] << 16;
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += "==";
  } else if (i + 2 == data.size()) {
    unsigned v = (data[i] << 16) | (data[i + 1] << 8);
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += '=';
  }
}

std::string format_date(const Date& date) {
  // Property-list dates count from 2001-01-01, 978307200 seconds after the Unix epoch.
  std::time_t unix_time = static_cast<std::time_t>(std::floor(date.seconds)) + 978307200;
  std::tm tm {};
  gmtime_r(&unix_time, &tm);
  char buffer[32];
  std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return buffer;
}

void write_value(std::string& out, const Value& value, int indent) {
  std::string pad(static_cast<std::size_t>(indent), '\t');
  out += pad;
  const auto& storage = value.storage();
  if (std::holds_alternative<std::monostate>(storage)) {
    out += "<string></string>\n";
  } else if (auto* b = std::get_if<bool>(&storage)) {
    out += *b ? "<true/>\n" : "<false/>\n";
  } else if (auto* i = std::get_if<std::int64_t>(&storage)) {
    out += "<integer>" + std::to_string(*i) + "</integer>\n";
  } else if (auto* d = std::get_if<double>(&storage)) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17g", *d);
    std::string text = buffer;
    // Keep a real recognisable as one when it reads back.
    if (text.find_first_of(".eEn") == std::string::npos) text += ".0";
    out += "<real>" + text + "</real>\n";
  } else if (auto* s = std::get_if<std::string>(&storage)) {
    out += "<string>";
    append_escaped(out, *s);
    out += "</string>\n";
  } else if (auto* data = std::get_if<Data>(&storage)) {
    out += "<data>";
    append_base64(out, *data);
    out += "</data>\n";
  } else if (auto* date = std::get_if<Date>(&storage)) {
    out += "<date>" + format_date(*date) + "</date>\n";
  } else if (auto* array = std::get_if<Array>(&storage)) {
    if (array->empty()) {
      out += "<array/>\n";
      return;
    }
    out += "<array>\n";
    for (const auto& item : *array) write_value(out, item, indent + 1);
    out += pad + "</array>\n";
  } else if (auto* dict = std::get_if<Dictionary>(&storage)) {
    if (dict->empty()) {
      out += "<dict/>\n";
      return;
    }
    out += "<dict>\n";
    for (const auto& [key, item] : dict->entries()) {
      out += pad + "\t<key>";
      append_escaped(out, key);
      out += "</key>\n";
      write_value(out, item, indent + 1);
    }
    out += pad + "</dict>\n";
  }
}

}  // namespace

std::string to_xml(const Value& value) {
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n";
  write_value(out, value, 0);
  out += "</plist>\n";
  return out;
}

bool save_atomic(const std::filesystem::path& path, const Value& value, std::error_code& error) {
  return files::write_atomic(path, to_xml(value), error);
}

}  // namespace platform::plist
