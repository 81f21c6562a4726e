#include "IMKKEP/windows/KEPAbout.h"

#include <system_error>
#include <vector>

#include "IMKKEP/windows/FliprView.h"
#include "platform/ui/localized_strings.h"
#include "IMKKEP/base/server_log.h"
#include "IMKKEP/base/server_state.h"
#include "IMKKEP/base/window_display.h"
#include "platform/files.h"
#include "platform/rtf.h"
#include "platform/text.h"
#include "platform/ui/screens.h"
#include "platform/workspace.h"

namespace imkkep {
namespace {

using platform::ui::Rect;

constexpr Rect kFaceFrame{0, 0, 360, 220};
constexpr std::size_t kMaxResourceBytes = 1 << 20;
constexpr const char* kBlogPage = "https://kep.example.org/wordpress/?cat=1";
constexpr const char* kDonatePage = "https://kep.example.org/donate";

constexpr const char* kBuiltInCredits[] = {
    "The KEP input method team",
    "The dictionary and word-frequency contributors",
    "The skin designers",
    "The translators and testers",
    "Everyone who reported a problem",
    nullptr,
};

// A file of the bundle's resources (none without a bundle), refused when it is not a plain
// file or implausibly large.
std::optional<std::string> read_resource(const std::filesystem::path& resources,
                                         const char* name) {
  if (resources.empty()) return std::nullopt;
  const std::filesystem::path path = resources / name;
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  if (std::filesystem::file_size(path, error) > kMaxResourceBytes || error) return std::nullopt;
  return platform::files::read_file(path, error);
}

std::string localized(const char* key, const char* fallback) {
  return platform::ui::localized_string(kServerBundleIdentifier, key, fallback);
}


void open_page(const char* url) {
  std::error_code error;
  if (!platform::workspace::open_url(url, error)) {
    KEPLogAlways("Open the page '%s' failed: %s", url, error.message().c_str());
  }
}

// White, under everything else of a face.
class AboutBackground : public platform::ui::View {
 public:
  using View::View;
  void draw(platform::gfx::Canvas& canvas) const override {
    canvas.fill(bounds(), {1, 1, 1, 1});
  }

 protected:
  const char* kind() const override { return "background"; }
};

std::unique_ptr<platform::ui::Button> push_button(Rect frame, const char* key,
                                                  const char* fallback,
                                                  std::function<void()> action) {
  auto button = std::make_unique<platform::ui::Button>(frame, localized(key, fallback));
  button->set_action([action = std::move(action)](platform::ui::Button&) { action(); });
  return button;
}

}  // namespace

std::string KEPVersionString(const std::filesystem::path& resources) {
  std::optional<std::string> text = read_resource(resources, "kepver.txt");
  if (!text || !platform::text::is_valid_utf8(*text)) return kUnknownVersion;
  while (!text->empty() && (text->back() == '\n' || text->back() == '\r')) text->pop_back();
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t blank = text->find(' ', start);
    parts.push_back(text->substr(start, blank - start));
    if (blank == std::string::npos) break;
    start = blank + 1;
  }
  if (parts.size() != 4) return kUnknownVersion;
  return parts[0] + "." + parts[1] + "." + parts[2] + " " + parts[3];
}

std::string KEPCreditsText(const std::filesystem::path& resources) {
  if (std::optional<std::string> rtf = read_resource(resources, "ack.rtf")) {
    if (std::optional<std::string> text = platform::rtf_plain_text(*rtf); text && !text->empty()) {
      return *text;
    }
  }
  std::string credits;
  for (const char* const* name = kBuiltInCredits; *name != nullptr; ++name) {
    credits += *name;
    credits += "\n";
  }
  return credits;
}

KEPAbout::KEPAbout(platform::RunLoop& loop, platform::ui::WindowRegistry* registry,
                   const std::filesystem::path& resources)
    : registry_(registry),
      about_window_(std::make_unique<KEPAboutFace>("about", kFaceFrame)),
      ack_window_(std::make_unique<KEPAboutFace>("ack", kFaceFrame)) {
  about_window_->set_title(localized("ABOUT_TITLE", "About"));
  ack_window_->set_title(localized("ABOUT_TITLE", "About"));
  buildFront(resources);
  buildBack(resources);
  FlippingWindow::create(loop);
  if (registry_ != nullptr) {
    registry_->add(*about_window_);
    registry_->add(*ack_window_);
  }
}

KEPAbout::~KEPAbout() {
  if (registry_ != nullptr) {
    registry_->remove(*about_window_);
    registry_->remove(*ack_window_);
  }
  FlippingWindow::releaseFlippingWindow();
}

void KEPAbout::buildFront(const std::filesystem::path& resources) {
  auto root = std::make_unique<AboutBackground>(kFaceFrame);
  auto name = std::make_unique<platform::ui::TextField>(
      Rect{20, 170, 320, 24}, localized("ABOUT_PRODUCT", "KEP Pinyin Input Method"));
  name->set_font(platform::ui::system_font(16));
  root->add_subview(std::move(name));
  version_string_ = &root->add_subview(std::make_unique<platform::ui::TextField>(
      Rect{20, 145, 320, 20}, kUnknownVersion));
  version_string_->set_identifier("version");
  version_string_->set_text(KEPVersionString(resources));

  link_field_1_ = &root->add_subview(std::make_unique<LinkFieldView>(Rect{20, 90, 320, 18}));
  link_field_1_->set_identifier("blog");
  link_field_1_->setText(localized("GOTO_BLOG", "Visit the blog"));
  link_field_1_->setAction([this] { gotoBlog(); });
  link_field_2_ = &root->add_subview(std::make_unique<LinkFieldView>(Rect{20, 66, 320, 18}));
  link_field_2_->set_identifier("donate");
  link_field_2_->setText(localized("DONATE_ME", "Support the project"));
  link_field_2_->setAction([this] { donate(); });

  root->add_subview(push_button({170, 14, 90, 26}, "ABOUT_CREDITS", "Credits",
                                [this] { showAck(); }))
      .set_identifier("credits");
  root->add_subview(push_button({266, 14, 80, 26}, "ABOUT_OK", "OK", [this] { closeAbout(); }))
      .set_identifier("ok");
  about_window_->set_content_view(std::move(root));
}

void KEPAbout::buildBack(const std::filesystem::path& resources) {
  auto root = std::make_unique<AboutBackground>(kFaceFrame);
  ack_view_ = &root->add_subview(std::make_unique<platform::ui::TextView>(Rect{20, 50, 320, 155}));
  ack_view_->set_identifier("credits");
  ack_view_->set_editable(false);
  ack_view_->set_text(KEPCreditsText(resources));
  root->add_subview(push_button({266, 14, 80, 26}, "ABOUT_BACK", "Back",
                                [this] { showBackAbout(); }))
      .set_identifier("back");
  ack_window_->set_content_view(std::move(root));
}

void KEPAbout::showAbout() {
  const Rect screen = platform::ui::main_screen().frame;
  const Rect face = about_window_->frame();
  about_window_->set_level(platform::ui::kPopUpMenuWindowLevel);
  ack_window_->set_level(platform::ui::kPopUpMenuWindowLevel);
  about_window_->set_frame_origin({screen.x + (screen.width - face.width) * 0.5,
                                   screen.y + (screen.height - face.height) * 0.5 + 50});
  about_window_->make_key_and_order_front();
  KEPDisplayWindow(*about_window_);
}

void KEPAbout::showAck() { flipToShowWindow(*about_window_, *ack_window_, true); }

void KEPAbout::showBackAbout() { flipToShowWindow(*ack_window_, *about_window_, false); }

void KEPAbout::closeAbout() {
  // Escape closes it with every composition it ends: only a shown face is written again.
  if (!about_window_->is_visible()) return;
  about_window_->order_out();
  KEPDisplayWindow(*about_window_);
}

void KEPAbout::gotoBlog() { open_page(kBlogPage); }

void KEPAbout::donate() { open_page(kDonatePage); }

}  // namespace imkkep
