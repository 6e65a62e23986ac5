#include "devices/tune_player.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace quillet {
namespace {

std::string note(int hz, int ms) {
    return {static_cast<char>(hz >> 8), static_cast<char>(hz), static_cast<char>(ms >> 8),
            static_cast<char>(ms)};
}

void wait_until_finished(const TunePlayer& player) {
    for (int i = 0; i < 500 && !player.finished(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

TEST(TunePlayer, PositionIsReadBigEndianFromTheFirstTwoBytes) {
    EXPECT_EQ(sound_position(""), 0u);
    EXPECT_EQ(sound_position("\x01"), 0u);
    EXPECT_EQ(sound_position(std::string("\x01\x02", 2)), 0x102u);
    EXPECT_EQ(sound_position("\xFF\xF0xyz"), 0xFFF0u);
}

TEST(TunePlayer, PlaysEveryWholeNoteFromItsPosition) {
    TunePlayer whole(std::string(2, '\0') + note(440, 10) + note(0, 10) + note(37, 10), nullptr);
    wait_until_finished(whole);
    ASSERT_TRUE(whole.finished());
    EXPECT_EQ(whole.position(), 12u);

    // From the second note on; the stray bytes after the last note are no note.
    TunePlayer later(std::string("\x00\x04", 2) + note(440, 10) + note(880, 10) + "xyz", nullptr);
    wait_until_finished(later);
    ASSERT_TRUE(later.finished());
    EXPECT_EQ(later.position(), 8u);
}

TEST(TunePlayer, APositionBeyondTheNotesPlaysNothing) {
    TunePlayer beyond(std::string("\x00\x08", 2) + note(440, 10) + note(880, 10), nullptr);
    wait_until_finished(beyond);
    ASSERT_TRUE(beyond.finished());
    EXPECT_EQ(beyond.position(), 8u);
}

TEST(TunePlayer, StoppingEndsTheThreadInTheMiddleOfANote) {
    TunePlayer player(std::string(2, '\0') + note(440, 60000) + note(440, 60000), nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(player.finished());
    player.stop();
    EXPECT_TRUE(player.finished());
    EXPECT_EQ(player.position(), 0u);
    player.stop(); // a second stop is harmless
}

} // namespace
} // namespace quillet
