// A scoped reference to a string record, so that a text being read survives changes to the cells
// that share it (a destination that is also a source, an element of an array being resized).
#pragma once

#include "values/strings.h"

namespace quillet {

class RecordHold {
public:
    // Takes a new reference to the record.
    explicit RecordHold(Addr record) : record_(record) { str_retain(record); }
    // Takes over the reference the caller owns (a record fresh from str_new).
    static RecordHold adopt(Addr record) {
        RecordHold hold(record);
        str_release(record);
        return hold;
    }
    ~RecordHold() {
        if (record_) str_release(record_);
    }
    RecordHold(RecordHold&& other) noexcept : record_(other.record_) { other.record_ = 0; }
    RecordHold(const RecordHold&) = delete;
    RecordHold& operator=(const RecordHold&) = delete;
    RecordHold& operator=(RecordHold&&) = delete;

    Addr record() const { return record_; }

    // Gives the reference up without touching the arena: for an arena being reset, where the
    // record no longer exists.
    void forget() { record_ = 0; }

private:
    Addr record_;
};

} // namespace quillet
