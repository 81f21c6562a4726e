// Strict UTF-8 <-> GB18030 conversion with iconv descriptors opened once, for the hot path of
// conversion (opening iconv for every short candidate word would cost more than converting it).
// One object serves one thread at a time.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace converter {

class Gb18030Codec {
 public:
  Gb18030Codec();
  ~Gb18030Codec();
  Gb18030Codec(const Gb18030Codec&) = delete;
  Gb18030Codec& operator=(const Gb18030Codec&) = delete;

  // nullopt for invalid input (including UTF-8 that glibc would accept but should not).
  std::optional<std::string> encode(std::string_view utf8);
  std::optional<std::string> decode(std::string_view gb18030);

 private:
  void* to_gb_;
  void* to_utf8_;
};

}  // namespace converter
