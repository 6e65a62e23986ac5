// The SDL backend. Pictures are composed by the window system and copied into each SDL
// window's surface; SDL events become the window system's input. The desktop is asked for events
// at most every half millisecond, so the program's frequent peeks stay cheap.
#include "host/backends/sdl_backend.h"

#include "host/backends/desktop_text.h"
#include "host/backends/host_error.h"
#include "host/backends/library_messages.h"
#include "host/backends/sdl_library.h"
#include "host/backends/x11_picture_clipboard.h"
#include "host/windows/frame.h"
#include "host/windows/window_system.h"

#include <cstdlib>
#include <set>
#include <string>
#include <unordered_map>

namespace quillet::host {

namespace {

using std::chrono::steady_clock;

Key map_key(SDL_Keycode k) {
    switch (k) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return Key::enter;
    case SDLK_ESCAPE: return Key::escape;
    case SDLK_TAB: return Key::tab;
    case SDLK_BACKSPACE: return Key::backspace;
    case SDLK_DELETE: return Key::delete_key;
    case SDLK_INSERT: return Key::insert;
    case SDLK_HOME: return Key::home;
    case SDLK_END: return Key::end;
    case SDLK_PAGEUP: return Key::page_up;
    case SDLK_PAGEDOWN: return Key::page_down;
    case SDLK_LEFT: return Key::left;
    case SDLK_RIGHT: return Key::right;
    case SDLK_UP: return Key::up;
    case SDLK_DOWN: return Key::down;
    case SDLK_F1: return Key::f1;
    case SDLK_F2: return Key::f2;
    case SDLK_F3: return Key::f3;
    case SDLK_F4: return Key::f4;
    case SDLK_F5: return Key::f5;
    case SDLK_F6: return Key::f6;
    case SDLK_F7: return Key::f7;
    case SDLK_F8: return Key::f8;
    case SDLK_F9: return Key::f9;
    case SDLK_F10: return Key::f10;
    case SDLK_F11: return Key::f11;
    case SDLK_F12: return Key::f12;
    default: return Key::none;
    }
}

uint8_t map_modifiers(uint16_t mod) {
    uint8_t m = 0;
    if (mod & KMOD_SHIFT) m |= mod_shift;
    if (mod & KMOD_CTRL) m |= mod_control;
    if (mod & KMOD_ALT) m |= mod_alt;
    return m;
}

// Why SDL found no display: none is named, or the one named cannot be reached.
std::string no_display_message() {
    std::string named;
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(variable);
        if (!value || !*value) continue;
        if (!named.empty()) named += " or ";
        named += std::string(variable) + "=" + value;
    }
    std::string why =
        named.empty() ? "no display to show windows on (DISPLAY and WAYLAND_DISPLAY are not set)"
                      : "cannot reach the display " + named;
    return "sdl: " + why + "; run with QUILLET_BACKEND=headless to run without one";
}

} // namespace

struct SdlBackend::Impl {
    WindowSystem* ws = nullptr;
    std::unordered_map<WindowId, SDL_Window*> windows;
    std::unordered_map<uint32_t, WindowId> by_sdl_id;
    std::set<WindowId> dirty;
    steady_clock::time_point next_pump{};
    steady_clock::time_point last_present{};
    SDL_Cursor* cursors[4] = {};
    bool alt_alone = false;
    IntPoint last_mouse;
    WindowId mouse_window = no_window;
    std::unique_ptr<X11PictureClipboard> pictures; // on X11 only: SDL shares text alone
};

SdlBackend::SdlBackend() : m(std::make_unique<Impl>()) {
    // SIGINT and SIGTERM stay the program's: SDL would turn them into a quit event that a modal
    // loop does not read.
    sdl().SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    route_display_library_messages();
    if (sdl().InitSubSystem(SDL_INIT_VIDEO) != 0)
        throw HostError(std::string("sdl: cannot start the display: ") + sdl().GetError());
    // Without a display SDL falls back to drivers that show nothing and deliver no input: a
    // program would wait for ever in its first message box.
    std::string_view driver = sdl().GetCurrentVideoDriver() ? sdl().GetCurrentVideoDriver() : "";
    if (driver == "offscreen" || driver == "dummy") {
        sdl().QuitSubSystem(SDL_INIT_VIDEO);
        throw HostError(no_display_message());
    }
    if (driver == "x11") m->pictures = X11PictureClipboard::open();
    sdl().SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    m->cursors[0] = sdl().CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
    m->cursors[1] = sdl().CreateSystemCursor(SDL_SYSTEM_CURSOR_IBEAM);
    m->cursors[2] = sdl().CreateSystemCursor(SDL_SYSTEM_CURSOR_CROSSHAIR);
    m->cursors[3] = sdl().CreateSystemCursor(SDL_SYSTEM_CURSOR_WAIT);
    sdl().StartTextInput();
}

SdlBackend::~SdlBackend() {
    for (auto& [id, win] : m->windows)
        sdl().DestroyWindow(win);
    for (SDL_Cursor* c : m->cursors)
        if (c) sdl().FreeCursor(c);
    sdl().QuitSubSystem(SDL_INIT_VIDEO);
}

void SdlBackend::attach(WindowSystem& ws) {
    Backend::attach(ws);
    m->ws = &ws;
    ClipboardBridge bridge;
    bridge.put_text = [](std::string_view text) {
        sdl().SetClipboardText(cp1252_to_utf8(text).c_str());
    };
    bridge.get_text = []() -> std::optional<std::string> {
        if (!sdl().HasClipboardText()) return std::nullopt;
        char* text = sdl().GetClipboardText();
        std::string out = text ? utf8_to_cp1252(text) : std::string();
        sdl().free(text);
        return out;
    };
    if (X11PictureClipboard* pictures = m->pictures.get()) {
        bridge.put_png = [pictures](std::vector<uint8_t> png) {
            return pictures->offer(std::move(png));
        };
        bridge.owns_png = [pictures]() { return pictures->owns_picture(); };
        bridge.get_png = [pictures]() {
            return pictures->fetch().value_or(std::vector<uint8_t>());
        };
    }
    ws.clipboard().set_bridge(std::move(bridge));
}

IntSize SdlBackend::screen_size() const {
    SDL_DisplayMode mode;
    if (sdl().GetCurrentDisplayMode(0, &mode) != 0) return {1024, 768};
    return {mode.w, mode.h};
}

int SdlBackend::screen_depth() const {
    SDL_DisplayMode mode;
    if (sdl().GetCurrentDisplayMode(0, &mode) != 0) return 24;
    return static_cast<int>(SDL_BITSPERPIXEL(mode.format));
}

IntRect SdlBackend::shown_part(WindowId id) const {
    if (!m->ws->exists(id)) return {};
    const IntRect outer = m->ws->outer_rect(id);
    return desktop_shown_part(m->ws->metrics(), m->ws->style(id),
                              {static_cast<int>(outer.width()), static_cast<int>(outer.height())});
}

void SdlBackend::window_created(WindowId id) {
    if (!m->ws->exists(id) || m->windows.contains(id)) return;
    const WindowStyle style = m->ws->style(id);
    const IntRect outer = m->ws->outer_rect(id);
    IntRect part = shown_part(id);
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (style.sizable) flags |= SDL_WINDOW_RESIZABLE;
    if (!style.caption) flags |= SDL_WINDOW_BORDERLESS;
    SDL_Window* win =
        sdl().CreateWindow(cp1252_to_utf8(m->ws->title(id)).c_str(), outer.left + part.left,
                           outer.top + part.top, std::max(1, static_cast<int>(part.width())),
                           std::max(1, static_cast<int>(part.height())), flags);
    if (!win) return;
    m->windows[id] = win;
    m->by_sdl_id[sdl().GetWindowID(win)] = id;
    window_changed(id);
}

void SdlBackend::window_destroyed(WindowId id) {
    auto it = m->windows.find(id);
    if (it == m->windows.end()) return;
    m->by_sdl_id.erase(sdl().GetWindowID(it->second));
    sdl().DestroyWindow(it->second);
    m->windows.erase(it);
    m->dirty.erase(id);
}

void SdlBackend::window_changed(WindowId id) {
    auto it = m->windows.find(id);
    if (it == m->windows.end() || !m->ws->exists(id)) return;
    SDL_Window* win = it->second;
    // Titles are Windows-1252, the desktop's are UTF-8.
    const std::string title = cp1252_to_utf8(m->ws->title(id));
    if (sdl().GetWindowTitle(win) != title) sdl().SetWindowTitle(win, title.c_str());
    IntRect part = shown_part(id);
    int cw = 0, ch = 0;
    sdl().GetWindowSize(win, &cw, &ch);
    int want_w = std::max(1, static_cast<int>(part.width()));
    int want_h = std::max(1, static_cast<int>(part.height()));
    if (cw != want_w || ch != want_h) sdl().SetWindowSize(win, want_w, want_h);
    bool shown = (sdl().GetWindowFlags(win) & SDL_WINDOW_SHOWN) != 0;
    const bool visible = m->ws->is_visible(id);
    if (visible && !shown) {
        sdl().ShowWindow(win);
        sdl().RaiseWindow(win);
    } else if (!visible && shown) {
        sdl().HideWindow(win);
    }
    m->dirty.insert(id);
}

void SdlBackend::window_drawn(WindowId id) {
    m->dirty.insert(id);
}

void SdlBackend::cursor_changed() {
    sdl().SetCursor(m->cursors[static_cast<int>(m->ws->cursor_at_pointer())]);
}

void SdlBackend::present_all() {
    m->last_present = steady_clock::now();
    std::set<WindowId> dirty;
    dirty.swap(m->dirty);
    for (WindowId id : dirty) {
        auto it = m->windows.find(id);
        if (it == m->windows.end() || !m->ws->is_visible(id)) continue;
        SDL_Surface* target = sdl().GetWindowSurface(it->second);
        if (!target) continue;
        Surface picture = m->ws->compose(id);
        IntRect part = shown_part(id).intersected(picture.rect());
        int w = std::min(static_cast<int>(part.width()), target->w);
        int h = std::min(static_cast<int>(part.height()), target->h);
        if (w <= 0 || h <= 0) continue;
        sdl().LockSurface(target);
        sdl().ConvertPixels(w, h, SDL_PIXELFORMAT_RGB888, picture.scanline(part.top) + part.left,
                            picture.width() * 4, target->format->format, target->pixels,
                            target->pitch);
        sdl().UnlockSurface(target);
        sdl().UpdateWindowSurface(it->second);
    }
}

void SdlBackend::poll() {
    steady_clock::time_point now = steady_clock::now();
    if (now < m->next_pump) return;
    m->next_pump = now + std::chrono::microseconds(500);
    if (m->pictures) m->pictures->serve();
    WindowSystem& ws = *m->ws;
    SDL_Event e;
    while (sdl().PollEvent(&e)) {
        auto window_of = [&](uint32_t sdl_id) {
            auto it = m->by_sdl_id.find(sdl_id);
            return it == m->by_sdl_id.end() ? no_window : it->second;
        };
        switch (e.type) {
        case SDL_QUIT: ws.request_end_session(true); break;
        case SDL_WINDOWEVENT: {
            WindowId id = window_of(e.window.windowID);
            if (!id) break;
            switch (e.window.event) {
            case SDL_WINDOWEVENT_CLOSE: ws.input_close(id); break;
            case SDL_WINDOWEVENT_SIZE_CHANGED: {
                IntRect part = shown_part(id);
                IntRect outer = ws.outer_rect(id);
                int extra_w = static_cast<int>(outer.width() - part.width());
                int extra_h = static_cast<int>(outer.height() - part.height());
                ws.input_resize(id, {e.window.data1 + extra_w, e.window.data2 + extra_h});
                m->dirty.insert(id);
                break;
            }
            case SDL_WINDOWEVENT_FOCUS_GAINED: ws.input_activate(id); break;
            case SDL_WINDOWEVENT_EXPOSED: m->dirty.insert(id); break;
            default: break;
            }
            break;
        }
        case SDL_KEYDOWN: {
            SDL_Keycode sym = e.key.keysym.sym;
            uint8_t mods = map_modifiers(e.key.keysym.mod);
            if (sym == SDLK_LALT || sym == SDLK_RALT) {
                m->alt_alone = true;
                break;
            }
            m->alt_alone = false;
            Key key = map_key(sym);
            if (key != Key::none) {
                ws.input_key(key, 0, mods);
            } else if ((mods & (mod_control | mod_alt)) && sym > 0 && sym < 128) {
                ws.input_key(Key::character, static_cast<char>(sym), mods);
            }
            break;
        }
        case SDL_KEYUP:
            if ((e.key.keysym.sym == SDLK_LALT || e.key.keysym.sym == SDLK_RALT) && m->alt_alone)
                ws.input_key(Key::alt, 0, 0);
            m->alt_alone = false;
            break;
        case SDL_TEXTINPUT: {
            if (sdl().GetModState() & (KMOD_CTRL | KMOD_ALT)) break;
            ws.input_text(utf8_to_cp1252(e.text.text));
            break;
        }
        case SDL_MOUSEMOTION:
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            WindowId id =
                window_of(e.type == SDL_MOUSEMOTION ? e.motion.windowID : e.button.windowID);
            if (!id) break;
            IntRect part = shown_part(id);
            int x = e.type == SDL_MOUSEMOTION ? e.motion.x : e.button.x;
            int y = e.type == SDL_MOUSEMOTION ? e.motion.y : e.button.y;
            IntPoint p{part.left + x, part.top + y};
            m->last_mouse = p;
            m->mouse_window = id;
            uint8_t mods = map_modifiers(sdl().GetModState());
            if (e.type == SDL_MOUSEMOTION) {
                ws.input_mouse(id, WindowSystem::MouseEvent::move, p, MouseButton::left, mods);
                cursor_changed();
                break;
            }
            MouseButton b = e.button.button == SDL_BUTTON_RIGHT    ? MouseButton::right
                            : e.button.button == SDL_BUTTON_MIDDLE ? MouseButton::middle
                                                                   : MouseButton::left;
            ws.input_mouse(id,
                           e.type == SDL_MOUSEBUTTONDOWN ? WindowSystem::MouseEvent::down
                                                         : WindowSystem::MouseEvent::up,
                           p, b, mods);
            break;
        }
        case SDL_MOUSEWHEEL:
            if (WindowId id = window_of(e.wheel.windowID))
                ws.input_wheel(id, m->last_mouse, e.wheel.y);
            break;
        default: break;
        }
    }
    if (!m->dirty.empty() && now - m->last_present > std::chrono::milliseconds(15)) present_all();
}

void SdlBackend::wait(std::optional<steady_clock::time_point> deadline) {
    present_all();
    int timeout = 100;
    if (deadline) {
        auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - steady_clock::now());
        timeout = static_cast<int>(std::clamp<int64_t>(left.count(), 0, 100));
    }
    sdl().WaitEventTimeout(nullptr, timeout);
    m->next_pump = {};
}

} // namespace quillet::host
