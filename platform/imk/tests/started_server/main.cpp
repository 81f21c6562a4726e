// A server the client library starts from its bundle in the tests: it serves the tests'
// connection name until SIGTERM, handles every key and inserts its characters.
#include <cstdio>

#include "platform/imk/input_method.h"

namespace {

using namespace platform::imk;

class EchoController final : public InputController {
 public:
  bool handleEvent(const Event& event, Client& client) override {
    client.insert_text(event.characters, {client.not_found(), 0});
    return true;
  }
  void activateServer(Client&) override {}
  void deactivateServer(Client&, DeactivationReason, std::string_view) override {}
  void commitComposition(Client&) override {}
  std::optional<std::string> originalString(Client&) override { return std::nullopt; }
  std::optional<std::string> composedString(Client&) override { return std::nullopt; }
};

class EchoMethod final : public InputMethod {
 public:
  std::unique_ptr<InputController> createController(Client&) override {
    return std::make_unique<EchoController>();
  }
};

}  // namespace

int main() {
  platform::RunLoop loop;
  EchoMethod method;
  std::error_code error;
  auto server = Server::create("TestInputConnection", method, loop, error);
  if (!server) {
    std::fprintf(stderr, "test server: %s\n", error.message().c_str());
    return 1;
  }
  loop.on_power_off([&loop] { loop.stop(); });
  loop.run();
  return 0;
}
