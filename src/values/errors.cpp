#include "values/errors.h"

namespace quillet {

void raise_error(int32_t code) {
    throw BasicError{code};
}

} // namespace quillet
