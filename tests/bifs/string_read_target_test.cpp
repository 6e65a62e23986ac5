// Device reads into string variables: the bytes land in the variable's own record only when no
// other variable shares it, a read that never arrives leaves the variable as it was, and no record
// is leaked on any path.
#include "bifs/string_read_target.h"
#include "test_cells.h"
#include "values_test_support.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <string_view>

namespace quillet {
namespace {

class StringReads : public ValuesTest {};

// One attempt that delivers text, as a host read would.
void deliver(StringReadTarget& into, size_t room, std::string_view text) {
    std::span<std::byte> r = into.room(room);
    ASSERT_GE(r.size(), text.size());
    std::memcpy(r.data(), text.data(), text.size());
    into.arrived(text.size());
}

TEST_F(StringReads, PrivateRecordWithRoomIsFilledInPlace) {
    TestCell data(std::string(100, ' '));
    Addr own = data.record();
    StringReadTarget into(data.addr());
    deliver(into, 100, "abc");
    EXPECT_EQ(data.record(), own);
    EXPECT_EQ(data.text(), "abc");
}

TEST_F(StringReads, SharedRecordIsLeftToItsOtherHolder) {
    TestCell buffer(std::string(64, ' ')), data;
    str_assign(data.addr(), buffer.record());
    {
        StringReadTarget into(data.addr());
        deliver(into, 64, std::string(60, 'x'));
    }
    EXPECT_EQ(data.text(), std::string(60, 'x'));
    EXPECT_EQ(buffer.text(), std::string(64, ' ')) << "the buffer it was copied from stays";
    EXPECT_EQ(str_count(buffer.record()), 1);
    {
        str_assign(data.addr(), buffer.record());
        StringReadTarget into(data.addr());
        deliver(into, 64, "short");
    }
    EXPECT_EQ(data.text(), "short");
    EXPECT_EQ(buffer.text(), std::string(64, ' '));
    EXPECT_LT(mem_size(data.record()), 64u) << "a short read keeps no large record";
}

TEST_F(StringReads, AttemptsThatWouldBlockLeaveTheVariableAlone) {
    TestCell buffer(std::string(32, '.')), data;
    str_assign(data.addr(), buffer.record());
    {
        StringReadTarget into(data.addr());
        into.room(32); // nothing arrives, as when the read waits and then fails
        into.room(32);
    }
    EXPECT_EQ(data.record(), buffer.record());
    EXPECT_EQ(data.text(), std::string(32, '.'));
}

TEST_F(StringReads, VariableAssignedBetweenAttemptsGetsTheData) {
    TestCell data(std::string(16, ' '));
    StringReadTarget into(data.addr());
    into.room(16);
    // B-code run by a pumped message gives the variable a record shared with a literal.
    TestCell other("shared");
    str_assign(data.addr(), other.record());
    deliver(into, 16, "0123456789abcdef");
    EXPECT_EQ(data.text(), "0123456789abcdef");
    EXPECT_EQ(other.text(), "shared");
}

TEST_F(StringReads, EndOfStreamEmptiesTheVariable) {
    TestCell data(std::string(8, ' '));
    StringReadTarget into(data.addr());
    into.room(8);
    into.arrived(0);
    EXPECT_EQ(data.text(), "");
}

} // namespace
} // namespace quillet
