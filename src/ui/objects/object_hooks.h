// Where the object methods hand over to the parts of the ui layer that own a kind of object or
// a window method: controls and text edits, menus, system information, quit requests, printing
// windows and window channels. Each part fills its entries when it is installed; an empty entry
// gives what a program sees without that part (documented at each entry).
#pragma once

#include "ui/objects/object_request.h"
#include "ui/objects/object_table.h"

#include <cstdint>

namespace quillet {

struct ObjectHooks {
    // ---- Controls (object kind 2; kinds 12..22, text edits 23) ----
    // SET of a control attribute numbered 12 or more (the core attributes 1..11 are done by the
    // object methods), taking its values from the request. Empty: error -11223.
    void (*control_set)(ObjectEntry& entry, int32_t attribute, ObjectRequest& request) = nullptr;
    // GET of a control attribute numbered 12 or more, appending its results. Empty: -11223.
    void (*control_get)(ObjectEntry& entry, int32_t attribute, ObjectRequest& request) = nullptr;
    // Attribute "sensitive" of a control: enables or disables its native control or text edit;
    // may raise -11257 for a kind without one. Empty: only the object flag.
    void (*control_set_sensitive)(ObjectEntry& entry, bool sensitive) = nullptr;
    // SHOW: makes the native control at the first SHOW, or shows it again. Empty: the control is
    // listed in its window but nothing appears.
    void (*control_show)(ObjectEntry& entry) = nullptr;
    // HIDE: makes the native control invisible. Empty: nothing.
    void (*control_hide)(ObjectEntry& entry) = nullptr;
    // FREE: destroys the native control and releases the kind's storage (the object methods
    // then take the control out of its window's object list and free the entry). Empty: nothing.
    void (*control_free)(ObjectEntry& entry) = nullptr;
    // The rectangle of a shown control changed (old: its previous rectangle): move the native
    // control or text edit and repaint. Empty: nothing.
    void (*control_move)(ObjectEntry& entry, const IntRect& old) = nullptr;
    // Object method 7: focus a shown control. Empty: nothing.
    void (*control_focus)(ObjectEntry& entry, ObjectRequest& request) = nullptr;
    // Object methods 20..26 on a text edit (kind 23). Empty: error -11229 as for other objects.
    void (*text_edit_method)(ObjectEntry& entry, ObjectRequest& request) = nullptr;
    // The state of a button (group attribute "on" looks for 1). Empty: 0.
    int32_t (*control_state)(const ObjectEntry& entry) = nullptr;
    // A control joins the radio-button group: its button group becomes group_id (0: leaves its
    // group); returns its native control (no_xvt_window before the first SHOW). Empty: nothing
    // is recorded and no_xvt_window returned.
    XvtWindow (*set_button_group)(ObjectEntry& entry, int32_t group_id) = nullptr;

    // ---- Menus (IDs 10001..14999) ----
    // CREATE after the entry is allocated (its parent and window already recorded from the
    // menu type and parent values). Empty: nothing more.
    void (*menu_create)(int32_t id, MenuEntry& entry, int32_t menu_type) = nullptr;
    // SET and GET of one menu attribute. Empty: error -11223.
    void (*menu_set)(int32_t id, MenuEntry& entry, int32_t attribute,
                     ObjectRequest& request) = nullptr;
    void (*menu_get)(int32_t id, MenuEntry& entry, int32_t attribute,
                     ObjectRequest& request) = nullptr;
    // SHOW: installs the menu bar of the menu's window. Empty: nothing.
    void (*menu_show)(int32_t id, MenuEntry& entry) = nullptr;
    // FREE with its submenus; the entry itself is freed afterwards. A negated ID frees the whole
    // menu bar of the menu's window. Empty: nothing more.
    void (*menu_free)(int32_t id, MenuEntry& entry) = nullptr;
    // The menu bar of window n for its native window (valid until the window is made); null for
    // none. Empty: no menu bar.
    const XvtMenuItem* (*menu_bar_template)(int n) = nullptr;
    // Window n's native window was made with its menu bar. Empty: nothing.
    void (*menus_installed)(int n) = nullptr;

    // ---- Window methods of other parts ----
    // Window method 9, SYS_INFO, for window n. Empty: error -11237 (no such method).
    void (*sys_info)(int n, ObjectRequest& request) = nullptr;
    // Window methods 14 (allow = true) and 15: the answer to a pending quit request. Empty:
    // nothing (no quit request is ever pending).
    void (*quit_answer)(int n, bool allow) = nullptr;
    // CREATE of type 5, a printing window. Empty: error -11240.
    void (*create_printing_window)(ObjectRequest& request) = nullptr;
    // Window methods 10, 11, 17 and 18 (printing). Empty: nothing.
    void (*print_method)(int n, ObjectRequest& request) = nullptr;
    // FREE of printing window n: ends its print job and frees the slot. Empty: nothing (no
    // printing window can be made).
    void (*end_printing_window)(int n) = nullptr;
};

// The wiring of the layer, not program state: an engine reset keeps it.
inline ObjectHooks object_hooks;

} // namespace quillet
