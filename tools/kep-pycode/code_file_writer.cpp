// Compiling a source list into a pinyin code file.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CoreSource/base/bigendian.h"
#include "CoreSource/base/imelog.h"
#include "imetools.h"
#include "platform/files.h"
#include "platform/text.h"

namespace {

using platform::text::Encoding;

constexpr std::size_t kSecondFormMax = 63;
constexpr std::size_t kFieldMax = 63;
constexpr char kDefaultTag[] = "____ ____";

struct SourceLine {
  std::string pinyin;
  std::string hz;
  std::string second;
  std::uint32_t frequency = 0;
  std::string tag = kDefaultTag;
};

// Reads one source line; false at the end of the file.
bool read_source_line(std::FILE* file, SourceLine* line, bool* usable) {
  std::string text;
  int c;
  bool any = false;
  while ((c = std::getc(file)) != EOF && c != '\n') {
    any = true;
    if (text.size() < 4096) text.push_back(static_cast<char>(c));
  }
  if (!any && c == EOF) return false;
  *line = SourceLine();
  *usable = false;
  std::size_t blank = text.find(' ');
  if (blank == std::string::npos || blank == 0) return true;
  line->pinyin = text.substr(0, blank);
  std::size_t at = blank + 1;
  auto field = [&](std::size_t limit, std::string* out) {
    std::size_t end = text.find_first_of(" \t", at);
    std::string value = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
    at = end == std::string::npos ? text.size() : end + 1;
    if (value.size() > limit) return false;
    *out = value;
    return true;
  };
  std::string frequency;
  if (!field(kFieldMax, &line->hz) || line->hz.empty()) return true;
  if (at < text.size() && !field(kSecondFormMax, &line->second)) return true;
  if (at < text.size() && !field(kFieldMax, &frequency)) return true;
  if (at < text.size() && !field(kFieldMax, &line->tag)) return true;
  if (!frequency.empty()) {
    char* end = nullptr;
    unsigned long value = std::strtoul(frequency.c_str(), &end, 10);
    if (*end != '\0' || value > 0xFFFFFFFFul) return true;
    line->frequency = static_cast<std::uint32_t>(value);
  }
  if (line->second.empty()) line->second = line->hz;
  *usable = true;
  return true;
}

// The character's UTF-16 code unit, when it is one character with a two-byte GB18030 form.
std::optional<std::uint16_t> code_unit_of(const std::string& gb18030) {
  if (gb18030.size() != 2) return std::nullopt;
  std::optional<std::string> utf16 = platform::text::convert(gb18030, Encoding::Gb18030, Encoding::Utf16BE);
  if (!utf16 || utf16->size() != 2) return std::nullopt;
  return static_cast<std::uint16_t>((static_cast<unsigned char>((*utf16)[0]) << 8) |
                                    static_cast<unsigned char>((*utf16)[1]));
}

bool valid_pinyin(const std::string& pinyin) {
  if (pinyin.empty() || pinyin.size() > 6) return false;
  for (char c : pinyin) {
    if (c < 'a' || c > 'z') return false;
  }
  return true;
}

void release(ime_pycode_node_t* node, bool free_node) {
  if (node == nullptr) return;
  for (ime_pycode_node_t*& child : node->children) {
    release(child, true);
    child = nullptr;
  }
  for (ime_pycode_entry_t* e = node->entries; e != nullptr;) {
    ime_pycode_entry_t* next = e->next;
    delete e;
    e = next;
  }
  node->entries = nullptr;
  if (free_node) delete node;
}

// Adds an entry under the node of its pinyin's last letter, counting it on the way down.
bool add_entry(ime_pycode_node_t* root, ime_pycode_entry_t* entry) {
  ime_pycode_node_t* node = root;
  std::vector<ime_pycode_node_t*> path;
  for (const char* p = entry->pinyin; *p != '\0'; ++p) {
    ime_pycode_node_t*& child = node->children[*p - 'a'];
    if (child == nullptr) child = new ime_pycode_node_t{};
    node = child;
    if (node->count == 0xFFFF) return false;
    path.push_back(node);
  }
  for (ime_pycode_node_t* n : path) ++n->count;
  ime_pycode_entry_t** tail = &node->entries;
  while (*tail != nullptr) tail = &(*tail)->next;
  *tail = entry;
  return true;
}

struct Writer {
  std::string image;
  std::vector<std::uint32_t> last_record;  // by character index

  void put32(std::size_t at, std::uint32_t value) {
    ime_write_be32(reinterpret_cast<unsigned char*>(image.data() + at), value);
  }
  void put16(std::size_t at, std::uint16_t value) {
    image[at] = static_cast<char>(value >> 8);
    image[at + 1] = static_cast<char>(value);
  }

  // Writes a node, its records and its children; false when its record count does not fit.
  bool write(ime_pycode_node_t* node, std::uint32_t parent) {
    node->offset = static_cast<std::uint32_t>(image.size());
    image.append(IME_PYCODE_NODE_BYTES, '\0');
    put32(node->offset, parent);
    put16(node->offset + 4, node->count);
    std::uint32_t records = 0;
    for (ime_pycode_entry_t* e = node->entries; e != nullptr; e = e->next) {
      std::size_t at = image.size();
      image.append(IME_PYCODE_RECORD_BYTES, '\0');
      std::memcpy(image.data() + at, e->pinyin, std::strlen(e->pinyin));
      std::memcpy(image.data() + at + 6, e->tag, 4);
      std::memcpy(image.data() + at + 10, e->hz, 2);
      std::memcpy(image.data() + at + 12, e->second, 2);
      put32(at + 14, e->frequency);
      put32(at + 18, e->sequence);
      std::uint32_t index = code_unit(e->hz) - IME_PYCODE_FIRST_UNIT;
      put32(at + 22, last_record[index]);
      last_record[index] = static_cast<std::uint32_t>(at);
      ++records;
    }
    if (records > 0xFFFF) return false;
    put16(node->offset + IME_PYCODE_NODE_BYTES - 2, static_cast<std::uint16_t>(records));
    for (int letter = 0; letter < 26; ++letter) {
      ime_pycode_node_t* child = node->children[letter];
      if (child == nullptr) continue;
      if (!write(child, node->offset)) return false;
      put32(node->offset + 6 + 4 * letter, child->offset);
    }
    return true;
  }

  static std::uint16_t code_unit(const unsigned char* hz) {
    std::string gb(reinterpret_cast<const char*>(hz), 2);
    return *code_unit_of(gb);
  }
};

void append_field(std::string* out, const char* text, std::size_t width) {
  std::string value = text != nullptr ? std::string(text).substr(0, width) : std::string();
  value.resize(width, '\0');
  *out += value;
}

}  // namespace

int ime_build_pinyin_from_file(ime_pycode_node_t* root, const char* source, const char* output,
                               const char* name, const char* description, const char* author) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(source, "rb"), std::fclose);
  if (!in) {
    IME_ERROR("Open file \"%s\" failed!(%s)", source, std::strerror(errno));
    return -1;
  }
  std::error_code ec;
  std::string companion = std::string(output) + ".i";
  if (!platform::files::write_atomic(companion, "", ec)) {
    IME_ERROR("Open file \"%s\" failed!(%s)", companion.c_str(), ec.message().c_str());
    return -1;
  }

  SourceLine line;
  bool usable = false;
  int number = 0;
  std::uint32_t sequence = 0;
  bool overflow = false;
  while (read_source_line(in.get(), &line, &usable)) {
    ++number;
    if (!usable) {
      if (!line.pinyin.empty()) IME_ERROR("PY = '%s' at line %d.", line.pinyin.c_str(), number);
      continue;
    }
    if (!code_unit_of(line.hz) || !code_unit_of(line.second) ||
        *code_unit_of(line.hz) < IME_PYCODE_FIRST_UNIT || !valid_pinyin(line.pinyin)) {
      IME_ERROR("Create string (%s) object with GB18030 encoding failed!", line.hz.c_str());
      IME_ERROR("PY = '%s' at line %d.", line.pinyin.c_str(), number);
      continue;
    }
    auto* entry = new ime_pycode_entry_t{};
    std::snprintf(entry->pinyin, sizeof entry->pinyin, "%s", line.pinyin.c_str());
    std::memcpy(entry->hz, line.hz.data(), 2);
    std::memcpy(entry->second, line.second.data(), 2);
    std::memcpy(entry->tag, (line.tag + "    ").data(), 4);
    entry->sequence = sequence++;
    entry->frequency = line.frequency;
    if (!add_entry(root, entry)) {
      delete entry;
      overflow = true;
      break;
    }
  }
  if (overflow) {
    IME_ERROR("More than 65535 entries under one pinyin; \"%s\" is not written.", output);
    release(root, false);
    return -1;
  }

  Writer writer;
  writer.last_record.assign(IME_PYCODE_INDEX_ENTRIES, 0);
  writer.image.append(26 * 4, '\0');
  bool fits = true;
  for (int letter = 0; letter < 26 && fits; ++letter) {
    if (root->children[letter] == nullptr) continue;
    fits = writer.write(root->children[letter], 0);
    writer.put32(4 * letter, root->children[letter]->offset);
  }
  release(root, false);
  if (!fits) {
    IME_ERROR("More than 65535 records under one pinyin; \"%s\" is not written.", output);
    return -1;
  }
  std::printf("Writing hz index information ...(%zu)(%zu,%zu)\n", writer.image.size(),
              IME_PYCODE_INDEX_ENTRIES, IME_PYCODE_INDEX_BYTES);
  for (std::uint32_t offset : writer.last_record) {
    unsigned char bytes[4];
    ime_write_be32(bytes, offset);
    writer.image.append(reinterpret_cast<const char*>(bytes), 4);
  }
  std::printf("Writing header information ...\n");
  append_field(&writer.image, name, 16);
  append_field(&writer.image, description, 64);
  append_field(&writer.image, author, 32);
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char date[16];
  std::snprintf(date, sizeof date, "%04d-%02d-%02d", (local.tm_year + 1900) % 10000,
                (local.tm_mon + 1) % 100, local.tm_mday % 100);
  append_field(&writer.image, date, 10);
  writer.image += IME_PYCODE_TAG;
  if (!platform::files::write_atomic(output, writer.image, ec)) {
    IME_ERROR("Open file \"%s\" failed!(%s)", output, ec.message().c_str());
    return -1;
  }
  return 0;
}
