// A started engine on a small vocabulary, with one conversation that keys are typed into through
// the full-pinyin matcher, for the tests of matching, paging, selection and learning.
#pragma once

#include <string>
#include <vector>

#include "CoreSource/base/config.h"
#include "CoreSource/base/freq.h"
#include "CoreSource/dict/dictpool.h"
#include "CoreSource/match/imeconvs1.h"
#include "CoreSource/match/imeconvs2.h"
#include "CoreSource/record/conversation.h"
#include "CoreSource/record/engine_globals.h"
#include "CoreSource/record/qrdb.h"
#include "CoreSource/start/config_reload.h"
#include "CoreSource/tables/vmode.h"
#include "table_fixture.h"
#include "writers/system_dictionary.h"

namespace matcher_test {

using table_test::record;

// Single hanzi: ten under zhong (two pages of six), and the characters of the words below.
inline std::vector<mkdata::PinyinRecord> vocabulary_hanzi() {
  std::vector<mkdata::PinyinRecord> records = {
      record("zhong", "中", "中", 243213, 1 | 8), record("zhong", "种", "種", 9000, 4 | 8),
      record("zhong", "重", "重", 8000, 4 | 2),   record("zhong", "钟", "鐘", 7000, 1),
      record("zhong", "众", "眾", 6000, 8),       record("zhong", "忠", "忠", 5000, 1),
      record("zhong", "终", "終", 4000, 1),       record("zhong", "肿", "腫", 3000, 4),
      record("zhong", "仲", "仲", 2000, 8),       record("zhong", "衷", "衷", 1000, 1),
      record("guo", "国", "國", 50000, 2),        record("guo", "过", "過", 40000, 8),
      record("guo", "果", "果", 30000, 4),        record("ren", "人", "人", 90000, 2),
      record("ren", "任", "任", 5000, 8),         record("wo", "我", "我", 100000, 4),
      record("men", "们", "們", 80000, 2),        record("men", "门", "門", 20000, 2),
      record("shi", "是", "是", 200000, 8),       record("shi", "时", "時", 50000, 2),
      record("de", "的", "的", 300000, 2),        record("ni", "你", "你", 90000, 4),
      record("hao", "好", "好", 90000, 4),        record("ta", "他", "他", 90000, 1),
      record("ta", "她", "她", 80000, 1),         record("zou", "走", "走", 5000, 4),
      record("jia", "家", "家", 9000, 1),
  };
  for (std::size_t i = 0; i < records.size(); ++i) records[i].hanzi_index = static_cast<std::uint32_t>(i);
  return records;
}

inline std::vector<mkdata::WordListEntry> vocabulary_words() {
  return {
      {{"zhong", "guo"}, "中国", "中國", 106588, "12"},
      {{"guo", "jia"}, "国家", "國家", 90000, "21"},
      {{"wo", "men"}, "我们", "我們", 80000, "32"},
      {{"zhong", "guo", "ren"}, "中国人", "中國人", 70000, "122"},
      {{"ni", "hao"}, "你好", "你好", 60000, "33"},
      {{"zhong", "ren"}, "众人", "眾人", 500, "42"},
  };
}

inline std::vector<QAHzInfoEntry> vocabulary_readings() {
  return {
      {"中", {"zhong1", "zhong4"}, "", '1'}, {"国", {"guo2"}, "國", '1'},
      {"人", {"ren2"}, "", '1'},             {"我", {"wo3"}, "", '1'},
      {"们", {"men2"}, "們", '1'},           {"是", {"shi4"}, "", '1'},
      {"他", {"ta1"}, "", '1'},              {"走", {"zou3"}, "", '1'},
  };
}

class MatcherTest : public ::testing::Test {
 public:
  // The texts of the page shown.
  std::vector<std::string> page_texts() const { return page(); }

 protected:
  void SetUp() override {
    ime_vmode_reset_for_testing();
    std::string error;
    root_.put_tiny_tables();
    auto table = mkdata::write_pinyin_table(vocabulary_hanzi(), &error);
    ASSERT_TRUE(table) << error;
    root_.put_resource("pinyin.db", *table);
    auto readings = mkdata::write_hzinfo(vocabulary_readings(), &error);
    ASSERT_TRUE(readings) << error;
    root_.put_resource("hzdb.db", readings->database);
    root_.put_resource("hzdb.idx", readings->index);
    mkdata::DictionaryReport report;
    ASSERT_TRUE(mkdata::write_system_dictionary(vocabulary_words(),
                                                root_.resources() / "system.dict", &report, &error))
        << error;
    root_.put_resource("vmode.txt", "bd 标点 ，,。,、\n");
    table_test::write_file(root_.data_folder() / "abbr.txt", "zg 中国,中华人民共和国\nBJ 北京\n");
    before_start();
    kIMEConfigureDictionary = &settings_;
    ASSERT_EQ(ime_init(), 0) << root_.log_text();
    ASSERT_EQ(ime_load_phrase(), 0);
    ASSERT_EQ(ime_new_conversation(&c_), 0);
    ime_convs_reset(c_);
    ime_duration = 0;  // typed in a burst unless a test says otherwise
  }
  void TearDown() override {
    ime_free_conversation(&c_);
    ime_exit();
    kIMEConfigureDictionary = nullptr;
    ime_vmode_reset_for_testing();
    ime_page_size = IME_DEFAULT_PAGE_SIZE;
    ime_duration = 0;
  }

  // Files a test puts in place before the engine starts.
  virtual void before_start() {}

  void set(const char* key, platform::plist::Value value) { settings_.set(key, std::move(value)); }

  // Types a key script: letters and digits as themselves, "<space>", "<bs>", "<pgdn>", ...
  // into the given scheme's matcher (full pinyin by default). Returns the result of the last key.
  int type(const std::string& keys, int (*match)(ime_conversation_t*, int) = ime_convs_match) {
    int result = IME_MATCH_SHOW;
    for (std::size_t at = 0; at < keys.size(); ++at) {
      int key = static_cast<unsigned char>(keys[at]);
      if (keys[at] == '<') {
        const std::size_t end = keys.find('>', at);
        key = named_key(keys.substr(at + 1, end - at - 1));
        at = end;
      }
      result = match(c_, key);
    }
    return result;
  }

  static int named_key(const std::string& name) {
    if (name == "space") return IME_KEY_SPACE;
    if (name == "bs") return IME_KEY_BACKSPACE;
    if (name == "del") return IME_KEY_DELETE;
    if (name == "ret") return IME_KEY_RETURN;
    if (name == "left") return IME_KEY_LEFT;
    if (name == "right") return IME_KEY_RIGHT;
    if (name == "pgup") return IME_KEY_PAGE_UP;
    if (name == "pgdn") return IME_KEY_PAGE_DOWN;
    if (name == "tab") return IME_KEY_TAB;
    if (name == "zero") return IME_KEY_ZERO;
    if (name.rfind("del", 0) == 0 && name.size() == 4) return -(name[3] - '0');  // delete word n
    if (name.rfind("tone", 0) == 0) return IME_KEY_TONE_BASE + std::stoi(name.substr(4));
    ADD_FAILURE() << "unknown key " << name;
    return 0;
  }

  // The texts of the page shown.
  std::vector<std::string> page() const {
    std::vector<std::string> texts;
    const bool traditional = (c_->mode & IME_MODE_TRADITIONAL) != 0;
    for (int i = 0; i < c_->ncand; ++i) {
      texts.emplace_back(reinterpret_cast<const char*>(traditional ? c_->cands[i].thz : c_->cands[i].hz));
    }
    return texts;
  }
  std::string first() const { return c_->ncand > 0 ? page()[0] : std::string(); }
  std::string output() const {
    return std::string(reinterpret_cast<const char*>(c_->outbuf), c_->outlen);
  }
  // Types the keys and, on a commit, gives the committed text and resets, as a host does.
  std::string commit(const std::string& keys) {
    if (type(keys) != IME_MATCH_COMMITTED) return "(no commit)";
    std::string text = output();
    ime_convs_reset(c_);
    return text;
  }

  table_test::EngineRoot root_;
  platform::plist::Dictionary settings_;
  ime_conversation_t* c_ = nullptr;
};

}  // namespace matcher_test
