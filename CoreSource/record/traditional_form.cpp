#include "record/traditional_form.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/text.h"
#include "services/ccclient.h"

namespace {

std::string_view simplified_text(const ime_query_result_t& result) {
  const auto* text = reinterpret_cast<const char*>(result.hz);
  return {text, strnlen(text, std::min<std::size_t>(result.hlen, IME_TEXT_BYTES - 1))};
}

// The text into `thz`, cut at a character boundary to what the field holds.
void set_traditional_text(ime_query_result_t* result, std::string_view text) {
  const std::string_view fits = platform::text::utf8_prefix(text, IME_TEXT_BYTES - 1);
  std::memcpy(result->thz, fits.data(), fits.size());
  result->thz[fits.size()] = '\0';
  result->thlen = static_cast<std::uint8_t>(fits.size());
}

}  // namespace

void ime_defer_traditional(ime_query_result_t* result) {
  set_traditional_text(result, simplified_text(*result));
  result->flag |= IME_FLAG_NO_TRADITIONAL_YET;
}

bool ime_traditional_deferred(const ime_query_result_t& result) {
  return result.type == IME_RESULT_SENTENCE && (result.flag & IME_FLAG_NO_TRADITIONAL_YET) != 0;
}

void ime_make_traditional(ime_query_result_t* result) {
  if (!ime_traditional_deferred(*result)) return;
  result->flag &= static_cast<std::uint8_t>(~IME_FLAG_NO_TRADITIONAL_YET);
  const std::string_view simplified = simplified_text(*result);
  std::string traditional;
  if (QAConvertChinese(simplified.data(), simplified.size(), &traditional) >= 0) {
    set_traditional_text(result, traditional);
  }
}
