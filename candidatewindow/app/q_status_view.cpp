#include "candidatewindow/app/q_status_view.h"

#include <algorithm>
#include <cstring>
#include <system_error>
#include <utility>

#include "candidatewindow/protocol/ComData.h"
#include "candidatewindow/protocol/message_ids.h"
#include "candidatewindow/protocol/send_to_im.h"
#include "candidatewindow/protocol/status_message.h"
#include "candidatewindow/skin/skin_ini.h"
#include "candidatewindow/skin/skin_log.h"
#include "candidatewindow/skin/skin_paths.h"
#include "platform/gfx/canvas.h"
#include "platform/gfx/image.h"
#include "platform/gfx/shadow.h"
#include "platform/ui/screens.h"
#include "platform/workspace.h"

namespace kepcandidatewindow {

namespace {

namespace fs = std::filesystem;
using platform::gfx::Surface;
using platform::plist::Dictionary;

// Room right of and below the background for its shadow.
constexpr int kShadowRoom = 15;
// Distance of the bar from the visible frame's right and bottom edges.
constexpr double kRightMargin = 60;
constexpr double kBottomMargin = 10;
constexpr const char* kPointingHandCursor = "pointing-hand";
constexpr const char* kArrowCursor = "arrow";

struct StateKey {
  const char* item;
  const char* key;
  bool valueOfState0;  // the key's value while the button shows state 0
};

constexpr StateKey kStateKeys[] = {
    {"biaodian", "FULL_WIDTH_PUNCT", true}, {"cn_en", "ENGLISH", false},
    {"fan_jian", "TRADITIONAL", true},      {"quan_ban", "FULL_WIDTH_ROMAN", true},
    {"quan_shuang", "PINYIN", true},
};

const StateKey* state_key_of(std::string_view item) {
  for (const StateKey& each : kStateKeys)
    if (item == each.item) return &each;
  return nullptr;
}

std::string status_key(std::string_view item, const char* suffix) {
  return "StatusBar:" + std::string(item) + suffix;
}

std::optional<Surface> load_picture(const fs::path& folder, std::string_view name,
                                    const TransparentColour& transparent) {
  std::string reason;
  std::optional<Surface> picture = kepskin::CreateImageFromPath(folder, name, &reason);
  if (!picture) {
    kepskin::skin_log("status bar picture \"%.*s\" not loaded: %s", static_cast<int>(name.size()),
                      name.data(), reason.c_str());
    return std::nullopt;
  }
  if (transparent.enabled)
    platform::gfx::mask_colour(*picture, transparent.red, transparent.green, transparent.blue);
  return picture;
}

// The pictures of a list; "." takes the picture of the same state from `dot_pictures`, states
// past the list's end repeat its first picture. False when the list is refused.
bool load_pictures(const std::vector<std::string>& names, const fs::path& folder,
                   const TransparentColour& transparent, const QStatusItem::Pictures* dot_pictures,
                   QStatusItem::Pictures& pictures) {
  if (names.empty() || names.size() > pictures.size()) return false;
  for (std::size_t state = 0; state < names.size(); ++state) {
    if (dot_pictures && names[state] == ".") {
      pictures[state] = (*dot_pictures)[state];
    } else {
      pictures[state] = load_picture(folder, names[state], transparent);
    }
  }
  for (std::size_t state = names.size(); state < pictures.size(); ++state) pictures[state] = pictures[0];
  return true;
}

platform::ui::Point read_location(const kepskin::IniHandle* ini, std::string_view name) {
  const char* text = kepskin::ini_getstring(ini, status_key(name, "_pos"), "0,0");
  int position[2] = {0, 0};
  kepskin::GetIntItems(text, position);
  return {static_cast<double>(position[0]), static_cast<double>(position[1])};
}

}  // namespace

std::optional<std::vector<std::string>> GetStringsByComma(std::string_view text) {
  std::vector<std::string> entries;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(',', start);
    std::string_view entry = text.substr(start, comma == std::string_view::npos ? std::string_view::npos
                                                                                : comma - start);
    const std::size_t first = entry.find_first_not_of(" \t");
    entry = first == std::string_view::npos ? std::string_view{} : entry.substr(first);
    if (entry.size() > kMaxCommaEntryBytes) return std::nullopt;
    entries.emplace_back(entry.empty() ? std::string_view(".") : entry);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return entries;
}

// --- QStatusItem ----------------------------------------------------------------------------

int QStatusItem::load(std::string_view name, const kepskin::IniHandle* ini, const fs::path& folder,
                      const TransparentColour& transparent) {
  key = std::string(name.substr(0, kMaxCommaEntryBytes));
  enabled = kepskin::ini_getint(ini, status_key(name, "_display"), 0) != 0;
  if (!enabled) return 0;

  const char* list = kepskin::ini_getstring(ini, status_key(name, ""), nullptr);
  if (!list) return -1;
  const auto names = GetStringsByComma(list);
  if (!names || !load_pictures(*names, folder, transparent, nullptr, images_)) return -1;

  for (auto [suffix, pictures] : {std::pair{"_hover", &hoverImages_}, std::pair{"_down", &downImages_}}) {
    const char* own = kepskin::ini_getstring(ini, status_key(name, suffix), list);
    const auto entries = GetStringsByComma(own);
    if (!entries || !load_pictures(*entries, folder, transparent, &images_, *pictures)) return -1;
  }

  location = read_location(ini, name);
  if (name == "webpage") {
    if (const char* address = kepskin::ini_getstring(ini, status_key(name, "_url"), nullptr)) url = address;
    if (const char* tip = kepskin::ini_getstring(ini, status_key(name, "_hint"), nullptr)) hint = tip;
  }
  return 0;
}

const Surface* QStatusItem::image() const {
  if (status < 0 || status > 2) return nullptr;
  const Pictures* set = category == kNormalPictures  ? &images_
                        : category == kHoverPictures ? &hoverImages_
                        : category == kDownPictures  ? &downImages_
                                                     : nullptr;
  if (!set) return nullptr;
  const auto& picture = (*set)[static_cast<std::size_t>(status)];
  return picture ? &*picture : nullptr;
}

void QStatusItem::mouseEntered() {
  lastCategory = category;
  category = kHoverPictures;
}

void QStatusItem::mouseExited() { category = lastCategory; }

// --- QStatusView ----------------------------------------------------------------------------

QStatusView::QStatusView(kepskin::QRoundWindow& window) : window_(window) {
  window_.set_content_drawer([this](Surface& picture) { drawRect(picture); });
  window_.set_content_mouse_handler([this](const platform::ui::MouseEvent& event) {
    switch (event.type) {
      case platform::ui::MouseEventType::Down: return mouseDown(event);
      case platform::ui::MouseEventType::Up: return mouseUp(event);
      default: return false;
    }
  });
  window_.set_tracking_handler([this](int tag, bool entered) { trackingChanged(tag, entered); });
}

QStatusView::~QStatusView() {
  removeTracking();
  window_.set_content_drawer({});
  window_.set_content_mouse_handler({});
  window_.set_tracking_handler({});
}

const QStatusItem* QStatusView::item(std::string_view name) const {
  for (const QStatusItem& each : items_)
    if (each.key == name) return &each;
  return nullptr;
}

QStatusItem* QStatusView::item(std::string_view name) {
  return const_cast<QStatusItem*>(std::as_const(*this).item(name));
}

int QStatusView::setSkinFile(const fs::path& folder) {
  if (loaded_ && kepskin::skin_source(folder) == *loaded_) return kepskin::kSkinLoaded;

  kepskin::SkinIni skin;
  if (const int read = kepskin::read_skin_ini(folder, skin); read != kepskin::kSkinLoaded) return read;
  const kepskin::IniHandle* ini = skin.dictionary.get();
  // Pictures come from the folder whose skin.ini was read.
  const fs::path& pictures = skin.source.folder;

  TransparentColour transparent;
  transparent.enabled = kepskin::ini_getint(ini, "StatusBar:transparent_color_enable", 0) != 0;
  if (transparent.enabled) {
    const auto packed = static_cast<std::uint32_t>(kepskin::ini_getint(ini, "StatusBar:transparent_color", 0xffffff));
    transparent.red = static_cast<std::uint8_t>(packed & 0xFF);
    transparent.green = static_cast<std::uint8_t>((packed >> 8) & 0xFF);
    transparent.blue = static_cast<std::uint8_t>((packed >> 16) & 0xFF);
  }

  const char* pic = kepskin::ini_getstring(ini, "StatusBar:pic", nullptr);
  if (!pic) return kStatusNoBackground;
  std::optional<Surface> background = load_picture(pictures, pic, transparent);
  if (!background) return kStatusBackgroundUnreadable;

  const double width = background->width() + kShadowRoom;
  const double height = background->height() + kShadowRoom;
  std::vector<QStatusItem> loaded;
  for (const char* name : kStatusItemNames) {
    QStatusItem each;
    if (each.load(name, ini, pictures, transparent) != 0) {
      kepskin::skin_log("status bar button \"%s\" left out: its picture list is missing or refused", name);
      continue;
    }
    const Surface* picture = each.image();
    const double picture_width = picture ? picture->width() : 0;
    const double picture_height = picture ? picture->height() : 0;
    each.trackRect = {each.location.x, height - picture_height - each.location.y, picture_width,
                      picture_height};
    loaded.push_back(std::move(each));
  }

  // Complete: the new skin replaces the old one as a whole.
  removeTracking();
  hovered_.clear();
  lastTrackingItem_.clear();
  items_ = std::move(loaded);
  image_ = std::move(background);
  transparent_ = transparent;
  filePath_ = folder;
  loaded_ = std::move(skin.source);
  window_.set_tool_tip("");
  for (QStatusItem& each : items_) {
    if (!each.enabled) continue;
    each.trackTag = window_.add_tracking_rect(each.trackRect);
    if (each.key == "webpage" && !each.hint.empty()) window_.set_tool_tip(each.description());
  }

  const platform::ui::Rect visible = platform::ui::main_screen().visible_frame;
  window_.set_frame({visible.x + visible.width - width - kRightMargin, visible.y + kBottomMargin, width, height});
  redraw();
  return kepskin::kSkinLoaded;
}

void QStatusView::removeTracking() {
  for (QStatusItem& each : items_) {
    if (each.trackTag != 0) window_.remove_tracking_rect(each.trackTag);
    each.trackTag = 0;
  }
}

void QStatusView::setStatus(const Dictionary& status) {
  const kepcandidate::StatusFlags flags = kepcandidate::readStatusFlags(status);
  auto shown = [this](std::string_view name) {
    QStatusItem* found = item(name);
    return found && found->enabled ? found : nullptr;
  };
  if (QStatusItem* punct = shown("biaodian")) punct->status = flags.fullWidthPunct.value_or(true) ? 0 : 1;
  if (QStatusItem* language = shown("cn_en")) {
    const bool english = flags.english.value_or(false);
    language->status = english ? 1 : 0;
    // English input always shows half-width punctuation, whatever the punctuation key says.
    if (english)
      if (QStatusItem* punct = shown("biaodian")) punct->status = 1;
  }
  if (QStatusItem* script = shown("fan_jian")) script->status = flags.traditional.value_or(false) ? 0 : 1;
  if (QStatusItem* letters = shown("quan_ban")) letters->status = flags.fullWidthRoman.value_or(false) ? 0 : 1;
  if (QStatusItem* scheme = shown("quan_shuang")) scheme->status = flags.pinyin.value_or(true) ? 0 : 1;
  redraw();
}

std::optional<Dictionary> QStatusView::getStatus(std::string_view name) const {
  const QStatusItem* found = item(name);
  const StateKey* key = state_key_of(name);
  if (!found || !key) return std::nullopt;
  Dictionary status;
  status.set(key->key, found->status == 0 ? key->valueOfState0 : !key->valueOfState0);
  return status;
}

void QStatusView::drawRect(Surface& picture) const {
  if (!image_) return;
  platform::gfx::Canvas canvas(picture, platform::gfx::Orientation::y_down);
  const platform::gfx::Point origin{0, 0};
  bool drawn = false;
  if (shadow) {
    // Offset right and down, into the room kept for it.
    const platform::gfx::Shadow drop{4, 4, 10, {0, 0, 0, 0.45}};
    drawn = platform::gfx::draw_with_shadow(canvas, *image_, origin, drop);
  }
  if (!drawn) {
    canvas.draw(*image_, {0, 0, static_cast<double>(picture.width() - kShadowRoom),
                          static_cast<double>(picture.height() - kShadowRoom)});
  }
  for (const QStatusItem& each : items_) {
    if (!each.enabled) continue;
    if (const Surface* button = each.image()) {
      canvas.draw(*button, {each.location.x, each.location.y, static_cast<double>(button->width()),
                            static_cast<double>(button->height())});
    }
  }
}

bool QStatusView::mouseDown(const platform::ui::MouseEvent& event) {
  QStatusItem* hit = nullptr;
  for (QStatusItem& each : items_) {
    if (each.enabled && platform::ui::contains(each.trackRect, event.location)) {
      hit = &each;
      break;
    }
  }
  if (!hit) return false;

  lastTrackingItem_ = hit->key;
  hit->nextStatus();
  if (hit->key == "quan_ban" || hit->key == "biaodian") {
    hit->category = kHoverPictures;
  } else if (hit->key == "webpage") {
    hit->category = kNormalPictures;
  } else {
    hit->category = kDownPictures;
  }

  if (hit->key == "webpage") {
    if (!hit->url.empty()) {
      std::error_code error;
      if (!platform::workspace::open_url(hit->url, error))
        kepskin::skin_log("status bar web page not opened: %s", error.message().c_str());
    }
  } else {
    if (hit->key == "cn_en") {
      // English input shows half-width punctuation, as the server switches it.
      if (QStatusItem* punct = item("biaodian")) {
        if (hit->status == 1 && punct->status == 0) punct->status = 1;
        else if (hit->status == 0 && punct->status == 1) punct->status = 0;
      }
    }
    if (!getStatus(hit->key)) {
      // A decorative button reports nothing; the release redraws it.
      return true;
    }
    sendStatusOf(hit->key);
  }
  redraw();
  return false;
}

void QStatusView::sendStatusOf(const std::string& name) const {
  std::optional<Dictionary> status = getStatus(name);
  if (!status) return;
  kepcandidate::ComData data;
  data.setObject(std::move(*status), "STATUS");
  const int sent = kepcandidate::SendMessageToIM(kepcandidate::kKEPSUpdateStatus, data.data());
  if (sent != 0) kepskin::skin_log("status of \"%s\" not sent to the server (%d)", name.c_str(), sent);
}

bool QStatusView::mouseUp(const platform::ui::MouseEvent& event) {
  if (QStatusItem* last = lastTrackingItem_.empty() ? nullptr : item(lastTrackingItem_)) {
    last->category = platform::ui::contains(last->trackRect, event.location) ? kHoverPictures : kNormalPictures;
  }
  redraw();
  return false;
}

void QStatusView::moveIn(const std::string& name) {
  if (std::find(hovered_.begin(), hovered_.end(), name) == hovered_.end()) hovered_.push_back(name);
}

std::size_t QStatusView::moveOut(const std::string& name) {
  std::erase(hovered_, name);
  return hovered_.size();
}

void QStatusView::trackingChanged(int tag, bool entered) {
  auto found = std::find_if(items_.begin(), items_.end(), [tag](const QStatusItem& each) { return each.trackTag == tag; });
  if (found == items_.end()) return;
  if (entered) {
    found->lastCursor = window_.cursor();
    window_.set_cursor(kPointingHandCursor);
    found->mouseEntered();
    moveIn(found->key);
  } else {
    found->mouseExited();
    if (moveOut(found->key) == 0) window_.set_cursor(kArrowCursor);
  }
  // Hover pictures show at the next redraw; the hovered set is part of what the window shows now.
  platform::plist::Array names(hovered_.begin(), hovered_.end());
  window_.show("hovered", std::move(names));
}

void QStatusView::redraw() {
  Dictionary states;
  for (const QStatusItem& each : items_) {
    Dictionary entry;
    entry.set("enabled", each.enabled);
    entry.set("status", each.status);
    entry.set("category", each.category);
    states.set(each.key, std::move(entry));
  }
  window_.show("items", std::move(states));
  platform::plist::Array names(hovered_.begin(), hovered_.end());
  window_.show("hovered", std::move(names));
  window_.set_needs_display();
}

}  // namespace kepcandidatewindow
