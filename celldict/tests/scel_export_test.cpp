// ScelReader::exportTo() and exportToFolder(): the body decoded into a dictionary folder the
// engine opens, and every fault of a file or a target refused before it does harm.
#include "celldict/dictbuilder.h"
#include "celldict/scel_body.h"
#include "dict_fixture.h"
#include "scel_fixture.h"

namespace {

namespace fs = std::filesystem;
using namespace scel_fixture;

std::vector<std::string> texts(const std::vector<Found>& found) {
  std::vector<std::string> words;
  for (const Found& f : found) words.push_back(f.text);
  return words;
}

// Every path below the folder, to show that nothing was touched.
std::vector<std::string> tree(const fs::path& folder) {
  std::vector<std::string> paths;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    paths.push_back(fs::relative(entry.path(), folder).string());
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

std::string info_line(const fs::path& folder, const std::string& key) {
  const std::string info = engine_test::read_file(folder / "dict.info");
  std::size_t at = info.find(key + "\t");
  if (at == std::string::npos) return "(none)";
  at += key.size() + 1;
  return info.substr(at, info.find('\n', at) - at);
}

class ScelExport : public ::testing::Test {
 protected:
  dict_fixture::BuildTextsGuard texts_guard_;
  ScelHome home_;
  engine_test::LogCapture log_;

  bool logged(const std::string& part) const {
    const auto& lines = engine_test::LogCapture::lines();
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.find(part) != std::string::npos; });
  }
};

TEST_F(ScelExport, BuildsAFolderTheEngineFindsWordsIn) {
  ScelExportStats stats;
  ASSERT_EQ(import_bytes(home_, "cities.scel", file_bytes(contents()), &stats), 0);
  const fs::path folder = home_.dictionaries() / "cities.scel";
  EXPECT_EQ(stats.words_read, 4u);
  EXPECT_EQ(stats.words_written, 4u);
  EXPECT_EQ(stats.records, 4u);
  EXPECT_EQ(stats.not_gbk, 0u);

  std::vector<Found> found = query(folder, "zhong'guo");
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].text, "中国");
  EXPECT_EQ(found[0].frequency, 900u);
  EXPECT_EQ(texts(query(folder, "bei'jing")), std::vector<std::string>{"北京"});

  EXPECT_EQ(info_line(folder, "TOTAL_COUNT"), "4");
  EXPECT_EQ(info_line(folder, "USER"), "城市信息");
  EXPECT_EQ(info_line(folder, "DESCRIPTION"), "常用的城市名");
  EXPECT_EQ(info_line(folder, "VERSION"), "1700000000");
  EXPECT_EQ(engine_test::read_file(folder / "uid.info"), "1234");
  EXPECT_EQ(engine_test::read_file(folder / "version.info"), "1700000000");

  EXPECT_TRUE(logged("build dict:[")) << "build line";
  EXPECT_TRUE(logged("Build done..")) << "done line";
  // The word list went into a private folder that is gone again.
  EXPECT_TRUE(home_.temporaries().empty());
}

TEST_F(ScelExport, FrequencyFieldIsABigEndianFloat) {
  // 42 A0 00 00 is 80.0; the frequency of each word below is stored as given.
  const scel::WriterContents c = contents();
  const std::string frequencies[] = {
      std::string("\x42\xA0\x00\x00", 4), std::string("\x7F\xC0\x00\x00", 4) /* NaN */,
      std::string("\xC2\xA0\x00\x00", 4) /* -80 */, std::string("\x4E\x6E\x6B\x28", 4) /* 1e9 */,
      std::string("\x3F\x00\x00\x00", 4) /* 0.5 */};
  const std::uint32_t expected[] = {80, 0, 0, 1000000000, 0};
  Bytes bytes;
  bytes.u32(2).u16(0).text("zhong").u16(1).text("guo");
  bytes.u16(5).u16(4).u16(0).u16(1);
  const char* words[] = {"中国", "种果", "钟郭", "重国", "众国"};
  for (int i = 0; i < 5; ++i) bytes.text(words[i]).tail(frequencies[i]);
  ASSERT_EQ(import_bytes(home_, "freq.scel", header(c, 5) + bytes.str()), 0);
  std::vector<Found> found = query(home_.dictionaries() / "freq.scel", "zhong'guo");
  ASSERT_EQ(found.size(), 5u);
  for (int i = 0; i < 5; ++i) {
    auto it = std::find_if(found.begin(), found.end(), [&](const Found& f) { return f.text == words[i]; });
    ASSERT_NE(it, found.end()) << words[i];
    EXPECT_EQ(it->frequency, expected[i]) << words[i];
  }
}

TEST_F(ScelExport, FrequencyValuesAreClampedToWholeNumbers) {
  struct Case {
    const char* bytes;
    double value;
  };
  const std::vector<Case> cases = {
      {"\x42\xA0\x00\x00", 80},          {"\x00\x00\x00\x00", 0},
      {"\x80\x00\x00\x00", 0},           {"\xBF\x80\x00\x00", 0},
      {"\x7F\xC0\x00\x00", 0},           {"\xFF\xC0\x00\x00", 0},
      {"\x7F\x80\x00\x00", 4294967295.0}, {"\x4F\x80\x00\x00", 4294967295.0},  // inf, 2^32
      {"\x4F\x7F\xFF\xFF", 4294967040.0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(scel::frequency_value(reinterpret_cast<const unsigned char*>(c.bytes)), c.value);
  }
}

TEST_F(ScelExport, AWordOfAnotherLengthThanItsPinyinFailsTheExport) {
  const std::string file = header(contents(), 2) +
                           body({"zhong", "guo"}, {{{0, 1}, {"中国", "中国人"}}});
  ScelExportStats stats;
  EXPECT_EQ(import_bytes(home_, "three.scel", file, &stats), -1);
  EXPECT_FALSE(fs::exists(home_.dictionaries() / "three.scel"));
  EXPECT_TRUE(home_.temporaries().empty());
}

TEST_F(ScelExport, ZeroWordsBuildAnEmptyDictionary) {
  // Nothing after the pinyin table is read, not even this rubbish.
  const std::string file = header(contents(), 0) + body({"zhong"}, {}) + "\xFF\xFF\xFF";
  ScelExportStats stats;
  ASSERT_EQ(import_bytes(home_, "empty.scel", file, &stats), 0);
  const fs::path folder = home_.dictionaries() / "empty.scel";
  EXPECT_EQ(stats.records, 0u);
  EXPECT_EQ(info_line(folder, "TOTAL_COUNT"), "0");
  EXPECT_TRUE(query(folder, "zhong").empty());
}

TEST_F(ScelExport, WordsWithoutATwoByteFormAreSkippedAndCounted) {
  // U+3400 and U+20000 exist in GB18030 only as four-byte characters.
  const std::string file = header(contents(), 4) +
                           body({"qiu", "zhong", "guo"},
                                {{{0}, {"㐀", "秋"}}, {{1, 2}, {"𠀀", "中国"}}});
  ScelExportStats stats;
  ASSERT_EQ(import_bytes(home_, "gbk.scel", file, &stats), 0);
  EXPECT_EQ(stats.words_read, 4u);
  EXPECT_EQ(stats.not_gbk, 2u);
  EXPECT_EQ(stats.words_written, 2u);
  EXPECT_EQ(stats.records, 2u);
  EXPECT_EQ(texts(query(home_.dictionaries() / "gbk.scel", "qiu")), std::vector<std::string>{"秋"});
}

TEST_F(ScelExport, HostileCountsAndLengthsFailWithoutTouchingTheDictionary) {
  const std::string head = header(contents(), 1);
  auto group = [](std::uint32_t words, std::uint32_t list_bytes) {
    return Bytes().u32(1).u16(0).text("zhong").u16(words).u16(list_bytes);
  };
  struct Case {
    const char* what;
    std::string body;
    std::uint32_t words = 1;  // the header's word count
  };
  const std::vector<Case> cases = {
      {"no body", ""},
      {"pinyin count beyond the file", Bytes().u32(0xFFFFFFFF).u16(0).text("a").str()},
      {"pinyin entry beyond the file", Bytes().u32(1).u16(0).u16(200).raw(utf16("zhong")).str()},
      {"pinyin entry over 4 KB", Bytes().u32(1).u16(0).u16(4098).raw(std::string(4098, 'a')).str()},
      {"odd pinyin entry", Bytes().u32(1).u16(0).u16(3).raw("abc").str()},
      {"group count beyond the file", group(0xFFFF, 2).u16(0).text("中").tail().str()},
      {"syllable list over 512 bytes", group(1, 514).raw(std::string(514, '\0')).text("中").tail().str()},
      {"syllable list beyond the file", group(1, 400).u16(0).str()},
      {"odd syllable list", group(1, 3).raw(std::string(3, '\0')).text("中").tail().str()},
      {"missing syllable index", group(1, 2).u16(7).text("中").tail().str()},
      {"word beyond the file", group(1, 2).u16(0).u16(300).raw(utf16("中")).tail().str()},
      {"word over 4 KB", group(1, 2).u16(0).u16(5000).raw(std::string(5000, 'a')).tail().str()},
      {"frequency cut off", group(1, 2).u16(0).text("中").u16(10).u32(0).u16(0).u16(0).str()},
      {"fewer words than counted", group(1, 2).u16(0).text("中").tail().str(), 2},
      {"group without syllables", group(1, 0).text("").tail().str()},
  };
  // A dictionary of the same name built before stays as it was.
  ASSERT_EQ(import_bytes(home_, "hostile.scel", file_bytes(contents())), 0);
  const fs::path folder = home_.dictionaries() / "hostile.scel";
  const std::vector<std::string> before = tree(home_.data_folder());
  for (const Case& c : cases) {
    std::string file = head + c.body;
    put32(file, scel::kWordCountOffset, c.words);
    EXPECT_EQ(import_bytes(home_, "hostile.scel", file), -1) << c.what;
    EXPECT_EQ(tree(home_.data_folder()), before) << c.what;
  }
  EXPECT_EQ(texts(query(folder, "zhong'guo")), std::vector<std::string>{"中国"});
  EXPECT_TRUE(logged("Invalid py index 0x7. at:0x"));
  EXPECT_TRUE(home_.temporaries().empty());
}

TEST_F(ScelExport, SyllablesOtherThanLettersAndWordsWithSeparatorsAreRefused) {
  struct Case {
    std::string syllable;
    std::string word;
  };
  const std::vector<Case> cases = {
      {"Zhong", "中"}, {"zh ong", "中"}, {"zhong'", "中"}, {"zhongg\n", "中"}, {"zhonggg", "中"},
      {"", "中"},      {"lü", "中"},     {"zh'x", "中"},    {"zhong", " "},     {"zhong", "\t"},
      {"zhong", "\r"}, {"zhong", "\n"}, {"zhong", std::string(1, '\0')},
  };
  for (const Case& c : cases) {
    const std::string file = header(contents(), 1) + body({c.syllable}, {{{0}, {c.word}}});
    EXPECT_EQ(import_bytes(home_, "refused.scel", file), -1) << c.syllable << "|" << c.word;
    EXPECT_FALSE(fs::exists(home_.dictionaries() / "refused.scel")) << c.syllable << "|" << c.word;
  }
}

TEST_F(ScelExport, TargetNamesOutsideTheDictionaryFolderAreRefused) {
  const fs::path outside = home_.home() / "outside";
  fs::create_directories(outside / "kept");
  ASSERT_EQ(import_bytes(home_, "a.scel", file_bytes(contents())), 0);
  fs::create_directory_symlink(outside, home_.dictionaries() / "link.scel");
  engine_test::write_file(home_.dictionaries() / "plain.scel", "a file");
  const fs::path source = write(home_.files() / "b.scel", file_bytes(contents()));
  const std::vector<std::string> before = tree(home_.home());
  const std::vector<std::string> targets = {
      "..", ".", "", "/", ".x", "..scel", "__new__x", "__NEW__a.scel", "a/..", "dir/.hidden",
      "link.scel", "plain.scel", "x/link.scel"};
  for (const std::string& target : targets) {
    ScelReader reader;
    ASSERT_EQ(reader.load(source), SCEL_OK);
    EXPECT_EQ(reader.exportTo(target), -1) << target;
    EXPECT_EQ(tree(home_.home()), before) << target;
  }
  EXPECT_TRUE(fs::exists(outside / "kept"));
}

TEST_F(ScelExport, OnlyTheLastComponentNamesTheFolderAndAnOlderOneIsReplaced) {
  const fs::path source = write(home_.files() / "c.scel", file_bytes(contents()));
  fs::create_directories(home_.dictionaries() / "c.scel");
  engine_test::write_file(home_.dictionaries() / "c.scel" / "stale.txt", "old");
  ScelReader reader;
  ASSERT_EQ(reader.load(source), SCEL_OK);
  ASSERT_EQ(reader.exportTo("/somewhere/else/c.scel/"), 0);
  EXPECT_FALSE(fs::exists(home_.dictionaries() / "c.scel" / "stale.txt"));
  EXPECT_EQ(texts(query(home_.dictionaries() / "c.scel", "shang'hai")), std::vector<std::string>{"上海"});
  EXPECT_FALSE(fs::exists("/somewhere"));
  // The file was given up: a second export needs a new load.
  EXPECT_EQ(reader.exportTo("c.scel"), -1);
}

TEST_F(ScelExport, ExportToFolderBuildsIntoTheGivenFolderAlone) {
  const fs::path source = write(home_.files() / "d.scel", file_bytes(contents()));
  const fs::path staging = home_.home() / "staging";
  ScelReader reader;
  ASSERT_EQ(reader.load(source), SCEL_OK);
  EXPECT_EQ(reader.exportToFolder(staging.string()), -1);  // it must exist
  fs::create_directories(staging);
  ASSERT_EQ(reader.load(source), SCEL_OK);
  ASSERT_EQ(reader.exportToFolder(staging.string()), 0);
  EXPECT_EQ(texts(query(staging, "guang'zhou")), std::vector<std::string>{"广州"});
  EXPECT_FALSE(fs::exists(home_.dictionaries()));
}

TEST_F(ScelExport, DescriptionTextsAreCutAtACharacterBoundary) {
  scel::WriterContents c = contents();
  c.name = "";
  for (int i = 0; i < 200; ++i) c.name += "词";  // 600 bytes in UTF-8
  c.remark = std::string("one\0two", 7);
  ASSERT_EQ(import_bytes(home_, "long.scel", file_bytes(c)), 0);
  EXPECT_EQ(std::string(sauthor), c.name.substr(0, 510));
  EXPECT_EQ(std::string(sdesc), "one two");
  EXPECT_EQ(std::string(sversion), "1700000000");
  EXPECT_EQ(info_line(home_.dictionaries() / "long.scel", "DESCRIPTION"), "one two");
}

TEST_F(ScelExport, AStopRequestEndsTheExportWithWhatWasRead) {
  stopFlag = 1;
  ScelExportStats stats;
  EXPECT_EQ(import_bytes(home_, "stopped.scel", file_bytes(contents()), &stats), 0);
  EXPECT_EQ(stats.words_read, 0u);
  EXPECT_EQ(info_line(home_.dictionaries() / "stopped.scel", "TOTAL_COUNT"), "0");
}

TEST_F(ScelExport, WithoutALoadThereIsNothingToExport) {
  ScelReader reader;
  EXPECT_EQ(reader.exportTo("x.scel"), -1);
  EXPECT_FALSE(fs::exists(home_.dictionaries()));
}

}  // namespace
