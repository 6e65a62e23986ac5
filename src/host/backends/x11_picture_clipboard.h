// Pictures on the X11 desktop's clipboard, which SDL 2 shares for text only: a connection and an
// unmapped window of our own that own the CLIPBOARD selection with a PNG file (answering TARGETS
// and image/png), and ask its owner for image/png. libX11 is loaded with dlopen, as SDL is.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace quillet::host {

class X11PictureClipboard {
public:
    // None when libX11 cannot be loaded or the display cannot be opened.
    static std::unique_ptr<X11PictureClipboard> open();
    ~X11PictureClipboard();
    X11PictureClipboard(const X11PictureClipboard&) = delete;
    X11PictureClipboard& operator=(const X11PictureClipboard&) = delete;

    // Takes the selection with the PNG file; false when the server did not give it to us.
    bool offer(std::vector<uint8_t> png);
    // Whether our window still owns the selection with a picture.
    bool owns_picture();
    // The owner's picture as a PNG file: none when nobody owns the selection, the owner refuses
    // image/png, does not answer within about a second, or sends more than the size limit.
    std::optional<std::vector<uint8_t>> fetch();
    // Answers the requests of other programs and notes the loss of the selection; called from
    // the backend's message pump.
    void serve();

    struct Impl;

private:
    explicit X11PictureClipboard(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m;
};

} // namespace quillet::host
