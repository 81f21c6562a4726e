// load(): the fixed header of a cell dictionary, checked and kept.
#include "scel_reader.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string_view>

#include "scel_format.h"
#include "scel_text.h"

namespace {

std::uint32_t le32(const unsigned char* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
         (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

std::string_view field(const unsigned char* header, std::size_t offset, std::size_t bytes) {
  return {reinterpret_cast<const char*>(header) + offset, bytes};
}

}  // namespace

ScelReader::ScelReader() = default;

ScelReader::~ScelReader() { close(); }

void ScelReader::close() {
  if (fp_ != nullptr) std::fclose(fp_);
  fp_ = nullptr;
}

std::int32_t ScelReader::load(const std::string& path) {
  close();
  clear_fields();
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return SCEL_NO_FILE;
  file_ = path;
  if (!S_ISREG(st.st_mode)) return SCEL_CANNOT_OPEN;
  fp_ = std::fopen(path.c_str(), "rb");
  if (fp_ == nullptr) return SCEL_CANNOT_OPEN;
  const std::int32_t status = read_header();
  if (status != SCEL_OK) close();
  return status;
}

void ScelReader::clear_fields() {
  size_ = magic_ = version_ = 0;
  std::memset(md5_, 0, sizeof md5_);
  uid_.clear();
  ver_ = 0;
  pyCount_ = wordCount_ = pyTotalCount_ = wordTotalCount_ = 0;
  name_.clear();
  type_.clear();
  remark_.clear();
  samples_.clear();
  file_.clear();
  fileSize_ = 0;
}

std::int32_t ScelReader::read_header() {
  using namespace scel;
  unsigned char header[kHeaderBytes];
  const std::size_t got = std::fread(header, 1, sizeof header, fp_);
  if (got < kMagicOffset + 4) return SCEL_SHORT;
  size_ = le32(header + kSizeOffset);
  magic_ = le32(header + kMagicOffset);
  if (magic_ != kMagic) return SCEL_BAD_MAGIC;
  if (got < kFormatVersionOffset + 4) return SCEL_SHORT;
  version_ = le32(header + kFormatVersionOffset);
  if (version_ != kFormatVersion) return SCEL_BAD_VERSION;
  if (got < kHeaderBytes) return SCEL_SHORT;
  for (int i = 0; i < 4; ++i) md5_[i] = le32(header + kChecksumOffset + 4 * i);

  std::optional<std::string> uid = header_text(field(header, kUidOffset, kUidBytes));
  std::optional<std::string> name = header_text(field(header, kNameOffset, kNameBytes));
  std::optional<std::string> type = header_text(field(header, kTypeOffset, kTypeBytes));
  std::optional<std::string> remark = header_text(field(header, kRemarkOffset, kRemarkBytes));
  std::optional<std::string> samples = header_text(field(header, kSamplesOffset, kSamplesBytes));
  if (!uid || !name || !type || !remark || !samples) return SCEL_SHORT;
  uid_ = std::move(*uid);
  name_ = std::move(*name);
  type_ = std::move(*type);
  remark_ = std::move(*remark);
  samples_ = split_samples(*samples);

  ver_ = static_cast<std::int32_t>(le32(header + kVersionOffset));
  pyCount_ = le32(header + kPinyinGroupCountOffset);
  wordCount_ = le32(header + kWordCountOffset);
  pyTotalCount_ = le32(header + kPinyinTotalOffset);
  wordTotalCount_ = le32(header + kWordTotalOffset);

  struct stat st;
  if (::fstat(fileno(fp_), &st) != 0) return SCEL_SHORT;
  fileSize_ = static_cast<std::uint64_t>(st.st_size);
  return SCEL_OK;
}
