// The operating-system calls the program makes, and nothing else: raw byte
// I/O on handles, files by name, the end of the process. Everything above
// this layer speaks only of these functions and of OsError.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sotra::os {

// An open file, device or pipe: a descriptor on POSIX systems, a handle
// value on Windows. kNoHandle is never the handle of an open file.
using Handle = std::intptr_t;
inline constexpr Handle kNoHandle = -1;

Handle standard_input();
Handle standard_output();
Handle standard_error();

// What went wrong in a call, as far as the program tells causes apart.
enum class OsError {
    none,
    no_space,          // the device is full
    access_refused,    // permissions, a read-only file or file system, a directory
    not_found,         // a path component does not exist
    already_exists,    // a file appeared where none was a moment ago
    invalid_name,      // the name is too long or otherwise not usable
    too_many_files,    // the process or the system has too many files open
    other,             // anything else the platform reports
};

// True when the handle is an interactive character device (a terminal).
bool is_interactive(Handle handle);

// Writes all n bytes, retrying short writes; returns the first failure.
OsError write_all(Handle handle, const char* bytes, std::size_t n);

// Reads at most n bytes; `got` receives the count, 0 at end of input.
OsError read_some(Handle handle, char* bytes, std::size_t n, std::size_t& got);

enum class Access { read_write, read_only, write_only };

// Whether a file of that name exists (anything the name reaches).
bool file_exists(const char* name);

// Opens an existing file without changing it. Only a regular file or a
// character device is opened; anything else (a directory, a FIFO, a
// socket) is refused.
OsError open_existing(const char* name, Access access, Handle& handle);

// Creates a new, empty file; fails with already_exists if one appeared.
OsError create_new(const char* name, Access access, Handle& handle);

// The file's identity, the same however its name is written.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};
OsError file_identity(Handle handle, FileIdentity& identity);

// Cuts a regular file to `length` bytes and moves the write position
// there; other kinds of file (devices, pipes) are left as they are.
OsError truncate_at(Handle handle, std::int64_t length);

// Moves the file position to `offset` from the start.
OsError seek_to(Handle handle, std::int64_t offset);

OsError close_handle(Handle handle);

// Makes `alias` a second name of the file `target` names, for a name
// written in another letter case. Where the two names already reach the
// same file (a file system that ignores case) nothing is done; where no
// file is named `alias`, or only a symbolic link, it becomes a symbolic
// link to `target`; any other file of that name is left as it is.
// True when `alias` names `target`'s file afterwards.
bool alias_file(const char* alias, const char* target);

// The platform's null device, which reads as empty and swallows writes.
const char* null_device();

// The path that reaches a serial or printer device such as "COM1" or
// "LPT1" (upper case), or nullptr where the platform has no such device
// and the name is an ordinary file name.
const char* port_device(const char* device);

// Ends the process at once with `status`; nothing else runs.
[[noreturn]] void exit_process(int status);

}  // namespace sotra::os
