#include "support/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <vector>

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

namespace {

// Moves `pieces` on by `done` bytes (a partial transfer): whole pieces are
// dropped, the first one left is shortened.
void advance(std::vector<iovec>& pieces, std::size_t& first, std::size_t done) {
    while (first < pieces.size() && done >= pieces[first].iov_len) {
        done -= pieces[first].iov_len;
        ++first;
    }
    if (first < pieces.size() && done > 0) {
        pieces[first].iov_base = static_cast<std::uint8_t*>(pieces[first].iov_base) + done;
        pieces[first].iov_len -= done;
    }
}

// Runs `transfer` (readv or writev) until every piece is done or it reports
// no progress; returns the bytes moved.
template <typename Transfer>
Outcome<std::size_t> gathered(std::span<const iovec> given, Transfer transfer) {
    std::vector<iovec> pieces(given.begin(), given.end());
    std::size_t first = 0, total = 0;
    while (first < pieces.size()) {
        if (pieces[first].iov_len == 0) {
            ++first;
            continue;
        }
        const int count = int(std::min<std::size_t>(pieces.size() - first, IOV_MAX));
        const ssize_t n = transfer(pieces.data() + first, count);
        if (n < 0) {
            if (errno == EINTR) continue;
            return Problem::fromErrno(errno);
        }
        if (n == 0) break;
        total += std::size_t(n);
        advance(pieces, first, std::size_t(n));
    }
    return total;
}

}  // namespace

Outcome<std::size_t> readFullyInto(int fd, std::span<const iovec> pieces) {
    return gathered(pieces, [fd](const iovec* v, int n) { return ::readv(fd, v, n); });
}

Outcome<void> writeFullyFrom(int fd, std::span<const iovec> pieces) {
    Outcome<std::size_t> n =
        gathered(pieces, [fd](const iovec* v, int count) { return ::writev(fd, v, count); });
    if (!n) return n.problem();
    std::size_t wanted = 0;
    for (const iovec& piece : pieces) wanted += piece.iov_len;
    if (*n < wanted) return Problem{ProblemKind::IoError, "the file could not be written whole"};
    return {};
}

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return std::string();
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace kararisu
