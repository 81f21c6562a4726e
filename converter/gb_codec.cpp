#include "converter/gb_codec.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/text.h"

namespace converter {

namespace {

void* open_or_die(const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    // Without GB18030 in iconv nothing here can work; that is a broken installation.
    std::fprintf(stderr, "iconv cannot convert %s to %s\n", from, to);
    std::abort();
  }
  return cd;
}

std::optional<std::string> run(void* handle, std::string_view input) {
  auto cd = static_cast<iconv_t>(handle);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
  std::string out(input.size() * 2 + 8, '\0');
  char* in_ptr = const_cast<char*>(input.data());
  std::size_t in_left = input.size();
  std::size_t used = 0;
  while (in_left > 0) {
    char* out_ptr = out.data() + used;
    std::size_t out_left = out.size() - used;
    std::size_t rc = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
    used = out.size() - out_left;
    if (rc != static_cast<std::size_t>(-1)) continue;
    if (errno != E2BIG) return std::nullopt;  // invalid, unmappable or cut short
    out.resize(out.size() * 2);
  }
  out.resize(used);
  return out;
}

}  // namespace

Gb18030Codec::Gb18030Codec()
    : to_gb_(open_or_die("GB18030", "UTF-8")), to_utf8_(open_or_die("UTF-8", "GB18030")) {}

Gb18030Codec::~Gb18030Codec() {
  iconv_close(static_cast<iconv_t>(to_gb_));
  iconv_close(static_cast<iconv_t>(to_utf8_));
}

std::optional<std::string> Gb18030Codec::encode(std::string_view utf8) {
  if (!platform::text::is_valid_utf8(utf8)) return std::nullopt;
  return run(to_gb_, utf8);
}

std::optional<std::string> Gb18030Codec::decode(std::string_view gb18030) {
  return run(to_utf8_, gb18030);
}

}  // namespace converter
