// A scratch root with the engine's resource bundle and a scratch home, and tiny shipped tables
// written by the generator's own writers, for tests of the engine's loaders.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CoreSource/base/bigendian.h"
#include "CoreSource/start/startup.h"
#include "CoreSource/tables/accode.h"
#include "CoreSource/tables/hzfreq.h"
#include "CoreSource/tables/hzinfo.h"
#include "CoreSource/tables/pytable.h"
#include "CoreSource/tests/engine_test_support.h"
#include "CoreSource/text/punct.h"
#include "writers/hzinfo_writer.h"
#include "writers/pinyin_table_writer.h"
#include "writers/text_tables.h"

namespace table_test {

namespace fs = std::filesystem;
using engine_test::read_file;
using engine_test::write_file;

inline mkdata::PinyinRecord record(const char* syllable, const char* simplified,
                                   const char* traditional, std::uint32_t frequency,
                                   std::uint8_t tones, char class_digit = '5') {
  return mkdata::pinyin_record(syllable, simplified, traditional, frequency, tones, class_digit);
}

// A few characters, enough for every kind of query: a group of several records, a character
// under two syllables, the runs of j, z and zh, and the one-letter syllables m, n and a.
inline std::vector<mkdata::PinyinRecord> tiny_pinyin_records() {
  std::vector<mkdata::PinyinRecord> records = {
      record("zhong", "中", "中", 243213, 1 | 8),
      record("zhong", "种", "種", 1000, 4 | 8),
      record("zhang", "张", "張", 500, 1),
      record("zha", "扎", "紮", 800, 1 | 2),
      record("za", "杂", "雜", 300, 2),
      record("ji", "几", "幾", 16625, 1 | 4),
      record("jia", "家", "家", 9000, 1),
      record("jiu", "就", "就", 558432, 8),
      record("xing", "行", "行", 35822, 2),
      record("hang", "行", "行", 3209, 2),
      record("fa", "发", "發", 5000, 1 | 8),
      record("a", "啊", "啊", 100, 1),
      record("m", "呣", "呣", 0, 2 | 8, '0'),
      record("n", "嗯", "嗯", 0, 2 | 4 | 8, '0'),
  };
  for (std::size_t i = 0; i < records.size(); ++i) records[i].hanzi_index = static_cast<std::uint32_t>(i);
  return records;
}

inline std::vector<mkdata::PinyinRecord> tiny_extension_records() {
  std::vector<mkdata::PinyinRecord> records = {record("fa", "发", "髮", 40, 4 | 8),
                                               record("hou", "后", "后", 30, 8)};
  records[1].hanzi_index = 1;
  return records;
}

inline std::vector<QAHzInfoEntry> tiny_hanzi_entries() {
  return {
      {"中", {"zhong1", "zhong4"}, "", '1'},
      {"行", {"xing2", "hang2", "hang4", "heng2"}, "", '1'},
      {"几", {"ji3", "ji1"}, "幾", '1'},
      {"发", {"fa1", "fa4"}, "發髮", '1'},
      {"呣", {"m2", "m4"}, "", 'K'},
      {"的", {"de", "di2", "di4"}, "", '1'},
  };
}

inline std::string tiny_pinyin_table() {
  std::string error;
  std::optional<std::string> table = mkdata::write_pinyin_table(tiny_pinyin_records(), &error);
  EXPECT_TRUE(table) << error;
  return table.value_or("");
}

// A pinyin.db without the hanzi index the generator writes: records, end record, syllable index
// and its size, nothing else. The bytes are cut by the sizes the table stores.
inline std::string without_hanzi_index(const std::string& table) {
  auto u32_at = [&](std::size_t at) {
    return ime_read_be32(reinterpret_cast<const unsigned char*>(table.data() + at));
  };
  const std::size_t index_at = table.size() - 4 - u32_at(table.size() - 4);
  const std::size_t hanzi_at = index_at - 4 - u32_at(index_at - 4);
  return table.substr(0, hanzi_at) + table.substr(index_at);
}

inline std::string tiny_extension_table() {
  std::string error;
  std::optional<std::string> table = mkdata::write_pinyin_ext_table(tiny_extension_records(), &error);
  EXPECT_TRUE(table) << error;
  return table.value_or("");
}

inline mkdata::HzInfoFiles tiny_hanzi_files() {
  std::string error;
  std::optional<mkdata::HzInfoFiles> files = mkdata::write_hzinfo(tiny_hanzi_entries(), &error);
  EXPECT_TRUE(files) << error;
  return files.value_or(mkdata::HzInfoFiles{});
}

// KEP_ROOT with the engine's resource bundle, HOME with its data folder; the engine is stopped
// and every cache forgotten at the end.
class EngineRoot {
 public:
  EngineRoot()
      : root_env_("KEP_ROOT", root_.path().string()), home_env_("HOME", (root_.path() / "home").string()) {
    engine_test::reset_engine_caches();
    fs::create_directories(resources());
    write_file(root_.path() / "Library/Components/KEP.component/Contents/Info.plist",
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
               "\t<key>CFBundleIdentifier</key>\n\t<string>com.corvana.kep</string>\n</dict>\n</plist>\n");
    fs::create_directories(data_folder());
    // As the engine makes it: a data folder others may write to is refused, whatever the umask.
    fs::permissions(data_folder(), fs::perms::owner_all);
    ime_set_default_resources();
  }
  ~EngineRoot() {
    ime_exit();
    ime_forget_punct();
    ime_release_acc();
    engine_test::reset_engine_caches();
  }
  EngineRoot(const EngineRoot&) = delete;
  EngineRoot& operator=(const EngineRoot&) = delete;

  fs::path resources() const {
    return root_.path() / "Library/Components/KEP.component/Contents/Resources";
  }
  fs::path data_folder() const { return root_.path() / "home/Library/KEP"; }

  void put_resource(const std::string& name, const std::string& bytes) const {
    write_file(resources() / name, bytes);
  }

  // Every table ime_init reads, in its tiny form.
  void put_tiny_tables() const {
    put_resource("pinyin.db", tiny_pinyin_table());
    put_resource("pinyin2.db", tiny_extension_table());
    mkdata::HzInfoFiles hanzi = tiny_hanzi_files();
    put_resource("hzdb.db", hanzi.database);
    put_resource("hzdb.idx", hanzi.index);
    put_resource("hzdb.info", "tiny 1\n");
    put_resource("punct.def", mkdata::write_punctuation(mkdata::default_punctuation()));
    std::size_t lines = 0;
    put_resource("fzm.db", mkdata::write_accessory_codes({{"中", {"l"}}, {"行", {"hon", "hn"}}}, &lines));
  }

  // What the engine's own log callback (installed by ime_init) wrote.
  std::string log_text() const { return read_file(data_folder() / "ime.log"); }

  // Makes DEBUG lines visible: ime_init reads the level from these marker files.
  void enable_debug_log() const { write_file(data_folder() / "debug_1", ""); }

 private:
  engine_test::TempDir root_;
  engine_test::ScopedEnv root_env_;
  engine_test::ScopedEnv home_env_;
};

inline bool logged(const std::string& text) {
  for (const std::string& line : engine_test::LogCapture::lines()) {
    if (line.find(text) != std::string::npos) return true;
  }
  return false;
}

}  // namespace table_test
