// Where a device read that may wait puts its bytes. The device asks for room just before each
// attempt, because a wait between attempts pumps host messages, and those may run B-code that
// changes what the room belongs to; the host call then writes straight into it, with no copy.
#pragma once

#include <cstddef>
#include <span>

namespace quillet {

class ReadTarget {
public:
    // Room for n bytes, valid until the next call.
    virtual std::span<std::byte> room(size_t n) = 0;
    // The read is done: the first n bytes of the last room are its data (0: end of stream).
    virtual void arrived(size_t n) = 0;

protected:
    ~ReadTarget() = default;
};

} // namespace quillet
