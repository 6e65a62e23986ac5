// Running the message and list dialog boxes: the dialog's handler keeps the button pressed, the
// field texts, the field that had the focus and the list's selection while the layer runs the
// dialog modally.
#include "ui/dialogs/dialog_box.h"

#include "ui/default_window.h"
#include "ui/dialogs/dialog_layout.h"
#include "ui/dialogs/file_dialog.h"
#include "ui/dialogs/font_dialog.h"
#include "ui/scoped_font.h"
#include "ui/window_table.h"
#include "values/errors.h"
#include "xvt/xvt.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace quillet {
namespace {

constexpr size_t field_buffer_size = 1024;

struct DialogRun {
    bool list = false;
    bool multiple = false;
    int32_t field_count = 0;
    int32_t button_count = 0;
    int32_t default_button = 0;
    int32_t timeout = 0;
    std::vector<std::string> list_items;
    std::vector<int32_t> start_selection; // 0-based

    int16_t pressed = 0;
    int32_t focus_field = 0;
    std::vector<std::string> buffers;
    std::vector<int32_t> selection; // 0-based, as read when the dialog ended
    XvtTimer timer = 0;
};

std::string field_text(XvtWindow dialog, int32_t field) {
    XvtWindow edit = xvt_win_get_ctl(dialog, dialog_first_field_id + field - 1);
    if (edit == no_xvt_window) return {};
    std::array<char, field_buffer_size + 1> buffer{};
    int32_t n = xp_vobj_get_title(edit, buffer);
    return std::string(buffer.data(), static_cast<size_t>(std::max(n, 0)));
}

void copy_field(DialogRun& run, XvtWindow dialog, int32_t field) {
    if (field >= 1 && field <= run.field_count)
        run.buffers[static_cast<size_t>(field - 1)] = field_text(dialog, field);
}

void read_list_selection(DialogRun& run, XvtWindow dialog) {
    if (!run.list) return;
    XvtWindow list = xvt_win_get_ctl(dialog, dialog_list_id);
    run.selection.clear();
    if (list == no_xvt_window) return;
    for (const XvtSlistItem& item : xp_list_get_sel(list))
        run.selection.push_back(static_cast<int32_t>(item.data));
}

// Every way out keeps what the fields hold: a field typed into and ended with Enter never lost
// the focus.
void finish(DialogRun& run, XvtWindow dialog, int16_t pressed) {
    run.pressed = pressed;
    read_list_selection(run, dialog);
    for (int32_t k = 1; k <= run.field_count; ++k)
        copy_field(run, dialog, k);
    xp_vobj_destroy(dialog);
}

void on_create(DialogRun& run, XvtWindow dialog) {
    if (run.list) {
        XvtWindow list = xvt_win_get_ctl(dialog, dialog_list_id);
        for (const std::string& item : run.list_items)
            xp_list_add(list, -1, item);
        const int32_t count = static_cast<int32_t>(run.list_items.size());
        for (int32_t index : run.start_selection)
            if (index >= 0 && index < count) xp_list_set_sel(list, index, true);
    }
    XvtWindow focus = no_xvt_window;
    if (run.focus_field >= 1 && run.focus_field <= run.field_count) {
        focus = xvt_win_get_ctl(dialog, dialog_first_field_id + run.focus_field - 1);
        xp_ctl_set_text_sel(focus, 0, -1); // typing replaces the whole text
    } else if (run.default_button >= 1 && run.default_button <= run.button_count)
        focus = xvt_win_get_ctl(dialog, static_cast<int32_t>(run.default_button));
    if (focus != no_xvt_window) xp_scr_set_focus_vobj(focus);
    if (run.timeout > 0)
        run.timer = xp_timer_create(dialog, std::min(run.timeout, INT32_MAX / 1000) * 1000);
}

void on_control(DialogRun& run, XvtWindow dialog, const XvtEvent& e) {
    const int32_t id = e.words[1];
    if (id >= 1 && id <= dialog_max_buttons) return finish(run, dialog, static_cast<int16_t>(id));
    if (id == dialog_list_id) {
        if (e.words[4] == 1) finish(run, dialog, 0); // a double click chooses
        return;
    }
    const int32_t field = id - dialog_first_field_id + 1;
    if (field < 1 || field > run.field_count) return;
    if (e.words[4] == 1 && e.words[5] == 1) {
        run.focus_field = field;
        return;
    }
    copy_field(run, dialog, field);
}

long dialog_handler(DialogRun& run, XvtWindow dialog, const XvtEvent& e) {
    switch (e.kind()) {
    case EventKind::create: on_create(run, dialog); break;
    case EventKind::close: finish(run, dialog, 0); break;
    case EventKind::control: on_control(run, dialog, e); break;
    case EventKind::timer:
        if (run.timer != 0 && static_cast<XvtTimer>(e.words[1]) == run.timer)
            finish(run, dialog, 0);
        break;
    default: break;
    }
    return 0;
}

DialogMeasures current_measures() {
    open_default_window_fonts(); // the unit is measured in the system font
    DialogMeasures m;
    m.unit = system_measures.char_unit;
    m.static_height = system_measures.heights[0];
    m.button_height = system_measures.heights[1];
    m.edit_height = system_measures.heights[2];
    m.half_difference = system_measures.heights[3];
    m.screen = xvt_screen_size().value_or(IntSize{1024, 768});
    m.current_window = current_window().rect;
    if (m.current_window.width() <= 0 || m.current_window.height() <= 0)
        m.current_window = IntRect::from_size(m.screen.width, m.screen.height);
    return m;
}

std::string dialog_title(const std::string& title) {
    if (!title.empty()) return title;
    const std::string& window_title = window_record(default_window).title;
    return window_title.empty() ? std::string(product_title) : window_title;
}

// Runs the laid-out dialog, its texts in the font of "FONT" when given, then gives the focus
// back to the window that had it.
void run_modal(const DialogLayout& layout, const std::optional<DialogFont>& font, DialogRun& run) {
    const XvtWindow previous = xvt_scr_get_focus_vobj();
    const std::vector<XvtDialogItem> items = layout.items();
    std::optional<ScopedFont> texts_font;
    if (font) texts_font.emplace(font->family, font->size, font->style);
    xp_dlg_create_def(
        items.data(),
        [&run](XvtWindow dialog, const XvtEvent& e) { return dialog_handler(run, dialog, e); }, 0,
        texts_font ? texts_font->get() : 0);
    if (previous != no_xvt_window && xvt_host_window(previous) != 0) {
        xp_vobj_raise(previous);
        xp_scr_set_focus_vobj(previous);
    }
}

DialogBoxAnswer message_box(const DialogBoxRequest& r) {
    if (r.buttons.empty()) raise_error(dialog_error::no_buttons);
    DialogLayoutRequest lr;
    lr.left = r.left, lr.right = r.right, lr.bottom = r.bottom, lr.top = r.top;
    lr.wrap = r.options.wrap;
    lr.message_justify = r.options.message_justify;
    lr.button_justify = r.options.button_justify;
    lr.title = dialog_title(r.title);
    lr.messages = r.messages, lr.buttons = r.buttons, lr.labels = r.labels, lr.values = r.values;
    lr.default_button = r.default_button;
    const DialogLayout layout = lay_out_dialog(lr, current_measures());

    DialogRun run;
    run.field_count = layout.field_count;
    run.button_count = static_cast<int32_t>(std::min<size_t>(r.buttons.size(), dialog_max_buttons));
    run.default_button = r.default_button;
    run.timeout = r.timeout;
    run.focus_field = r.focus_field;
    for (int32_t k = 0; k < run.field_count; ++k)
        run.buffers.push_back(r.values[static_cast<size_t>(k)].substr(0, field_buffer_size));
    run_modal(layout, r.options.font, run);

    DialogBoxAnswer answer;
    answer.result = run.pressed;
    answer.focus_field = run.focus_field;
    answer.values = r.values;
    for (int32_t k = 0; k < run.field_count; ++k)
        answer.values[static_cast<size_t>(k)] = run.buffers[static_cast<size_t>(k)];
    return answer;
}

DialogBoxAnswer list_box(const DialogBoxRequest& r) {
    DialogLayoutRequest lr;
    lr.shape = DialogShape::list;
    lr.left = r.left, lr.right = r.right, lr.bottom = r.bottom, lr.top = r.top;
    lr.wrap = r.options.wrap;
    lr.message_justify = r.options.message_justify;
    lr.button_justify = r.options.button_justify;
    lr.title = dialog_title(r.title);
    lr.messages = r.messages, lr.buttons = r.buttons;
    lr.default_button = r.default_button;
    lr.multiple = r.options.multiple;
    const DialogLayout layout = lay_out_dialog(lr, current_measures());

    DialogRun run;
    run.list = true;
    run.multiple = r.options.multiple;
    run.button_count = static_cast<int32_t>(std::min<size_t>(r.buttons.size(), dialog_max_buttons));
    run.default_button = r.default_button;
    run.timeout = r.timeout;
    run.list_items = r.labels;
    if (r.options.multiple)
        for (int32_t number : r.options.selections)
            run.start_selection.push_back(number - 1);
    else if (r.focus_field > 0)
        run.start_selection.push_back(r.focus_field - 1);
    run_modal(layout, r.options.font, run);

    DialogBoxAnswer answer;
    answer.result = run.pressed != 0 ? run.pressed : r.default_button;
    answer.values = r.values;
    if (run.multiple) {
        std::vector<int32_t> counted{static_cast<int32_t>(run.selection.size())};
        for (int32_t index : run.selection)
            counted.push_back(index + 1);
        answer.counted_selection = std::move(counted);
    } else if (!run.selection.empty()) {
        const int32_t index = run.selection.front();
        answer.focus_field = index + 1;
        answer.appended_value = run.list_items[static_cast<size_t>(index)];
    }
    return answer;
}

DialogBoxAnswer file_dialog_box(const DialogBoxRequest& r) {
    FileDialogRequest f;
    f.save = r.kind == dialog_kind::save_file;
    f.use_template = r.kind == dialog_kind::file_with_buttons;
    // The dialog with the program's own buttons chooses one file: MULTIPLE does not apply.
    f.multiple = r.options.multiple && !f.use_template;
    f.names_only = r.default_button != 0;
    f.title = r.title;
    f.extension = r.messages.empty() ? std::string() : r.messages.front();
    f.name = r.buttons.empty() ? std::string() : r.buttons.front();
    if (f.use_template) {
        f.labels.assign(r.labels.begin(),
                        r.labels.begin() + static_cast<ptrdiff_t>(std::min<size_t>(
                                               r.labels.size(), dialog_max_buttons)));
        for (size_t k = 0; k < f.labels.size(); ++k)
            f.cancel_marks.push_back(k < r.values.size() && !r.values[k].empty());
    }
    FileDialogAnswer chosen = run_file_dialog(f);
    DialogBoxAnswer answer;
    answer.result = chosen.result;
    answer.focus_field = r.focus_field;
    answer.values = r.values;
    answer.file_names = std::move(chosen.names);
    return answer;
}

DialogBoxAnswer font_box(const DialogBoxRequest& r) {
    DialogFont font;
    font.family = r.messages.size() > 0 ? r.messages[0] : std::string();
    font.size = 10;
    // A size text beyond what a number holds is held to the largest size, not overflowed.
    if (r.messages.size() > 1)
        font.size = static_cast<int32_t>(
            std::clamp<long long>(std::strtoll(r.messages[1].c_str(), nullptr, 10), 1, INT32_MAX));
    if (!r.buttons.empty() && !r.buttons[0].empty()) font.style = font_style_of_words(r.buttons[0]);
    DialogBoxAnswer answer;
    answer.focus_field = r.focus_field;
    answer.values = r.values;
    answer.result = run_font_dialog(font) ? 1 : 0;
    if (answer.result == 1) answer.chosen_font = std::move(font);
    return answer;
}

} // namespace

DialogBoxAnswer run_dialog_box(const DialogBoxRequest& r) {
    switch (r.kind) {
    case dialog_kind::message: return message_box(r);
    case dialog_kind::list: return list_box(r);
    case dialog_kind::open_file:
    case dialog_kind::save_file:
    case dialog_kind::file_with_buttons: return file_dialog_box(r);
    case dialog_kind::font: return font_box(r);
    default: raise_error(dialog_error::unknown_kind);
    }
}

} // namespace quillet
