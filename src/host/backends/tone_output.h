// Square-wave tones on the audio device through SDL audio: the host's tone service. Tones are
// queued behind one another, so consecutive tones play without gaps; the caller paces itself by
// what is still queued. Safe to use from one thread other than the one that made it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace quillet::host {

class ToneOutput {
public:
    static constexpr int sample_rate = 44100;  // 16-bit signed mono samples
    static constexpr int buffer_samples = 512; // what the device takes from the queue at once

    // Opens the default audio device of the driver SDL chooses (SDL_AUDIODRIVER names one);
    // throws HostError when there is none.
    ToneOutput();
    ~ToneOutput();
    ToneOutput(const ToneOutput&) = delete;
    ToneOutput& operator=(const ToneOutput&) = delete;

    // Queues ms milliseconds of a square wave of hz hertz; 0 (and any frequency that the sample
    // rate cannot carry, from half of it up) queues silence of that length. Answers the number of
    // samples queued.
    size_t queue_tone(int hz, int ms);
    // Samples queued and not yet taken by the device. A queue that holds less than one device
    // buffer when the device asks for the next is padded with silence.
    size_t queued_samples() const;
    // Drops whatever is queued: the device falls silent at once.
    void silence();

private:
    uint32_t m_device = 0; // SDL's audio device id
};

// The tone output the environment asks for: QUILLET_SOUND "sdl" plays through SDL audio,
// "none" is silent; without it (or with another value) SDL audio on the SDL backend and silence
// on headless. Null means silence, also when SDL audio cannot start (tunes then keep their
// timing without sound).
std::unique_ptr<ToneOutput> open_tone_output_from_environment();

} // namespace quillet::host
