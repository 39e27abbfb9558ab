#include "support/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace kararisu {

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

int UniqueFd::close() {
    int rc = 0;
    if (fd_ >= 0) rc = ::close(fd_);
    fd_ = -1;
    return rc;
}

Outcome<UniqueFd> openForReading(const std::string& path, std::uint64_t* size) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.valid()) return Problem::fromErrno(errno);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return Problem::fromErrno(errno);
    if (S_ISDIR(st.st_mode)) return Problem::fromErrno(EISDIR);
    if (!S_ISREG(st.st_mode))
        return Problem{ProblemKind::NotRegularFile,
                       "not a regular file (a device, pipe or socket)"};
    if (size) *size = std::uint64_t(st.st_size);
    return fd;
}

Outcome<std::size_t> readFully(int fd, std::span<std::uint8_t> buffer) {
    std::size_t got = 0;
    while (got < buffer.size()) {
        const ssize_t n = ::read(fd, buffer.data() + got, buffer.size() - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            return Problem::fromErrno(errno);
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return got;
}

Outcome<void> writeFully(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return Problem::fromErrno(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    return {};
}

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return std::string();
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace kararisu
