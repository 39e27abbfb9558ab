#include "support/atomic_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "support/files.h"

namespace kararisu {

Outcome<void> writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
    const std::string folder = folderOf(path);
    std::string temp = (folder.empty() ? std::string(".") : folder) + "/.kararisu-XXXXXX";
    UniqueFd fd(::mkstemp(temp.data()));
    if (!fd.valid()) return Problem::fromErrno(errno);
    auto fail = [&](Problem problem) {
        fd.close();
        ::unlink(temp.c_str());
        return problem;
    };
    // Keep the permissions of a file being replaced; a new file gets 0644 less the umask.
    struct stat st {};
    mode_t mode = 0666;
    if (::stat(path.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    if (::fchmod(fd.get(), mode) != 0) return fail(Problem::fromErrno(errno));
    if (Outcome<void> written = writeFully(fd.get(), bytes); !written)
        return fail(written.problem());
    if (::fsync(fd.get()) != 0) return fail(Problem::fromErrno(errno));
    if (fd.close() != 0) return fail(Problem::fromErrno(errno));
    if (::rename(temp.c_str(), path.c_str()) != 0) return fail(Problem::fromErrno(errno));
    return {};
}

}  // namespace kararisu
