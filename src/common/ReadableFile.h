#pragma once
// Opening a file the program reads (an event file, a setup file, a picture) without ever
// blocking: a FIFO or a device named where a file belongs would otherwise hang the open or
// the first read for ever. Only regular files are read; anything else is refused by name.

#include <cstddef>
#include <string>
#include <string_view>

#include "common/Status.h"

namespace korvane {

// An open descriptor, closed when the object goes.
class FileDescriptor {
  public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor();
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor(FileDescriptor&& other) noexcept;
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }

  private:
    int m_fd = -1;
};

// Opens `path` for reading, never blocking, and accepts it only as a regular file (the
// descriptor then reads as usual, blocking). `noun` names the file's role ("event file",
// "setup file", "picture"). Fails with IoError ("The event file "..." could not be opened
// (reason).", and errno keeps the reason) when it cannot be opened, with InvalidInput when it is a
// folder (""..." is a folder, not an event file.") or another kind of file ("... is not a regular
// file ...").
Status OpenRegularFile(const std::string& path, std::string_view noun, FileDescriptor& file);

// The one place where the readers meet read(2): a read interrupted by a signal (EINTR) is
// made again, and a short read is only the end of the file when the next one returns 0.
//
// ReadSome: one read of at most `size` bytes into `buffer`, made again while a signal
// interrupts it. Returns what read(2) returns: the bytes read, 0 at the end, or -1 with errno.
long ReadSome(int fd, char* buffer, std::size_t size);
// ReadUpTo: reads until `size` bytes are in `buffer` or the file ends, and returns how many
// are. A failed read stops it early; `error` (may be null) then holds its errno, else 0.
std::size_t ReadUpTo(int fd, char* buffer, std::size_t size, int* error = nullptr);

// The refusal of a file whose first bytes hold NUL bytes, which plain text never does:
// empty when `head` (the first kilobyte or less) has none, else the sentence that names the
// encoding it looks like ("UTF-16 (little-endian)", "UTF-32 ...", or binary data).
std::string NotPlainTextReason(std::string_view head);

// The length of a UTF-8 byte-order mark at the start of `text` (3), or 0.
std::size_t ByteOrderMarkLength(std::string_view text);

// The longest line, and the largest setup file, that the readers take: beyond it a file is
// refused before more memory is taken (a device such as /dev/zero is one endless line).
constexpr std::size_t MaximumLineBytes = 1 << 20;

}  // namespace korvane
