// Bounds-checked reading of little- and big-endian fields and op-stream numbers from a byte span.
// Every read past the end throws FormatError naming the field, so no reader of untrusted images
// can run off its buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace quillet::bcode {

class ByteReader {
public:
    // `what` names the data being read in error messages ("module 2", "code area").
    ByteReader(std::span<const uint8_t> bytes, std::string what, size_t pos = 0)
        : bytes_(bytes), what_(std::move(what)), pos_(pos) {}

    size_t pos() const { return pos_; }
    void seek(size_t pos) { pos_ = pos; }
    size_t size() const { return bytes_.size(); }
    bool at_end() const { return pos_ >= bytes_.size(); }
    std::span<const uint8_t> bytes() const { return bytes_; }

    uint8_t u8(std::string_view field);
    uint8_t peek(std::string_view field) const;
    uint16_t u16le(std::string_view field);
    uint32_t u32le(std::string_view field);
    uint32_t u32be(std::string_view field);
    uint32_t u24be(std::string_view field);
    int32_t signed_number(std::string_view field);
    uint32_t unsigned_number(std::string_view field);
    // Text up to a NUL byte, which is consumed but not returned.
    std::string c_string(std::string_view field);

private:
    void need(size_t count, std::string_view field) const;

    std::span<const uint8_t> bytes_;
    std::string what_;
    size_t pos_;
};

// Little-endian access to fields of a buffer whose size the caller has checked.
inline uint16_t get_u16le(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}
inline uint32_t get_u32le(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

} // namespace quillet::bcode
