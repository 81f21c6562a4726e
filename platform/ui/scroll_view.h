// A scroll view: a document view seen through the scroll view's bounds, moved vertically by
// the scroll wheel or by program.
#pragma once

#include <memory>

#include "platform/ui/view.h"

namespace platform::ui {

class ScrollView : public View {
 public:
  explicit ScrollView(Rect frame);

  // Replaces the document view (its frame's origin is the scroll view's to set) and shows its
  // top.
  View& set_document_view(std::unique_ptr<View> document);
  View* document_view() const { return document_; }

  // The part of the document shown, in the document's points.
  Rect document_visible_rect() const;
  // Shows the document from `point` (the visible rectangle's new origin, in the document's
  // points), clamped so that no space shows beyond the document: scrolling to (0, document
  // height) shows its top.
  void scroll_to_point(Point point);
  // The document view changed size: keeps the visible origin within range.
  void tile();

  bool scroll_wheel(Point location, double delta_y) override;

 protected:
  const char* kind() const override;
  // "visible" (the document's visible rectangle).
  void describe_into(plist::Dictionary& shows) const override;
  void frame_size_did_change() override;

 private:
  View* document_ = nullptr;
};

}  // namespace platform::ui
