#pragma once
// Writing a file so that a failure never destroys the file it would replace
// and a kill at any moment leaves nothing behind: the bytes go to an unnamed
// file in the target's folder (O_TMPFILE), are flushed, and get their name
// only when complete. Where the filesystem offers no unnamed files, a hidden
// named temporary is used instead and removed on SIGINT, SIGTERM and SIGHUP.

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "support/problem.h"

namespace kararisu {

enum class WriteMode {
    // Replace what is there. A symbolic link is written through: the file
    // it points to is replaced in its own folder and the link stays. Owner,
    // group and mode of a replaced file are kept where the process may set
    // them. A target that is not a regular file (a device, a pipe, a folder)
    // is refused as NotRegularFile.
    Replace,
    // Create the name or fail with FileExists, decided in one atomic step,
    // so two writers of one name never both succeed.
    CreateOnly,
};

Outcome<void> writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                                  WriteMode mode = WriteMode::Replace);

// Writes a file's content to a descriptor, from wherever it lies (a
// picture's rows), so that no copy of the whole file is built. It may be
// called a second time, on a fresh file, when the first place refused.
using ContentWriter = std::function<Outcome<void>(int fd)>;
Outcome<void> writeContentAtomically(const std::string& path, const ContentWriter& content,
                                     WriteMode mode = WriteMode::Replace);

// The same through a named temporary file only: what happens where unnamed
// files are refused (callable directly so that it can be tested).
Outcome<void> writeFileViaNamedTemp(const std::string& path, std::span<const std::uint8_t> bytes,
                                    WriteMode mode = WriteMode::Replace);

}  // namespace kararisu
