// Our open and save dialogs: the handler keeps the directory shown, the pattern and what was
// chosen; a choice ends the dialog only when its directory exists (and, when saving over a file,
// the user agrees).
#include "ui/dialogs/file_dialog.h"

#include "devices/path_mapping.h"
#include "ui/dialogs/file_filter.h"
#include "xvt/xvt.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>

namespace quillet {
namespace {

namespace fs = std::filesystem;

constexpr int16_t name_edit = 1152, file_list = 1120, directory_text = 1088, directory_list = 1121,
                  type_list = 1136, static_id = -1;
constexpr size_t name_buffer = 1024;
constexpr size_t directory_shown = 26; // characters of the directory's end that fit its line

struct FileDialogState {
    const FileDialogRequest& request;
    std::vector<FileFilter> filters;
    std::string pattern;
    fs::path directory;
    std::string initial_text; // for the name field
    std::vector<std::string> files, directories;
    int32_t answer = 0;
    bool confirmed = false;
    std::vector<fs::path> chosen;
};

bool with_labels(const FileDialogRequest& r) {
    return r.use_template && !r.labels.empty();
}

bool less_without_case(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) <
               std::tolower(static_cast<unsigned char>(y));
    });
}

// A label shows '&' as a mnemonic mark unless doubled.
std::string label_text(std::string_view text) {
    std::string out;
    for (char c : text)
        out += c == '&' ? std::string("&&") : std::string(1, c);
    return out;
}

std::string shown_directory(const fs::path& directory) {
    std::string text = directory.string();
    if (text.size() > directory_shown)
        text = "..." + text.substr(text.size() - directory_shown + 3);
    return label_text(text);
}

std::string control_text(XvtWindow dialog, int16_t id) {
    std::array<char, name_buffer + 1> buffer{};
    int32_t n = xp_vobj_get_title(xvt_win_get_ctl(dialog, id), buffer);
    return std::string(buffer.data(), static_cast<size_t>(std::max(n, 0)));
}

void read_directory(FileDialogState& s) {
    s.files.clear();
    s.directories.clear();
    if (s.directory.has_parent_path() && s.directory != s.directory.root_path())
        s.directories.emplace_back("..");
    std::vector<std::string> subdirectories;
    std::error_code error;
    for (fs::directory_iterator it(s.directory, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        std::error_code kind_error;
        if (it->is_directory(kind_error))
            subdirectories.push_back(name);
        else if (filter_matches(s.pattern, name))
            s.files.push_back(name);
    }
    std::sort(s.files.begin(), s.files.end(), less_without_case);
    std::sort(subdirectories.begin(), subdirectories.end(), less_without_case);
    s.directories.insert(s.directories.end(), subdirectories.begin(), subdirectories.end());
}

void show_directory(FileDialogState& s, XvtWindow dialog) {
    read_directory(s);
    XvtWindow files = xvt_win_get_ctl(dialog, file_list);
    XvtWindow directories = xvt_win_get_ctl(dialog, directory_list);
    xp_list_clear(files);
    for (const std::string& name : s.files)
        xp_list_add(files, -1, name);
    xp_list_clear(directories);
    for (const std::string& name : s.directories)
        xp_list_add(directories, -1, name);
    xp_vobj_set_title(xvt_win_get_ctl(dialog, directory_text), shown_directory(s.directory));
}

void enter_directory(FileDialogState& s, XvtWindow dialog, const fs::path& path) {
    std::error_code error;
    fs::path canonical = fs::weakly_canonical(path, error);
    s.directory = error ? path.lexically_normal() : canonical;
    show_directory(s, dialog);
}

// The names of the field: one name, or several each in double quotes.
std::vector<std::string> typed_names(std::string_view text) {
    std::vector<std::string> names;
    if (text.find('"') == std::string_view::npos) {
        while (!text.empty() && text.front() == ' ')
            text.remove_prefix(1);
        while (!text.empty() && text.back() == ' ')
            text.remove_suffix(1);
        if (!text.empty()) names.emplace_back(text);
        return names;
    }
    for (size_t at = text.find('"'); at != std::string_view::npos; at = text.find('"', at)) {
        size_t end = text.find('"', at + 1);
        if (end == std::string_view::npos) end = text.size();
        if (end > at + 1) names.emplace_back(text.substr(at + 1, end - at - 1));
        at = end + 1;
        if (at >= text.size()) break;
    }
    return names;
}

// A small modal question with Yes and No; true for Yes.
bool confirm_replace(const fs::path& path) {
    const std::string first = label_text(path.filename().string()) + " already exists.";
    const std::string title = "Save As";
    const XvtDialogItem items[] = {
        {10, {200, 200, 560, 300}, title, 0, 0},
        {static_cast<int32_t>(ControlType::static_text), {10, 10, 350, 28}, first, static_id, 0},
        {static_cast<int32_t>(ControlType::static_text),
         {10, 30, 350, 48},
         "Do you want to replace it?",
         static_id,
         0},
        {static_cast<int32_t>(ControlType::push_button),
         {180, 62, 260, 88},
         "&Yes",
         1,
         xvt_dlg_flag::default_button},
        {static_cast<int32_t>(ControlType::push_button), {270, 62, 350, 88}, "&No", 2, 0},
        {}};
    bool yes = false;
    xp_dlg_create_def(
        items,
        [&yes](XvtWindow dialog, const XvtEvent& e) -> long {
            if (e.kind() == EventKind::control && (e.words[1] == 1 || e.words[1] == 2)) {
                yes = e.words[1] == 1;
                xp_vobj_destroy(dialog);
            } else if (e.kind() == EventKind::close) {
                xp_vobj_destroy(dialog);
            }
            return 0;
        },
        0);
    return yes;
}

void end_dialog(FileDialogState& s, XvtWindow dialog, bool confirmed) {
    s.confirmed = confirmed;
    xp_vobj_destroy(dialog);
}

// The host's confirmation: the field's names are chosen when their directory exists; a typed
// directory is entered and a typed pattern becomes the filter instead.
void try_confirm(FileDialogState& s, XvtWindow dialog) {
    std::vector<std::string> names = typed_names(control_text(dialog, name_edit));
    if (names.empty()) return;
    if (names.size() > 1 && !s.request.multiple) names.resize(1);
    std::vector<fs::path> chosen;
    for (std::string& name : names) {
        std::replace(name.begin(), name.end(), '\\', '/');
        if (names.size() == 1 && has_wildcards(name)) {
            s.pattern = name;
            show_directory(s, dialog);
            return;
        }
        fs::path path = fs::path(name).is_absolute() ? fs::path(name) : s.directory / name;
        std::error_code error;
        if (names.size() == 1 && fs::is_directory(path, error)) {
            enter_directory(s, dialog, path);
            xp_vobj_set_title(xvt_win_get_ctl(dialog, name_edit), "");
            return;
        }
        if (!fs::is_directory(path.parent_path(), error)) {
            xvt_dm_post_message(MessageKind::error,
                                path.parent_path().string() + "\nThe path does not exist.");
            return;
        }
        chosen.push_back(path.lexically_normal());
    }
    std::error_code error;
    if (s.request.save && fs::exists(chosen.front(), error) && !confirm_replace(chosen.front()))
        return;
    s.chosen = std::move(chosen);
    end_dialog(s, dialog, true);
}

void on_create(FileDialogState& s, XvtWindow dialog) {
    XvtWindow types = xvt_win_get_ctl(dialog, type_list);
    for (const FileFilter& f : s.filters)
        xp_list_add(types, -1, f.description + " (" + f.pattern + ")");
    xp_list_set_sel(types, 0, true);
    show_directory(s, dialog);
    XvtWindow edit = xvt_win_get_ctl(dialog, name_edit);
    xp_vobj_set_title(edit, s.initial_text);
    xp_ctl_set_text_sel(edit, 0, -1); // typing replaces the initial name
    xp_scr_set_focus_vobj(edit);
}

void on_button(FileDialogState& s, XvtWindow dialog, int32_t button) {
    if (!with_labels(s.request)) {
        if (button == 1) return try_confirm(s, dialog);
        return end_dialog(s, dialog, false);
    }
    s.answer = button;
    const size_t k = static_cast<size_t>(button - 1);
    if (k < s.request.cancel_marks.size() && s.request.cancel_marks[k])
        return end_dialog(s, dialog, false);
    try_confirm(s, dialog);
}

void on_file_list(FileDialogState& s, XvtWindow dialog, bool double_click) {
    const XvtSlist selected = xp_list_get_sel(xvt_win_get_ctl(dialog, file_list));
    std::string text;
    if (selected.size() == 1) text = selected.front().text;
    if (selected.size() > 1)
        for (const XvtSlistItem& item : selected)
            text += (text.empty() ? "\"" : " \"") + item.text + "\"";
    if (!selected.empty()) xp_vobj_set_title(xvt_win_get_ctl(dialog, name_edit), text);
    if (double_click && !selected.empty()) {
        if (with_labels(s.request)) s.answer = -1;
        try_confirm(s, dialog);
    }
}

void on_directory_list(FileDialogState& s, XvtWindow dialog) {
    const int32_t index = xp_list_get_sel_index(xvt_win_get_ctl(dialog, directory_list));
    if (index < 0 || static_cast<size_t>(index) >= s.directories.size()) return;
    const std::string& name = s.directories[static_cast<size_t>(index)];
    enter_directory(s, dialog, name == ".." ? s.directory.parent_path() : s.directory / name);
}

long file_dialog_handler(FileDialogState& s, XvtWindow dialog, const XvtEvent& e) {
    switch (e.kind()) {
    case EventKind::create: on_create(s, dialog); break;
    case EventKind::close:
        if (with_labels(s.request)) s.answer = 2; // the host's cancel arrives as button 2
        end_dialog(s, dialog, false);
        break;
    case EventKind::control: {
        const int32_t id = e.words[1];
        const bool double_click = e.words[4] == 1;
        if (id >= 1 && id <= 4) on_button(s, dialog, id);
        if (id == file_list) on_file_list(s, dialog, double_click);
        if (id == directory_list && double_click) on_directory_list(s, dialog);
        if (id == type_list) {
            const int32_t index = xp_list_get_sel_index(xvt_win_get_ctl(dialog, type_list));
            if (index >= 0 && static_cast<size_t>(index) < s.filters.size()) {
                s.pattern = s.filters[static_cast<size_t>(index)].pattern;
                show_directory(s, dialog);
            }
        }
        break;
    }
    default: break;
    }
    return 0;
}

struct DialogItems {
    std::vector<std::string> texts;
    std::vector<XvtDialogItem> items;
};

// The dialog's definition. The item texts live in `texts`, filled before any item points at
// them.
DialogItems definition(const FileDialogRequest& r) {
    DialogItems d;
    const bool labels = with_labels(r);
    d.texts = {r.title.empty() ? (r.save ? "Save As" : "Open") : r.title,
               "File &name:",
               "&Directories:",
               "List files of &type:",
               "OK",
               "Cancel"};
    for (const std::string& label : r.labels)
        d.texts.push_back(label);
    const auto control = [](ControlType type) { return static_cast<int32_t>(type); };
    d.items = {
        {10, {60, 60, 580, 350}, d.texts[0], 0, 0},
        {control(ControlType::static_text), {10, 8, 200, 24}, d.texts[1], static_id, 0},
        {control(ControlType::edit), {10, 26, 200, 48}, "", name_edit, 0},
        {control(ControlType::list_box),
         {10, 56, 200, 226},
         "",
         file_list,
         r.multiple ? xvt_dlg_flag::extended : 0u},
        {control(ControlType::static_text), {215, 8, 405, 24}, d.texts[2], static_id, 0},
        {control(ControlType::static_text), {215, 30, 405, 48}, "", directory_text, 0},
        {control(ControlType::list_box), {215, 56, 405, 226}, "", directory_list, 0},
        {control(ControlType::static_text), {10, 236, 200, 252}, d.texts[3], static_id, 0},
        {control(ControlType::list_button), {10, 254, 200, 278}, "", type_list, 0},
    };
    const size_t buttons = labels ? std::min<size_t>(r.labels.size(), 4) : 2;
    for (size_t k = 0; k < buttons; ++k) {
        const int32_t y = 26 + 32 * static_cast<int32_t>(k);
        d.items.push_back({control(ControlType::push_button),
                           {420, y, 510, y + 24},
                           labels ? d.texts[6 + k] : d.texts[4 + k],
                           static_cast<int16_t>(k + 1),
                           k == 0 ? xvt_dlg_flag::default_button : 0u});
    }
    d.items.push_back({});
    return d;
}

void start_place(FileDialogState& s) {
    std::error_code error;
    s.directory = fs::current_path(error);
    std::string name = s.request.name;
    std::replace(name.begin(), name.end(), '\\', '/');
    const size_t slash = name.rfind('/');
    if (slash != std::string::npos) {
        const std::string mapped = host_path(s.request.name.substr(0, slash + 1));
        if (!mapped.empty() && fs::is_directory(mapped, error)) {
            s.directory = fs::weakly_canonical(mapped, error);
            name = name.substr(slash + 1);
        }
    }
    s.initial_text = name.substr(0, name_buffer - 1);
}

std::string chosen_names(const FileDialogState& s) {
    std::string names;
    for (const fs::path& path : s.chosen) {
        if (!names.empty()) names += '|';
        names += s.request.names_only ? path.filename().string() : path.string();
    }
    return names;
}

} // namespace

FileDialogAnswer run_file_dialog(const FileDialogRequest& request) {
    FileDialogState s{request, file_filters(request.extension), {}, {}, {}, {}, {}, 0, false, {}};
    s.pattern = s.filters.front().pattern;
    start_place(s);
    const DialogItems d = definition(request);
    const XvtWindow previous = xvt_scr_get_focus_vobj();
    xp_dlg_create_def(
        d.items.data(),
        [&s](XvtWindow dialog, const XvtEvent& e) { return file_dialog_handler(s, dialog, e); }, 0);
    if (previous != no_xvt_window && xvt_host_window(previous) != 0)
        xp_scr_set_focus_vobj(previous);

    FileDialogAnswer answer;
    answer.result = with_labels(request) ? (s.answer == 0 ? -1 : s.answer) : s.confirmed ? 1 : 0;
    if (!s.confirmed || s.chosen.empty()) {
        answer.names = request.name;
        return answer;
    }
    answer.names = chosen_names(s);
    if (request.names_only) {
        XvtDir dir;
        if (xp_fsys_convert_str_to_dir(s.chosen.front().parent_path().string(), &dir))
            xp_fsys_set_dir(&dir);
    }
    return answer;
}

} // namespace quillet
