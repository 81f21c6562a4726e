// Typing with the sentence service and the script converter: what is shown and committed after
// every key, kept byte for byte as it was when every key asked the service and every sentence
// was converted at once; and the requests that are no longer made: none for an input the service
// must refuse (one holding an unfinished syllable), and no conversion of a sentence nobody sees
// in traditional form.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <memory>
#include <map>
#include <mutex>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "CoreSource/tables/pinyin_code.h"
#include "CoreSource/tables/py_syllables.h"
#include "CoreSource/tables/pytable.h"
#include "CoreSource/user/imeuser2.h"
#include "platform/text.h"
#include "service_fixture.h"

namespace matcher_test {
namespace {

using platform::testing_support::PortServerThread;

std::string gbk(const std::string& utf8) {
  return platform::text::from_utf8(utf8, platform::text::Encoding::Gbk).value_or("");
}
std::string utf8(const std::string& gbk_text) {
  return platform::text::to_utf8(gbk_text, platform::text::Encoding::Gbk).value_or("");
}

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream in(text);
  for (std::string part; std::getline(in, part, separator);) parts.push_back(part);
  return parts;
}

// A sentence service that knows a few syllables and initials, one character each, and like the
// real one refuses an input holding anything else (an unfinished syllable above all). 事 is no
// character of the vocabulary's readings, so its reading is asked of the service too.
class FakeSentenceService {
 public:
  FakeSentenceService()
      : server_("KEPCPServerPort", [this](std::int32_t id, std::string_view payload) {
          return answer(id, std::string(payload));
        }) {}
  bool serving() const { return !server_.error(); }
  std::vector<std::string> conversions() {
    std::lock_guard lock(mutex_);
    return conversions_;
  }

 private:
  std::optional<std::string> answer(std::int32_t id, const std::string& payload) {
    if (id == QCP_MSG_LEARN_TEXT) return std::string("000:S");
    if (id == QCP_MSG_FILL_PY) {
      std::string readings;
      for (const std::string& character : split(payload, '_')) {
        if (!readings.empty()) readings += '-';
        readings += reading_of(utf8(character));
      }
      return "000:" + readings;
    }
    {
      std::lock_guard lock(mutex_);
      conversions_.push_back(payload);
    }
    std::string text;
    std::string marks;
    for (const std::string& item : split(payload, '_')) {
      auto found = kCharacters.find(item);
      if (found == kCharacters.end()) return "003:Convert stream '" + payload + "' failed.";
      text += gbk(found->second);
      marks += '0';
    }
    marks.back() = '_';
    return "000:" + text + "\xFF" + marks;
  }
  static std::string reading_of(const std::string& character) {
    for (const auto& [syllable, known] : kCharacters) {
      if (known == character && syllable[0] >= 'a') return syllable;
    }
    return character;
  }

  inline static const std::map<std::string, std::string> kCharacters = {
      {"wo", "我"},  {"men", "们"},  {"shi", "事"}, {"zhong", "中"}, {"guo", "国"},
      {"ren", "人"}, {"ta", "他"},   {"zou", "走"}, {"W", "我"},     {"M", "们"},
      {"S", "是"},   {"Z", "中"},    {"G", "国"},   {"R", "人"},     {"T", "他"},
  };
  std::mutex mutex_;
  std::vector<std::string> conversions_;
  PortServerThread server_;  // last: stopped before the members its handler uses
};

// A script converter for the characters above that have a traditional form.
class FakeConverter {
 public:
  FakeConverter()
      : server_("KEPCCServerPort", [this](std::int32_t, std::string_view payload) {
          ++requests_;
          std::string text(payload);
          for (const auto& [simplified, traditional] : kForms) {
            for (std::size_t at; (at = text.find(simplified)) != std::string::npos;) {
              text.replace(at, simplified.size(), traditional);
            }
          }
          return std::optional<std::string>("000:" + text);
        }) {}
  bool serving() const { return !server_.error(); }
  int requests() const { return requests_; }

 private:
  inline static const std::map<std::string, std::string> kForms = {
      {"们", "們"}, {"国", "國"}, {"门", "門"}, {"时", "時"}};
  std::atomic<int> requests_{0};
  PortServerThread server_;
};

class ServiceTranscriptTest : public ServiceTest {
 protected:
  // Types a key script and writes one line per key: the output (marked text) and the page, or
  // the committed text. "<trad>" and "<simp>" switch traditional output as the host does
  // between keys, "<pause>" makes the next key come after a pause (so a commit is learned).
  std::string transcript(const std::string& script) {
    std::string lines;
    for (std::size_t at = 0; at < script.size(); ++at) {
      std::string key(1, script[at]);
      if (script[at] == '<') {
        const std::size_t end = script.find('>', at);
        key = script.substr(at, end - at + 1);
        at = end;
      }
      if (key == "<trad>" || key == "<simp>") {
        c_->mode = key == "<trad>" ? c_->mode | IME_MODE_TRADITIONAL
                                   : c_->mode & ~std::uint32_t{IME_MODE_TRADITIONAL};
        continue;
      }
      if (key == "<pause>") {
        ime_duration = 300000;
        continue;
      }
      lines += key + " ";
      if (type(key) == IME_MATCH_COMMITTED) {
        lines += "=> " + output() + "\n";
        ime_convs_reset(c_);
      } else {
        lines += output() + " |";
        for (const std::string& text : page()) lines += " " + text;
        lines += "\n";
      }
      ime_duration = 0;
    }
    return lines;
  }
};

struct Script {
  const char* name;
  const char* keys;
  std::string expected;  // as typed when every key asked the service and every sentence was
                         // converted at once
};

void PrintTo(const Script& script, std::ostream* out) { *out << script.name; }

// "womenshi" and then "zhong", typed in simplified form.
const std::string kWomenshi = R"(w w |
o wo | 我
m wo'm | 我们 我
e wo'me | 我
n wo'men | 我们 我
s wo'men's | 我们是 我们 我
h wo'men'sh | 我们是 我们 我
i wo'men'shi | 我们事 我们 我
)";
const std::string kZhong = R"(z wo'men'shi'z | 我们事中 我们 我
h wo'men'shi'zh | 我们事中 我们 我
o wo'men'shi'zho | 我们 我
n wo'men'shi'zhon | 我们 我
g wo'men'shi'zhong | 我们事中 我们 我
)";

const Script kScripts[] = {
    {"simplified", "womenshizhongguoren<space>",
     kWomenshi + kZhong + R"(g wo'men'shi'zhong'g | 我们事中国 我们 我
u wo'men'shi'zhong'gu | 我们 我
o wo'men'shi'zhong'guo | 我们事中国 我们 我
r wo'men'shi'zhong'guo'r | 我们事中国人 我们 我
e wo'men'shi'zhong'guo're | 我们 我
n wo'men'shi'zhong'guo'ren | 我们事中国人 我们 我
<space> => 我们事中国人
)"},
    {"traditional", "<trad>womenshizhongguoren<space>",
     R"(w w |
o wo | 我
m wo'm | 我們 我
e wo'me | 我
n wo'men | 我們 我
s wo'men's | 我們是 我們 我
h wo'men'sh | 我們是 我們 我
i wo'men'shi | 我們事 我們 我
z wo'men'shi'z | 我們事中 我們 我
h wo'men'shi'zh | 我們事中 我們 我
o wo'men'shi'zho | 我們 我
n wo'men'shi'zhon | 我們 我
g wo'men'shi'zhong | 我們事中 我們 我
g wo'men'shi'zhong'g | 我們事中國 我們 我
u wo'men'shi'zhong'gu | 我們 我
o wo'men'shi'zhong'guo | 我們事中國 我們 我
r wo'men'shi'zhong'guo'r | 我們事中國人 我們 我
e wo'men'shi'zhong'guo're | 我們 我
n wo'men'shi'zhong'guo'ren | 我們事中國人 我們 我
<space> => 我們事中國人
)"},
    {"traditional chosen before the commit", "womenshizhong<trad><space>",
     kWomenshi + kZhong + "<space> => 我們事中\n"},
    {"traditional chosen before paging",
     "womenshi<trad><pgdn><pgup>zhong<simp><pgdn><trad><pgup><space>",
     kWomenshi + R"(<pgdn> wo'men'shi | 我們事 我們 我
<pgup> wo'men'shi | 我們事 我們 我
z wo'men'shi'z | 我們事中 我們 我
h wo'men'shi'zh | 我們事中 我們 我
o wo'men'shi'zho | 我們 我
n wo'men'shi'zhon | 我們 我
g wo'men'shi'zhong | 我們事中 我們 我
<pgdn> wo'men'shi'zhong | 我们事中 我们 我
<pgup> wo'men'shi'zhong | 我們事中 我們 我
<space> => 我們事中
)"},
    {"learned in simplified, typed in traditional", "womenguo<pause><space><trad>womenguo<space>",
     R"(w w |
o wo | 我
m wo'm | 我们 我
e wo'me | 我
n wo'men | 我们 我
g wo'meng | 我
u wo'men'gu | 我们 我
o wo'men'guo | 我们国 我们 我
<space> => 我们国
w w |
o wo | 我
m wo'm | 我們 我
e wo'me | 我
n wo'men | 我們 我
g wo'meng | 我
u wo'men'gu | 我們 我
o wo'men'guo | 我們國 我們 我
<space> => 我們國
)"},
};

class TranscriptTest : public ServiceTranscriptTest,
                       public ::testing::WithParamInterface<Script> {};

TEST_P(TranscriptTest, WhatIsShownAndCommittedStaysAsItWas) {
  FakeSentenceService service;
  FakeConverter converter;
  ASSERT_TRUE(service.serving());
  ASSERT_TRUE(converter.serving());
  const std::string typed = transcript(GetParam().keys);
  EXPECT_EQ(typed, GetParam().expected) << "typed:\n" << typed;
}

INSTANTIATE_TEST_SUITE_P(Typing, TranscriptTest, ::testing::ValuesIn(kScripts),
                         [](const ::testing::TestParamInfo<Script>& info) {
                           std::string name;
                           for (char c : std::string(info.param.name)) {
                             if (std::isalnum(static_cast<unsigned char>(c))) name += c;
                           }
                           return name;
                         });

// Letters still being typed ("zho", "zhon") are never sent: the service would refuse them.
TEST_F(ServiceTranscriptTest, NoRequestHoldsAnUnfinishedSyllable) {
  FakeSentenceService service;
  ASSERT_TRUE(service.serving());
  transcript("womenshizhongguoren<space>zhonguo");
  const std::vector<std::string> asked = service.conversions();
  EXPECT_FALSE(asked.empty());
  for (const std::string& request : asked) {
    for (const std::string& syllable : split(request, '_')) {
      EXPECT_FALSE(ime_py_is_prefix(syllable) && !ime_py_is_syllable(syllable)) << request;
    }
  }
}

// The converter is asked only for a sentence shown, written or learned in traditional form.
TEST_F(ServiceTranscriptTest, ASentenceIsConvertedOnlyWhenWantedInTraditionalForm) {
  FakeSentenceService service;
  FakeConverter converter;
  ASSERT_TRUE(service.serving());
  ASSERT_TRUE(converter.serving());
  transcript("womenshizhongguoren<space>");
  EXPECT_EQ(converter.requests(), 0);
  transcript("womenguo<pause><space>");  // learned: the user phrase keeps both forms
  EXPECT_EQ(converter.requests(), 1);
  ASSERT_EQ(ime_udb_items().size(), 1u);
  EXPECT_STREQ(ime_udb_items()[0]->text2, "我們國");
  transcript("womenshi<trad>zhong");
  EXPECT_GT(converter.requests(), 1);
}

#if defined(KEP_SENTENCE_PROGRAM) && defined(KEP_STAGED_ROOT)
// What the engine leaves out is what the staged service refuses: every beginning of a syllable
// that is no syllable itself (nor a bare initial, sent as its capital), wherever it stands.
TEST_F(ServiceTranscriptTest, TheServiceRefusesEveryUnfinishedSyllable) {
  auto service = start_staged_service();
  ASSERT_TRUE(service);

  std::vector<std::string> unfinished;
  for (int i = 0; ime_all_syllables[i] != nullptr; ++i) {
    const std::string syllable = ime_all_syllables[i];
    for (std::size_t n = 1; n < syllable.size(); ++n) {
      const std::string start = syllable.substr(0, n);
      if (!ime_py_is_syllable(start) && !ime_is_sm(start.c_str(), start.size()) &&
          std::find(unfinished.begin(), unfinished.end(), start) == unfinished.end()) {
        unfinished.push_back(start);
      }
    }
  }
  ASSERT_GT(unfinished.size(), 40u);  // "zho", "zhon", "xio", ...
  std::string text;
  std::string marks;
  ASSERT_EQ(QAConvertStream("wo_men_shi_zhong", &text, &marks), QCP_CONVERT_OK);
  for (const std::string& start : unfinished) {
    const std::string requests[] = {start, "wo_men_" + start, start + "_guo", "wo_" + start + "_guo"};
    for (const std::string& request : requests) {
      EXPECT_NE(QAConvertStream(request.c_str(), &text, &marks), QCP_CONVERT_OK) << request;
    }
  }
  EXPECT_TRUE(service->terminate());
}
#endif

}  // namespace
}  // namespace matcher_test
