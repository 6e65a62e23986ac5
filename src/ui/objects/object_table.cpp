#include "ui/objects/object_table.h"

#include "ui/objects/object_errors.h"
#include "values/errors.h"

namespace quillet {
namespace {

// The lowest free slot up to the highest ID, else highest + 1 (the table grows by ten when the
// new ID falls beyond it).
template <class Entry>
int32_t allocate(std::vector<Entry>& table, int32_t& highest, int32_t first, int32_t last) {
    for (int32_t id = first; id <= highest; ++id)
        if (!table[static_cast<size_t>(id - first)].in_use()) {
            table[static_cast<size_t>(id - first)] = Entry{};
            return id;
        }
    if (highest >= last) raise_error(object_error::id_out_of_range);
    int32_t id = ++highest;
    size_t index = static_cast<size_t>(id - first);
    if (index >= table.size()) table.resize(table.size() + table_growth);
    table[index] = Entry{};
    return id;
}

template <class Entry>
Entry* find_in(std::vector<Entry>& table, int32_t highest, int32_t first, int32_t id) {
    if (id < first || id > highest) return nullptr;
    Entry& entry = table[static_cast<size_t>(id - first)];
    return entry.in_use() ? &entry : nullptr;
}

template <class Entry>
Entry& entry_in(std::vector<Entry>& table, int32_t highest, int32_t first, int32_t id) {
    if (id < first || id > highest) raise_error(object_error::invalid_id);
    Entry& entry = table[static_cast<size_t>(id - first)];
    if (!entry.in_use()) raise_error(object_error::freed_id);
    return entry;
}

} // namespace

void reset_object_tables() {
    object_tables = ObjectTables{};
}

int32_t allocate_object_id() {
    int32_t id = allocate(object_tables.objects, object_tables.highest_object, first_object_id,
                          last_object_id);
    object_tables.objects[static_cast<size_t>(id - first_object_id)].id = id;
    return id;
}

int32_t allocate_menu_id() {
    return allocate(object_tables.menus, object_tables.highest_menu, first_menu_id, last_menu_id);
}

int32_t allocate_group_id() {
    return allocate(object_tables.groups, object_tables.highest_group, first_group_id,
                    last_group_id);
}

ObjectEntry& object_entry(int32_t id) {
    return entry_in(object_tables.objects, object_tables.highest_object, first_object_id, id);
}

ObjectEntry* find_object(int32_t id) {
    return find_in(object_tables.objects, object_tables.highest_object, first_object_id, id);
}

MenuEntry& menu_entry(int32_t id) {
    return entry_in(object_tables.menus, object_tables.highest_menu, first_menu_id, id);
}

MenuEntry* find_menu(int32_t id) {
    return find_in(object_tables.menus, object_tables.highest_menu, first_menu_id, id);
}

GroupEntry& group_entry(int32_t id) {
    return entry_in(object_tables.groups, object_tables.highest_group, first_group_id, id);
}

GroupEntry* find_group(int32_t id) {
    return find_in(object_tables.groups, object_tables.highest_group, first_group_id, id);
}

WindowRecord& window_entry(int32_t n) {
    if (n < 0 || n > window_table.highest || n >= window_count)
        raise_error(object_error::invalid_id);
    WindowRecord& record = window_record(n);
    if (!record.in_use()) raise_error(object_error::freed_id);
    return record;
}

} // namespace quillet
