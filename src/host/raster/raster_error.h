// The one exception of the raster: a refused size, bitmap or font, with a code to act on and a
// message that says what was wrong.
#pragma once

#include <stdexcept>
#include <string>

namespace quillet {

enum class RasterErrorCode {
    bad_size,       // a surface size that is negative or too large
    bad_bitmap,     // a device-independent bitmap that is malformed or truncated
    font_not_found, // no installed font serves the request
    font_load,      // FreeType or fontconfig failed
    file,           // an image file could not be read or written
};

class RasterError : public std::runtime_error {
public:
    RasterError(RasterErrorCode code, const std::string& message)
        : std::runtime_error(message), m_code(code) {}
    RasterErrorCode code() const { return m_code; }

private:
    RasterErrorCode m_code;
};

} // namespace quillet
