// The group class: radio-button groups (type 0), whose members are buttons that check one
// another, and graphic groups (other types), whose members are shown and hidden together.
#include "ui/controls/control_state.h"
#include "ui/objects/attribute_tables.h"
#include "ui/objects/group_members.h"
#include "ui/objects/object_classes.h"
#include "ui/objects/object_dispatch.h"
#include "ui/objects/object_errors.h"
#include "ui/objects/object_lifecycle.h"
#include "values/errors.h"

namespace quillet {
namespace {

constexpr int32_t radio_button_group = 0;

GroupEntry& group_at(int32_t id) {
    return object_tables.groups[static_cast<size_t>(id - first_group_id)];
}

// Values: mode, count, then count object IDs, each an object in use; with a non-zero mode each
// is appended to the group.
void add_members(int32_t group_id, ObjectRequest& request) {
    request.need_numbers(2);
    int32_t mode = request.next_int();
    int32_t count = request.next_int();
    if (count < 0) raise_error(object_error::not_enough_values);
    request.need_numbers(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        int32_t id = request.next_int();
        ObjectEntry& member = object_entry(id);
        if (mode == 0) continue;
        GroupEntry& group = group_entry(group_id);
        XvtWindow native = no_xvt_window;
        if (group.type == radio_button_group) {
            native = join_button_group(member, group_id);
        } else {
            member.group = group_id;
        }
        group.members.push_back(id);
        group.member_native.push_back(native);
    }
}

void get_group(int32_t id, ObjectRequest& request) {
    GroupEntry& group = group_entry(id);
    auto whole_group = [&] {
        request.append_int(group.type);
        for (int32_t member : group.members)
            request.append_int(member);
    };
    if (!request.has_names()) {
        whole_group();
        return;
    }
    for (const std::string& name : request.names()) {
        int32_t a = lookup_attribute(AttributeClass::group, name);
        if (a == group_attr::group) {
            whole_group();
        } else if (a == group_attr::on) {
            int32_t on_id = 0, on_index = -1;
            for (size_t i = 0; i < group.members.size(); ++i) {
                const ObjectEntry* member = find_object(group.members[i]);
                if (member && button_state(*member) == 1) {
                    on_id = group.members[i];
                    on_index = static_cast<int32_t>(i);
                    break;
                }
            }
            request.append_int(on_id);
            request.append_int(on_index);
        } else {
            raise_error(object_error::attribute_not_used);
        }
    }
}

template <class Act>
void for_each_member(int32_t id, Act act) {
    std::vector<int32_t> members = group_entry(id).members;
    for (int32_t member : members)
        if (ObjectEntry* entry = find_object(member)) act(*entry);
}

void free_group(int32_t id) {
    GroupEntry& group = group_entry(id);
    for (int32_t member : group.members) {
        ObjectEntry* entry = find_object(member);
        if (!entry) continue;
        if (group.type == radio_button_group) {
            join_button_group(*entry, 0);
        } else if (entry->group == id) {
            entry->group = 0;
        }
    }
    group_at(id) = GroupEntry{};
}

} // namespace

void leave_group(int32_t group_id, int32_t object_id) {
    GroupEntry* group = find_group(group_id);
    if (!group) return;
    for (size_t i = 0; i < group->members.size();) {
        if (group->members[i] == object_id) {
            group->members.erase(group->members.begin() + static_cast<std::ptrdiff_t>(i));
            group->member_native.erase(group->member_native.begin() +
                                       static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
}

void create_group(ObjectRequest& request) {
    int32_t type = request.next_int();
    int32_t id = allocate_group_id();
    group_at(id).type = type;
    request.set_new_id(id);
    if (request.numbers_left() > 0) add_members(id, request);
}

void group_method(int32_t id, ObjectRequest& request) {
    using namespace object_method;
    switch (request.method()) {
    case copy: return;
    case set:
        group_entry(id);
        add_members(id, request);
        return;
    case get: get_group(id, request); return;
    case show: for_each_member(id, [](ObjectEntry& e) { show_object(e); }); return;
    case hide: for_each_member(id, [](ObjectEntry& e) { hide_object(e); }); return;
    case free: free_group(id); return;
    default: raise_error(object_error::unknown_group_method);
    }
}

} // namespace quillet
