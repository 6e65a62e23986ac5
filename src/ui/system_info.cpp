// The answers of SYS_INFO. Answers that name Windows itself get substitutes that describe this
// engine and its host honestly (docs/system-info.md).
#include "ui/system_info.h"

#include "bcode/version.h"
#include "interp/exceptions.h"
#include "interp/program_arguments.h"
#include "ui/events/event_queue.h"
#include "ui/keys_and_mouse.h"
#include "ui/objects/attribute_tables.h"
#include "ui/objects/object_errors.h"
#include "ui/window_table.h"
#include "values/errors.h"
#include "values/split_join.h"
#include "xvt/xvt.h"

#include <cstdlib>
#include <string>
#include <sys/utsname.h>
#include <utility>
#include <vector>

namespace quillet {

namespace {

// "name|number|" for every attribute, in table order, as the other classes' tables.
const std::string& attribute_text() {
    static const std::string text = [] {
        std::string t;
#define X(number, name, identifier) t.append(name "|" #number "|");
#include "ui/system_info_attributes.def"
#undef X
        return t;
    }();
    return text;
}

constexpr size_t most_font_families = 128;
constexpr size_t memrtns_bytes = 24;
constexpr size_t longest_directory = 260;
constexpr std::string_view library_directory = "/usr/lib";

XvtWindow native_of(int n) {
    const WindowRecord* w = find_window(n);
    return w ? w->native_window : no_xvt_window;
}

int32_t screen(int n, XvtScreenAttr attr) {
    return xp_vobj_get_attr(native_of(n), static_cast<int32_t>(attr));
}

// The host system with its release, and the machine, as uname reports them.
std::pair<std::string, std::string> host_identification() {
    utsname u{};
    if (uname(&u) != 0) return {"unknown system", "unknown machine"};
    return {std::string(u.sysname) + " " + u.release, u.machine};
}

// Assigns "NAME=VALUE" in the process's environment ("NAME=" removes NAME): 0 when done, -1
// for a text without a name.
int32_t assign_environment(const std::string& assignment) {
    const size_t equals = assignment.find('=');
    if (equals == 0 || equals == std::string::npos) return -1;
    const std::string name = assignment.substr(0, equals);
    const std::string value = assignment.substr(equals + 1);
    return value.empty() ? unsetenv(name.c_str()) : setenv(name.c_str(), value.c_str(), 1);
}

// Windows keeps its settings files in its own directory and its libraries in the system
// directory: here the user's configuration directory and the host's library directory.
std::string settings_directory() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) return xdg;
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::string(home) + "/.config";
    return "/etc";
}

void answer_screen(int n, ObjectRequest& r, XvtScreenAttr attr) {
    r.append_int(screen(n, attr));
}

void answer_switch(ObjectRequest& r, int32_t& setting) {
    const int32_t n = r.next_int();
    if (n == 0) return r.append_int(setting);
    setting = r.next_int();
}

void answer_one(int n, std::string_view name, ObjectRequest& r) {
    using A = XvtScreenAttr;
    const int32_t number = find_attribute(attribute_text(), name);
    if (number <= 0) raise_error(object_error::unknown_attribute);
    switch (static_cast<SystemInfo>(number)) {
    case SystemInfo::display_size:
        r.append_int(0);
        r.append_int(screen(n, A::screen_width) - 1);
        r.append_int(screen(n, A::screen_height) - 1);
        r.append_int(0);
        return;
    case SystemInfo::machine: return r.append_string("WIN32");
    case SystemInfo::native_wid: {
        const XvtWindow native = native_of(n);
        r.append_int(static_cast<int32_t>(native));
        r.append_int(native == no_xvt_window ? 0 : screen(n, A::device_context));
        return;
    }
    case SystemInfo::pipe_in:
    case SystemInfo::pipe_out:
    case SystemInfo::blocking:
    case SystemInfo::pipe_id:
    case SystemInfo::box_keep_id: return r.append_int(-1);
    case SystemInfo::no_menus: system_info_state.no_menus = r.next_int(); return;
    case SystemInfo::static_text_height: return answer_screen(n, r, A::static_text_height);
    case SystemInfo::button_height: return answer_screen(n, r, A::button_height);
    case SystemInfo::edit_text_height: return answer_screen(n, r, A::edit_height);
    case SystemInfo::check_box_height: return answer_screen(n, r, A::check_box_height);
    case SystemInfo::horz_sbar_height: return answer_screen(n, r, A::hscroll_height);
    case SystemInfo::radiobutton_height: return answer_screen(n, r, A::radio_height);
    case SystemInfo::vert_sbar_width: return answer_screen(n, r, A::vscroll_width);
    case SystemInfo::env: {
        const int32_t mode = r.next_int();
        const std::string text = r.next_string();
        if (mode != 0) return r.append_int(assign_environment(text));
        const char* value = std::getenv(text.c_str());
        return r.append_string(value ? value : "");
    }
    case SystemInfo::default_background_color: {
        const auto colour = static_cast<uint32_t>(screen(n, A::window_background));
        r.append_int((colour >> 16) & 0xFF);
        r.append_int((colour >> 8) & 0xFF);
        r.append_int(colour & 0xFF);
        return;
    }
    case SystemInfo::version: {
        const auto [system, machine] = host_identification();
        r.append_string(std::string(product_title));
        r.append_string("Quillet engine " + std::string(quillet_version));
        r.append_string(system);
        r.append_string(machine);
        return;
    }
    case SystemInfo::key_codes:
        answer_switch(r, system_info_state.key_codes);
        set_key_codes_hook(system_info_state.key_codes != 0);
        return;
    case SystemInfo::menu_height: return answer_screen(n, r, A::menu_height);
    case SystemInfo::application_name: return r.append_string(program_arguments.name);
    case SystemInfo::fonts_available: {
        const XvtWindow native = native_of(n);
        std::vector<std::string> families =
            xp_fmap_get_families(native == no_xvt_window ? xvt_task_window() : native);
        if (families.size() > most_font_families) families.resize(most_font_families);
        r.append_int(static_cast<int32_t>(families.size()));
        for (const std::string& family : families)
            r.append_string(family);
        return;
    }
    case SystemInfo::language: return r.append_string("US English");
    case SystemInfo::apple_event:
    case SystemInfo::grab_cursor: return soft_raise(unanswered_system_info);
    case SystemInfo::title_bar_height: return answer_screen(n, r, A::title_bar_height);
    case SystemInfo::border_width: return answer_screen(n, r, A::border_width);
    case SystemInfo::border_height: return answer_screen(n, r, A::border_height);
    case SystemInfo::double_border_width: return answer_screen(n, r, A::double_border_width);
    case SystemInfo::double_border_height: return answer_screen(n, r, A::double_border_height);
    case SystemInfo::resize_border_width: return answer_screen(n, r, A::resize_border_width);
    case SystemInfo::resize_border_height: return answer_screen(n, r, A::resize_border_height);
    case SystemInfo::reintegrated:
    case SystemInfo::student:
    case SystemInfo::immediate: return r.append_int(0);
    case SystemInfo::event_handling: return r.append_int(event_mode() ? 1 : 0);
    case SystemInfo::delimiter: {
        int32_t byte = static_cast<uint8_t>(list_syntax.delimiter);
        answer_switch(r, byte);
        list_syntax.delimiter = static_cast<char>(byte);
        return;
    }
    case SystemInfo::system_directories:
        r.append_string(settings_directory().substr(0, longest_directory));
        r.append_string(std::string(library_directory));
        return;
    case SystemInfo::bits_per_pixel: return r.append_int(xvt_scr_get_depth());
    case SystemInfo::memrtns: return r.append_string(std::string(memrtns_bytes, '\0'));
    }
    raise_error(object_error::unknown_attribute);
}

} // namespace

void answer_system_info(int n, ObjectRequest& request) {
    for (const std::string& name : request.names())
        answer_one(n, name, request);
}

} // namespace quillet
