// A POSIX descriptor owned by one object: closed when the object goes, movable, not copyable.
#pragma once

#include <cerrno>
#include <unistd.h>
#include <utility>

namespace quillet {

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    ~UniqueFd() {
        if (m_fd >= 0) ::close(m_fd);
    }
    UniqueFd(UniqueFd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            if (m_fd >= 0) ::close(m_fd);
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }

    // Closes now and reports the host's verdict: 0, or the errno of a failed close. The
    // descriptor is gone either way.
    int close_now() {
        int fd = std::exchange(m_fd, -1);
        if (fd < 0) return EBADF;
        return ::close(fd) == 0 ? 0 : errno;
    }

private:
    int m_fd = -1;
};

} // namespace quillet
