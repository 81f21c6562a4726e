// Writes the seed corpora of the fuzz targets, one folder per target, with the project's own
// writers: kep-fuzz-seeds OUT_DIR SHIPPED_RESOURCES_DIR
#include <plist/plist.h>

#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "CoreSource/user/udb_line.h"
#include "celldict/dictbuilder.h"
#include "celldict/scel_writer.h"
#include "converter/service/qcc_service.h"
#include "fuzz/fixtures/converter_fixture.h"
#include "fuzz/fixtures/engine_fixture.h"
#include "fuzz/fixtures/sentence_fixture.h"
#include "fuzz/fuzz_support.h"
#include "platform/gfx/surface.h"
#include "platform/notify.h"
#include "platform/plist.h"
#include "platform/port_frame.h"
#include "tools/kep-tavgen/word_library_writer.h"
#include "writers/system_dictionary.h"

namespace fs = std::filesystem;

namespace {

fs::path out_dir;
fs::path shipped;

[[noreturn]] void fail(const std::string& what) {
  std::fprintf(stderr, "kep-fuzz-seeds: %s\n", what.c_str());
  std::exit(1);
}

void seed(const std::string& target, const std::vector<std::string>& inputs) {
  fs::path folder = out_dir / target;
  fs::create_directories(folder);
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    if (!fuzz::write_file(folder / ("seed-" + std::to_string(i)), inputs[i])) fail("cannot write " + target);
  }
}

std::string shipped_file(const std::string& name) {
  std::string bytes = fuzz::read_file(shipped / name);
  if (bytes.empty()) fail("missing shipped file " + name);
  return bytes;
}

// libplist writes the binary form of what our writer wrote as XML.
std::string binary_plist(const std::string& xml) {
  plist_t root = nullptr;
  plist_from_xml(xml.data(), static_cast<uint32_t>(xml.size()), &root);
  if (!root) fail("libplist cannot read our XML");
  char* bytes = nullptr;
  uint32_t length = 0;
  plist_to_bin(root, &bytes, &length);
  plist_free(root);
  std::string binary(bytes, length);
  std::free(bytes);
  return binary;
}

void plist_seeds() {
  using namespace platform::plist;
  Dictionary inner;
  inner.set("Nested", Value(true));
  Dictionary dict;
  dict.set("PageSize", Value(9));
  dict.set("Title", Value("中文 <&>"));
  dict.set("Opacity", Value(95.5));
  dict.set("Negative", Value(-42));
  dict.set("Blob", Value(Data{0, 1, 2, 250}));
  dict.set("When", Value(Date{86400}));
  dict.set("List", Value(Array{Value("a"), Value(2), Value(Array{})}));
  dict.set("Inner", Value(inner));
  std::string xml = to_xml(Value(dict));
  std::string settings = shipped_file("imkkep.plist");
  seed("plist", {xml, binary_plist(xml), settings, binary_plist(settings),
                 shipped_file("engine/Info.plist")});
}

void double_pinyin_seeds() {
  std::vector<std::string> inputs;
  for (const char* name : {"ziranma", "xiaohe", "weiruan", "ziguang"}) {
    inputs.push_back(fuzz::join_parts({shipped_file(std::string("doublepinyin/") + name + ".spc"),
                                       "vsuouiyzmn;aa"}));
  }
  seed("double_pinyin_scheme", inputs);
}

void code_table_seeds() {
  seed("code_source", {fuzz::seed_code_source()});
  std::vector<std::string> inputs;
  for (int version : {10, 20}) {
    fuzz::TempDir dir;
    std::string error;
    if (!fuzz::write_code_table(dir.path(), "t", fuzz::seed_code_source(), version, &error)) fail(error);
    inputs.push_back(fuzz::join_parts({fuzz::read_file(dir.path() / "t.pct"),
                                       fuzz::read_file(dir.path() / "t.qdb"),
                                       fuzz::read_file(dir.path() / "t.idx"), ""}));
  }
  seed("code_table", inputs);
}

void dictionary_seeds() {
  std::string version;
  seed("word_list", {mkdata::write_word_list(fuzz::seed_words(), &version)});
  fuzz::TempDir dir;
  mkdata::DictionaryReport report;
  std::string error;
  fs::path folder = dir.path() / "system.dict";
  if (!mkdata::write_system_dictionary(fuzz::seed_words(), folder, &report, &error)) fail(error);
  seed("dictionary_folder", {fuzz::join_parts({fuzz::read_file(folder / "dict.info"),
                                                fuzz::read_file(folder / "dict.db"),
                                                fuzz::read_file(folder / "dict_idx.db")})});
}

// A cell dictionary of the seed words, and one whose words share a pinyin.
void scel_seeds() {
  scel::WriterContents contents;
  contents.uid = "1234";
  contents.name = "种子";
  contents.remark = "seed";
  contents.samples = {"中国", "我们"};
  contents.version = 1700000000;
  for (const mkdata::WordListEntry& entry : fuzz::seed_words()) {
    contents.words.push_back({entry.syllables, entry.word, static_cast<float>(entry.frequency)});
  }
  std::string error;
  auto all = scel::encode_file(contents, &error);
  contents.words = {{{"zhong", "guo"}, "中国", 80}, {{"zhong", "guo"}, "种果", 2.5f}};
  auto shared = scel::encode_file(contents, &error);
  if (!all || !shared) fail(error);
  seed("scel_reader", {*all, *shared});
}

void engine_table_seeds() {
  std::string error;
  auto table = mkdata::write_pinyin_table(fuzz::seed_hanzi(), &error);
  auto extension = mkdata::write_pinyin_ext_table(fuzz::seed_extension_hanzi(), &error);
  auto readings = mkdata::write_hzinfo(fuzz::seed_readings(), &error);
  if (!table || !extension || !readings) fail(error);
  seed("pinyin_table", {*table, *extension});
  seed("hanzi_info", {fuzz::join_parts({readings->database, readings->index})});
  std::size_t lines = 0;
  seed("accessory_codes", {mkdata::write_accessory_codes(fuzz::seed_accessory_codes(), &lines)});
  seed("punct", {mkdata::write_punctuation(mkdata::default_punctuation())});
  seed("vmode", {std::string(1, '\0') + shipped_file("vmode.txt"),
                 std::string(1, '\1') + shipped_file("abbr.txt")});
}

void udb_seeds() {
  UDBItem item{};
  std::strcpy(item.initials, "zg");
  const char syllables[][8] = {"zhong", "guo"};
  if (ime_get_enc_ym(syllables, 2, item.finals) != 2) fail("no final codes for the udb seed");
  std::strcpy(item.text, "中国");
  std::strcpy(item.text2, "中國");
  item.text_length = item.text2_length = 6;
  item.syllables = 2;
  item.tones[0] = 1;
  item.tones[1] = 2;
  item.freq = IME_UDB_NEW_COUNT;
  item.used = 3;
  item.time = 1700000000;
  std::string line = ime_udb_format_line(ime_udb_fold_key(item.initials), item);
  if (line.empty()) fail("the udb seed phrase cannot be written");
  seed("udb", {line + std::string(IME_UDB_END_TAG) + "\n"});
}

void wire_seeds() {
  using namespace platform;
  std::vector<std::string> messages;
  for (std::size_t payload : {std::size_t{0}, std::size_t{12}, ports::kMaxChunk + 100}) {
    ports::Message message;
    message.kind = ports::FrameKind::Request;
    message.flags = ports::kFlagWantsReply;
    message.id = 100;
    message.sequence = 7;
    message.payload = std::string(payload, 'x');
    auto packets = ports::encode_message(message);
    messages.push_back(fuzz::join_parts(std::vector<std::string>(packets.begin(), packets.end())));
  }
  seed("port_frame", messages);
  auto datagram = notify::encode({"com.corvana.kep.settings", "changed"});
  auto bare = notify::encode({"quit", ""});
  if (!datagram || !bare) fail("cannot encode a notification");
  seed("notify", {*datagram, *bare});
  seed("service_reply", {"000:中國", QCError(QCC_ERR_CONVERT_FAILED, "failed"), "000:\xFF" "a"});
}

void converter_seeds() {
  fuzz::TempDir dir;
  if (!fuzz::write_converter_tables(dir.path())) fail("cannot write the converter tables");
  seed("converter_tables", {fuzz::join_parts({fuzz::read_file(dir.path() / "han.db"),
                                              fuzz::read_file(dir.path() / "corefix1.db"),
                                              fuzz::read_file(dir.path() / "corefix2.db"),
                                              "头发 頭髮\n", "头发干净后来"})});
  seed("converter_request", {std::string(1, '\0') + "头发干净后来", std::string(1, '\1'),
                             std::string(1, '\2')});
}

void sentence_seeds() {
  seed("sentence_request", {std::string(1, '\0') + "ni_hao_ma_?", std::string(1, '\0') + "3ge_Beijing",
                            std::string(1, '\1') + "wo\xFF\xCE\xD2", std::string(1, '\2') + "\xC4\xE3"});
  seed("pydan_table", {fuzz::sentence_character_table({"aP\xB0\xA1", "ai\xB0\xAE\xB0\xA4", "ang\xB0\xBA"})});

  seed("learned_words", {std::string("ni-hao \xC4\xE3\xBA\xC3 2 A\r\nnh \xC4\xE3\xBA\xC3 1 U\r\n"
                                     "\xD6\xD0\xB9\xFA\r\nap-men \xB0\xA2\xC3\xC7\t3\r\n")});

  seed("skin_ini", {"[display]\nfont_ch=Hei\nzhongwen_color=0x0000FF\n[scheme_h1]\nlayout_horizontal= 1 , 0x0A ,20\n"
                    "pic=a.png\ncustom_cnt=1\ncustom0_align=1,2\n",
                    std::string("\xFF\xFE[\0a\0]\0\n\0k\0=\0""1\0", 16)});
  seed("skin_package", {std::string("PK\x05\x06", 4) + std::string(18, '\0'), "not an archive"});
  {
    auto picture = platform::gfx::Surface::create(3, 2);
    if (!picture) std::abort();
    picture->set_pixel(1, 1, {255, 0, 0, 255});
    seed("image_decode", {picture->png_bytes().value_or(""), "\xFF\xD8\xFF\xE0"});
  }
  {
    const std::string page = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict>"
                             "<key>CANDIDATES</key><string>a\x01" "b</string><key>X</key><integer>10</integer>"
                             "<key>INLINE_HEIGHT</key><integer>600</integer></dict></plist>";
    seed("candidate_message", {std::string(1, '\1') + page, std::string(1, '\0') + page, "\4name:text"});
  }
  seed("control_command", {"down candidate 10 5", "key alert  ", "enter candidate 3", "drag w 1e6 -2"});
  seed("rtf", {shipped_file("server/ReleaseNote.rtf"),
               "{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0 Song;}}{\\*\\generator W;}\\uc2 \\u20013\\'d6\\'d0\\'ce\\'c4\\par "
               "caf\\'e9\\~\\_\\tab{\\pict\\bin2 }{}{\\uc1\\u-10179?\\u-8694?}}"});
  seed("text_clip", {"abc\xA3\xAC" "123", "word\rword", "\xD6\xD0\xB9\xFA\xC8\xCB\xC3\xF1"});

  // A three-syllable main library over the word_library target's character rows.
  fuzz::TempDir folder;
  std::vector<tavgen::LibraryWord> words(2);
  words[0].syllables = {"zhong", "guo", "ren"};
  words[0].positions = {0, 0, 0};
  words[1].syllables = {"wo", "men", "ren"};
  words[1].positions = {0, 0, 0};
  for (tavgen::LibraryWord& word : words) {
    word.weight = 80;
    word.abbreviation_weight = 40;
    word.flags = 0x40;
  }
  std::string error;
  if (!tavgen::write_main_library(folder.path(), 3, words, &error)) {
    std::fprintf(stderr, "word_library seed: %s\n", error.c_str());
    std::exit(1);
  }
  seed("word_library", {fuzz::join_parts({fuzz::read_file(folder.path() / "main/mgrm1.inx"),
                                          fuzz::read_file(folder.path() / "main/mgrm1.dat")})});
}

// Little-endian bytes of a wire value.
std::string little_endian(std::uint64_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
  return out;
}

// A well-formed answer of the server_session target carrying a caret line.
std::string line_answer(std::initializer_list<double> values) {
  std::string answer(1, '\1');
  for (double value : values) answer += little_endian(std::bit_cast<std::uint64_t>(value), 8);
  return answer;
}

void server_session_seeds() {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  // Hello as the editor, activated, a word typed and committed.
  const std::string typing = std::string("\x01\x04\x00nihao\x01\x00", 10);
  const std::string joined = std::string(fuzz::kPartSeparator);
  seed("server_session",
       {typing + joined + line_answer({nan, nan, 0, nan}),
        typing + joined + line_answer({1e19, -1e19, inf, 16}),
        typing + joined + line_answer({100, 200, 0, 16}),
        // A closing bracket after its partner asks where the caret is and what is before it.
        std::string("\x01\x04\x00()", 5) + joined + std::string(1, '\1') +
            little_endian(2, 8) + little_endian(0, 8) + "\1\3\xef\xbc\x88",
        // Modifier taps while composing, the menu, a second context, a raw frame.
        std::string("\x05\x04\x01shurufa\x02\x02\x02\x00\x02\x05\x08\x09\x07\x06"
                    "\x0a zhong\x07\x01\x0b\x0c\x65\x03" "abc",
                    36) +
            joined + std::string("\3\2\0\1\2", 5)});
}

void matcher_seeds() {
  seed("matcher", {std::string(1, '\0') + "zhongguoren ", std::string(1, '\0') + "womenshi2",
                   std::string(1, '\1') + "vsuo ", std::string(1, '\3') + "ab1zz ",
                   std::string(1, '\0') + "nihao\x01\x01" "zg\x06\x07" " "});
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: kep-fuzz-seeds OUT_DIR SHIPPED_RESOURCES_DIR\n");
    return 2;
  }
  out_dir = argv[1];
  shipped = argv[2];
  fuzz::use_scratch_environment();
  plist_seeds();
  double_pinyin_seeds();
  code_table_seeds();
  dictionary_seeds();
  scel_seeds();
  engine_table_seeds();
  udb_seeds();
  wire_seeds();
  converter_seeds();
  matcher_seeds();
  server_session_seeds();
  sentence_seeds();
  return 0;
}
