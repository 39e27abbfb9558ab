#include "support/atomic_file.h"

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <random>

#include "support/files.h"

namespace kararisu {

namespace {

// Named temporaries being written, removed by the handler of a signal that
// ends the program. The handler only reads these slots and calls unlink.
struct TempSlot {
    std::atomic<int> state{0};  // 0 free, 1 being filled, 2 holds a path
    char path[PATH_MAX];
};
std::array<TempSlot, 16> gTemps;

extern "C" void removeTempsAndDie(int sig) {
    for (TempSlot& slot : gTemps)
        if (slot.state.load() == 2) ::unlink(slot.path);
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

void installCleanup() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
            struct sigaction old {};
            // A program that handles the signal itself keeps its handler.
            if (::sigaction(sig, nullptr, &old) != 0 || old.sa_handler != SIG_DFL) continue;
            struct sigaction sa {};
            sa.sa_handler = removeTempsAndDie;
            sigemptyset(&sa.sa_mask);
            ::sigaction(sig, &sa, nullptr);
        }
    });
}

// Holds a named temporary's path in a slot while it exists.
class RegisteredTemp {
  public:
    explicit RegisteredTemp(const std::string& path) {
        if (path.size() >= PATH_MAX) return;
        for (TempSlot& s : gTemps) {
            int expected = 0;
            if (!s.state.compare_exchange_strong(expected, 1)) continue;
            std::memcpy(s.path, path.c_str(), path.size() + 1);
            s.state.store(2);
            slot_ = &s;
            return;
        }
    }
    ~RegisteredTemp() {
        if (slot_) slot_->state.store(0);
    }
    RegisteredTemp(const RegisteredTemp&) = delete;
    RegisteredTemp& operator=(const RegisteredTemp&) = delete;

  private:
    TempSlot* slot_ = nullptr;
};

// SIGINT, SIGTERM and SIGHUP wait while it lives: a name and its rename
// happen together or not at all.
class SignalsHeld {
  public:
    SignalsHeld() {
        sigset_t set;
        sigemptyset(&set);
        for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&set, sig);
        ::pthread_sigmask(SIG_BLOCK, &set, &old_);
    }
    ~SignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &old_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

  private:
    sigset_t old_;
};

// Where the bytes go and what the new file keeps of the one it replaces.
struct Target {
    std::string path;  // the file itself, symbolic links followed
    std::string folder;
    mode_t mode = 0;
    std::optional<std::pair<uid_t, gid_t>> owner;  // of a file being replaced
};

std::string folderFor(const std::string& path) {
    const std::string folder = folderOf(path);
    return folder.empty() ? std::string(".") : folder;
}

Outcome<Target> targetOf(const std::string& path, WriteMode mode) {
    Target t;
    t.path = path;
    // Follow symbolic links to the file they name (even one that does not
    // exist yet); created-only names are never followed.
    for (int hops = 0; mode == WriteMode::Replace; ++hops) {
        struct stat st {};
        if (::lstat(t.path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
        if (hops == 40) return Problem::fromErrno(ELOOP);
        std::string link(PATH_MAX, '\0');
        const ssize_t n = ::readlink(t.path.c_str(), link.data(), link.size());
        if (n < 0) return Problem::fromErrno(errno);
        link.resize(std::size_t(n));
        t.path = link.starts_with('/') ? link : folderFor(t.path) + "/" + link;
    }
    t.folder = folderFor(t.path);
    struct stat st {};
    if (::lstat(t.path.c_str(), &st) == 0) {
        // A name that is no regular file, even through a link, could not be
        // replaced either: that is said rather than that it exists.
        struct stat named = st;
        if (mode == WriteMode::CreateOnly) (void)::stat(t.path.c_str(), &named);
        if (!S_ISREG(named.st_mode) && !S_ISLNK(named.st_mode))
            return Problem{ProblemKind::NotRegularFile, "is not a regular file; not replaced"};
        if (mode == WriteMode::CreateOnly)
            return Problem{ProblemKind::FileExists, "exists; not replaced"};
        t.mode = st.st_mode & 07777;
        t.owner = std::pair{st.st_uid, st.st_gid};
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        t.mode = 0666 & ~mask;
    }
    return t;
}

// Mode, owner, content, flushed to the disk.
Outcome<void> fill(int fd, const Target& t, const ContentWriter& content) {
    if (::fchmod(fd, t.mode) != 0) return Problem::fromErrno(errno);
    // Only a privileged process may give a file away; others keep their own.
    if (t.owner) (void)!::fchown(fd, t.owner->first, t.owner->second);
    if (Outcome<void> written = content(fd); !written) return written;
    if (::fsync(fd) != 0) return Problem::fromErrno(errno);
    return {};
}

Problem existsOr(int err) {
    if (err == EEXIST) return {ProblemKind::FileExists, "exists; not replaced"};
    return Problem::fromErrno(err);
}

std::string randomName(const std::string& folder) {
    static thread_local std::mt19937_64 rng{std::random_device{}()};
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string name = folder + "/.kararisu-";
    for (int i = 0; i < 10; ++i) name += letters[rng() % (sizeof letters - 1)];
    return name;
}

// Gives the unnamed file `fd` the name `name`; fails with EEXIST when taken.
int linkUnnamed(int fd, const std::string& name) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
    if (errno == EEXIST) return EEXIST;
    // Without /proc, naming by descriptor needs a privilege.
    if (::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) return 0;
    return errno;
}

// The name step of a named temporary: create-only or replacing.
int publishNamed(const std::string& temp, const std::string& target, WriteMode mode) {
    if (mode == WriteMode::Replace) return ::rename(temp.c_str(), target.c_str()) == 0 ? 0 : errno;
    if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // A filesystem without the flag: a hard link fails where the name is taken.
    if (::link(temp.c_str(), target.c_str()) != 0) return errno;
    ::unlink(temp.c_str());
    return 0;
}

Outcome<void> writeNamed(const Target& t, const ContentWriter& content, WriteMode mode) {
    installCleanup();
    std::string temp = t.folder + "/.kararisu-XXXXXX";
    std::optional<RegisteredTemp> registered;
    UniqueFd fd;
    {
        SignalsHeld held;  // the temporary exists only once it is registered
        fd = UniqueFd(::mkostemp(temp.data(), O_CLOEXEC));
        if (!fd.valid()) return Problem::fromErrno(errno);
        registered.emplace(temp);
    }
    auto fail = [&](Problem problem) {
        fd.close();
        ::unlink(temp.c_str());
        return problem;
    };
    if (Outcome<void> filled = fill(fd.get(), t, content); !filled) return fail(filled.problem());
    if (fd.close() != 0) return fail(Problem::fromErrno(errno));
    if (const int err = publishNamed(temp, t.path, mode)) return fail(existsOr(err));
    return {};
}

bool refusesUnnamedFiles(int err) {
    return err == EOPNOTSUPP || err == EISDIR || err == EINVAL;
}

ContentWriter bytesWriter(std::span<const std::uint8_t> bytes) {
    return [bytes](int fd) { return writeFully(fd, bytes); };
}

}  // namespace

Outcome<void> writeFileViaNamedTemp(const std::string& path, std::span<const std::uint8_t> bytes,
                                    WriteMode mode) {
    Outcome<Target> target = targetOf(path, mode);
    if (!target) return target.problem();
    return writeNamed(*target, bytesWriter(bytes), mode);
}

Outcome<void> writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                                  WriteMode mode) {
    return writeContentAtomically(path, bytesWriter(bytes), mode);
}

Outcome<void> writeContentAtomically(const std::string& path, const ContentWriter& content,
                                     WriteMode mode) {
    Outcome<Target> target = targetOf(path, mode);
    if (!target) return target.problem();
    const Target& t = *target;
    UniqueFd fd(::open(t.folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, t.mode));
    if (!fd.valid()) {
        if (refusesUnnamedFiles(errno)) return writeNamed(t, content, mode);
        return Problem::fromErrno(errno);
    }
    if (Outcome<void> filled = fill(fd.get(), t, content); !filled) return filled;
    if (mode == WriteMode::CreateOnly) {
        const int err = linkUnnamed(fd.get(), t.path);
        if (err == 0) return {};
        if (err == EEXIST) return existsOr(err);
        return writeNamed(t, content, mode);  // the unnamed file cannot be named here
    }
    // A name that cannot replace anything, then the one rename that does.
    SignalsHeld held;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string temp = randomName(t.folder);
        const int err = linkUnnamed(fd.get(), temp);
        if (err == EEXIST) continue;
        if (err != 0) return writeNamed(t, content, mode);
        if (::rename(temp.c_str(), t.path.c_str()) != 0) {
            const int renameErr = errno;
            ::unlink(temp.c_str());
            return Problem::fromErrno(renameErr);
        }
        return {};
    }
    return Problem::fromErrno(EEXIST);
}

}  // namespace kararisu
