// SDL loads libasound and libwayland-client by their sonames; loading them here first, under the
// same names, gives SDL the same instances, whose message handlers we have replaced. Both stay
// loaded for the rest of the process, as SDL keeps them.
#include "host/backends/library_messages.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <string>

namespace quillet::host {
namespace {

// ALSA may report from SDL's audio thread (an underrun), so the sink is read atomically.
std::atomic<LibraryMessageSink> message_sink{nullptr};

void emit(const char* library, const char* format, va_list args) {
    LibraryMessageSink sink = message_sink.load();
    if (!sink) return;
    char text[256];
    std::vsnprintf(text, sizeof text, format, args);
    std::string line = std::string(library) + ": " + text;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    sink(line.c_str());
}

// snd_lib_error_handler_t: where the message arose, an error number (0: none) and the text.
void alsa_message(const char*, int, const char*, int error, const char* format, ...) {
    va_list args;
    va_start(args, format);
    if (error == 0) {
        emit("alsa", format, args);
    } else {
        std::string with_error = std::string(format) + ": " + std::strerror(std::abs(error));
        emit("alsa", with_error.c_str(), args);
    }
    va_end(args);
}

// wl_log_func_t.
void wayland_message(const char* format, va_list args) {
    emit("wayland", format, args);
}

void* load(const char* soname) {
    return dlopen(soname, RTLD_NOW | RTLD_LOCAL);
}

} // namespace

void set_library_message_sink(LibraryMessageSink sink) {
    message_sink.store(sink);
}

void report_library_message(const char* line) {
    if (LibraryMessageSink sink = message_sink.load()) sink(line);
}

void route_sound_library_messages() {
    static const bool done = [] {
        using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
        if (void* alsa = load("libasound.so.2"))
            if (auto set =
                    reinterpret_cast<int (*)(Handler)>(dlsym(alsa, "snd_lib_error_set_handler")))
                set(alsa_message);
        return true;
    }();
    (void)done;
}

void route_display_library_messages() {
    static const bool done = [] {
        using Handler = void (*)(const char*, va_list);
        if (void* wayland = load("libwayland-client.so.0"))
            if (auto set = reinterpret_cast<void (*)(Handler)>(
                    dlsym(wayland, "wl_log_set_handler_client")))
                set(wayland_message);
        return true;
    }();
    (void)done;
}

} // namespace quillet::host
