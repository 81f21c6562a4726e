// Property-list values: dictionaries that keep their key order, arrays, strings, integers,
// reals, booleans, data and dates; read from XML or binary files and written as XML.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <variant>
#include <vector>

namespace platform::plist {

class Value;

using Array = std::vector<Value>;
using Data = std::vector<std::uint8_t>;

// Seconds since 2001-01-01 00:00:00 UTC, the epoch property lists use.
struct Date {
  double seconds = 0;
  bool operator==(const Date&) const = default;
};

// A dictionary that keeps its keys in insertion order.
class Dictionary {
 public:
  using Entry = std::pair<std::string, Value>;

  const Value* find(std::string_view key) const;
  Value* find(std::string_view key);
  // Sets the key, keeping its place when it exists already.
  void set(std::string key, Value value);
  bool erase(std::string_view key);
  bool contains(std::string_view key) const { return find(key) != nullptr; }
  std::size_t size() const;
  bool empty() const;
  const std::vector<Entry>& entries() const { return entries_; }
  bool operator==(const Dictionary& other) const;

 private:
  std::vector<Entry> entries_;
};

class Value {
 public:
  using Storage =
      std::variant<std::monostate, bool, std::int64_t, double, std::string, Data, Date, Array,
                   Dictionary>;

  Value() = default;
  Value(bool b) : storage_(b) {}
  Value(int i) : storage_(std::int64_t{i}) {}
  Value(std::int64_t i) : storage_(i) {}
  Value(double d) : storage_(d) {}
  Value(const char* s) : storage_(std::string(s)) {}
  Value(std::string s) : storage_(std::move(s)) {}
  Value(Data d) : storage_(std::move(d)) {}
  Value(Date d) : storage_(d) {}
  Value(Array a) : storage_(std::move(a)) {}
  Value(Dictionary d) : storage_(std::move(d)) {}

  bool is_null() const { return std::holds_alternative<std::monostate>(storage_); }
  bool is_bool() const { return std::holds_alternative<bool>(storage_); }
  bool is_integer() const { return std::holds_alternative<std::int64_t>(storage_); }
  bool is_real() const { return std::holds_alternative<double>(storage_); }
  bool is_string() const { return std::holds_alternative<std::string>(storage_); }
  bool is_data() const { return std::holds_alternative<Data>(storage_); }
  bool is_date() const { return std::holds_alternative<Date>(storage_); }
  bool is_array() const { return std::holds_alternative<Array>(storage_); }
  bool is_dictionary() const { return std::holds_alternative<Dictionary>(storage_); }

  // Typed access; nullptr when the value holds another type.
  const std::string* as_string() const { return std::get_if<std::string>(&storage_); }
  const Array* as_array() const { return std::get_if<Array>(&storage_); }
  Array* as_array() { return std::get_if<Array>(&storage_); }
  const Dictionary* as_dictionary() const { return std::get_if<Dictionary>(&storage_); }
  Dictionary* as_dictionary() { return std::get_if<Dictionary>(&storage_); }
  const Data* as_data() const { return std::get_if<Data>(&storage_); }

  // Conversions the way settings readers take them: numbers, booleans and numeric strings
  // all convert ("1" reads as 1 and true); nullopt where no sensible value exists.
  std::optional<std::int64_t> integer_value() const;
  std::optional<double> real_value() const;
  std::optional<bool> bool_value() const;
  // Strings as they are; numbers and booleans in their text form.
  std::optional<std::string> string_value() const;

  const Storage& storage() const { return storage_; }
  bool operator==(const Value& other) const { return storage_ == other.storage_; }

 private:
  Storage storage_;
};

// Defined here, where Value is complete: a vector of an incomplete type may not be asked its size.
inline std::size_t Dictionary::size() const { return entries_.size(); }
inline bool Dictionary::empty() const { return entries_.empty(); }

// Parses an XML or binary property list; nullopt for anything else, and for a list holding a
// NUL character inside a string or a key.
std::optional<Value> parse(std::string_view bytes);
std::optional<Value> read_file(const std::filesystem::path& path, std::error_code& error);

std::string to_xml(const Value& value);
// Writes the value as an XML property list, atomically: on failure the old file stays.
bool save_atomic(const std::filesystem::path& path, const Value& value, std::error_code& error);

}  // namespace platform::plist
