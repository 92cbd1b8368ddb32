// Owning holder of one POSIX file descriptor, for the dialog stand-ins.
#pragma once

#include <unistd.h>

namespace paginor::win {

class DialogFd {
public:
    DialogFd() = default;
    explicit DialogFd(int fd) : fd_(fd) {}
    DialogFd(const DialogFd&) = delete;
    DialogFd& operator=(const DialogFd&) = delete;
    ~DialogFd() { Reset(); }

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    void Reset() {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }

private:
    int fd_ = -1;
};

} // namespace paginor::win
