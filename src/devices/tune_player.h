// A tune played on a thread of its own. A sound string is a 16-bit big-endian position (the byte
// offset of the next note, counted from byte 2) followed by notes of 4 bytes: frequency in hertz
// and duration in milliseconds, both 16-bit big-endian; frequency 0 is a rest.
//
// The player works on its own copy of the string and never touches the VM: it publishes the
// position after each note once the note has sounded, and the interpreter's thread writes it back
// into the program's string (sound.h). Stopping sets a flag the player waits on, so it ends within
// a moment, never killed.
#pragma once

#include "host/backends/tone_output.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace quillet {

// The lowest frequency the tone service sounds; lower ones are silence of the same length.
inline constexpr int lowest_tone_hz = 37;

// The position stored in the first two bytes of a sound string (0 when it is shorter).
uint32_t sound_position(std::string_view sound);

class TunePlayer {
public:
    // Starts playing the string's notes from its position on; output null plays in silence,
    // keeping each note's length.
    TunePlayer(std::string sound, host::ToneOutput* output);
    ~TunePlayer() { stop(); }
    TunePlayer(const TunePlayer&) = delete;
    TunePlayer& operator=(const TunePlayer&) = delete;

    // Stops the tune and waits for the thread to end: the position is final after it.
    void stop();
    // The position after the notes played so far.
    uint32_t position() const { return m_position.load(std::memory_order_acquire); }
    // True once the last note has sounded (or the tune was stopped).
    bool finished() const { return m_finished.load(std::memory_order_acquire); }

private:
    void play();
    // Each plays the notes from the position on, until the last or a stop.
    void play_in_silence();
    void play_on_output();
    // Waits ms milliseconds unless stopped first; false when stopped.
    bool wait_ms(double ms);

    const std::string m_sound;
    host::ToneOutput* const m_output;
    std::atomic<uint32_t> m_position;
    std::atomic<bool> m_finished{false};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;  // under m_mutex
    std::thread m_thread; // last: starts once everything above exists
};

} // namespace quillet
