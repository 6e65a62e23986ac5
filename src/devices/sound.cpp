// The interpreter's side of the tune player: the string it plays, held until the tune ends, and
// the tone output, opened with the first tune.
#include "devices/sound.h"

#include "devices/devices_state.h"
#include "devices/tune_player.h"
#include "host/backends/tone_output.h"
#include "values/record_hold.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace quillet {

namespace {

constexpr SoundState& sound_state = devices_state.sound;

host::ToneOutput* tone_output() {
    if (!sound_state.output_opened) {
        sound_state.output_opened = true;
        sound_state.output = host::open_tone_output_from_environment();
    }
    return sound_state.output.get();
}

void write_position(uint32_t position) {
    const Addr record = sound_state.sound->record();
    if (str_length(record) < 2) return;
    store_u8(str_text(record), static_cast<uint8_t>(position >> 8));
    store_u8(str_text(record) + 1, static_cast<uint8_t>(position));
    sound_state.delivered = position;
}

void let_go() {
    sound_state.player.reset();
    sound_state.sound.reset();
}

} // namespace

void deliver_sound_position() {
    if (!sound_state.player) return;
    const bool finished = sound_state.player->finished(); // before the position: it is final
    const uint32_t position = sound_state.player->position();
    if (position != sound_state.delivered) write_position(position);
    if (finished) let_go();
}

void stop_sound() {
    if (!sound_state.player) return;
    sound_state.player->stop(); // the thread has ended: the position is final
    deliver_sound_position();
    let_go();
}

void play_sound(Addr record) {
    const std::string_view text = str_view(record);
    if (text.size() > 2 && text.size() < 6) return;
    stop_sound();
    if (text.size() <= 2) return;
    host::ToneOutput* output = tone_output();
    sound_state.sound.emplace(record);
    sound_state.delivered = sound_position(text);
    sound_state.player = std::make_unique<TunePlayer>(std::string(text), output);
}

void end_sound() {
    stop_sound();
    sound_state.output.reset();
    sound_state.output_opened = false;
}

SoundState::SoundState() = default;

SoundState& SoundState::operator=(SoundState&& other) noexcept {
    if (this != &other) {
        // The engine reset gives the arena back first: the tune's string no longer exists.
        if (player) player->stop();
        if (sound) sound->forget();
        player.reset();
        sound.reset();
        output.reset();
        output_opened = std::exchange(other.output_opened, false);
        output = std::move(other.output);
        if (other.sound) sound.emplace(std::move(*other.sound));
        other.sound.reset();
        delivered = std::exchange(other.delivered, 0);
        player = std::move(other.player);
    }
    return *this;
}

SoundState::~SoundState() = default;

} // namespace quillet
