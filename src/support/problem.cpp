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

const char* kindName(ProblemKind kind) {
    switch (kind) {
        case ProblemKind::NotFound:
            return "NotFound";
        case ProblemKind::PermissionDenied:
            return "PermissionDenied";
        case ProblemKind::IsFolder:
            return "IsFolder";
        case ProblemKind::NotRegularFile:
            return "NotRegularFile";
        case ProblemKind::NoSpace:
            return "NoSpace";
        case ProblemKind::FileExists:
            return "FileExists";
        case ProblemKind::CannotOpen:
            return "CannotOpen";
        case ProblemKind::IoError:
            return "IoError";
        case ProblemKind::OutOfMemory:
            return "OutOfMemory";
        case ProblemKind::BmpTruncated:
            return "BmpTruncated";
        case ProblemKind::BmpBadSignature:
            return "BmpBadSignature";
        case ProblemKind::BmpBadHeaderSize:
            return "BmpBadHeaderSize";
        case ProblemKind::BmpBadPlanes:
            return "BmpBadPlanes";
        case ProblemKind::BmpBadBitCount:
            return "BmpBadBitCount";
        case ProblemKind::BmpUnsupportedCompression:
            return "BmpUnsupportedCompression";
        case ProblemKind::BmpEmbeddedImage:
            return "BmpEmbeddedImage";
        case ProblemKind::BmpBadDimensions:
            return "BmpBadDimensions";
        case ProblemKind::BmpTooLarge:
            return "BmpTooLarge";
        case ProblemKind::BmpBadPaletteSize:
            return "BmpBadPaletteSize";
        case ProblemKind::BmpBadBitFields:
            return "BmpBadBitFields";
        case ProblemKind::BmpBadPixelOffset:
            return "BmpBadPixelOffset";
        case ProblemKind::BmpBadRle:
            return "BmpBadRle";
        case ProblemKind::PngTruncated:
            return "PngTruncated";
        case ProblemKind::PngBadHeader:
            return "PngBadHeader";
        case ProblemKind::PngBadChunk:
            return "PngBadChunk";
        case ProblemKind::PngBadImageData:
            return "PngBadImageData";
        case ProblemKind::PngTooLarge:
            return "PngTooLarge";
        case ProblemKind::PngCannotWrite:
            return "PngCannotWrite";
        case ProblemKind::NotAnImage:
            return "NotAnImage";
        case ProblemKind::PaletteRefused:
            return "PaletteRefused";
        case ProblemKind::NoPalette:
            return "NoPalette";
        case ProblemKind::WorkAreaRefused:
            return "WorkAreaRefused";
    }
    return "?";
}

std::string describe(const std::string& path, const Problem& problem) {
    return path + ": " + problem.reason;
}

}  // namespace kararisu
