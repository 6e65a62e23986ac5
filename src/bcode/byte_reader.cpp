#include "bcode/byte_reader.h"

#include "bcode/format_error.h"
#include "bcode/numbers.h"

namespace quillet::bcode {

void ByteReader::need(size_t count, std::string_view field) const {
    if (pos_ > bytes_.size() || bytes_.size() - pos_ < count)
        throw FormatError(what_ + ": " + std::string(field) + " at offset " + std::to_string(pos_) +
                          " runs past the end (" + std::to_string(bytes_.size()) + " bytes)");
}

uint8_t ByteReader::u8(std::string_view field) {
    need(1, field);
    return bytes_[pos_++];
}

uint8_t ByteReader::peek(std::string_view field) const {
    need(1, field);
    return bytes_[pos_];
}

uint16_t ByteReader::u16le(std::string_view field) {
    need(2, field);
    uint16_t v = get_u16le(&bytes_[pos_]);
    pos_ += 2;
    return v;
}

uint32_t ByteReader::u32le(std::string_view field) {
    need(4, field);
    uint32_t v = get_u32le(&bytes_[pos_]);
    pos_ += 4;
    return v;
}

uint32_t ByteReader::u32be(std::string_view field) {
    need(4, field);
    const uint8_t* p = &bytes_[pos_];
    pos_ += 4;
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

uint32_t ByteReader::u24be(std::string_view field) {
    need(3, field);
    const uint8_t* p = &bytes_[pos_];
    pos_ += 3;
    return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
}

int32_t ByteReader::signed_number(std::string_view field) {
    need(1, field);
    need(number_size(bytes_[pos_]), field);
    return decode_signed(&bytes_[pos_], pos_);
}

uint32_t ByteReader::unsigned_number(std::string_view field) {
    need(1, field);
    need(number_size(bytes_[pos_]), field);
    return decode_unsigned(&bytes_[pos_], pos_);
}

std::string ByteReader::c_string(std::string_view field) {
    size_t end = pos_;
    while (end < bytes_.size() && bytes_[end] != 0)
        ++end;
    if (end >= bytes_.size())
        throw FormatError(what_ + ": " + std::string(field) + " at offset " + std::to_string(pos_) +
                          " has no terminating NUL");
    std::string text(bytes_.begin() + long(pos_), bytes_.begin() + long(end));
    pos_ = end + 1;
    return text;
}

} // namespace quillet::bcode
