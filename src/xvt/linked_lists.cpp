// Linked lists: owned copies of byte blocks with a user word each, kept in insertion order or
// sorted by text, named by list handles and by element numbers that a list never gives twice.
#include "xvt/layer_state.h"

#include <algorithm>
#include <cctype>

namespace quillet {

using namespace xvt_detail;

namespace {

LayerLinkedList* find_list(XvtLlist list, std::string_view api) {
    LayerLinkedList* l = app.linked_lists.find(list);
    if (!l) xvt_report_error(api, ErrorCategory::llist, ErrorId::illegal_window);
    return l;
}

// The element's position, or the end for no_llist_elt; none for an element not in the list.
std::optional<size_t> position_of(const LayerLinkedList& l, XvtLlistElt element) {
    if (element == no_llist_elt) return l.elements.size();
    auto it = std::find_if(l.elements.begin(), l.elements.end(),
                           [&](const LinkedElement& e) { return e.id == element; });
    if (it == l.elements.end()) return std::nullopt;
    return static_cast<size_t>(it - l.elements.begin());
}

XvtLlistElt insert(LayerLinkedList& l, size_t at, std::vector<uint8_t> data, long user) {
    l.elements.insert(l.elements.begin() + static_cast<ptrdiff_t>(at),
                      LinkedElement{++l.last_id, std::move(data), user});
    return l.last_id;
}

std::vector<uint8_t> copy_of(std::span<const uint8_t> data) {
    return {data.begin(), data.end()};
}

// A text is kept with its NUL.
std::vector<uint8_t> text_copy(std::string_view text) {
    std::vector<uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

// An element's text: its bytes up to the first NUL.
std::string_view text_of(const LinkedElement& e) {
    auto nul = std::find(e.data.begin(), e.data.end(), uint8_t{0});
    return {reinterpret_cast<const char*>(e.data.data()),
            static_cast<size_t>(nul - e.data.begin())};
}

int compare_text(std::string_view a, std::string_view b, bool case_sensitive) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        int x = static_cast<unsigned char>(a[i]);
        int y = static_cast<unsigned char>(b[i]);
        if (!case_sensitive) x = std::tolower(x), y = std::tolower(y);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace

XvtLlist xp_llist_create() {
    XvtLlist list = app.linked_lists.add(std::make_unique<LayerLinkedList>());
    if (list == 0) xvt_report_error("xp_llist_create", ErrorCategory::llist, ErrorId::no_memory);
    return list;
}

void xp_llist_destroy(XvtLlist list) {
    if (!app.linked_lists.remove(list))
        xvt_report_error("xp_llist_destroy", ErrorCategory::llist, ErrorId::illegal_window);
}

XvtLlistElt xp_llist_add_at_elt(XvtLlist list, XvtLlistElt at, std::span<const uint8_t> data,
                                long user) {
    constexpr std::string_view api = "xp_llist_add_at_elt";
    LayerLinkedList* l = find_list(list, api);
    if (!l) return no_llist_elt;
    std::optional<size_t> position = position_of(*l, at);
    if (!position) {
        xvt_report_error(api, ErrorCategory::llist, ErrorId::invalid_parameter);
        return no_llist_elt;
    }
    return insert(*l, *position, copy_of(data), user);
}

XvtLlistElt xp_llist_add_at_index(XvtLlist list, uint16_t index, std::span<const uint8_t> data,
                                  long user) {
    LayerLinkedList* l = find_list(list, "xp_llist_add_at_index");
    if (!l) return no_llist_elt;
    return insert(*l, std::min<size_t>(index, l->elements.size()), copy_of(data), user);
}

XvtLlistElt xp_llist_add_text(XvtLlist list, XvtLlistElt at, std::string_view text, long user) {
    constexpr std::string_view api = "xp_llist_add_text";
    LayerLinkedList* l = find_list(list, api);
    if (!l) return no_llist_elt;
    std::optional<size_t> position = position_of(*l, at);
    if (!position) {
        xvt_report_error(api, ErrorCategory::llist, ErrorId::invalid_parameter);
        return no_llist_elt;
    }
    return insert(*l, *position, text_copy(text), user);
}

XvtLlistElt xp_llist_add_sorted(XvtLlist list, std::string_view text, long user,
                                bool case_sensitive) {
    LayerLinkedList* l = find_list(list, "xp_llist_add_sorted");
    if (!l) return no_llist_elt;
    // After the elements that sort equal to it, so equal texts keep their order of adding.
    auto after = std::find_if(l->elements.begin(), l->elements.end(), [&](const LinkedElement& e) {
        return compare_text(text_of(e), text, case_sensitive) > 0;
    });
    return insert(*l, static_cast<size_t>(after - l->elements.begin()), text_copy(text), user);
}

int32_t xp_llist_count(XvtLlist list) {
    LayerLinkedList* l = find_list(list, "xp_llist_count");
    return l ? static_cast<int32_t>(l->elements.size()) : 0;
}

std::optional<std::span<const uint8_t>> xp_llist_get_nth(XvtLlist list, int32_t n, long* user) {
    LayerLinkedList* l = find_list(list, "xp_llist_get_nth");
    if (!l || n < 0 || static_cast<size_t>(n) >= l->elements.size()) return std::nullopt;
    const LinkedElement& e = l->elements[static_cast<size_t>(n)];
    if (user) *user = e.user;
    return std::span<const uint8_t>(e.data);
}

XvtLlistElt xp_llist_first(XvtLlist list) {
    LayerLinkedList* l = find_list(list, "xp_llist_first");
    return l && !l->elements.empty() ? l->elements.front().id : no_llist_elt;
}

std::optional<std::span<const uint8_t>> xp_llist_elt_data(XvtLlist list, XvtLlistElt element,
                                                          long* user, XvtLlistElt* next) {
    constexpr std::string_view api = "xp_llist_elt_data";
    LayerLinkedList* l = find_list(list, api);
    if (!l) return std::nullopt;
    std::optional<size_t> position = position_of(*l, element);
    if (element == no_llist_elt || !position) {
        xvt_report_error(api, ErrorCategory::llist, ErrorId::invalid_parameter);
        return std::nullopt;
    }
    const LinkedElement& e = l->elements[*position];
    if (user) *user = e.user;
    if (next)
        *next = *position + 1 < l->elements.size() ? l->elements[*position + 1].id : no_llist_elt;
    return std::span<const uint8_t>(e.data);
}

} // namespace quillet
