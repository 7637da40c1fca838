#pragma once
// Controls as state: what a widget shows (enabled, visible, caption, text,
// checked, colour, tag, focus), kept by the core under the component's name.
// A Qt view binds one widget to one Control, draws its state and forwards the
// operator's events; it never decides anything.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ped::engine {
class DataSet;
}

namespace ped::hostlib {

class Control {
 public:
  explicit Control(std::string name) : name_(std::move(name)) {}
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const std::string& name() const { return name_; }

  bool enabled() const { return enabled_; }
  void setEnabled(bool on) { change(enabled_, on); }
  // Enabled and inside enabled containers: what the operator can use.
  bool usable() const { return enabled_ && visible_ && (!parent_ || parent_->usable()); }
  bool visible() const { return visible_; }
  void setVisible(bool on) { change(visible_, on); }
  const std::string& caption() const { return caption_; }
  void setCaption(std::string s) { change(caption_, std::move(s)); }
  const std::string& text() const { return text_; }
  void setText(std::string s) { change(text_, std::move(s)); }
  bool checked() const { return checked_; }
  void setChecked(bool on) { change(checked_, on); }
  std::uint32_t color() const { return color_; }  // background, 0xRRGGBB
  void setColor(std::uint32_t rgb) { change(color_, rgb); }
  std::uint32_t fontColor() const { return fontColor_; }
  void setFontColor(std::uint32_t rgb) { change(fontColor_, rgb); }
  int tag() const { return tag_; }
  void setTag(int t) { change(tag_, t); }

  // Containers (panels, group boxes, pages, forms) hold children.
  Control* parent() const { return parent_; }
  template <class C, class... Args>
  C& add(Args&&... args) {
    auto child = std::make_unique<C>(std::forward<Args>(args)...);
    child->parent_ = this;
    C& ref = *child;
    children_.push_back(std::move(child));
    return ref;
  }
  const std::vector<std::unique_ptr<Control>>& children() const { return children_; }
  // The control of that name in this subtree (this one included), or null.
  Control* find(std::string_view name);

  // Views listen here: every listener hears every change of state, in the
  // order they were added (a widget and a view that shows more of the same
  // control both listen). A listener lives as long as the control.
  void listen(std::function<void(Control&)> listener) { listeners_.push_back(std::move(listener)); }
  // Tells the listeners again, as after a change: for a view whose toolkit
  // changed what it shows on its own.
  void notifyChanged() {
    for (const auto& listener : listeners_) listener(*this);
  }

 private:
  template <class T, class V>
  void change(T& field, V&& value) {
    if (field == value) return;
    field = std::forward<V>(value);
    notifyChanged();
  }

  std::string name_;
  bool enabled_ = true, visible_ = true, checked_ = false;
  std::string caption_, text_;
  std::uint32_t color_ = 0xFFFFFF;
  std::uint32_t fontColor_ = 0x000000;
  int tag_ = 0;
  Control* parent_ = nullptr;
  std::vector<std::unique_ptr<Control>> children_;
  std::vector<std::function<void(Control&)>> listeners_;
};

// A data grid: the data set it shows and its columns, in order.
class Grid : public Control {
 public:
  struct Column {
    std::string fieldName;
    std::string title;
    int width = 64;  // pixels
    bool visible = true;
    bool readOnly = false;
    bool titleRightAligned = false;
    // A picture's column: its width stays in pixels whatever the font.
    bool fixedWidth = false;
    // Its cells' editor carries an ellipsis button ("...").
    bool ellipsis = false;
  };
  using Control::Control;
  engine::DataSet* dataSource = nullptr;
  std::vector<Column> columns;
  // The column holding the cell cursor; a new grid starts on its first one.
  std::size_t selectedColumn = 0;
  // Whether the selected cell stays highlighted while the grid has no focus.
  bool alwaysShowSelection = false;
  // Shows or hides a column; views hear it like any change of state.
  void setColumnVisible(std::size_t column, bool visible) {
    if (column >= columns.size() || columns[column].visible == visible) return;
    columns[column].visible = visible;
    notifyChanged();
  }
  // Gives a column's editor the ellipsis button or takes it away.
  void setColumnButton(std::size_t column, bool ellipsis) {
    if (column >= columns.size() || columns[column].ellipsis == ellipsis) return;
    columns[column].ellipsis = ellipsis;
    notifyChanged();
  }
  // The editing option: whether the operator may type into the cells (a
  // read-only column never).
  bool editing() const { return editing_; }
  void setEditing(bool on) {
    if (editing_ == on) return;
    editing_ = on;
    notifyChanged();
  }
  // Whether a cell editor is open, as the view reports it.
  bool editorMode = false;
  // The field of the column holding the cell cursor ("" without columns).
  const std::string& selectedField() const {
    static const std::string none;
    return selectedColumn < columns.size() ? columns[selectedColumn].fieldName : none;
  }

 private:
  bool editing_ = false;
};

// A menu entry: a control with a keyboard shortcut ("Ctrl+L"; empty: none).
class MenuItem : public Control {
 public:
  MenuItem(std::string name, std::string caption, std::string shortcut = {})
      : Control(std::move(name)), shortcut(std::move(shortcut)) {
    setCaption(std::move(caption));
  }
  const std::string shortcut;
};

// A page control: its pages are its children, one of them active.
class PageControl : public Control {
 public:
  using Control::Control;
  Control& addPage(std::string name, std::string caption);
  Control* activePage() const { return active_; }
  bool isActive(const Control& page) const { return active_ == &page; }
  // A change made by the program: no page-change event, as with the
  // toolkit's own page control.
  void setActivePage(Control& page);
  // A tab chosen by the operator: refused for a page that is not usable;
  // otherwise the page becomes active and onChange runs. Returns whether the
  // page changed.
  bool choosePage(Control& page);
  // The page-change handler; detachable (set it empty).
  std::function<void()> onChange;

 private:
  Control* active_ = nullptr;
};

// A window: its controls and which one has the focus.
class Form : public Control {
 public:
  using Control::Control;
  Control* focused() const { return focused_; }
  // Focus goes only to a usable control of this form; returns whether it did.
  bool setFocus(Control& c);
  // Views follow the focus the core gives.
  std::function<void(Control*)> onFocusChanged;

 protected:
  // Every focus change of the form passes here, before the views hear of
  // it: containers that react to being entered (pages) hook in.
  virtual void focusMoved(Control* /*from*/, Control& /*to*/) {}

 private:
  Control* focused_ = nullptr;
};

}  // namespace ped::hostlib
