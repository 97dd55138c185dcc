#pragma once
#include <functional>
#include <string>
#include <vector>

// The state of a window's controls, owned by its presenter. A change made by the program
// runs the control's handler at once, nested inside the call that made it; the view is
// told of every such change (OnModelChanged) before the handler runs, and reports the
// user's own edits through the User* calls, which are never echoed back to it.
namespace rd::forms {

class Control {
 public:
  virtual ~Control() = default;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);

  // Set by the view: redraw the control from the model.
  std::function<void()> OnModelChanged;

 protected:
  void Notify() const;

 private:
  bool enabled_ = true;
};

class Label : public Control {
 public:
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);

 private:
  std::string caption_;
};

class Button : public Control {
 public:
  explicit Button(std::string caption = {}) : caption_(std::move(caption)) {}
  const std::string& Caption() const { return caption_; }
  // A click by the user (or a key that presses the button); nothing when disabled.
  void UserClicked();

  std::function<void()> Click;
  // False: taking the focus leaves the box that loses it unchecked (its Validate not run).
  bool causesValidation = true;

 private:
  std::string caption_;
};

class TextBox : public Control {
 public:
  const std::string& Text() const { return text_; }
  // From the program: runs Change when the text differs.
  void SetText(const std::string& text);
  // From the view, after the user changed the text in the window.
  void UserEdited(const std::string& text);
  // From the view, when the focus is about to leave the box for another control of its window.
  void UserLeaving();

  std::function<void()> Change;
  std::function<void(bool& cancel)> Validate;

 private:
  std::string text_;
};

enum class ComboStyle {
  DropDown,      // editable text with a list of suggestions
  DropDownList,  // a choice from the list only
};

class ComboBox : public Control {
 public:
  ComboBox(ComboStyle style, bool sorted) : style_(style), sorted_(sorted) {}

  ComboStyle Style() const { return style_; }
  bool Sorted() const { return sorted_; }
  const std::vector<std::string>& Items() const { return items_; }
  int ListCount() const { return static_cast<int>(items_.size()); }
  int ListIndex() const { return index_; }
  const std::string& Text() const { return text_; }

  // Adds an entry (in its sorted place when the list is sorted); runs no handler.
  void AddItem(const std::string& item);
  // Empties list and text; runs no handler.
  void Clear();
  // From the program: selects an entry (-1: none) and runs Click.
  void SetListIndex(int index);
  // From the program. Editable: sets the text, running Change when it differs. A list
  // box: selects the entry of that text (running Click), or changes nothing when no
  // entry has it.
  void SetText(const std::string& text);

  // From the view: the user typed into an editable box.
  void UserEdited(const std::string& text);
  // From the view: the user picked an entry of the list.
  void UserSelected(int index);
  // From the view, when the focus is about to leave the box for another control of its window.
  void UserLeaving();

  std::function<void()> Click;
  std::function<void()> Change;
  std::function<void(bool& cancel)> Validate;

 private:
  int FindExact(const std::string& text) const;

  ComboStyle style_;
  bool sorted_;
  std::vector<std::string> items_;
  int index_ = -1;
  std::string text_;
};

}  // namespace rd::forms
