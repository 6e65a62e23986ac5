#include "binder.h"

#include "bcode/format_error.h"
#include "bcode/image.h"
#include "bcode/trailer.h"

namespace quillet::tools {

using namespace bcode;

std::vector<uint8_t> bind_image(std::span<const uint8_t> engine, std::span<const uint8_t> image,
                                bool& replaced) {
    validate_image(image);
    replaced = has_trailer(engine);
    if (replaced) {
        std::span<const uint8_t> old = bound_image(engine);
        engine = engine.first(size_t(old.data() - engine.data()));
    }
    std::vector<uint8_t> out(engine.begin(), engine.end());
    out.insert(out.end(), image.begin(), image.end());
    append_trailer(uint32_t(image.size()), out);
    return out;
}

std::vector<uint8_t> unbind_image(std::span<const uint8_t> executable, bool check) {
    std::span<const uint8_t> image = bound_image(executable);
    if (check) {
        try {
            validate_image(image);
        } catch (const FormatError& e) {
            throw FormatError(std::string("the bound image is not well-formed: ") + e.what() +
                              " (use --no-check to extract it anyway)");
        }
    }
    return {image.begin(), image.end()};
}

} // namespace quillet::tools
