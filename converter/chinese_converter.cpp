#include "converter/chinese_converter.h"

#include "converter/cclog.h"
#include "converter/passes.h"
#include "converter/table_file.h"
#include "platform/text.h"

namespace converter {

namespace fs = std::filesystem;

std::unique_ptr<ChineseConverter> ChineseConverter::initWithFixFiles(
    const fs::path& resources, const std::vector<fs::path>& fix_files) {
  std::unique_ptr<ChineseConverter> converter(new ChineseConverter());
  if (!converter->loadHanDB(resources / "han.db")) {
    cclog("Load han.db failed");
    return nullptr;
  }
  cclog("Load han.db successed.");
  const char* names[] = {"corefix1.db", "corefix2.db"};
  for (int i = 0; i < 2; ++i) {
    if (!converter->loadFixFile(resources / names[i], converter->_fixdb[i])) return nullptr;
    cclog("Load %s successed.", names[i]);
  }
  for (const fs::path& file : fix_files) converter->loadFixFile2(file, converter->_userfixdb);
  return converter;
}

std::string ChineseConverter::version() const { return "1.0"; }

std::string ChineseConverter::dbVersion() const {
  auto or_unknown = [](const std::optional<std::string>& version) {
    return version ? *version : std::string("Unknown");
  };
  return "CoreFix db-1 " + or_unknown(_fixdb[0].version) + ", CoreFix db-2 " +
         or_unknown(_fixdb[1].version) + ", Core han db " + or_unknown(_hzdb.version);
}

std::optional<std::string> ChineseConverter::convertData(std::string_view utf8) {
  if (!platform::text::is_valid_utf8(utf8)) {
    cclog("Create string object from simpData failed.");
    return std::nullopt;
  }
  return convertString(utf8);
}

std::optional<std::string> ChineseConverter::convertString(std::string_view utf8) {
  std::optional<std::string> encoded;
  if (!utf8.empty()) encoded = codec_.encode(utf8);
  if (!encoded || encoded->empty()) {
    cclog("Get string gb18030_2000 buffer length failed.");
    return std::nullopt;
  }
  auto text = convertStepOne(*encoded);
  if (!text) {
    cclog("Convert step 1 failed!");
    return std::nullopt;
  }
  for (int i = 0; i < 2; ++i) {
    text = convertStepTwo(*text, _fixdb[i]);
    if (!text) {
      cclog("Convert step2 with db %d failed!", i);
      return std::nullopt;
    }
  }
  auto decoded = codec_.decode(*text);
  if (!decoded) {
    cclog("Create string object from the converted text failed.");
    return std::nullopt;
  }
  return user_fix_pass(*decoded, _userfixdb);
}

std::optional<std::string> ChineseConverter::convertStepOne(std::string_view gb18030) const {
  return character_pass(gb18030, _hzdb);
}

std::optional<std::string> ChineseConverter::convertStepTwo(std::string_view gb18030,
                                                            const FixTable& fixdb) const {
  return fix_pass(gb18030, fixdb);
}

bool ChineseConverter::loadHanDB(const fs::path& path) {
  if (!table_file::load_char_table(path, _hzdb, codec_)) {
    cclog("Open han.db failed.");
    return false;
  }
  return true;
}

bool ChineseConverter::loadFixFile(const fs::path& path, FixTable& db) {
  if (!table_file::load_fix_table(path, db, codec_)) {
    cclog("Open file %s failed.", path.c_str());
    return false;
  }
  return true;
}

bool ChineseConverter::loadFixFile2(const fs::path& path, UserFixTable& db) {
  if (!table_file::load_user_fixes(path, db, codec_)) {
    cclog("Open file %s failed.", path.c_str());
    return false;
  }
  return true;
}

}  // namespace converter
