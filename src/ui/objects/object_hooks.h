// Where the object methods hand over to the parts of the ui layer that own a kind of object:
// controls and text edits. Each part fills its entries when it is installed; an empty entry
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
};

// The wiring of the layer, not program state: an engine reset keeps it.
inline ObjectHooks object_hooks;

} // namespace quillet
