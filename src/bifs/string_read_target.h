// A device read that lands in a string variable: the bytes go into the variable's own record when
// nobody else holds it and it has room, else into a fresh record that becomes the variable's text
// once data has arrived. A read that never arrives leaves the variable as it was.
#pragma once

#include "devices/read_target.h"
#include "values/arena.h"

namespace quillet {

class StringReadTarget final : public ReadTarget {
public:
    explicit StringReadTarget(Addr cell) : cell_(cell) {}
    ~StringReadTarget();
    StringReadTarget(const StringReadTarget&) = delete;
    StringReadTarget& operator=(const StringReadTarget&) = delete;

    std::span<std::byte> room(size_t n) override;
    void arrived(size_t n) override;

private:
    Addr cell_;
    Addr fresh_ = 0;  // a record of ours, kept across attempts until it is used
    Addr target_ = 0; // the record the last room lies in
};

} // namespace quillet
