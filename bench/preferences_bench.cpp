// The preferences program as a user meets it: the time from its launch to the first picture of
// its window, and a toolbar switch from the click to the window state showing the new pane. The
// staged program is copied into a private server bundle under a private root, with the staged
// fuzzy pane and the "Pages" test pane beside it, a private HOME and a private runtime folder.
//
// Run from a release build:
//   cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release
//   cmake --build build-release --target preferences_bench
//   build-release/bin/preferences_bench
// The medians are the counters start_median_ms and switch_median_ms.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "platform/plist.h"
#include "platform/ports.h"
#include "platform/process.h"
#include "platform/ui/control_server.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using platform::plist::Dictionary;
using platform::plist::Value;

constexpr fs::perms kNobodyElseWrites = fs::perms::owner_all | fs::perms::group_read |
                                        fs::perms::group_exec | fs::perms::others_read |
                                        fs::perms::others_exec;
// Generous: a loaded machine with a sanitized build still gets there well within it.
constexpr auto kBound = 60s;

// A private root holding a server bundle with the preferences program and its panes, a HOME and
// a runtime folder; the environment points at them for the object's life.
class PrivateInstall {
 public:
  PrivateInstall() {
    std::error_code error;
    folder_ = platform::files::make_temp_directory({}, "kep-prefs-bench-", error).value_or("");
    if (folder_.empty()) return;
    const fs::path server = folder_ / "root/Library/Input Methods/IMKKEP.app";
    app_ = server / "Contents/SharedSupport/IMKKEPPreferences.app";
    runtime_ = folder_ / "run";
    fs::create_directories(folder_ / "home");
    fs::create_directories(runtime_);
    fs::permissions(runtime_, fs::perms::owner_all);

    const fs::path staged = fs::path(KEP_STAGED_PREFERENCES_APP) / "Contents";
    fs::create_directories(app_ / "Contents/MacOS");
    fs::create_directories(app_ / "Contents/Resources/English.lproj");
    for (const char* file : {"Info.plist", "MacOS/IMKKEPPreferences", "Resources/imkkep.plist",
                             "Resources/English.lproj/Localizable.strings"}) {
      fs::copy_file(staged / file, app_ / "Contents" / file);
    }
    // Every pane the build stages, and the test pane with two named pages.
    const fs::path panes = app_ / "Contents/SharedSupport";
    fs::copy(staged / "SharedSupport", panes, fs::copy_options::recursive);
    add_pane(panes, "Pages", KEP_TEST_PANE_PAGES, "PagesPaneController");
    for (const auto& entry : fs::recursive_directory_iterator(panes)) {
      if (entry.is_directory() || entry.path().parent_path().filename() == "MacOS") {
        fs::permissions(entry.path(), kNobodyElseWrites);
      }
    }
    fs::permissions(panes, kNobodyElseWrites);

    fs::create_directories(server / "Contents/Resources");
    Dictionary info;
    info.set("CFBundleIdentifier", Value("com.corvana.inputmethod.IMKKEP"));
    platform::plist::save_atomic(server / "Contents/Info.plist", Value(info), error);
    fs::copy_file(KEP_SHIPPED_SETTINGS, server / "Contents/Resources/imkkep.plist");

    ::setenv("KEP_ROOT", (folder_ / "root").c_str(), 1);
    ::setenv("HOME", (folder_ / "home").c_str(), 1);
    ::setenv("KEP_RUNTIME_DIR", runtime_.c_str(), 1);
    ::unsetenv("KEP_RENDER_DIR");
    ::unsetenv("KEP_PREFERENCES_DEBUG");
  }
  ~PrivateInstall() {
    std::error_code error;
    if (!folder_.empty()) fs::remove_all(folder_, error);
  }
  PrivateInstall(const PrivateInstall&) = delete;
  PrivateInstall& operator=(const PrivateInstall&) = delete;

  bool ok() const { return !folder_.empty(); }
  fs::path program() const { return app_ / "Contents/MacOS/IMKKEPPreferences"; }
  fs::path window_file(const std::string& name) const {
    return runtime_ / "windows/IMKKEPPreferences" / name;
  }

 private:
  static void add_pane(const fs::path& folder, const std::string& name, const fs::path& library,
                       const std::string& principal_class) {
    const fs::path bundle = folder / (name + ".bundle");
    fs::create_directories(bundle / "Contents/MacOS");
    fs::copy_file(library, bundle / "Contents/MacOS" / name);
    Dictionary info;
    info.set("CFBundleIdentifier", Value("com.example.panes." + name));
    info.set("CFBundleExecutable", Value(name));
    info.set("NSPrincipalClass", Value(principal_class));
    std::error_code error;
    platform::plist::save_atomic(bundle / "Contents/Info.plist", Value(info), error);
  }

  fs::path folder_;
  fs::path app_;
  fs::path runtime_;
};

// The program, started for the object's life: closed through its window when it can be, killed
// otherwise, and always waited for.
class Program {
 public:
  explicit Program(const PrivateInstall& install) {
    std::error_code error;
    pid_ = platform::process::launch(install.program(), {install.program().string()}, error);
  }
  ~Program() {
    if (!pid_) return;
    control("close Preferences");
    if (platform::process::wait_for_exit(*pid_, 10s)) return;
    std::error_code error;
    platform::process::send_signal(*pid_, SIGKILL, error);
    platform::process::wait_for_exit(*pid_, 10s);
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool started() const { return pid_.has_value(); }

  static std::string control(const std::string& command) {
    std::error_code error;
    auto remote = platform::ports::RemotePort::open(
        platform::ui::control_port_name("IMKKEPPreferences"), error);
    if (!remote) return "unreachable";
    auto reply = remote->send(1, command, 10s, 10s);
    return reply.data ? *reply.data : "no reply";
  }

 private:
  std::optional<pid_t> pid_;
};

std::string window_title(const PrivateInstall& install) {
  std::error_code error;
  auto value = platform::plist::read_file(install.window_file("Preferences.state"), error);
  if (!value || !value->as_dictionary()) return {};
  const Value* title = value->as_dictionary()->find("title");
  return title && title->string_value() ? *title->string_value() : std::string();
}

template <typename Done>
bool poll_until(Done done) {
  const auto deadline = Clock::now() + kBound;
  while (!done()) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

double median(std::vector<double> samples) {
  if (samples.empty()) return 0;
  std::sort(samples.begin(), samples.end());
  const size_t mid = samples.size() / 2;
  return samples.size() % 2 ? samples[mid] : (samples[mid - 1] + samples[mid]) / 2;
}

double milliseconds_since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Launch to the first Preferences.png in the runtime folder.
void BM_StartToFirstPicture(benchmark::State& state) {
  PrivateInstall install;
  if (!install.ok()) return state.SkipWithError("no scratch folder");
  std::vector<double> samples;
  for (auto _ : state) {
    std::error_code error;
    fs::remove_all(install.window_file(""), error);
    const auto start = Clock::now();
    Program program(install);
    if (!program.started()) return state.SkipWithError("the program did not start");
    if (!poll_until([&] { return fs::exists(install.window_file("Preferences.png")); })) {
      return state.SkipWithError("no window picture");
    }
    const double elapsed = milliseconds_since(start);
    state.SetIterationTime(elapsed / 1000);
    samples.push_back(elapsed);
    // Once its window is up it hears the close (outside the timing) that ends it before the
    // next start.
    if (!poll_until([&] { return !window_title(install).empty(); })) {
      return state.SkipWithError("no window state");
    }
  }
  state.counters["start_median_ms"] = median(samples);
}
BENCHMARK(BM_StartToFirstPicture)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// A toolbar click to the window state's title naming the new pane, back and forth.
void BM_ToolbarSwitch(benchmark::State& state) {
  PrivateInstall install;
  if (!install.ok()) return state.SkipWithError("no scratch folder");
  Program program(install);
  if (!program.started()) return state.SkipWithError("the program did not start");
  if (!poll_until([&] { return !window_title(install).empty(); })) {
    return state.SkipWithError("the window did not open");
  }
  // The staged fuzzy pane and one of the test pane's pages.
  const std::string first = window_title(install);
  const std::string panes[] = {first == "Fuzzy" ? "General" : "Fuzzy", first};
  std::vector<double> samples;
  size_t next = 0;
  for (auto _ : state) {
    const std::string& name = panes[next];
    next = 1 - next;
    const auto start = Clock::now();
    if (Program::control("click Preferences " + name) != platform::ui::kControlOk) {
      return state.SkipWithError("the click was refused");
    }
    if (!poll_until([&] { return window_title(install) == name; })) {
      return state.SkipWithError("the pane did not switch");
    }
    const double elapsed = milliseconds_since(start);
    state.SetIterationTime(elapsed / 1000);
    samples.push_back(elapsed);
  }
  state.counters["switch_median_ms"] = median(samples);
}
BENCHMARK(BM_ToolbarSwitch)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

BENCHMARK_MAIN();
