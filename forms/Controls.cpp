#include "forms/Controls.h"

#include <algorithm>

#include "util/Text.h"

namespace rd::forms {

void Control::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  Notify();
}

void Control::Notify() const {
  if (OnModelChanged) OnModelChanged();
}

void Label::SetCaption(const std::string& caption) {
  if (caption_ == caption) return;
  caption_ = caption;
  Notify();
}

void Button::UserClicked() {
  if (Enabled() && Click) Click();
}

void TextBox::SetText(const std::string& text) {
  if (text_ == text) return;
  text_ = text;
  Notify();
  if (Change) Change();
}

void TextBox::UserEdited(const std::string& text) {
  if (text_ == text) return;
  text_ = text;
  if (Change) Change();
}

void TextBox::UserLeaving() {
  bool cancel = false;
  if (Validate) Validate(cancel);
}

void ComboBox::AddItem(const std::string& item) {
  auto at = items_.end();
  if (sorted_) {
    at = std::upper_bound(items_.begin(), items_.end(), item,
                          [](const std::string& a, const std::string& b) {
                            return util::CompareNoCase(a, b) < 0;
                          });
  }
  const auto position = static_cast<int>(at - items_.begin());
  items_.insert(at, item);
  if (index_ >= position) ++index_;
  Notify();
}

void ComboBox::Clear() {
  if (items_.empty() && text_.empty() && index_ == -1) return;
  items_.clear();
  index_ = -1;
  text_.clear();
  Notify();
}

void ComboBox::SetListIndex(int index) {
  if (index < -1 || index >= ListCount()) return;
  index_ = index;
  text_ = index < 0 ? std::string() : items_[static_cast<std::size_t>(index)];
  Notify();
  if (Click) Click();
}

void ComboBox::SetText(const std::string& text) {
  if (style_ == ComboStyle::DropDownList) {
    // Only an entry spelt exactly so: the games are told apart by their exact names.
    const auto it = std::find(items_.begin(), items_.end(), text);
    if (it != items_.end()) SetListIndex(static_cast<int>(it - items_.begin()));
    return;
  }
  if (text_ == text) return;
  text_ = text;
  index_ = FindExact(text);
  Notify();
  if (Change) Change();
}

void ComboBox::UserEdited(const std::string& text) {
  if (style_ == ComboStyle::DropDownList || text_ == text) return;
  text_ = text;
  index_ = FindExact(text);
  if (Change) Change();
}

void ComboBox::UserSelected(int index) {
  if (index < 0 || index >= ListCount()) return;
  index_ = index;
  text_ = items_[static_cast<std::size_t>(index)];
  if (Click) Click();
}

void ComboBox::UserLeaving() {
  bool cancel = false;
  if (Validate) Validate(cancel);
}

int ComboBox::FindExact(const std::string& text) const {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (util::CompareNoCase(items_[i], text) == 0) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace rd::forms
