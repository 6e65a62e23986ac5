// The player thread: keeps the tone output's queue a good stretch ahead of the device, so that
// a player held up on a busy machine never leaves the device short between notes, and publishes
// each note's position once the device has taken the note's last sample. A stop drops the queue,
// so it is heard at once however far ahead the notes were queued.
#include "devices/tune_player.h"

#include <algorithm>
#include <chrono>
#include <deque>

namespace quillet {

namespace {

// The sleep between looks at the output's queue.
constexpr double poll_ms = 10;
// How far ahead of the device the notes are queued: how late the player may be woken without a
// gap in the sound.
constexpr uint64_t lead_samples = host::ToneOutput::sample_rate;
// How long the device's last buffer sounds.
constexpr double buffer_ms =
    1000.0 * host::ToneOutput::buffer_samples / host::ToneOutput::sample_rate;

uint32_t be16(std::string_view s, size_t at) {
    return uint32_t{static_cast<uint8_t>(s[at])} << 8 | static_cast<uint8_t>(s[at + 1]);
}

} // namespace

uint32_t sound_position(std::string_view sound) {
    return sound.size() < 2 ? 0 : be16(sound, 0);
}

TunePlayer::TunePlayer(std::string sound, host::ToneOutput* output)
    : m_sound(std::move(sound)), m_output(output), m_position(sound_position(m_sound)),
      m_thread([this] { play(); }) {}

void TunePlayer::stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable()) m_thread.join();
}

bool TunePlayer::wait_ms(double ms) {
    std::unique_lock lock(m_mutex);
    return !m_wake.wait_for(lock, std::chrono::duration<double, std::milli>(ms),
                            [this] { return m_stop; });
}

void TunePlayer::play_in_silence() {
    for (uint32_t position = m_position.load(); position + 6 <= m_sound.size(); position += 4) {
        if (!wait_ms(be16(m_sound, 2 + size_t{position} + 2))) return;
        m_position.store(position + 4, std::memory_order_release);
    }
}

void TunePlayer::play_on_output() {
    struct QueuedNote {
        uint64_t end;            // samples queued up to the note's last one, since the tune began
        uint32_t position_after; // the position to publish once the device has taken them
    };
    std::deque<QueuedNote> sounding;
    uint64_t queued = 0;
    uint32_t next = m_position.load();
    for (;;) {
        const uint64_t taken = queued - std::min<uint64_t>(queued, m_output->queued_samples());
        for (; !sounding.empty() && sounding.front().end <= taken; sounding.pop_front())
            m_position.store(sounding.front().position_after, std::memory_order_release);
        for (; next + 6 <= m_sound.size() && queued - taken < lead_samples; next += 4) {
            const int hz = static_cast<int>(be16(m_sound, 2 + size_t{next}));
            const int ms = static_cast<int>(be16(m_sound, 2 + size_t{next} + 2));
            queued += m_output->queue_tone(hz >= lowest_tone_hz ? hz : 0, ms);
            sounding.push_back({queued, next + 4});
        }
        if (sounding.empty()) break; // every note taken, none left to queue
        if (!wait_ms(poll_ms)) return;
    }
    wait_ms(buffer_ms + 5); // the device's last buffer is still sounding
}

void TunePlayer::play() {
    if (m_output) {
        play_on_output();
        m_output->silence();
    } else {
        play_in_silence();
    }
    m_finished.store(true, std::memory_order_release);
}

} // namespace quillet
