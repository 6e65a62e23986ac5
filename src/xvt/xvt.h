// The portable windowing layer, as far as the engine uses it so far: the application with its
// task window, message boxes and the host-message pump.
//
// This is the seam that later grows into the full xvt_/xp_ interface over the host window
// system; callers stay as they are. On the headless backend each message box writes one line to
// standard error, "KIND: TEXT", with the text's line breaks written as \n.
#pragma once

#include <cstdint>
#include <map>
#include <string_view>

namespace quillet {

enum class MessageKind { note, error, fatal };

// Task window events the engine reacts to.
inline constexpr int xvt_event_create = 0;
inline constexpr int xvt_event_destroy = 5;
inline constexpr int xvt_event_quit = 17;

using TaskEventHandler = long (*)(int window, int event);

struct AppConfig {
    const char* base_name;
    const char* app_name;
    const char* task_title;
    int menu_bar;
};

// Creates the task window and runs its event loop; delivers the creation event to the handler.
// Returns only when the task window could not be created.
void xvt_app_create(int argc, char** argv, long flags, TaskEventHandler handler,
                    const AppConfig& config);

// A modal message box with one "Ok" button.
void xvt_dm_post_message(MessageKind kind, std::string_view text);

// Takes and dispatches pending host messages; sleeps 1 ms after 10000 empty peeks in a row.
void process_host_messages();

// Waits for one key press; false when no key can ever come (headless without input).
bool xvt_wait_for_key();

// Destroys the task window and frees the layer's resources.
void xvt_app_destroy();

// --- Timers (timers.cpp) -------------------------------------------------------------------

// One-shot timers by id, each with its deadline in milliseconds of the steady clock.
struct XvtTimers {
    int last_id = 0;
    std::map<int, int64_t> deadlines;
};

inline XvtTimers xvt_timers;

// Forgets every timer.
void reset_xvt_timers();

// Waits ms milliseconds (none when ms <= 0) while pumping host messages, sleeping between pumps.
void xvt_timed_wait(int64_t ms);

// A one-shot timer of ms milliseconds; its id is positive and never reused.
int xvt_timer_create(int64_t ms);

// Removes a timer; an unknown id is ignored.
void xvt_timer_kill(int id);

// Whether the timer exists and its time has passed.
bool xvt_timer_expired(int id);

} // namespace quillet
