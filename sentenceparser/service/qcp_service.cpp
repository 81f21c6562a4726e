#include "sentenceparser/service/qcp_service.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>

#include "CoreSource/base/imelog.h"
#include "platform/ports.h"
#include "sentenceparser/core/convert.h"
#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/fill_pinyin.h"
#include "sentenceparser/core/learned_words.h"
#include "sentenceparser/core/learning.h"

namespace {

std::unique_ptr<platform::ports::LocalPort> server_port;
bool accepting = true;

constexpr char kConvertFailedHead[] = "Convert stream '";
constexpr char kConvertFailedTail[] = "' failed.";

bool is_gbk_lead(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

std::string_view up_to_nul(std::string_view bytes) { return bytes.substr(0, bytes.find('\0')); }

// The payload as the engine's C text: copied and NUL-terminated, into the fixed buffer when it
// fits, else onto the heap; the heap copy goes with this object on every path.
class PayloadCopy {
 public:
  explicit PayloadCopy(std::string_view data) {
    if (data.size() > kQCPFixedPayloadMax) {
      heap_ = std::make_unique<char[]>(data.size() + 1);
      text_ = heap_.get();
    }
    std::memcpy(text_, data.data(), data.size());
    text_[data.size()] = '\0';
  }
  char* text() { return text_; }

 private:
  char fixed_[kQCPFixedPayloadMax + 2];
  std::unique_ptr<char[]> heap_;
  char* text_ = fixed_;
};

// Copies at most kRequestPartSize - 1 bytes of `bytes`, whole GBK characters only, into `part`.
void copy_part(std::string_view bytes, char (&part)[sentence::kRequestPartSize]) {
  const std::size_t length = gbk_prefix_length(bytes, sizeof part - 1);
  std::memcpy(part, bytes.data(), length);
  part[length] = '\0';
}

std::string convert_failed(std::string_view payload) {
  constexpr std::size_t kQuoteRoom =
      kQCPReplyMax - 4 - (sizeof kConvertFailedHead - 1) - (sizeof kConvertFailedTail - 1);
  std::string_view quoted = up_to_nul(payload);
  const int length = static_cast<int>(gbk_prefix_length(quoted, kQuoteRoom));
  return QCError(QCP_STATUS_CONVERT_FAILED, "%s%.*s%s", kConvertFailedHead, length, quoted.data(),
                 kConvertFailedTail);
}

std::string convert_stream(std::string_view data) {
  PayloadCopy input(data);
  char output[1024] = "";
  const int result = sentence::ConvertStream(input.text(), output, 0);
  if (result != sentence::kConvertOk) {
    IME_DEBUG("ConvertStream gave %d.", result);
    return convert_failed(data);
  }
  const int items = sentence::CurrentItem < 0                  ? 0
                    : sentence::CurrentItem > sentence::kMaxItems ? sentence::kMaxItems
                                                                   : sentence::CurrentItem;
  const std::size_t text_room = kQCPReplyMax - 4 - 1 - static_cast<std::size_t>(items);
  std::string_view text(output, ::strnlen(output, sizeof output - 1));
  std::string reply = "000:";
  reply.append(text.substr(0, gbk_prefix_length(text, text_room)));
  reply += QCP_PART_SEPARATOR;
  for (int i = 0; i < items; ++i) {
    reply += (sentence::NCM[i].flags & sentence::kItemWordEnd) ? '_' : '0';
  }
  return reply;
}

std::string learn_text(std::string_view data) {
  const std::size_t separator = data.find(QCP_PART_SEPARATOR);
  if (separator == std::string_view::npos) {
    return QCError(QCP_STATUS_BAD_REQUEST, "Invalid format.");
  }
  copy_part(data.substr(0, separator), sentence::part1);
  copy_part(data.substr(separator + 1), sentence::part2);
  if (sentence::LearnText(sentence::part1, sentence::part2, 0) != 1) {
    return QCError(QCP_STATUS_BAD_REQUEST, "Learn failed.");
  }
  // Reloading after a failed save would drop what was just learned; the words stay in memory.
  if (sentence::SaveAutoCi(1) != 1) {
    return QCError(QCP_STATUS_SAVE_FAILED, "Save failed.");
  }
  sentence::LoadAutoCi(1);
  return QCError(QCP_STATUS_OK, "S");
}

std::string fill_pinyin(std::string_view data) {
  PayloadCopy input(data);
  // Room for the pinyin in a reply after its "000:" head, so the reply is never cut.
  char output[kQCPReplyMax - 4 + 1] = {};
  sentence::FillPy(input.text(), output, sizeof output);
  if (output[0] == '\0') return QCError(QCP_STATUS_BAD_REQUEST, "Fill failed.");
  return QCError(QCP_STATUS_OK, "%s", output);
}

}  // namespace

std::size_t gbk_prefix_length(std::string_view text, std::size_t limit) {
  const std::size_t end = text.size() < limit ? text.size() : limit;
  std::size_t i = 0;
  while (i < end) {
    const std::size_t unit = is_gbk_lead(static_cast<unsigned char>(text[i])) ? 2 : 1;
    if (i + unit > end) break;
    i += unit;
  }
  return i;
}

std::string QCError(int status, const char* format, ...) {
  char buffer[kQCPReplyMax + 1];
  int head = std::snprintf(buffer, sizeof buffer, "%03d:", status);
  if (head < 0) return {};
  std::size_t length = static_cast<std::size_t>(head) < kQCPReplyMax ? head : kQCPReplyMax;
  va_list arguments;
  va_start(arguments, format);
  const int body = std::vsnprintf(buffer + length, sizeof buffer - length, format, arguments);
  va_end(arguments);
  if (body > 0) {
    const std::size_t written = std::strlen(buffer + length);
    // Cut only when the text did not fit, and then at a character boundary.
    const bool cut = static_cast<std::size_t>(body) > written;
    length += cut ? gbk_prefix_length(std::string_view(buffer + length, written), written) : written;
  }
  return std::string(buffer, length);
}

std::optional<std::string> QCPMessageCallback(std::int32_t msgid, std::string_view data) {
  if (!accepting) return std::nullopt;
  switch (msgid) {
    case QCP_MSG_CONVERT_STREAM:
      return convert_stream(data);
    case QCP_MSG_LEARN_TEXT:
      return learn_text(data);
    case QCP_MSG_FILL_PY:
      return fill_pinyin(data);
    default:
      return std::nullopt;
  }
}

int QCPInitialize(platform::RunLoop& loop) {
  std::error_code error;
  server_port =
      platform::ports::LocalPort::create(kQCPServerPortName, QCPMessageCallback, loop, error);
  if (!server_port) {
    IME_ERROR("Cannot serve %s: %s", kQCPServerPortName, error.message().c_str());
    return 1;
  }
  accepting = true;
  return 0;
}

void QCPStopAccepting() { accepting = false; }

void QCPShutdown() { server_port.reset(); }
