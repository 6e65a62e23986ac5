#include "ui/objects/object_dispatch.h"

#include "ui/objects/object_classes.h"
#include "ui/objects/object_errors.h"
#include "ui/objects/object_table.h"
#include "ui/printing_windows.h"
#include "values/errors.h"

#include <cstdlib>

namespace quillet {
namespace {

void create(ObjectRequest& request) {
    int32_t type = request.next_int();
    switch (type) {
    case create_type::graphic: create_object(request, object_kind::graphic); return;
    case create_type::window: create_window(request); return;
    case create_type::control: create_object(request, object_kind::control); return;
    case create_type::menu: create_menu(request); return;
    case create_type::group: create_group(request); return;
    case create_type::printing_window: create_printing_window(request); return;
    default: break;
    }
    raise_error(object_error::unknown_create_type);
}

} // namespace

void object_call(ObjectRequest& request) {
    if (request.method() == object_method::create) {
        create(request);
        return;
    }
    int32_t id = request.id();
    int64_t magnitude = std::llabs(static_cast<int64_t>(id));
    if (magnitude < 100)
        window_method(id, request);
    else if (magnitude < first_menu_id)
        object_method_call(id, request);
    else if (magnitude < 15000)
        menu_method(id, request);
    else if (magnitude < first_window_id_out_of_range)
        group_method(id, request);
    else
        raise_error(object_error::id_out_of_range);
}

} // namespace quillet
