// The fuzzy pinyin pane: one check box that turns fuzzy matching on, and a matrix of the sound
// pairs it may treat alike. The view is built in code the first time it is asked for.
#include <dlfcn.h>

#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/bundle.h"
#include "platform/gfx/image.h"
#include "platform/ui/check_box_matrix.h"
#include "platform/ui/controls.h"
#include "platform/ui/localized_strings.h"
#include "platform/ui/plugin.h"
#include "platform/ui/view.h"
#include "preferences/host/pane_protocol.h"

namespace {

namespace fs = std::filesystem;
using platform::plist::Dictionary;
using platform::plist::Value;
using platform::ui::Rect;

constexpr const char* kEnableKey = "EnableFuzzyPinyin";

struct FuzzyPair {
  const char* key;
  int row;
  int column;
  const char* title;
};

// Saved in this order; the cell's place is where the user finds the pair.
constexpr std::array<FuzzyPair, 12> kPairs = {{
    {"fuzzy_z2zh", 0, 0, "z = zh"},
    {"fuzzy_c2ch", 0, 1, "c = ch"},
    {"fuzzy_s2sh", 0, 2, "s = sh"},
    {"fuzzy_k2g", 1, 0, "k = g"},
    {"fuzzy_f2h", 1, 1, "f = h"},
    {"fuzzy_l2n", 1, 2, "l = n"},
    {"fuzzy_an2ang", 2, 0, "an = ang"},
    {"fuzzy_en2eng", 2, 1, "en = eng"},
    {"fuzzy_in2ing", 2, 2, "in = ing"},
    {"fuzzy_ian2iang", 3, 0, "ian = iang"},
    {"fuzzy_uan2uang", 3, 1, "uan = uang"},
    {"fuzzy_l2r", 3, 2, "l = r"},
}};
constexpr int kRows = 4;
constexpr int kColumns = 3;

// A setting counts only when present with the integer value 1 (true reads as 1).
bool is_set(const Dictionary& prefs, std::string_view key) {
  const Value* value = prefs.find(key);
  return value != nullptr && value->integer_value() == 1;
}

// The bundle whose Contents/MacOS holds `file`.
std::optional<platform::Bundle> bundle_of_executable(const fs::path& file) {
  fs::path macos = file.parent_path();
  if (macos.filename() != "MacOS" || macos.parent_path().filename() != "Contents") {
    return std::nullopt;
  }
  return platform::Bundle::at(macos.parent_path().parent_path());
}

// The host program's main bundle: the one its running executable lies in.
std::optional<platform::Bundle> host_bundle() {
  std::error_code error;
  fs::path exe = fs::read_symlink("/proc/self/exe", error);
  if (error) return std::nullopt;
  return bundle_of_executable(exe);
}

// This pane's own bundle, found from the library the code was loaded from.
std::optional<platform::Bundle> own_bundle() {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<const void*>(&own_bundle), &info) == 0 ||
      info.dli_fname == nullptr) {
    return std::nullopt;
  }
  std::error_code error;
  fs::path library = fs::canonical(info.dli_fname, error);
  if (error) return std::nullopt;
  return bundle_of_executable(library);
}

std::string host_string(std::string_view key, std::string_view default_text) {
  std::optional<platform::Bundle> host = host_bundle();
  return host ? platform::ui::localized_string(*host, key, default_text)
              : std::string(default_text);
}

class FuzzyController;

// The pane's view. The host adopts it into its window's tree, which then frees it; the view tells
// its pane when it goes so that the pane neither frees it twice nor reads its controls after.
class FuzzyView : public platform::ui::View {
 public:
  FuzzyView(Rect frame, FuzzyController* pane) : View(frame), pane_(pane) {}
  ~FuzzyView() override;
  void forget_pane() { pane_ = nullptr; }

 private:
  FuzzyController* pane_;
};

class FuzzyController : public preferences::PreferencePane {
 public:
  FuzzyController() = default;
  FuzzyController(const FuzzyController&) = delete;
  FuzzyController& operator=(const FuzzyController&) = delete;
  ~FuzzyController() override {
    if (_view == nullptr) return;
    _view->forget_pane();
    // A view in a tree belongs to the tree.
    if (_view->superview() == nullptr && _view->window() == nullptr) delete _view;
  }

  platform::ui::View* paneView() override {
    if (!_view) build_view();
    return _view;
  }

  // The view is gone with the window that held it; what it showed is gone too.
  void viewDidGo() {
    _view = nullptr;
    _applyFuzzy = nullptr;
    _fuzzyItems = nullptr;
    _loaded = false;
  }

  std::string paneName() override { return host_string("FUZZY_PANE_NAME", ""); }

  std::optional<platform::gfx::Surface> paneIcon() override {
    std::optional<platform::Bundle> bundle = own_bundle();
    if (!bundle) return std::nullopt;
    std::optional<fs::path> icon = bundle->resource("Fuzzy.png");
    if (!icon) return std::nullopt;
    return platform::gfx::load_image(*icon, nullptr);
  }

  std::optional<std::string> paneToolTip() override {
    std::optional<platform::Bundle> bundle = own_bundle();
    if (!bundle) return std::nullopt;
    const Value* tip = bundle->info().find("toolTip");
    if (tip == nullptr) return std::nullopt;
    return tip->string_value();
  }

  bool allowsHorizontalResizing() override { return false; }
  bool allowsVerticalResizing() override { return false; }
  void setParentWindow(platform::ui::Window* window) override { _parentWindow = window; }

  void loadPrefs(Dictionary& prefs) override {
    if (_loaded) return;
    if (!paneView()) return;
    const bool on = is_set(prefs, kEnableKey);
    _applyFuzzy->set_on(on);
    _fuzzyItems->set_enabled(on);
    for (const FuzzyPair& pair : kPairs) {
      _fuzzyItems->set_on(pair.row, pair.column, is_set(prefs, pair.key));
    }
    _loaded = true;
  }

  void savePrefs(Dictionary& prefs) override {
    if (!_loaded || _view == nullptr) return;
    prefs.set(kEnableKey, Value(_applyFuzzy->is_on()));
    for (const FuzzyPair& pair : kPairs) {
      prefs.set(pair.key, Value(_fuzzyItems->is_on(pair.row, pair.column)));
    }
  }

  void reloadPrefs(Dictionary& prefs) override {
    if (!_loaded) return;
    _loaded = false;
    loadPrefs(prefs);
  }

 private:
  // The cells keep their states while fuzzy matching is off: they are only disabled.
  void applyFuzzy() { _fuzzyItems->set_enabled(_applyFuzzy->is_on()); }

  void build_view() {
    constexpr double kWidth = 420;
    constexpr double kHeight = 170;
    auto view = std::make_unique<FuzzyView>(Rect{0, 0, kWidth, kHeight}, this);
    view->set_identifier("fuzzyPane");

    auto check_box = std::make_unique<platform::ui::CheckBox>(
        Rect{20, kHeight - 40, kWidth - 40, 22},
        host_string("FUZZY_ENABLE", "Enable fuzzy pinyin"));
    check_box->set_identifier("applyFuzzy");
    check_box->set_action([this](platform::ui::Button&) { applyFuzzy(); });
    _applyFuzzy = &view->add_subview(std::move(check_box));

    auto matrix = std::make_unique<platform::ui::CheckBoxMatrix>(Rect{40, 20, kWidth - 60, 100},
                                                                 kRows, kColumns);
    matrix->set_identifier("fuzzyItems");
    matrix->set_spacing(8, 6);
    for (const FuzzyPair& pair : kPairs) matrix->set_title(pair.row, pair.column, pair.title);
    matrix->set_enabled(_applyFuzzy->is_on());
    _fuzzyItems = &view->add_subview(std::move(matrix));

    _view = view.release();
  }

  FuzzyView* _view = nullptr;
  platform::ui::CheckBox* _applyFuzzy = nullptr;
  platform::ui::CheckBoxMatrix* _fuzzyItems = nullptr;
  platform::ui::Window* _parentWindow = nullptr;
  bool _loaded = false;
};

FuzzyView::~FuzzyView() {
  if (pane_ != nullptr) pane_->viewDidGo();
}

preferences::PreferencePanes make_panes() {
  preferences::PreferencePanes panes;
  panes.push_back(std::make_unique<FuzzyController>());
  return panes;
}

const KepClassEntry kEntries[] = {
    {preferences::kPreferencePanesEntry, reinterpret_cast<void (*)()>(&make_panes)},
};

const KepClassRecord kRecord = {preferences::kPaneAbiVersion, "FuzzyController",
                                platform::ui::kRootClassName, preferences::kPaneProtocolName,
                                kEntries, 1};

}  // namespace

const KepClassRecord* kep_principal_class(const char* name) {
  return std::string_view(name) == kRecord.class_name ? &kRecord : nullptr;
}
