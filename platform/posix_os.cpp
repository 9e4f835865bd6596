#include "platform/os.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/fault_injection.h"

namespace sotra::os {
namespace {

OsError from_errno(int error) {
    switch (error) {
        case 0: return OsError::none;
        case ENOSPC:
        case EDQUOT: return OsError::no_space;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
        case EBADF:
        case ETXTBSY: return OsError::access_refused;
        case ENOENT:
        case ENOTDIR: return OsError::not_found;
        case EEXIST: return OsError::already_exists;
        case ENAMETOOLONG:
        case EINVAL:
        case ELOOP:
        case EILSEQ: return OsError::invalid_name;
        case EMFILE:
        case ENFILE: return OsError::too_many_files;
        default: return OsError::other;
    }
}

int descriptor(Handle handle) { return static_cast<int>(handle); }

int access_flags(Access access) {
    switch (access) {
        case Access::read_write: return O_RDWR;
        case Access::read_only: return O_RDONLY;
        case Access::write_only: return O_WRONLY;
    }
    return O_RDONLY;
}

}  // namespace

Handle standard_input() { return STDIN_FILENO; }
Handle standard_output() { return STDOUT_FILENO; }
Handle standard_error() { return STDERR_FILENO; }

bool is_interactive(Handle handle) { return ::isatty(descriptor(handle)) == 1; }

OsError write_all(Handle handle, const char* bytes, std::size_t n) {
    if (const OsError injected = fault::before_call(fault::Operation::write, handle, nullptr, n);
        injected != OsError::none) {
        return injected;
    }
    while (n > 0) {
        const ssize_t done = ::write(descriptor(handle), bytes, n);
        if (done < 0) {
            if (errno == EINTR) continue;
            return from_errno(errno);
        }
        if (done == 0) return OsError::no_space;
        bytes += done;
        n -= static_cast<std::size_t>(done);
    }
    return OsError::none;
}

OsError read_some(Handle handle, char* bytes, std::size_t n, std::size_t& got) {
    got = 0;
    if (const OsError injected = fault::before_call(fault::Operation::read, handle, nullptr, 0);
        injected != OsError::none) {
        return injected;
    }
    for (;;) {
        const ssize_t done = ::read(descriptor(handle), bytes, n);
        if (done >= 0) {
            got = static_cast<std::size_t>(done);
            return OsError::none;
        }
        if (errno != EINTR) return from_errno(errno);
    }
}

bool alias_file(const char* alias, const char* target) {
    struct stat target_status{};
    if (::stat(target, &target_status) != 0) return false;
    struct stat alias_status{};
    if (::stat(alias, &alias_status) == 0 && alias_status.st_dev == target_status.st_dev &&
        alias_status.st_ino == target_status.st_ino) {
        return true;
    }
    // Only a name that is free or a symbolic link may be taken over.
    if (::lstat(alias, &alias_status) == 0) {
        if (!S_ISLNK(alias_status.st_mode)) return false;
        if (::unlink(alias) != 0) return false;
    } else if (errno != ENOENT) {
        return false;
    }
    return ::symlink(target, alias) == 0;
}

bool file_exists(const char* name) {
    struct stat info;
    return ::stat(name, &info) == 0;
}

OsError open_existing(const char* name, Access access, Handle& handle) {
    if (const OsError injected = fault::before_call(fault::Operation::open, kNoHandle, name, 0);
        injected != OsError::none) {
        return injected;
    }
    // Opened without waiting (a FIFO opened for reading would wait for a
    // writer), then refused unless it is a regular file or a character
    // device: a directory has no records, a FIFO or socket that nobody
    // writes would be read for ever, and one that nobody reads would stop
    // the writes once it is full.
    const int fd = ::open(name, access_flags(access) | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return from_errno(errno);
    struct stat info;
    if (::fstat(fd, &info) != 0 || !(S_ISREG(info.st_mode) || S_ISCHR(info.st_mode))) {
        ::close(fd);
        return OsError::access_refused;
    }
    // Reads and writes wait as usual.
    if (const int flags = ::fcntl(fd, F_GETFL); flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        const int error = errno;
        ::close(fd);
        return from_errno(error);
    }
    handle = fd;
    fault::opened(fd, name);
    return OsError::none;
}

OsError create_new(const char* name, Access access, Handle& handle) {
    if (const OsError injected = fault::before_call(fault::Operation::open, kNoHandle, name, 0);
        injected != OsError::none) {
        return injected;
    }
    const int fd = ::open(name, access_flags(access) | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return from_errno(errno);
    handle = fd;
    fault::opened(fd, name);
    return OsError::none;
}

OsError file_identity(Handle handle, FileIdentity& identity) {
    struct stat info;
    if (::fstat(descriptor(handle), &info) != 0) return from_errno(errno);
    identity.device = static_cast<std::uint64_t>(info.st_dev);
    identity.inode = static_cast<std::uint64_t>(info.st_ino);
    return OsError::none;
}

OsError truncate_at(Handle handle, std::int64_t length) {
    // Only a regular file has a length to cut; a device or a pipe is
    // written as it is.
    struct stat info;
    if (::fstat(descriptor(handle), &info) == 0 && !S_ISREG(info.st_mode)) return OsError::none;
    if (::ftruncate(descriptor(handle), static_cast<off_t>(length)) != 0) {
        // A descriptor not open for writing is refused, whichever of the two
        // errors the system picks for it.
        return errno == EINVAL ? OsError::access_refused : from_errno(errno);
    }
    return seek_to(handle, length);
}

OsError seek_to(Handle handle, std::int64_t offset) {
    if (::lseek(descriptor(handle), static_cast<off_t>(offset), SEEK_SET) < 0) return from_errno(errno);
    return OsError::none;
}

OsError close_handle(Handle handle) {
    if (const OsError injected = fault::before_call(fault::Operation::close, handle, nullptr, 0);
        injected != OsError::none) {
        return injected;
    }
    if (::close(descriptor(handle)) != 0 && errno != EINTR) return from_errno(errno);
    return OsError::none;
}

const char* null_device() { return "/dev/null"; }

const char* port_device(const char*) { return nullptr; }

void exit_process(int status) {
    fault::at_exit();
    ::_exit(status);
}

}  // namespace sotra::os
