// Square waves synthesised into SDL's audio queue.
#include "host/backends/tone_output.h"

#include "host/backends/backend_choice.h"
#include "host/backends/host_error.h"
#include "host/backends/library_messages.h"
#include "host/backends/sdl_library.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace quillet::host {

namespace {

constexpr int16_t amplitude = 8192; // a quarter of full scale: clearly audible, never harsh
constexpr int bytes_per_sample = 2;

} // namespace

ToneOutput::ToneOutput() {
    route_sound_library_messages();
    if (sdl().InitSubSystem(SDL_INIT_AUDIO) != 0)
        throw HostError(std::string("sdl: no audio: ") + sdl().GetError());
    SDL_AudioSpec want{};
    want.freq = sample_rate;
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    want.samples = buffer_samples;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to whatever the device takes, so the queue is always in
    // our format.
    m_device = sdl().OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (m_device == 0) {
        const std::string error = sdl().GetError();
        sdl().QuitSubSystem(SDL_INIT_AUDIO);
        throw HostError("sdl: cannot open the audio device: " + error);
    }
    sdl().PauseAudioDevice(m_device, 0);
}

ToneOutput::~ToneOutput() {
    sdl().CloseAudioDevice(m_device);
    sdl().QuitSubSystem(SDL_INIT_AUDIO);
}

size_t ToneOutput::queue_tone(int hz, int ms) {
    if (ms <= 0) return 0;
    const size_t count = static_cast<size_t>(std::llround(double(ms) * sample_rate / 1000.0));
    std::vector<int16_t> samples(count, 0);
    if (hz > 0 && hz < sample_rate / 2) {
        // A phase accumulator keeps the average period exact even when a half period is not a
        // whole number of samples.
        const double step = double(hz) / sample_rate;
        double phase = 0;
        for (int16_t& s : samples) {
            s = phase < 0.5 ? amplitude : static_cast<int16_t>(-amplitude);
            phase += step;
            if (phase >= 1) phase -= 1;
        }
    }
    if (sdl().QueueAudio(m_device, samples.data(), static_cast<Uint32>(count * bytes_per_sample)))
        return 0;
    return count;
}

size_t ToneOutput::queued_samples() const {
    return sdl().GetQueuedAudioSize(m_device) / bytes_per_sample;
}

void ToneOutput::silence() {
    sdl().ClearQueuedAudio(m_device);
}

std::unique_ptr<ToneOutput> open_tone_output_from_environment() {
    const char* chosen = std::getenv("QUILLET_SOUND");
    std::string name = chosen ? chosen : "";
    if (name != "sdl" && name != "none") name = chosen_backend_name() == "sdl" ? "sdl" : "none";
    if (name == "none") return nullptr;
    try {
        return std::make_unique<ToneOutput>();
    } catch (const HostError& e) {
        // No sound card: tunes keep their timing in silence, and the reason goes to the log.
        report_library_message(e.what());
        return nullptr;
    }
}

} // namespace quillet::host
