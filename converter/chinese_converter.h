// ChineseConverter: simplified to traditional Chinese in three steps over GB18030 text: the
// character table han.db, then the context fixes of corefix1.db and of corefix2.db (the second
// sees the first one's output), and last the user's literal fixes on the decoded result.
//
// Not for concurrent use: one converter serves one thread (the service's main thread).
#pragma once

#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "converter/gb_codec.h"
#include "converter/tables.h"

namespace converter {

class ChineseConverter {
 public:
  // Loads han.db, corefix1.db and corefix2.db from `resources`, then each user fix file in
  // order (a user fix file that cannot be read is logged and skipped). nullptr when one of
  // the three tables cannot be read.
  static std::unique_ptr<ChineseConverter> initWithFixFiles(
      const std::filesystem::path& resources, const std::vector<std::filesystem::path>& fix_files);

  // The converter's own version, "1.0".
  std::string version() const;
  // "CoreFix db-1 <v>, CoreFix db-2 <v>, Core han db <v>", "Unknown" for a missing version.
  std::string dbVersion() const;

  // UTF-8 in, UTF-8 out; nullopt when the bytes are not UTF-8 or the conversion fails.
  std::optional<std::string> convertData(std::string_view utf8);
  // The whole conversion of a UTF-8 text; nullopt for an empty text or on failure.
  std::optional<std::string> convertString(std::string_view utf8);

  // The character step and one context-fix step, GB18030 in and out.
  std::optional<std::string> convertStepOne(std::string_view gb18030) const;
  std::optional<std::string> convertStepTwo(std::string_view gb18030, const FixTable& fixdb) const;

  bool loadHanDB(const std::filesystem::path& path);
  bool loadFixFile(const std::filesystem::path& path, FixTable& db);
  bool loadFixFile2(const std::filesystem::path& path, UserFixTable& db);

  const CharTable& hzdb() const { return _hzdb; }
  const FixTable& fixdb(int index) const { return _fixdb[index]; }
  const UserFixTable& userfixdb() const { return _userfixdb; }

 private:
  ChineseConverter() = default;

  CharTable _hzdb;
  std::array<FixTable, 2> _fixdb;  // corefix1.db, corefix2.db
  UserFixTable _userfixdb;         // the user fix files, in the order given
  Gb18030Codec codec_;
};

}  // namespace converter
