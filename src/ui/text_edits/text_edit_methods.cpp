#include "ui/text_edits/text_edit_methods.h"

#include "ui/objects/object_errors.h"
#include "ui/text_edits/text_edit_attributes.h"
#include "ui/text_edits/text_edit_lifecycle.h"
#include "ui/text_edits/text_edit_text.h"
#include "values/errors.h"

#include <algorithm>

namespace quillet {
namespace {

int32_t paragraph_count(TextEditState& s) {
    XvtTextEdit tx = made_text_edit(s);
    return tx != no_xvt_window ? xp_tx_get_num_pars(tx)
                               : static_cast<int32_t>(split_paragraphs(s.pending_text).size());
}

// The pending paragraphs changed by `change`, written back.
template <class Change>
void change_pending(TextEditState& s, Change&& change) {
    std::vector<std::string> paragraphs = split_paragraphs(s.pending_text);
    change(paragraphs);
    s.pending_text = join_paragraphs(paragraphs);
}

void add_paragraph_at(TextEditState& s, int32_t p, const std::string& text) {
    const int32_t at = std::clamp(p, 0, paragraph_count(s));
    if (XvtTextEdit tx = made_text_edit(s); tx != no_xvt_window) {
        SuspendedForChange change(s);
        xp_tx_add_par(tx, at, text);
        return;
    }
    change_pending(s, [&](std::vector<std::string>& ps) { ps.insert(ps.begin() + at, text); });
}

void remove_paragraph(TextEditState& s, int32_t p) {
    if (p < 0 || p >= paragraph_count(s)) raise_error(text_edit_error::paragraph_too_large);
    if (XvtTextEdit tx = made_text_edit(s); tx != no_xvt_window) {
        SuspendedForChange change(s);
        xp_tx_rem_par(tx, p);
        return;
    }
    change_pending(s, [&](std::vector<std::string>& ps) { ps.erase(ps.begin() + p); });
}

void append_to_paragraph(TextEditState& s, int32_t p, const std::string& text) {
    const int32_t count = paragraph_count(s);
    if (count == 0) {
        add_paragraph_at(s, 0, text);
        return;
    }
    const int32_t at = std::clamp(p, 0, count - 1);
    if (XvtTextEdit tx = made_text_edit(s); tx != no_xvt_window) {
        SuspendedForChange change(s);
        xp_tx_append(tx, at, text);
        return;
    }
    change_pending(s, [&](std::vector<std::string>& ps) { ps[static_cast<size_t>(at)] += text; });
}

} // namespace

void text_edit_method_call(ObjectEntry& entry, ObjectRequest& request) {
    TextEditState* s = text_edit_state(entry);
    if (!s) raise_error(object_error::text_edit_method);
    using namespace text_edit_method;
    switch (request.method()) {
    case suspend: suspend_text_edit(*s); return;
    case resume: resume_text_edit(*s); return;
    case add_paragraph: {
        const int32_t p = request.next_int();
        add_paragraph_at(*s, p, request.next_string());
        return;
    }
    case delete_paragraph: remove_paragraph(*s, request.next_int()); return;
    case append: {
        const int32_t p = request.next_int();
        append_to_paragraph(*s, p, request.next_string());
        return;
    }
    case scroll_vertically: scroll_text_edit(*s, request.next_int(), 0); return;
    case scroll_horizontally: scroll_text_edit(*s, 0, request.next_int()); return;
    default: raise_error(object_error::text_edit_method);
    }
}

} // namespace quillet
