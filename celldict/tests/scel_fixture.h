// Cell dictionaries for the tests: whole files from the writer, hand-made bodies for faulty
// ones, and a query of an exported folder as the engine makes it.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "CoreSource/dict/qdict.h"
#include "CoreSource/record/conversation.h"
#include "CoreSource/record/engine_globals.h"
#include "CoreSource/record/qrdb.h"
#include "CoreSource/tests/engine_test_support.h"
#include "celldict/scel_format.h"
#include "celldict/scel_reader.h"
#include "celldict/scel_writer.h"
#include "platform/text.h"

namespace scel_fixture {

namespace fs = std::filesystem;

inline std::string utf16(const std::string& utf8) {
  auto units = platform::text::from_utf8(utf8, platform::text::Encoding::Utf16LE);
  EXPECT_TRUE(units.has_value()) << utf8;
  return units.value_or("");
}

// Little-endian pieces of a hand-made body.
class Bytes {
 public:
  Bytes& u16(std::uint32_t value) {
    data_ += static_cast<char>(value & 0xFF);
    data_ += static_cast<char>((value >> 8) & 0xFF);
    return *this;
  }
  Bytes& u32(std::uint32_t value) { return u16(value & 0xFFFF).u16(value >> 16); }
  Bytes& raw(const std::string& bytes) {
    data_ += bytes;
    return *this;
  }
  // A length-prefixed UTF-16LE text (a pinyin entry's syllable or a word).
  Bytes& text(const std::string& utf8) {
    const std::string units = utf16(utf8);
    return u16(static_cast<std::uint32_t>(units.size())).raw(units);
  }
  // The three unused fields and a frequency given as its four stored bytes.
  Bytes& tail(const std::string& frequency = std::string("\x42\xA0\x00\x00", 4)) {
    return u16(10).u32(0).u16(0).raw(frequency);
  }
  const std::string& str() const { return data_; }

 private:
  std::string data_;
};

// A body of `syllables` (indexes 0, 1, ...) and one group per {syllable indexes, words}.
struct Group {
  std::vector<std::uint16_t> indexes;
  std::vector<std::string> words;
};
inline std::string body(const std::vector<std::string>& syllables, const std::vector<Group>& groups) {
  Bytes bytes;
  bytes.u32(static_cast<std::uint32_t>(syllables.size()));
  for (std::size_t i = 0; i < syllables.size(); ++i) bytes.u16(static_cast<std::uint32_t>(i)).text(syllables[i]);
  for (const Group& group : groups) {
    bytes.u16(static_cast<std::uint32_t>(group.words.size()))
        .u16(static_cast<std::uint32_t>(2 * group.indexes.size()));
    for (std::uint16_t index : group.indexes) bytes.u16(index);
    for (const std::string& word : group.words) bytes.text(word).tail();
  }
  return bytes.str();
}

inline scel::WriterContents contents() {
  scel::WriterContents c;
  c.uid = "1234";
  c.name = "城市信息";
  c.type = "地名";
  c.remark = "常用的城市名";
  c.samples = {"北京", "上海", "广州"};
  c.version = 1700000000;
  c.words = {{{"zhong", "guo"}, "中国", 900}, {{"bei", "jing"}, "北京", 800},
             {{"shang", "hai"}, "上海", 700}, {{"guang", "zhou"}, "广州", 600}};
  return c;
}

inline std::string header(const scel::WriterContents& c, std::uint32_t words) {
  std::string error;
  auto bytes = scel::encode_header(c, 1, words, &error);
  EXPECT_TRUE(bytes.has_value()) << error;
  return bytes.value_or("");
}

inline std::string file_bytes(const scel::WriterContents& c) {
  std::string error;
  auto bytes = scel::encode_file(c, &error);
  EXPECT_TRUE(bytes.has_value()) << error;
  return bytes.value_or("");
}

inline fs::path write(const fs::path& path, const std::string& bytes) {
  engine_test::write_file(path, bytes);
  return path;
}

inline void put32(std::string& bytes, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A scratch HOME whose data folder exists, and a private TMPDIR for the reader's word list.
class ScelHome : public engine_test::ScratchHome {
 public:
  ScelHome() : tmpdir_("TMPDIR", temp_.path().string()) {}
  fs::path dictionaries() const { return data_folder() / "Dictionary"; }
  fs::path files() const { return home() / "files"; }
  // Whatever the reader left in TMPDIR.
  std::vector<std::string> temporaries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(temp_.path())) names.push_back(entry.path().filename());
    return names;
  }

 private:
  engine_test::TempDir temp_;
  engine_test::ScopedEnv tmpdir_;
};

// Loads and exports `bytes`, written as files()/<name>; the export's result.
inline int import_bytes(const ScelHome& home, const std::string& name, const std::string& bytes,
                        ScelExportStats* stats = nullptr) {
  const fs::path path = write(home.files() / name, bytes);
  ScelReader reader;
  EXPECT_EQ(reader.load(path), SCEL_OK);
  return reader.exportTo(path, stats);
}

struct Found {
  std::string text;  // UTF-8
  std::uint32_t frequency = 0;
};

// The words a dictionary folder offers for the whole pinyin ("zhong'guo").
inline std::vector<Found> query(const fs::path& folder, const std::string& pinyin) {
  std::vector<Found> found;
  ImeDict* dict = ime_dict_open(folder.c_str(), IME_DICT_FREQ_NONE);
  EXPECT_NE(dict, nullptr) << folder;
  if (dict == nullptr) return found;
  auto* conversation = static_cast<ime_conversation_t*>(std::calloc(1, sizeof(ime_conversation_t)));
  ime_qrdb_init_all(conversation);
  int count = 0;
  for (std::size_t start = 0; start <= pinyin.size(); ++count) {
    std::size_t end = std::min(pinyin.find('\'', start), pinyin.size());
    std::snprintf(conversation->py[count], IME_SYLLABLE_BYTES, "%s", pinyin.substr(start, end - start).c_str());
    start = end + 1;
  }
  conversation->pynum = static_cast<std::uint16_t>(count - 1);
  std::vector<int> tones(IME_MAX_SYLLABLES, 15);
  constexpr int kList = 1;
  ime_qrdb_reset(conversation, IME_QRDB_ALL);
  ime_current_pynum = count - 1;
  ime_dict_query(dict, 0, conversation, tones.data(), 0, count - 1, kList);
  for (int i = 0; i < ime_qrdb_count(conversation, kList); ++i) {
    ime_qrdb_entry_t* entry = nullptr;
    ime_query_result_t loaded{};
    if (ime_qrdb_get_lazy(conversation, kList, i, &entry) != 0 || ime_load_cz_lazy(entry, &loaded) != 0) continue;
    found.push_back({std::string(reinterpret_cast<const char*>(loaded.hz), loaded.hlen), loaded.freq});
  }
  ime_qrdb_free_all(conversation);
  std::free(conversation);
  ime_dict_close(dict);
  return found;
}

}  // namespace scel_fixture
