// The player thread: queues one note at a time on the tone output and waits until it has nearly
// sounded, so that notes follow each other without gaps and a stop is heard at once.
#include "devices/tune_player.h"

#include <algorithm>
#include <chrono>

namespace quillet {

namespace {

// The longest sleep between looks at the output's queue.
constexpr double poll_ms = 10;
// The next note is queued this long before the current one leaves the queue: two device buffers
// and a poll, so the device never finds the queue short of a buffer between notes.
constexpr double lead_ms =
    2000.0 * host::ToneOutput::buffer_samples / host::ToneOutput::sample_rate + poll_ms;

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

bool TunePlayer::sound_note(int hz, int ms) {
    if (!m_output) return wait_ms(ms);
    m_output->queue_tone(hz >= lowest_tone_hz ? hz : 0, ms);
    for (double queued = m_output->queued_ms(); queued > lead_ms; queued = m_output->queued_ms())
        if (!wait_ms(std::min(queued - lead_ms, poll_ms))) return false;
    return true;
}

bool TunePlayer::drain() {
    if (!m_output) return true;
    for (double queued = m_output->queued_ms(); queued > 0; queued = m_output->queued_ms())
        if (!wait_ms(std::min(queued, poll_ms))) return false;
    // The device's last buffer is still sounding.
    return wait_ms(1000.0 * host::ToneOutput::buffer_samples / host::ToneOutput::sample_rate + 5);
}

void TunePlayer::play() {
    uint32_t position = m_position.load();
    bool playing = true;
    while (playing && position + 6 <= m_sound.size()) {
        const size_t note = 2 + size_t{position};
        playing = sound_note(static_cast<int>(be16(m_sound, note)),
                             static_cast<int>(be16(m_sound, note + 2)));
        if (playing) {
            position += 4;
            m_position.store(position, std::memory_order_release);
        }
    }
    if (playing) drain();
    if (m_output) m_output->silence();
    m_finished.store(true, std::memory_order_release);
}

} // namespace quillet
