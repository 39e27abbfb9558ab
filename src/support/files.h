#pragma once
// File descriptors and paths at the level of POSIX calls.

#include <sys/uio.h>

#include <cstdint>
#include <span>
#include <string>

#include "support/problem.h"

namespace kararisu {

// Owns one file descriptor; closes it when it goes.
class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { close(); }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes now and returns close()'s result (a failed close can mean lost
    // data on some filesystems).
    int close();

  private:
    int fd_ = -1;
};

// Opens a regular file for reading (close-on-exec) and gives its size. A
// folder is IsFolder; a device, pipe or socket is NotRegularFile, refused
// without waiting for a pipe's writer.
Outcome<UniqueFd> openForReading(const std::string& path, std::uint64_t* size = nullptr);

// Reads until `buffer` is full or the file ends; returns the bytes read.
Outcome<std::size_t> readFully(int fd, std::span<std::uint8_t> buffer);
// Writes all of `bytes`, resuming after interruptions.
Outcome<void> writeFully(int fd, std::span<const std::uint8_t> bytes);

// The same for pieces lying apart in memory (the rows of a picture), in as
// few calls as the system allows. The reader returns the bytes read.
Outcome<std::size_t> readFullyInto(int fd, std::span<const iovec> pieces);
Outcome<void> writeFullyFrom(int fd, std::span<const iovec> pieces);

// The folder of a path, without a trailing "/" (the root stays "/"); empty
// for a bare file name.
std::string folderOf(const std::string& path);

}  // namespace kararisu
