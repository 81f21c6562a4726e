// The line format shared by vmode.txt and abbr.txt.
#include <string>
#include <string_view>

#include "base/imelog.h"
#include "tables/vmode.h"

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string_view skip_blanks(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && is_blank(text[i])) ++i;
  return text.substr(i);
}

// The bytes up to the next blank or tab; `rest` is left after the blanks that follow.
std::string_view take_field(std::string_view* rest) {
  std::size_t end = 0;
  while (end < rest->size() && !is_blank((*rest)[end])) ++end;
  std::string_view field = rest->substr(0, end);
  *rest = skip_blanks(rest->substr(end));
  return field;
}

}  // namespace

const ime_vmode_entry_t* ime_vmode_table_t::find(std::string_view key) const {
  auto found = index_of.find(std::string(key));
  return found == index_of.end() ? nullptr : &entries[found->second];
}

std::vector<std::string> ime_vmode_split_items(std::string_view items) {
  std::vector<std::string> result;
  auto keep = [&result](std::string_view item) {
    // An empty item (a list ending in a comma) would be a blank candidate: left out.
    if (!item.empty()) result.emplace_back(item);
  };
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < items.size()) {
    char c = items[i];
    if (c == '\\') {
      i += 2;  // the escaped byte stays in the item
    } else if (c == ',') {
      keep(items.substr(start, i - start));
      start = i + 1;
      // The byte after a separator always begins the next item, whatever it is.
      i += 2;
    } else {
      ++i;
    }
  }
  if (start < items.size()) keep(items.substr(start));
  return result;
}

int ime_vmode_parse(std::string_view text, ime_vmode_format format, ime_vmode_table_t* table) {
  table->entries.clear();
  table->index_of.clear();
  int skipped = 0;
  std::size_t line_start = 0;
  while (line_start < text.size()) {
    std::size_t line_end = text.find_first_of("\r\n", line_start);
    if (line_end == std::string_view::npos) line_end = text.size();
    std::string_view line = text.substr(line_start, line_end - line_start);
    line_start = line_end + 1;

    // The items stop at a zero byte, as the text of a C string would.
    line = line.substr(0, line.find('\0'));
    std::string_view rest = skip_blanks(line);
    if (rest.empty() || rest.front() == '#') continue;

    std::string_view key = take_field(&rest);
    std::string_view description;
    if (format == ime_vmode_format::VMode) description = take_field(&rest);
    std::string_view items = rest;
    if (key.empty() || items.empty() ||
        (format == ime_vmode_format::VMode && description.empty())) {
      IME_DEBUG("Line skipped, a field is missing: %.*s", static_cast<int>(line.size()),
                line.data());
      ++skipped;
      continue;
    }

    std::vector<std::string> split = ime_vmode_split_items(items);
    auto [found, inserted] = table->index_of.try_emplace(std::string(key), table->entries.size());
    if (inserted) {
      table->entries.push_back({std::string(key), std::string(description), std::move(split)});
    } else {
      // A key met again adds its items to the first entry; the first title stays.
      auto& first = table->entries[found->second].items;
      first.insert(first.end(), std::make_move_iterator(split.begin()),
                   std::make_move_iterator(split.end()));
    }
  }
  return skipped;
}
