#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "candidatewindow/protocol/ComData.h"
#include "candidatewindow/protocol/activation_message.h"
#include "candidatewindow/protocol/label_format.h"
#include "candidatewindow/protocol/message_ids.h"
#include "candidatewindow/protocol/payload_values.h"
#include "candidatewindow/protocol/status_message.h"
#include "candidatewindow/protocol/text_input_message.h"
#include "candidatewindow/protocol/vmode_show_message.h"

namespace kepcandidate {
namespace {

using platform::plist::Dictionary;
using platform::plist::Value;

TEST(MessageNames, EveryIdOfTheProtocolHasItsNameAndOthersAreUnknown) {
  EXPECT_STREQ(msgString(100), "kKEPSMessageActivated");
  EXPECT_STREQ(msgString(106), "kKEPSMessageTextInput");
  EXPECT_STREQ(msgString(107), "kKEPSGrowl");
  EXPECT_STREQ(msgString(112), "kKEPSVModeHide");
  EXPECT_STREQ(msgString(115), "kKEPSVModeMatched");
  for (int id : {0, 99, 116, -100, std::numeric_limits<int>::max()}) {
    EXPECT_STREQ(msgString(id), "Unknown") << id;
  }
}

TEST(ComDataPayload, RoundTripsThroughTheXmlPropertyList) {
  ComData payload;
  payload.setObject(42, "PROCESS_ID");
  payload.setObject("ab", "FORMAT_STRING");
  std::optional<Dictionary> read = parsePayload(payload.data());
  ASSERT_TRUE(read);
  EXPECT_EQ(*read, payload.dictionary());
}

TEST(PayloadValues, GarbageAndNonDictionariesAreNoPayload) {
  EXPECT_FALSE(parsePayload(""));
  EXPECT_FALSE(parsePayload("<plist><dict><key>A"));
  EXPECT_FALSE(parsePayload(platform::plist::to_xml(Value(platform::plist::Array{Value(1)}))));
}

TEST(PayloadValues, IntegersAreSigned32Bit) {
  Dictionary dictionary;
  dictionary.set("BIG", Value(std::int64_t{0x1'0000'0007}));
  dictionary.set("NEG", Value(-5));
  dictionary.set("TEXT", Value("x"));
  EXPECT_EQ(readInt32(dictionary, "BIG"), 7);
  EXPECT_EQ(readInt32(dictionary, "NEG"), -5);
  EXPECT_FALSE(readInt32(dictionary, "TEXT"));
  EXPECT_FALSE(readInt32(dictionary, "MISSING"));
}

TEST(PayloadValues, ColourStrings) {
  struct Case {
    const char* text;
    std::optional<RgbColour> expected;
  };
  const Case cases[] = {
      {"ff0080", RgbColour{1.0, 0.0, 128 / 255.0}},
      {"FF0080", RgbColour{1.0, 0.0, 128 / 255.0}},
      {"00ff00trailing", RgbColour{0.0, 1.0, 0.0}},  // only the first six count
      {"fff", std::nullopt},
      {"", std::nullopt},
      {"gg0000", std::nullopt},
      {"12 456", std::nullopt},
      {"-10000", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(KEPSGetRGBColor(c.text), c.expected) << c.text;
}

TEST(PayloadValues, LabelFormats) {
  for (const char* good : {"%d%@", "%d.%@", "[%d] %@ 100%%"}) EXPECT_TRUE(isLabelFormat(good)) << good;
  for (const char* bad : {"", "%@%d", "%d", "%@", "%d%@%@", "%d%d%@", "%s%@", "%d%n%@", "%d%@%"}) {
    EXPECT_FALSE(isLabelFormat(bad)) << bad;
  }
}

std::string with(std::initializer_list<std::pair<const char*, Value>> entries) {
  ComData payload;
  for (const auto& [key, value] : entries) payload.setObject(value, key);
  return payload.data();
}

TEST(ActivationMessageReader, DefaultsOfAnEmptyDictionary) {
  std::optional<ActivationMessage> message = readActivationMessage(with({}));
  ASSERT_TRUE(message);
  EXPECT_EQ(message->imeMode, 0);
  EXPECT_EQ(message->schemeMode, 0);
  EXPECT_FALSE(message->processId);
  EXPECT_TRUE(message->shadow);
  EXPECT_EQ(message->formatString, "%d%@");
  EXPECT_FALSE(message->skin);
  EXPECT_EQ(message->fontName, "Hei");
  EXPECT_EQ(message->fontSize, 16);
  EXPECT_EQ(message->foreground, (RgbColour{1, 1, 1}));
  EXPECT_EQ(message->background, (RgbColour{0, 0, 0}));
  EXPECT_EQ(message->alpha, 1.0f);
  EXPECT_FALSE(message->hideStatusBar);
  EXPECT_TRUE(message->status.empty());
}

TEST(ActivationMessageReader, ModesOutOfRangeBecomeZero) {
  struct Case {
    int ime, scheme, expected_ime, expected_scheme;
  };
  for (const Case& c : {Case{3, 2, 3, 2}, Case{4, 3, 0, 0}, Case{-1, -1, 0, 0}, Case{1, 1, 1, 1}}) {
    auto message = readActivationMessage(with({{"IME_MODE", c.ime}, {"SCHEME_MODE", c.scheme}}));
    ASSERT_TRUE(message);
    EXPECT_EQ(message->imeMode, c.expected_ime) << c.ime;
    EXPECT_EQ(message->schemeMode, c.expected_scheme) << c.scheme;
  }
}

TEST(ActivationMessageReader, SentValuesAreTaken) {
  Dictionary status;
  status.set("ENGLISH", true);
  auto message = readActivationMessage(with({{"PROCESS_ID", 4321},
                                             {"SHADOW", false},
                                             {"FORMAT_STRING", "%d.%@"},
                                             {"SKIN", "/skins/a"},
                                             {"FONT_NAME", "Arial"},
                                             {"FONT_SIZE", 20},
                                             {"FOREGROUND_COLOR", "000000"},
                                             {"BACKGROUND_COLOR", "ffffff"},
                                             {"ALPHA", 0.5},
                                             {"HIDE_STATUS_BAR", 0},
                                             {"STATUS", status}}));
  ASSERT_TRUE(message);
  EXPECT_EQ(message->processId, 4321);
  EXPECT_FALSE(message->shadow);
  EXPECT_EQ(message->formatString, "%d.%@");
  EXPECT_EQ(message->skin, "/skins/a");
  EXPECT_EQ(message->fontName, "Arial");
  EXPECT_EQ(message->fontSize, 20);
  EXPECT_EQ(message->foreground, (RgbColour{0, 0, 0}));
  EXPECT_EQ(message->background, (RgbColour{1, 1, 1}));
  EXPECT_FLOAT_EQ(message->alpha, 0.5f);
  EXPECT_EQ(message->hideStatusBar, false);
  EXPECT_EQ(readStatusFlags(message->status).english, true);
}

TEST(ActivationMessageReader, TakesEveryFormatTheLabelFormatterTakes) {
  struct Case {
    const char* format;
    const char* label;  // of candidate 7 "x" when the format is taken; nullptr: refused
  };
  const Case cases[] = {
      {"%2d.%@", " 7.x"},      {"%i%@", "7x"},       {"%u:%@", "7:x"},
      {"%-3d%@", "7  x"},      {"%03d%@", "007x"},   {"%+d%@", "+7x"},
      {"% d%@", " 7x"},        {"%#d%@", "7x"},      {"[%d] %@ 100%%", "[7] x 100%"},
      {"%%%d%%%@%%", "%7%x%"}, {"%d%@", "7x"},
      {"", nullptr},           {"%@%d", nullptr},    {"%d", nullptr},
      {"%d%@%@", nullptr},     {"%5.2d%@", nullptr}, {"%ld%@", nullptr},
      {"%123d%@", nullptr},    {"%*d%@", nullptr},   {"%s%@", nullptr},
      {"%d%@%", nullptr},      {"%d%n%@", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    auto message = readActivationMessage(with({{"PROCESS_ID", 1}, {"FORMAT_STRING", c.format}}));
    ASSERT_TRUE(message);
    EXPECT_EQ(message->formatString, c.label ? c.format : "%d%@");
    EXPECT_EQ(isLabelFormat(c.format), c.label != nullptr);
    if (c.label) EXPECT_EQ(formatLabel(message->formatString, 7, "x"), c.label);
  }
}

TEST(ActivationMessageReader, HostileValuesFallBackToDefaults) {
  auto message = readActivationMessage(with({{"FORMAT_STRING", "%s%s%s"},
                                             {"FONT_SIZE", 100000},
                                             {"FOREGROUND_COLOR", "red"},
                                             {"BACKGROUND_COLOR", "12345"},
                                             {"STATUS", "not a dictionary"}}));
  ASSERT_TRUE(message);
  EXPECT_EQ(message->formatString, "%d%@");
  EXPECT_EQ(message->fontSize, 16);
  EXPECT_EQ(message->foreground, (RgbColour{1, 1, 1}));
  EXPECT_EQ(message->background, (RgbColour{0, 0, 0}));
  EXPECT_TRUE(message->status.empty());
}

TEST(ActivationMessageReader, AlphaIsClampedAndNaNRefused) {
  struct Case {
    double sent;
    float expected;
  };
  const Case cases[] = {{-0.5, 0.0f}, {0.0, 0.0f}, {0.25, 0.25f}, {1.0, 1.0f}, {7.0, 1.0f},
                        {std::numeric_limits<double>::quiet_NaN(), 1.0f},
                        {std::numeric_limits<double>::infinity(), 1.0f}};
  for (const Case& c : cases) {
    auto message = readActivationMessage(with({{"ALPHA", c.sent}}));
    ASSERT_TRUE(message);
    EXPECT_FLOAT_EQ(message->alpha, c.expected) << c.sent;
  }
}

TEST(ActivationMessageReader, UnparsablePayloadIsNoMessage) {
  EXPECT_FALSE(readActivationMessage("not a property list"));
}

TEST(TextInputMessageReader, WithoutCandidatesThereIsNoMessage) {
  EXPECT_FALSE(readTextInputMessage(with({{"PAGE", 1}})));
  EXPECT_FALSE(readTextInputMessage("<garbage"));
}

TEST(TextInputMessageReader, DefaultsAndTitle) {
  auto message = readTextInputMessage(with({{"CANDIDATES", "\x01你好"}}));
  ASSERT_TRUE(message);
  EXPECT_EQ(message->candidates, "\x01你好");
  EXPECT_EQ(message->x, 10);
  EXPECT_EQ(message->y, 15);
  EXPECT_EQ(message->fh, 0);
  EXPECT_EQ(message->page, 0);
  EXPECT_EQ(message->totalPage, 0);
  EXPECT_FALSE(message->showPage);
  EXPECT_EQ(message->inlineHeight, 14);
  EXPECT_FALSE(message->traditional);
  EXPECT_EQ(message->title(), "");

  message = readTextInputMessage(with({{"CANDIDATES", ""}, {"PY", "nihao"}}));
  ASSERT_TRUE(message);
  EXPECT_EQ(message->title(), "nihao");
  message = readTextInputMessage(with({{"CANDIDATES", ""}, {"PY", "nihao"}, {"SP", "ni'hc"}}));
  ASSERT_TRUE(message);
  EXPECT_EQ(message->title(), "ni'hc");
}

TEST(TextInputMessageReader, CaretNeedsBothCoordinates) {
  auto only_x = readTextInputMessage(with({{"CANDIDATES", ""}, {"X", 300}}));
  ASSERT_TRUE(only_x);
  EXPECT_EQ(only_x->x, 10);
  EXPECT_EQ(only_x->y, 15);
  auto only_y = readTextInputMessage(with({{"CANDIDATES", ""}, {"Y", 300}}));
  ASSERT_TRUE(only_y);
  EXPECT_EQ(only_y->x, 10);
  EXPECT_EQ(only_y->y, 15);
  auto both = readTextInputMessage(with({{"CANDIDATES", ""}, {"X", 300}, {"Y", 200}, {"FH", 18}}));
  ASSERT_TRUE(both);
  EXPECT_EQ(both->x, 300);
  EXPECT_EQ(both->y, 200);
  EXPECT_EQ(both->fh, 18);
}

TEST(TextInputMessageReader, InlineHeightRange) {
  struct Case {
    int sent, expected;
  };
  for (const Case& c : {Case{10, 14}, Case{11, 11}, Case{599, 599}, Case{600, 14}, Case{-20, 14}}) {
    auto message = readTextInputMessage(with({{"CANDIDATES", ""}, {"INLINE_HEIGHT", c.sent}}));
    ASSERT_TRUE(message);
    EXPECT_EQ(message->inlineHeight, c.expected) << c.sent;
  }
}

TEST(TextInputMessageReader, PageKeys) {
  auto message = readTextInputMessage(with({{"CANDIDATES", ""}, {"PAGE", 2}, {"TOTAL_PAGE", 5},
                                            {"SHOW_PAGE", true}, {"TRADITIONAL", true}}));
  ASSERT_TRUE(message);
  EXPECT_EQ(message->page, 2);
  EXPECT_EQ(message->totalPage, 5);
  EXPECT_TRUE(message->showPage);
  EXPECT_TRUE(message->traditional);
}

TEST(VModeShowMessageReader, CaretOnlyWithBothCoordinates) {
  auto message = readVModeShowMessage(with({{"VALUE", "vdate"}, {"X", 5}, {"FH", 12}}));
  ASSERT_TRUE(message);
  EXPECT_EQ(message->value, "vdate");
  EXPECT_FALSE(message->caret);
  EXPECT_EQ(message->fh, 12);
  message = readVModeShowMessage(with({{"X", 5}, {"Y", 6}}));
  ASSERT_TRUE(message);
  ASSERT_TRUE(message->caret);
  EXPECT_EQ(message->caret->x, 5);
  EXPECT_EQ(message->caret->y, 6);
  EXPECT_FALSE(message->value);
  EXPECT_FALSE(readVModeShowMessage("???"));
}

TEST(StatusMessageReader, StatusDictionaryAndItsFlags) {
  Dictionary status;
  status.set("FULL_WIDTH_PUNCT", true);
  status.set("PINYIN", false);
  auto read = readStatusMessage(with({{"STATUS", status}}));
  ASSERT_TRUE(read);
  StatusFlags flags = readStatusFlags(*read);
  EXPECT_EQ(flags.fullWidthPunct, true);
  EXPECT_EQ(flags.pinyin, false);
  EXPECT_FALSE(flags.english);
  EXPECT_FALSE(flags.traditional);
  EXPECT_FALSE(flags.fullWidthRoman);

  read = readStatusMessage(with({}));
  ASSERT_TRUE(read);
  EXPECT_TRUE(read->empty());
  EXPECT_FALSE(readStatusMessage("nope"));
}

}  // namespace
}  // namespace kepcandidate
