// The skin's status bar: a background picture with state buttons (punctuation width, Chinese or
// English, traditional or simplified, letter width, full or double pinyin), a web-page link and
// decorative buttons, all drawn from the skin's [StatusBar] section into the status window.
// A click on a state button tells the server the button's new state (message 113); the server's
// STATUS dictionary sets them back.
//
// Everything runs on the program's one thread: hover changes come from the window's tracking
// callbacks on that thread, so the hovered set needs no lock.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "candidatewindow/skin/ini_values.h"
#include "candidatewindow/skin/q_round_window.h"
#include "candidatewindow/skin/skin_ini.h"
#include "platform/gfx/surface.h"
#include "platform/plist.h"
#include "platform/ui/geometry.h"
#include "platform/ui/window.h"

namespace kepcandidatewindow {

// Button names in load order; a click hits the first of them whose rectangle holds the point.
inline constexpr std::array<const char*, 10> kStatusItemNames = {
    "biaodian", "cn_en",        "fan_jian",    "passport", "quan_ban",
    "menu",     "quan_shuang", "softkeyboard", "riduvezoviz", "webpage"};

// Longest entry of a comma list, in bytes.
inline constexpr std::size_t kMaxCommaEntryBytes = 511;

// Splits at ',' and drops each entry's leading blanks; an empty entry reads as ".". nullopt when
// an entry is longer than kMaxCommaEntryBytes: a cut file name would name another file.
std::optional<std::vector<std::string>> GetStringsByComma(std::string_view text);

// Answers of QStatusView::setSkinFile besides the skin.ini codes of skin_ini.h.
enum StatusSkinCode : int {
  kStatusNoBackground = -9,          // StatusBar:pic missing
  kStatusBackgroundUnreadable = -10,  // the background picture cannot be loaded
};

// Picture sets of a button.
enum StatusCategory : int { kNormalPictures = 0, kHoverPictures = 1, kDownPictures = 2 };

struct TransparentColour {
  bool enabled = false;
  std::uint8_t red = 255, green = 255, blue = 255;
};

class QStatusItem {
 public:
  using Pictures = std::array<std::optional<platform::gfx::Surface>, 3>;

  // Reads the button `name` of the [StatusBar] section; pictures are files of `folder`.
  // 0 when loaded (a button the skin does not show loads without pictures), -1 when its
  // picture list is missing, has more than three entries or an entry too long.
  int load(std::string_view name, const kepskin::IniHandle* ini, const std::filesystem::path& folder,
           const TransparentColour& transparent);

  // The picture of the current state in the current set; null when there is none.
  const platform::gfx::Surface* image() const;
  // State 0 becomes 1, anything else 0.
  void nextStatus() { status = status == 0 ? 1 : 0; }
  // The tool tip: the hint, else empty.
  const std::string& description() const { return hint; }
  void mouseEntered();
  void mouseExited();

  std::string key;
  bool enabled = false;
  int status = 0;
  int category = kNormalPictures;
  int lastCategory = kNormalPictures;
  platform::ui::Point location;  // top-left corner from the background's top-left, y down
  platform::ui::Rect trackRect;  // window points, y up
  int trackTag = 0;
  std::string url;
  std::string hint;
  std::string lastCursor;

 private:
  Pictures images_;
  Pictures hoverImages_;
  Pictures downImages_;
};

class QStatusView {
 public:
  // Draws into `window` and takes its mouse and tracking events; the window must outlive the view.
  explicit QStatusView(kepskin::QRoundWindow& window);
  ~QStatusView();
  QStatusView(const QStatusView&) = delete;
  QStatusView& operator=(const QStatusView&) = delete;

  // Loads the skin in `folder`: 0 on success, and at once when the same skin.ini of the same
  // folder is loaded already (the candidate view's rule: a skin reinstalled over its folder is
  // read again); else a skin.ini code of skin_ini.h or a StatusSkinCode. A failed load changes
  // nothing: the previous skin's buttons, background and folder stay.
  int setSkinFile(const std::filesystem::path& folder);

  // Sets the state buttons from the server's STATUS dictionary.
  void setStatus(const platform::plist::Dictionary& status);
  // {KEY: value} of the state button `name`; nullopt for other buttons or an absent one.
  std::optional<platform::plist::Dictionary> getStatus(std::string_view name) const;

  void drawRect(platform::gfx::Surface& picture) const;
  // True when the view took the event (the window then does not see it).
  bool mouseDown(const platform::ui::MouseEvent& event);
  bool mouseUp(const platform::ui::MouseEvent& event);
  static bool acceptsFirstMouse() { return true; }

  // The hovered set: moveIn adds the button, moveOut removes it and answers how many remain.
  void moveIn(const std::string& name);
  std::size_t moveOut(const std::string& name);
  const std::vector<std::string>& hovered() const { return hovered_; }

  bool shadow = true;
  const std::filesystem::path& filePath() const { return filePath_; }
  const QStatusItem* item(std::string_view name) const;
  QStatusItem* item(std::string_view name);
  const std::vector<QStatusItem>& items() const { return items_; }
  const std::optional<platform::gfx::Surface>& background() const { return image_; }

 private:
  void trackingChanged(int tag, bool entered);
  void sendStatusOf(const std::string& name) const;
  void removeTracking();
  // Writes the buttons' states and the hovered set into the window's state and asks for a redraw.
  void redraw();

  kepskin::QRoundWindow& window_;
  std::filesystem::path filePath_;
  std::optional<kepskin::SkinSource> loaded_;
  TransparentColour transparent_;
  std::optional<platform::gfx::Surface> image_;
  std::vector<QStatusItem> items_;  // load order
  std::vector<std::string> hovered_;
  std::string lastTrackingItem_;  // by name: a reload may replace the buttons between down and up
};

}  // namespace kepcandidatewindow
