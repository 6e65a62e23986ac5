// The controls we draw ourselves. Each is a child window whose record holds its text (the
// title) and geometry; the classes here hold the rest of its state and its behaviour. They tell
// their parent (or owner) what happened with Msg::notify.
//
// Callers make a control with create_control and reach its own API by its window handle:
// find_control<ButtonControl>(ws, id)->set_checked(true). A handle that names no control of
// that class finds nothing.
#pragma once

#include "host/windows/control.h"
#include "host/windows/window_system.h"

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillet::host {

// A control of def's kind as a child of parent, shown unless def hides it; no_window when
// parent names no window or def cannot be honoured.
WindowId create_control(WindowSystem& ws, WindowId parent, const ControlDef& def);
// The child control of parent made with that id; no_window for none.
WindowId control_by_id(const WindowSystem& ws, WindowId parent, int control_id);

// The control that is window id; nullptr when id names no control.
Control* find_control(const WindowSystem& ws, WindowId id);
// The control that is window id when it is a T (by its kind); else nullptr.
template <typename T>
T* find_control(const WindowSystem& ws, WindowId id) {
    Control* c = find_control(ws, id);
    return c && T::is_kind(c->kind()) ? static_cast<T*>(c) : nullptr;
}

// For the controls themselves.
std::unique_ptr<Control> make_control(const ControlDef& def);

// Sends Msg::notify to the window the control reports to (its owner, else its parent).
void notify_parent(WindowSystem& ws, WindowRecord& w, Notify what, int position = 0,
                   int action = 0);

// Msg::set_focus or Msg::kill_focus reached the control: it repaints (its focus mark changes)
// and tells its parent.
void focus_changed(WindowSystem& ws, WindowRecord& w, const Message& m);

// Checks the chosen button of a group and clears the others' check; false when chosen is not a
// button of the group.
bool check_radio(WindowSystem& ws, std::span<const WindowId> group, WindowId chosen);

class ButtonControl final : public Control {
public:
    ButtonControl(ControlKind kind, bool is_default, ButtonAlign align = ButtonAlign::standard)
        : Control(kind), m_default(is_default), m_align(align) {}
    void paint(WindowSystem& ws, WindowRecord& w, DeviceContext& dc) override;
    bool takes_input() const override { return kind() != ControlKind::group_box; }
    bool takes_focus() const override { return kind() != ControlKind::group_box; }
    void click(WindowSystem& ws, WindowRecord& w) override;
    bool is_default() const override { return m_default; }
    static bool is_kind(ControlKind k) {
        return k == ControlKind::push_button || k == ControlKind::radio_button ||
               k == ControlKind::check_box || k == ControlKind::group_box;
    }

    // Check boxes and radio buttons (false for other buttons); redraws.
    bool set_checked(bool on);
    bool is_checked() const { return checked; }
    bool checked = false;

protected:
    bool mouse_down(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    bool mouse_up(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    bool mouse_move(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    bool character(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    bool focus_in(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    bool focus_out(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    bool capture_lost(WindowSystem& ws, WindowRecord& w, const Message& m) override;

private:
    bool m_default;
    ButtonAlign m_align;
    bool m_pressed = false;
    bool m_tracking = false;
};

class StaticControl final : public Control {
public:
    using Control::Control;
    void paint(WindowSystem& ws, WindowRecord& w, DeviceContext& dc) override;
    bool takes_input() const override { return false; }
    bool takes_focus() const override { return false; }
};

class EditControl final : public Control {
public:
    EditControl() : Control(ControlKind::edit) {}
    void paint(WindowSystem& ws, WindowRecord& w, DeviceContext& dc) override;
    bool wants_key(Key k) const override;
    void title_changed(WindowSystem& ws, WindowRecord& w) override;
    void tabbed_into(WindowSystem& ws, WindowRecord& w) override { set_selection(ws, w, 0, -1); }
    void set_selection(WindowSystem& ws, WindowRecord& w, int start, int end);
    static bool is_kind(ControlKind k) { return k == ControlKind::edit; }

    // Selects characters start to end (-1: the end of the text), the caret at end.
    void select(int start, int end);
    std::pair<int, int> selection() const; // from the lower index to the higher
    int anchor = 0;
    int caret = 0;
    bool framed = true;

protected:
    bool mouse_down(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    bool mouse_up(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    bool mouse_move(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    bool mouse_double_click(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    bool key_down(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    bool character(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    bool focus_in(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    bool focus_out(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    bool capture_lost(WindowSystem& ws, WindowRecord& w, const Message& m) override;

private:
    bool clipboard_key(WindowSystem& ws, WindowRecord& w, int32_t letter,
                       std::string_view selected);
    void replace_selection(WindowSystem& ws, WindowRecord& w, std::string_view text);
    int index_at(WindowSystem& ws, WindowRecord& w, int x) const;
    void update_caret(WindowSystem& ws, WindowRecord& w);
    int m_scroll = 0;
    bool m_dragging = false;
};

// The items of a list box or a drop-down and which of them are selected (a drop-down selects
// at most one). An index outside the items names none.
struct ItemModel {
    std::vector<std::string> items;
    std::vector<bool> selected; // one flag for each item

    int count() const { return static_cast<int>(items.size()); }
    bool contains(int index) const { return index >= 0 && index < count(); }
    void insert(int index, std::string_view text); // -1 or past the end: at the end
    bool erase(int index);
    void clear();
    bool is_selected(int index) const { return contains(index) && selected[index]; }
    void select_only(int index); // index -1: none
    int first_selected() const;  // -1 for none
    std::vector<int> selection() const;
};

// List boxes and drop-downs: their items, as callers add, read and select them. Each change
// redraws the control.
class ListControl : public Control {
public:
    using Control::Control;
    static bool is_kind(ControlKind k) {
        return k == ControlKind::list_box || k == ControlKind::dropdown_list ||
               k == ControlKind::dropdown_edit;
    }
    bool add(int index, std::string_view text); // index -1 or past the end: at the end
    bool remove(int index);
    void clear();
    int count() const { return model.count(); }
    std::string text(int index) const; // empty for none
    bool is_selected(int index) const { return model.is_selected(index); }
    std::vector<int> selection() const { return model.selection(); }
    // A list box selects or deselects the item (a single-selection list only it) and scrolls a
    // selected one into view; a drop-down chooses the item, or none for -1 or selected false,
    // without telling its parent.
    virtual bool set_selected(int index, bool selected) = 0;

    ItemModel model;

protected:
    // After remove and clear: a list box keeps its caret, anchor and scrolling in its items.
    virtual void items_removed() {}
};

class ListBoxControl final : public ListControl {
public:
    explicit ListBoxControl(ListSelection selection_mode)
        : ListControl(ControlKind::list_box), mode(selection_mode) {}
    static bool is_kind(ControlKind k) { return k == ControlKind::list_box; }
    void paint(WindowSystem& ws, WindowRecord& w, DeviceContext& dc) override;
    bool wants_key(Key k) const override;
    bool set_selected(int index, bool selected) override;
    int item_height(WindowSystem& ws, const WindowRecord& w) const;
    int visible_rows(WindowSystem& ws, WindowRecord& w) const;
    void move_caret(WindowSystem& ws, WindowRecord& w, int i, uint8_t modifiers);
    void ensure_visible(WindowSystem& ws, WindowRecord& w, int i);

    ListSelection mode;
    int caret = 0;
    int anchor = 0;
    int top = 0;
    bool hot_tracking = false; // in a drop-down: the item under the pointer is selected

protected:
    bool mouse_down(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    bool mouse_up(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    bool mouse_move(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    bool mouse_wheel(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    bool key_down(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    bool character(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    bool focus_in(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    bool focus_out(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    bool capture_lost(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    void items_removed() override;

private:
    int row_at(WindowSystem& ws, const WindowRecord& w, IntPoint p) const;
    void scroll_bar_pressed(WindowSystem& ws, WindowRecord& w, IntRect bar, IntPoint p);
    IntRect bar_rect(WindowSystem& ws, WindowRecord& w) const;
    ScrollBarState bar_state(WindowSystem& ws, WindowRecord& w) const;
    bool m_bar_drag = false;
    int m_bar_offset = 0;
};

// Drop-down list and drop-down edit: a closed field with a button that opens a list below.
class DropDownControl final : public ListControl {
public:
    explicit DropDownControl(ControlKind kind) : ListControl(kind) {}
    static bool is_kind(ControlKind k) {
        return k == ControlKind::dropdown_list || k == ControlKind::dropdown_edit;
    }
    void paint(WindowSystem& ws, WindowRecord& w, DeviceContext& dc) override;
    bool wants_key(Key k) const override;
    bool has_popup_open() const override { return m_popup != no_window; }
    void title_changed(WindowSystem& ws, WindowRecord& w) override;
    void open(WindowSystem& ws, WindowRecord& w);
    void close(WindowSystem& ws, WindowRecord& w, bool accept);
    void choose(WindowSystem& ws, WindowRecord& w, int index, bool tell);
    bool set_selected(int index, bool selected) override;
    int chosen() const { return model.first_selected(); } // -1 for none

    WindowId edit = no_window; // drop-down edit: the edit part

protected:
    bool mouse_down(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    bool mouse_up(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    bool mouse_move(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    bool part_notified(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    bool key_down(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    bool character(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    bool focus_in(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    bool focus_out(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    bool capture_lost(WindowSystem& ws, WindowRecord& w, const Message& m) override;

private:
    ListBoxControl* open_list(WindowSystem& ws) const; // the popup's, none when closed
    IntPoint to_popup(WindowSystem& ws, const WindowRecord& w, IntPoint p) const;
    WindowId m_popup = no_window;
    int m_before = -1;
};

class ScrollBarControl final : public Control {
public:
    explicit ScrollBarControl(ControlKind kind) : Control(kind) {}
    static bool is_kind(ControlKind k) {
        return k == ControlKind::hscroll_bar || k == ControlKind::vscroll_bar;
    }
    void paint(WindowSystem& ws, WindowRecord& w, DeviceContext& dc) override;
    bool wants_key(Key k) const override;
    ScrollBarKind bar() const {
        return kind() == ControlKind::vscroll_bar ? ScrollBarKind::vertical
                                                  : ScrollBarKind::horizontal;
    }
    ScrollBarState state;

protected:
    bool mouse_down(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    bool mouse_up(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    bool mouse_move(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    bool key_down(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    bool focus_in(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    bool focus_out(WindowSystem& ws, WindowRecord& w, const Message& m) override;
    bool capture_lost(WindowSystem& ws, WindowRecord& w, const Message& m) override;

private:
    void tell(WindowSystem& ws, WindowRecord& w, ScrollAction action, int position);
};

// An edit control, or the edit part of a drop-down edit; nullptr for anything else.
EditControl* find_edit(const WindowSystem& ws, WindowId id);

} // namespace quillet::host
