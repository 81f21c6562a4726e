// The input-method server as an application reaches it: one connection of the framework served
// by the server's own input method on the engine, fed the requests of an arbitrary application
// (keys, modifier changes, activations, menu items, contexts, and frames of any shape) while a
// peer thread answers the server's queries (selected range, text, caret line) with arbitrary
// answers: missing, refused, malformed, or well formed with any values (NaN, infinities,
// ranges past the text, text that is not UTF-8).
//
// The input is two parts (fuzz::kPartSeparator): the application's script, then the answers.
// Script: its first byte chooses the hello; then printable ASCII types that character and
// these bytes take the next ones as arguments:
//   01 K     a named key (K picks it)          02 G     a modifier change (G picks it)
//   03 C F   character C with modifiers F      04 L     activation, Caps Lock light L & 1
//   05 R     deactivation (R picks why)        06       commit the composition
//   07 W     the original (W even) or composed string      08   the menu
//   09 T     a menu item (T picks the tag)     0a       a new context, activated
//   0b       the context destroyed             0c I N P...  a raw frame: id I, N bytes of payload
// Answers, one per query: a mode byte, then what it needs (zeros when the input ends):
//   mode % 4 == 0  present: no           1  present: yes, the value from the next bytes
//   2  refused                           3  raw: N, then N bytes as the whole answer
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

#include "CoreSource/base/config.h"
#include "CoreSource/base/imelog.h"
#include "IMKKEP/companions/KEPCompanions.h"
#include "IMKKEP/engine/KEPConvertEngine.h"
#include "IMKKEP/controller/KEPInputController.h"
#include "IMKKEP/base/server_log.h"
#include "IMKKEP/base/server_state.h"
#include "fuzz/fixtures/engine_fixture.h"
#include "fuzz/fuzz_support.h"
#include "platform/imk/keys.h"
#include "platform/imk/server_connection.h"
#include "platform/imk/wire.h"
#include "platform/imk/wire_io.h"
#include "platform/runloop.h"

namespace {

using platform::imk::KeyStroke;
using platform::imk::wire::Clock;
using platform::imk::wire::MessageId;
using platform::imk::wire::Writer;
namespace ports = platform::ports;

constexpr std::chrono::milliseconds kSendTime(500);

platform::RunLoop* loop = nullptr;
std::unique_ptr<imkkep::KEPConvertEngine> engine;
imkkep::KEPInputMethod* method = nullptr;
// The settings the server runs on: no software updater is looked for at each activation.
platform::plist::Dictionary settings;

// The bytes of one part, read front to back; zeros once they run out.
class Bytes {
 public:
  explicit Bytes(std::string_view bytes) : bytes_(bytes) {}
  bool empty() const { return bytes_.empty(); }
  std::uint8_t next() {
    if (bytes_.empty()) return 0;
    const auto byte = static_cast<std::uint8_t>(bytes_.front());
    bytes_.remove_prefix(1);
    return byte;
  }
  std::string take(std::size_t size) {
    std::string taken(bytes_.substr(0, size));
    bytes_.remove_prefix(taken.size());
    taken.resize(size, '\0');
    return taken;
  }

 private:
  std::string_view bytes_;
};

// The application's end of the connection: requests from the main thread, answers to the
// server's queries from the peer thread, one frame at a time.
class Application {
 public:
  Application(int fd, std::string_view answers) : fd_(fd), answers_(answers) {
    peer_ = std::thread([this] { answer_queries(); });
  }
  // The application goes away: the peer thread sees the connection end at once, and the server
  // finds it gone.
  ~Application() {
    ::shutdown(fd_, SHUT_RDWR);
    peer_.join();
  }

  // A request, as every application request wants its answer.
  bool send(MessageId id, std::string payload) {
    return send_frame({ports::FrameKind::Request, ports::kFlagWantsReply,
                       static_cast<std::int32_t>(id), next_sequence_++, std::move(payload)});
  }

 private:
  bool send_frame(const ports::Message& message) {
    std::lock_guard lock(writing_);
    return platform::imk::wire::send_message(fd_, message, Clock::now() + kSendTime);
  }

  void answer_queries() {
    platform::imk::wire::Receiver receiver;
    while (true) {
      ports::Message message;
      switch (receiver.next(fd_, Clock::now() + std::chrono::seconds(10), message)) {
        case platform::imk::wire::Receiver::Result::Closed:
        case platform::imk::wire::Receiver::Result::Malformed:
          return;
        case platform::imk::wire::Receiver::Result::Nothing:
          continue;
        case platform::imk::wire::Receiver::Result::Message:
          break;
      }
      // Replies to the application's own requests, and what the server only tells it.
      if (message.kind != ports::FrameKind::Request ||
          (message.flags & ports::kFlagWantsReply) == 0) {
        continue;
      }
      send_frame({ports::FrameKind::Reply, 0, message.id, message.sequence,
                  answer(static_cast<MessageId>(message.id))});
    }
  }

  std::string answer(MessageId query) {
    const std::uint8_t mode = answers_.next();
    Writer writer;
    switch (mode % 4) {
      case 0:
        return writer.u8(0).u8(0).take();
      case 2:
        return writer.u8(1).take();
      case 3:
        return answers_.take(answers_.next());
      default:
        break;
    }
    writer.u8(0).u8(1);
    switch (query) {
      case MessageId::SelectedRange:
        return writer.take() + answers_.take(16);
      case MessageId::Substring: {
        const std::string text = answers_.take(answers_.next());
        return writer.text(text).take();
      }
      case MessageId::LineRect:
        return writer.take() + answers_.take(32);
      default:
        return writer.take();
    }
  }

  int fd_;
  std::mutex writing_;
  Bytes answers_;
  std::uint32_t next_sequence_ = 1;
  std::thread peer_;
};

platform::imk::ClientInfo hello(std::uint8_t choice) {
  platform::imk::ClientInfo info;
  static const char* const kPaths[] = {"", "/Applications/Editor.app", "/opt/quiet/bin/tool"};
  info.application_path = kPaths[choice % 3];
  info.bundle_identifier = (choice & 4) != 0 ? "com.example.editor" : "";
  info.word_width = (choice & 8) != 0 ? 32 : 64;
  if ((choice & 16) != 0) info.supports_unicode = (choice & 32) != 0;
  info.can_override_keyboard = (choice & 64) != 0;
  return info;
}

KeyStroke named_key(std::uint8_t choice) {
  static const char* const kNames[] = {"space", "bs",   "del",  "ret", "left", "right",
                                       "up",    "down", "pgup", "pgdn", "home", "end",
                                       "tab",   "esc",  "f5",   "f13"};
  return platform::imk::key_named(kNames[choice % std::size(kNames)]).value_or(KeyStroke{});
}

std::uint64_t modifiers(std::uint8_t choice) {
  using namespace platform::imk;
  std::uint64_t flags = 0;
  if ((choice & 1) != 0) flags |= kShiftFlag | kLeftShiftBit;
  if ((choice & 2) != 0) flags |= kControlFlag | kLeftControlBit;
  if ((choice & 4) != 0) flags |= kOptionFlag | kRightOptionBit;
  if ((choice & 8) != 0) flags |= kCommandFlag | kLeftCommandBit;
  if ((choice & 16) != 0) flags |= kCapsLockFlag;
  if ((choice & 32) != 0) flags |= 0x400000;  // a flag the key road refuses
  return flags;
}

// A modifier key's change: its key code (0 for none) and the flags after it.
std::pair<std::uint16_t, std::uint64_t> modifier_change(std::uint8_t choice) {
  static const std::uint16_t kCodes[] = {0, 55, 56, 57, 58, 59, 60, 61, 62, 63, 49};
  return {kCodes[choice % std::size(kCodes)], modifiers(choice / std::size(kCodes))};
}

std::string key_payload(std::uint32_t context, const KeyStroke& key) {
  const bool caps = (key.modifier_flags & platform::imk::kCapsLockFlag) != 0;
  return Writer()
      .u32(context)
      .text(key.characters)
      .u16(key.key_code)
      .u64(key.modifier_flags)
      .u8(caps ? 1 : 0)
      .take();
}

constexpr int kMenuTags[] = {1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009, 1010, 1102, 9999};

// Plays one request of the script; false when the script has ended.
bool play(Bytes& script, Application& application, std::uint32_t& context) {
  if (script.empty()) return false;
  const std::uint8_t op = script.next();
  const std::string this_context = Writer().u32(context).take();
  if (op >= 0x20 && op < 0x7f) {
    const auto key = platform::imk::key_for_character(static_cast<char>(op));
    return !key || application.send(MessageId::KeyDown, key_payload(context, *key));
  }
  switch (op) {
    case 0x01:
      return application.send(MessageId::KeyDown, key_payload(context, named_key(script.next())));
    case 0x02: {
      const auto [code, flags] = modifier_change(script.next());
      const bool caps = (flags & platform::imk::kCapsLockFlag) != 0;
      return application.send(MessageId::FlagsChanged,
                              this_context + Writer().u16(code).u64(flags).u8(caps).take());
    }
    case 0x03: {
      KeyStroke key = platform::imk::key_for_character(static_cast<char>(script.next()))
                          .value_or(KeyStroke{"\xe4\xb8\xad", 0, 0});
      key.modifier_flags |= modifiers(script.next());
      return application.send(MessageId::KeyDown, key_payload(context, key));
    }
    case 0x04:
      return application.send(MessageId::Activate,
                              this_context + Writer().u8(script.next() & 1).take());
    case 0x05: {
      static const char* const kSources[] = {"", "com.example.keylayout.US",
                                             "com.corvana.inputmethod.KEP"};
      const std::uint8_t why = script.next();
      return application.send(MessageId::Deactivate,
                              this_context + Writer().u8(why & 1).text(kSources[why % 3]).take());
    }
    case 0x06:
      return application.send(MessageId::CommitComposition, this_context);
    case 0x07:
      return application.send(script.next() % 2 == 0 ? MessageId::OriginalString
                                                      : MessageId::ComposedString,
                              this_context);
    case 0x08:
      return application.send(MessageId::Menu, this_context);
    case 0x09: {
      const int tag = kMenuTags[script.next() % std::size(kMenuTags)];
      return application.send(MessageId::InvokeMenuItem, this_context + Writer().i32(tag).take());
    }
    case 0x0a:
      ++context;  // the server numbers contexts from 1 in order
      return application.send(MessageId::CreateContext, {}) &&
             application.send(MessageId::Activate, Writer().u32(context).u8(0).take());
    case 0x0b:
      return application.send(MessageId::DestroyContext, this_context);
    case 0x0c: {
      const auto id = static_cast<MessageId>(script.next());
      return application.send(id, script.take(script.next()));
    }
    default:
      return true;
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::use_scratch_environment();
  const std::filesystem::path root = std::getenv("KEP_ROOT");
  const std::filesystem::path runtime = root / "run";
  std::filesystem::create_directories(runtime);
  ::setenv("KEP_RUNTIME_DIR", runtime.c_str(), 1);
  const std::filesystem::path contents = root / "Library/Components/KEP.component/Contents";
  std::filesystem::create_directories(contents);
  fuzz::write_file(contents / "Info.plist",
                   fuzz::read_file(std::filesystem::path(KEP_RESOURCES_DIR) / "engine/Info.plist"));
  std::string error;
  if (!fuzz::write_engine_resources(contents / "Resources", KEP_RESOURCES_DIR, &error)) {
    std::fprintf(stderr, "server session fuzzer: %s\n", error.c_str());
    std::abort();
  }
  imkkep::set_log_sink([](const char*) {});
  imkkep::KEPSetCompanionLauncher([](const std::filesystem::path&, bool) { return 0; });
  imkkep::KEPSetEngineResources();
  loop = new platform::RunLoop();
  engine = imkkep::KEPConvertEngine::create(*loop);
  if (!engine || imkkep::IMEReload() != 0 || kIMEConfigureDictionary == nullptr) {
    std::fprintf(stderr, "server session fuzzer: the engine did not start\n");
    std::abort();
  }
  // The dictionaries are closed before the leak check at exit: Berkeley DB keeps their pages
  // where the checker cannot see them.
  std::atexit([] {
    imkkep::kConvertEngine = nullptr;
    engine.reset();
    imkkep::IMEExit();
  });
  ime_log_func = [](const char*) {};
  settings = *kIMEConfigureDictionary;
  settings.set("AutoUpdate", false);
  settings.set("DaruzDictAutoUpdate", false);
  // One of the hellos' applications is silent.
  settings.set("KeepSilent", true);
  settings.set("SilentLists", std::string("/opt/quiet"));
  kIMEConfigureDictionary = &settings;
  imkkep::kConvertEngine = engine.get();
  method = new imkkep::KEPInputMethod();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string_view> parts = fuzz::split_parts(fuzz::as_view(data, size), 2);
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends) != 0) {
    std::abort();
  }
  platform::UniqueFd application_end(ends[1]);
  imkkep::silent_mode = 0;
  {
    platform::imk::ServerConnection connection(platform::UniqueFd(ends[0]), ::getpid(), *method);
    Application application(application_end.get(), parts[1]);
    Bytes script(parts[0]);
    Writer greeting;
    platform::imk::wire::write_client_info(greeting, hello(script.next()));
    std::uint32_t context = 1;
    bool open = application.send(MessageId::Hello, greeting.take()) &&
                application.send(MessageId::CreateContext, {}) && connection.on_readable();
    while (open && play(script, application, context)) open = connection.on_readable();
  }
  return 0;
}
