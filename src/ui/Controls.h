// The widget model: controls hold their state, which code reads and sets
// without running any click handling; their events run only when the user
// acts (through a native control, or a test acting as the user).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ui {

class Form;

struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
};
inline bool operator==(const Rect& a, const Rect& b) {
  return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
}
inline bool operator!=(const Rect& a, const Rect& b) { return !(a == b); }

using Color = uint32_t;  // 0x00BBGGRR, as a COLORREF
constexpr Color kWhite = 0xFFFFFF;
constexpr Color kRed = 0x0000FF;
constexpr Color kNavy = 0x800000;
// The program's own window colour: red 107, green 98, blue 160.
constexpr Color kCorvaneColor = 10510955;

// A font other than the form's: its face and size in points (0 keeps the
// form's), and whether it is underlined.
struct Font {
  std::string face;
  int points = 0;
  bool underline = false;
};

// A native backend attaches a peer to a control to keep the real control in
// step with the model; the headless backend attaches none.
class Peer {
 public:
  virtual ~Peer() = default;
  virtual void Sync() = 0;
};

// The native list of a list box or a combo box, told of each change of its
// lines and selection as the model makes it. Every call stands for one native
// operation, so that a change costs in proportion to the lines it touches,
// never to the lines the list holds. The native list is never sorted by
// itself: each line goes where the model put it, so that an index means the
// same line on both sides. (The headless backend attaches a stand-in.)
class ListPeer {
 public:
  virtual ~ListPeer() = default;
  // Until EndBatch the list is not redrawn, and it makes room for `adding`
  // more lines of `characters` characters in all.
  virtual void BeginBatch(int adding, size_t characters) = 0;
  virtual void EndBatch() = 0;
  virtual void InsertLine(int index, const std::string& line) = 0;
  virtual void DeleteLine(int index) = 0;
  virtual void ClearLines() = 0;
  // Lines of a multi-selection list box; index -1 stands for every line.
  virtual void SelectLine(int index, bool selected) = 0;
  // The caret of a multi-selection list box, the selected line of the
  // others; -1 for none.
  virtual void SetCurrentLine(int index) = 0;
};

enum class Kind {
  Form,
  Panel,
  GroupBox,
  TabSheet,
  PageControl,
  Label,
  CheckBox,
  RadioBox,
  Button,
  ComboBox,
  ListBox,
  Picture,
  TextBox,      // InputControls.h
  CheckList,    // InputControls.h
  ProgressBar,  // InputControls.h
};

class Control {
 public:
  Control(Control* parent, Kind kind, std::string name, Rect bounds, std::string caption = {});
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  Kind kind() const { return kind_; }
  const std::string& name() const { return name_; }
  Control* parent() const { return parent_; }
  Form* form() const;
  const std::vector<Control*>& children() const { return children_; }
  // Looks a control up by name anywhere below this one.
  Control* Find(const std::string& name) const;
  // Makes a child control that this control owns: Add<CheckBox>("Name", bounds, "Caption").
  template <class T, class... Args>
  T* Add(Args&&... args) {
    auto child = std::make_unique<T>(this, std::forward<Args>(args)...);
    T* raw = child.get();
    owned_.push_back(std::move(child));
    return raw;
  }

  Rect bounds() const { return bounds_; }
  void SetBounds(Rect r) {
    bounds_ = r;
    Changed();
  }
  const std::string& caption() const { return caption_; }
  void SetCaption(std::string caption) {
    caption_ = std::move(caption);
    Changed();
  }
  bool enabled() const { return enabled_; }
  void SetEnabled(bool enabled) {
    enabled_ = enabled;
    Changed();
  }
  bool visible() const { return visible_; }
  void SetVisible(bool visible) {
    visible_ = visible;
    Changed();
  }
  // Visible itself and every parent up to the form.
  bool Showing() const;
  Color color() const { return color_; }
  void SetColor(Color c) {
    color_ = c;
    Changed();
  }
  Color fontColor() const { return fontColor_; }
  void SetFontColor(Color c) {
    fontColor_ = c;
    Changed();
  }
  bool fontBold() const { return fontBold_; }
  void SetFontBold(bool b) {
    fontBold_ = b;
    Changed();
  }
  const Font& font() const { return font_; }
  void SetFont(Font f) {
    font_ = std::move(f);
    Changed();
  }
  // A picture from the executable's resources, by name.
  const std::string& picture() const { return picture_; }
  void SetPicture(std::string resource) {
    picture_ = std::move(resource);
    Changed();
  }

  void AttachPeer(Peer* peer) { peer_ = peer; }
  Peer* peer() const { return peer_; }

  // Gives this control the input focus within its form.
  void SetFocus();
  bool Focused() const;

  std::function<void()> OnClick;
  std::function<void()> OnExit;  // the focus moved to another control of the form
  std::function<void()> OnMouseMove;

  // The user clicks the control: its state changes as the control's class
  // does it, then OnClick runs. Ignored while the control is disabled.
  virtual void UserClick();
  void UserMouseMove() {
    if (OnMouseMove) OnMouseMove();
  }

 protected:
  void Changed() {
    if (peer_) peer_->Sync();
  }

 private:
  Kind kind_;
  Control* parent_;
  std::string name_;
  Rect bounds_;
  std::string caption_;
  bool enabled_ = true;
  bool visible_ = true;
  Color color_ = kCorvaneColor;
  Color fontColor_ = kWhite;
  bool fontBold_ = false;
  Font font_;
  std::string picture_;
  std::vector<Control*> children_;
  std::vector<std::unique_ptr<Control>> owned_;
  Peer* peer_ = nullptr;
};

// A check box, or a radio box when made with Kind::RadioBox: a click on a
// radio box checks it and clears the other radio boxes of its parent.
class CheckBox : public Control {
 public:
  CheckBox(Control* parent, std::string name, Rect bounds, std::string caption, bool radio = false)
      : Control(parent, radio ? Kind::RadioBox : Kind::CheckBox, std::move(name), bounds, std::move(caption)) {}
  bool checked() const { return checked_; }
  void SetChecked(bool checked) {
    checked_ = checked;
    Changed();
  }
  void UserClick() override;

 private:
  bool checked_ = false;
};

// What list boxes and combo boxes share: their lines, the current line, and
// a native list kept in step one change at a time.
class ListControl : public Control {
 public:
  const std::vector<std::string>& items() const { return items_; }
  int count() const { return static_cast<int>(items_.size()); }
  int itemIndex() const { return itemIndex_; }
  // A backend attaches its list (null detaches it); the list is sent every
  // line and the selection at once.
  void AttachListPeer(ListPeer* peer);

 protected:
  ListControl(Control* parent, Kind kind, std::string name, Rect bounds, std::vector<std::string> items = {})
      : Control(parent, kind, std::move(name), bounds), items_(std::move(items)) {}
  // Holds the native list's redrawing for the length of one change.
  class Batch {
   public:
    Batch(ListPeer* peer, int adding, size_t characters);
    ~Batch();
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

   private:
    ListPeer* peer_;
  };
  // Sends the native list every line again, then the selection.
  void ResendLines();
  virtual void SendSelection(ListPeer& peer) const = 0;

  std::vector<std::string> items_;
  int itemIndex_ = -1;
  ListPeer* listPeer_ = nullptr;
};

// A drop-down list without free text.
class ComboBox : public ListControl {
 public:
  ComboBox(Control* parent, std::string name, Rect bounds, std::vector<std::string> items)
      : ListControl(parent, Kind::ComboBox, std::move(name), bounds, std::move(items)) {}
  // Out-of-range indexes clear the selection, as CB_SETCURSEL does.
  void SetItemIndex(int index);
  // The user picks an entry: the list takes the focus and selects it.
  void UserSelect(int index);

 private:
  void SendSelection(ListPeer& peer) const override;
};

// A list box; with multiSelect, any set of lines can be selected.
class ListBox : public ListControl {
 public:
  ListBox(Control* parent, std::string name, Rect bounds, bool multiSelect)
      : ListControl(parent, Kind::ListBox, std::move(name), bounds), multiSelect_(multiSelect) {}
  bool multiSelect() const { return multiSelect_; }
  // Sorted lists keep their lines in order without regard to case; a line
  // goes after the lines equal to it.
  bool sorted() const { return sorted_; }
  void SetSorted(bool sorted);
  int Add(const std::string& line);  // the index it went to
  // Adds the lines in one change, as adding them one by one in this order would.
  void AddLines(std::vector<std::string> lines);
  void Delete(int index);
  // Deletes every selected line in one change.
  void DeleteSelected();
  void Clear();
  bool selected(int index) const;
  // A line selected becomes the current line too, as LB_SETSEL makes it the caret.
  void SetSelected(int index, bool selected);
  // The line with the caret (the focused line); -1 when none. In a list
  // without multiSelect it is the selected line.
  void SetItemIndex(int index);
  // The user clicks line `index`, with Ctrl held when `extend`.
  void UserClickLine(int index, bool extend);
  // The selection and the caret as the native list holds them, where a person
  // or an assistive tool may have changed them: taken as they are.
  void AdoptSelection(const std::vector<int>& selectedLines, int caret);

  // A drawn look instead of the system's: lines `itemHeight` pixels high (0:
  // the system's height), the selected line in its own font colour and weight
  // on a picture from the resources (none: the system's highlight).
  int itemHeight() const { return itemHeight_; }
  void SetItemHeight(int pixels) {
    itemHeight_ = pixels;
    Changed();
  }
  Color selectedFontColor() const { return selectedFontColor_; }
  bool selectedFontBold() const { return selectedFontBold_; }
  const std::string& selectedPicture() const { return selectedPicture_; }
  void SetSelectedLook(Color fontColor, bool bold, std::string picture);
  bool drawnLook() const { return itemHeight_ > 0 || !selectedPicture_.empty(); }

 private:
  // Puts the lines where they belong; gives their indexes, in ascending order.
  std::vector<int> Merge(std::vector<std::string> lines);
  void SelectOnly(int index);
  void SendSelection(ListPeer& peer) const override;

  bool multiSelect_;
  int itemHeight_ = 0;
  Color selectedFontColor_ = kWhite;
  bool selectedFontBold_ = false;
  std::string selectedPicture_;
  bool sorted_ = false;
  std::vector<bool> selected_;
};

// A page control whose pages are its TabSheet children.
class PageControl : public Control {
 public:
  PageControl(Control* parent, std::string name, Rect bounds)
      : Control(parent, Kind::PageControl, std::move(name), bounds) {}
  int activePageIndex() const { return activePage_; }
  void SetActivePageIndex(int index);
  Control* ActivePage() const;

 private:
  int activePage_ = 0;
};

// A periodic timer of the user-interface thread.
class Timer {
 public:
  explicit Timer(Form& form, uint32_t interval) : form_(form), interval_(interval) {}
  ~Timer();
  uint32_t interval() const { return interval_; }
  bool enabled() const { return enabled_; }
  // Enabling, or changing the interval of an enabled timer, starts a new full interval.
  void SetInterval(uint32_t ms);
  void SetEnabled(bool enabled);  // a change only when the state changes
  void Fire() {
    if (OnTimer) OnTimer();
  }
  std::function<void()> OnTimer;

 private:
  void Changed();
  Form& form_;
  uint32_t interval_;
  bool enabled_ = false;
};

// A menu entry; an entry without caption is a separator.
class MenuItem {
 public:
  MenuItem(std::string name, std::string caption, std::function<void()> onClick = {})
      : OnClick(std::move(onClick)), name_(std::move(name)), caption_(std::move(caption)) {}
  static std::unique_ptr<MenuItem> Separator() { return std::make_unique<MenuItem>("", ""); }
  MenuItem& Add(std::unique_ptr<MenuItem> item);
  const std::string& name() const { return name_; }
  const std::string& caption() const { return caption_; }
  bool separator() const { return caption_.empty(); }
  bool checked() const { return checked_; }
  void SetChecked(bool checked) { checked_ = checked; }
  // A fixed command identifier, for entries other programs may invoke.
  int commandId() const { return commandId_; }
  void SetCommandId(int id) { commandId_ = id; }
  const std::vector<std::unique_ptr<MenuItem>>& items() const { return items_; }
  MenuItem* Find(const std::string& name);
  // The user chooses the entry.
  void UserClick() {
    if (OnClick) OnClick();
  }
  std::function<void()> OnClick;

 private:
  std::string name_;
  std::string caption_;
  bool checked_ = false;
  int commandId_ = 0;
  std::vector<std::unique_ptr<MenuItem>> items_;
};

}  // namespace ui
