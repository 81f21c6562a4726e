#include "service_converter.h"

#include <signal.h>

#include <chrono>
#include <optional>
#include <system_error>
#include <thread>

#include "CoreSource/services/sentence_client.h"
#include "platform/ports.h"
#include "platform/process.h"
#include "platform/text.h"
#include "sentenceparser/service/qcp_service.h"

namespace sentence_accuracy {

namespace {

using namespace std::chrono_literals;

class ServiceConverter : public Converter {
 public:
  explicit ServiceConverter(pid_t pid) : pid_(pid) {}
  ~ServiceConverter() override { stop(pid_); }
  const char* name() const override { return "service"; }

  // Digits and marks go in as they are, GBK like the rest of the request: fixed items.
  std::string convert(const std::vector<std::string>& pieces) override {
    std::string request;
    for (const std::string& piece : pieces) {
      if (!request.empty()) request += '_';
      request += piece;
    }
    const std::optional<std::string> gbk = platform::text::from_utf8(request, platform::text::Encoding::Gbk);
    std::string text;
    std::string flags;
    if (!gbk || QAConvertStream(gbk->c_str(), &text, &flags) != QCP_CONVERT_OK) return {};
    return platform::text::to_utf8(text, platform::text::Encoding::Gbk).value_or(std::string());
  }

  static void stop(pid_t pid) {
    std::error_code error;
    if (platform::process::send_signal(pid, SIGTERM, error) &&
        platform::process::wait_for_exit(pid, 5s)) {
      return;
    }
    platform::process::send_signal(pid, SIGKILL, error);
    platform::process::wait_for_exit(pid, 5s);
  }

 private:
  pid_t pid_;
};

}  // namespace

std::unique_ptr<Converter> open_service_converter(const std::filesystem::path& program,
                                                  std::string* error) {
  std::error_code launch_error;
  const std::optional<pid_t> pid = platform::process::launch(program, {}, launch_error);
  if (!pid) {
    *error = "cannot start " + program.string() + ": " + launch_error.message();
    return nullptr;
  }
  for (int attempt = 0; attempt < 500; ++attempt) {
    std::error_code open_error;
    if (platform::ports::RemotePort::open(kQCPServerPortName, open_error)) {
      return std::make_unique<ServiceConverter>(*pid);
    }
    if (platform::process::wait_for_exit(*pid, 10ms)) {
      *error = program.string() + " ended while starting";
      return nullptr;
    }
  }
  ServiceConverter::stop(*pid);
  *error = program.string() + " did not serve " + kQCPServerPortName;
  return nullptr;
}

}  // namespace sentence_accuracy
