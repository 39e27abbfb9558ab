#include "support/problem.h"

#include <cerrno>
#include <cstring>

namespace kararisu {

Problem Problem::fromErrno(int err) {
    ProblemKind kind = ProblemKind::IoError;
    switch (err) {
        case ENOENT:
            kind = ProblemKind::NotFound;
            break;
        case EACCES:
        case EPERM:
        case EROFS:
            kind = ProblemKind::PermissionDenied;
            break;
        case EISDIR:
            kind = ProblemKind::IsFolder;
            break;
        case ENOSPC:
        case EDQUOT:
            kind = ProblemKind::NoSpace;
            break;
        case EEXIST:
            kind = ProblemKind::FileExists;
            break;
        case ENOMEM:
            kind = ProblemKind::OutOfMemory;
            break;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
        case ENXIO:
        case ENODEV:
        case EMFILE:
        case ENFILE:
        case ETXTBSY:
            kind = ProblemKind::CannotOpen;
            break;
        default:
            break;
    }
    return {kind, std::strerror(err)};
}

Problem Problem::outOfMemory(std::string reason) {
    return {ProblemKind::OutOfMemory, std::move(reason)};
}

bool Problem::cannotRead() const {
    switch (kind) {
        case ProblemKind::NotFound:
        case ProblemKind::PermissionDenied:
        case ProblemKind::IsFolder:
        case ProblemKind::CannotOpen:
        case ProblemKind::IoError:
        case ProblemKind::OutOfMemory:
            return true;
        default:
            return false;
    }
}

std::string describe(const std::string& path, const Problem& problem) {
    return path + ": " + problem.reason;
}

}  // namespace kararisu
