// Bif 42: tunes of the PLAY and SOUND statements.
#include "devices/sound.h"

#include "bifs/install_bifs.h"
#include "devices/device_polling.h"
#include "interp/operands.h"
#include "interp/upper_layer_hooks.h"
#include "values/strings.h"

namespace quillet {
namespace {

void play_sound_bif() {
    play_sound(load_u32(str_operand()));
}

} // namespace

void install_sound_bifs(BifTable& t) {
    t.install(bif::play_sound, play_sound_bif);
    // The op loop's pumps carry the player's position back (and poll the serial ports); every
    // program end stops the tune.
    upper_layer_hooks.poll_devices = poll_devices_after_pump;
    upper_layer_hooks.end_sound = end_sound;
}

} // namespace quillet
