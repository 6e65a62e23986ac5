// The CLIPBOARD selection owned and asked for through libX11 directly. Requests are answered in
// one property (no INCR transfers): a PNG file larger than the server takes in one request is
// refused to the asking program, which then sees no picture.
#include "host/backends/x11_picture_clipboard.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <chrono>
#include <dlfcn.h>
#include <poll.h>

namespace quillet::host {

namespace {

using std::chrono::steady_clock;

// The most we read of another program's picture.
constexpr long max_fetched_bytes = long{64} << 20;
constexpr auto answer_time_limit = std::chrono::seconds(1);

#define QUILLET_X11_FUNCTIONS(F)                                                                   \
    F(XOpenDisplay)                                                                                \
    F(XCloseDisplay)                                                                               \
    F(XDefaultRootWindow)                                                                          \
    F(XCreateSimpleWindow)                                                                         \
    F(XDestroyWindow)                                                                              \
    F(XInternAtom)                                                                                 \
    F(XSetSelectionOwner)                                                                          \
    F(XGetSelectionOwner)                                                                          \
    F(XConvertSelection)                                                                           \
    F(XChangeProperty)                                                                             \
    F(XGetWindowProperty)                                                                          \
    F(XDeleteProperty)                                                                             \
    F(XSendEvent)                                                                                  \
    F(XPending)                                                                                    \
    F(XNextEvent)                                                                                  \
    F(XFlush)                                                                                      \
    F(XFree)                                                                                       \
    F(XMaxRequestSize)                                                                             \
    F(XExtendedMaxRequestSize)                                                                     \
    F(XConnectionNumber)                                                                           \
    F(XSetErrorHandler)

struct X11Library {
#define QUILLET_X11_MEMBER(name) decltype(&::name) name = nullptr;
    QUILLET_X11_FUNCTIONS(QUILLET_X11_MEMBER)
#undef QUILLET_X11_MEMBER
};

// Loaded once for the process (SDL's X11 driver has loaded the library already); none when it
// is missing.
const X11Library* x11() {
    static const std::optional<X11Library> library = []() -> std::optional<X11Library> {
        void* handle = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
        if (!handle) return std::nullopt;
        X11Library lib;
#define QUILLET_X11_LOAD(name)                                                                     \
    lib.name = reinterpret_cast<decltype(lib.name)>(dlsym(handle, #name));                         \
    if (!lib.name) return std::nullopt;
        QUILLET_X11_FUNCTIONS(QUILLET_X11_LOAD)
#undef QUILLET_X11_LOAD
        return lib;
    }();
    return library ? &*library : nullptr;
}

// Errors on our own connection (a requestor window gone before we answer it) are ignored; the
// default handler would end the process. Errors on other connections go to the handler that
// was installed before ours (SDL's).
Display* our_display = nullptr;
XErrorHandler previous_handler = nullptr;
int on_x_error(Display* display, XErrorEvent* event) {
    if (display == our_display) return 0;
    return previous_handler ? previous_handler(display, event) : 0;
}

} // namespace

struct X11PictureClipboard::Impl {
    const X11Library& x;
    Display* display = nullptr;
    Window window = 0;
    Atom clipboard = 0, targets = 0, png_type = 0, transfer = 0;
    std::vector<uint8_t> png; // what we offer while we own the selection

    Impl(const X11Library& library, Display* d) : x(library), display(d) {}
    ~Impl() {
        if (window) x.XDestroyWindow(display, window);
        x.XCloseDisplay(display);
        if (our_display == display) our_display = nullptr;
    }

    // The most bytes one ChangeProperty request carries (the request's own header aside).
    size_t largest_property() const {
        long units = x.XExtendedMaxRequestSize(display);
        if (units == 0) units = x.XMaxRequestSize(display);
        return units > 64 ? static_cast<size_t>(units - 64) * 4 : 0;
    }

    void answer(const XSelectionRequestEvent& request) {
        XSelectionEvent reply{};
        reply.type = SelectionNotify;
        reply.display = request.display;
        reply.requestor = request.requestor;
        reply.selection = request.selection;
        reply.target = request.target;
        reply.time = request.time;
        reply.property = None;
        // Old clients name no property: the target's name is used instead.
        const Atom property = request.property != None ? request.property : request.target;
        if (request.selection == clipboard && request.owner == window && !png.empty()) {
            if (request.target == targets) {
                Atom offered[2] = {targets, png_type};
                x.XChangeProperty(display, request.requestor, property, XA_ATOM, 32,
                                  PropModeReplace, reinterpret_cast<unsigned char*>(offered), 2);
                reply.property = property;
            } else if (request.target == png_type && png.size() <= largest_property()) {
                x.XChangeProperty(display, request.requestor, property, png_type, 8,
                                  PropModeReplace, png.data(), static_cast<int>(png.size()));
                reply.property = property;
            }
        }
        XEvent event{};
        event.xselection = reply;
        x.XSendEvent(display, request.requestor, False, 0, &event);
    }

    // Handles one event; true when it is the answer to our own request.
    bool handle(const XEvent& event) {
        switch (event.type) {
        case SelectionRequest: answer(event.xselectionrequest); return false;
        case SelectionClear:
            if (event.xselectionclear.selection == clipboard) png.clear();
            return false;
        case SelectionNotify:
            return event.xselection.requestor == window && event.xselection.selection == clipboard;
        default: return false;
        }
    }

    void serve() {
        while (x.XPending(display) > 0) {
            XEvent event;
            x.XNextEvent(display, &event);
            handle(event);
        }
        x.XFlush(display);
    }

    // Waits for the answer to our conversion, serving other requests meanwhile; none on time-out.
    std::optional<XSelectionEvent> wait_for_answer() {
        const steady_clock::time_point deadline = steady_clock::now() + answer_time_limit;
        x.XFlush(display);
        for (;;) {
            while (x.XPending(display) > 0) {
                XEvent event;
                x.XNextEvent(display, &event);
                if (handle(event)) return event.xselection;
            }
            x.XFlush(display);
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - steady_clock::now());
            if (left.count() <= 0) return std::nullopt;
            pollfd connection{x.XConnectionNumber(display), POLLIN, 0};
            poll(&connection, 1, static_cast<int>(left.count()));
        }
    }

    std::optional<std::vector<uint8_t>> read_transfer() {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, bytes_after = 0;
        unsigned char* data = nullptr;
        const int status =
            x.XGetWindowProperty(display, window, transfer, 0, max_fetched_bytes / 4, True,
                                 AnyPropertyType, &type, &format, &count, &bytes_after, &data);
        if (status != Success) return std::nullopt;
        std::optional<std::vector<uint8_t>> out;
        // A picture in parts (INCR) or beyond the limit is not taken.
        if (data && type == png_type && format == 8 && bytes_after == 0)
            out.emplace(data, data + count);
        if (data) x.XFree(data);
        if (bytes_after != 0) x.XDeleteProperty(display, window, transfer);
        return out;
    }
};

std::unique_ptr<X11PictureClipboard> X11PictureClipboard::open() {
    const X11Library* x = x11();
    if (!x) return nullptr;
    Display* display = x->XOpenDisplay(nullptr);
    if (!display) return nullptr;
    auto impl = std::make_unique<Impl>(*x, display);
    if (!our_display) {
        our_display = display;
        previous_handler = x->XSetErrorHandler(on_x_error);
        if (previous_handler == on_x_error) previous_handler = nullptr;
    }
    impl->window =
        x->XCreateSimpleWindow(display, x->XDefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    if (!impl->window) return nullptr;
    impl->clipboard = x->XInternAtom(display, "CLIPBOARD", False);
    impl->targets = x->XInternAtom(display, "TARGETS", False);
    impl->png_type = x->XInternAtom(display, "image/png", False);
    impl->transfer = x->XInternAtom(display, "QUILLET_PICTURE", False);
    return std::unique_ptr<X11PictureClipboard>(new X11PictureClipboard(std::move(impl)));
}

X11PictureClipboard::X11PictureClipboard(std::unique_ptr<Impl> impl) : m(std::move(impl)) {}
X11PictureClipboard::~X11PictureClipboard() = default;

bool X11PictureClipboard::offer(std::vector<uint8_t> png) {
    m->serve();
    m->png = std::move(png);
    m->x.XSetSelectionOwner(m->display, m->clipboard, m->window, CurrentTime);
    if (m->x.XGetSelectionOwner(m->display, m->clipboard) == m->window) return true;
    m->png.clear();
    return false;
}

bool X11PictureClipboard::owns_picture() {
    m->serve();
    return !m->png.empty() && m->x.XGetSelectionOwner(m->display, m->clipboard) == m->window;
}

std::optional<std::vector<uint8_t>> X11PictureClipboard::fetch() {
    m->serve();
    const Window owner = m->x.XGetSelectionOwner(m->display, m->clipboard);
    if (owner == None || owner == m->window) return std::nullopt;
    m->x.XDeleteProperty(m->display, m->window, m->transfer);
    m->x.XConvertSelection(m->display, m->clipboard, m->png_type, m->transfer, m->window,
                           CurrentTime);
    const std::optional<XSelectionEvent> answer = m->wait_for_answer();
    if (!answer || answer->property == None) return std::nullopt;
    return m->read_transfer();
}

void X11PictureClipboard::serve() {
    m->serve();
}

} // namespace quillet::host
