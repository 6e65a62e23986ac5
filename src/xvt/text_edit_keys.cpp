// The key table of text-edit objects: what each character code does, and doing it.
#include "xvt/text_edit.h"

namespace quillet {

using namespace xvt_detail;

namespace {

struct KeyEntry {
    int32_t code;
    TxKeyAction action;
};

constexpr KeyEntry key_table[] = {
    {xvt_key::left, TxKeyAction::left},
    {xvt_key::right, TxKeyAction::right},
    {xvt_key::up, TxKeyAction::up},
    {xvt_key::down, TxKeyAction::down},
    {xvt_key::page_up, TxKeyAction::page_up},
    {xvt_key::page_down, TxKeyAction::page_down},
    {xvt_key::home, TxKeyAction::line_start},
    {xvt_key::end, TxKeyAction::line_end},
    {xvt_key::delete_key, TxKeyAction::delete_forward},
    {8, TxKeyAction::delete_backward},
    {13, TxKeyAction::split_paragraph},
    {27, TxKeyAction::nothing},
    {xvt_key::insert, TxKeyAction::nothing},
};

CaretMove caret_move(TxKeyAction action) {
    switch (action) {
    case TxKeyAction::left: return CaretMove::left;
    case TxKeyAction::right: return CaretMove::right;
    case TxKeyAction::up: return CaretMove::up;
    case TxKeyAction::down: return CaretMove::down;
    case TxKeyAction::page_up: return CaretMove::page_up;
    case TxKeyAction::page_down: return CaretMove::page_down;
    case TxKeyAction::line_start: return CaretMove::line_start;
    default: return CaretMove::line_end;
    }
}

} // namespace

TxKeyAction xvt_tx_key_action(int32_t code) {
    for (const KeyEntry& e : key_table)
        if (e.code == code) return e.action;
    return TxKeyAction::insert;
}

namespace xvt_detail {

bool apply_key(TextEditor& tx, int32_t code, bool shift) {
    const TxKeyAction action = xvt_tx_key_action(code);
    const bool read_only = tx.has(xvt_tx_attr::read_only);
    TextModel& m = tx.model;
    switch (action) {
    case TxKeyAction::nothing: return false;
    case TxKeyAction::insert: {
        // Codes of keys without a character (function keys) insert nothing.
        if (read_only || code < 1 || code > 0xFF) return false;
        const char c = static_cast<char>(code);
        return m.insert(std::string_view(&c, 1), tx.limit);
    }
    case TxKeyAction::delete_forward: return !read_only && m.delete_forward();
    case TxKeyAction::delete_backward: return !read_only && m.delete_backward();
    case TxKeyAction::split_paragraph: return !read_only && m.split_paragraph();
    default: {
        const TextPlace caret = m.caret(), anchor = m.anchor();
        m.move_caret(caret_move(action), shift, view_lines(tx));
        return m.caret() != caret || m.anchor() != anchor;
    }
    }
}

} // namespace xvt_detail

} // namespace quillet
