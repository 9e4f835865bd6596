#include "platform/os.h"

#include <windows.h>

#include <string>

#include "platform/fault_injection.h"

namespace sotra::os {
namespace {

HANDLE native(Handle handle) { return reinterpret_cast<HANDLE>(handle); }
Handle ours(HANDLE handle) { return reinterpret_cast<Handle>(handle); }

OsError from_error(DWORD error) {
    switch (error) {
        case ERROR_SUCCESS: return OsError::none;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return OsError::no_space;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT:
        case ERROR_INVALID_HANDLE: return OsError::access_refused;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_BAD_NETPATH: return OsError::not_found;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS: return OsError::already_exists;
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_DIRECTORY:
        case ERROR_INVALID_PARAMETER: return OsError::invalid_name;
        case ERROR_TOO_MANY_OPEN_FILES: return OsError::too_many_files;
        default: return OsError::other;
    }
}

OsError last_error() { return from_error(::GetLastError()); }

bool is_dos_device_base(std::string base) {
    for (char& c : base) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL") return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

// The name as the system must be given it. Win32 takes a last name part
// whose base is a DOS device name (LPT1.DAT, aux.txt) for the device itself,
// extension or not. Device names are sent to their devices before they get
// here, so such a name means a file: it is handed over as a full path with
// the \\?\ prefix, which the system takes literally. Other names are
// passed as they are.
std::string system_name(const char* name) {
    const std::string text = name;
    if (text.compare(0, 4, "\\\\?\\") == 0) return text;  // literal already
    const std::size_t part = text.find_last_of("\\/:") + 1;  // npos + 1 is 0
    const std::size_t dot = text.find('.', part);
    if (dot == std::string::npos || !is_dos_device_base(text.substr(part, dot - part))) return text;
    const std::string directory = part == 0 ? std::string(".") : text.substr(0, part);
    char full[4 * MAX_PATH];
    const DWORD length = ::GetFullPathNameA(directory.c_str(), sizeof full, full, nullptr);
    if (length == 0 || length >= sizeof full) return text;
    std::string path(full, length);
    if (path.back() != '\\') path += '\\';
    path += text.substr(part);
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    if (path.compare(0, 2, "\\\\") == 0) return "\\\\?\\UNC\\" + path.substr(2);
    return "\\\\?\\" + path;
}

DWORD desired_access(Access access) {
    switch (access) {
        case Access::read_write: return GENERIC_READ | GENERIC_WRITE;
        case Access::read_only: return GENERIC_READ;
        case Access::write_only: return GENERIC_WRITE;
    }
    return GENERIC_READ;
}

// Files are shared for reading and writing with other programs, and not
// inherited by the plotter (every file is closed before it runs anyway).
OsError open_file(const char* name, Access access, DWORD disposition, Handle& handle) {
    if (const OsError injected = fault::before_call(fault::Operation::open, kNoHandle, name, 0);
        injected != OsError::none) {
        return injected;
    }
    const HANDLE file = ::CreateFileA(system_name(name).c_str(), desired_access(access),
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return last_error();
    // Only a file on a disk or a character device has records; a pipe that
    // nobody writes would be read for ever.
    const DWORD type = ::GetFileType(file);
    if (type != FILE_TYPE_DISK && type != FILE_TYPE_CHAR) {
        ::CloseHandle(file);
        return OsError::access_refused;
    }
    handle = ours(file);
    fault::opened(handle, name);
    return OsError::none;
}

}  // namespace

Handle standard_input() { return ours(::GetStdHandle(STD_INPUT_HANDLE)); }
Handle standard_output() { return ours(::GetStdHandle(STD_OUTPUT_HANDLE)); }
Handle standard_error() { return ours(::GetStdHandle(STD_ERROR_HANDLE)); }

// A console has a console mode; the null device is a character device too,
// but it has none.
bool is_interactive(Handle handle) {
    DWORD mode = 0;
    return ::GetConsoleMode(native(handle), &mode) != 0;
}

OsError write_all(Handle handle, const char* bytes, std::size_t n) {
    if (const OsError injected = fault::before_call(fault::Operation::write, handle, nullptr, n);
        injected != OsError::none) {
        return injected;
    }
    constexpr std::size_t kLargestWrite = 1u << 30;
    while (n > 0) {
        const DWORD asked = static_cast<DWORD>(n < kLargestWrite ? n : kLargestWrite);
        DWORD done = 0;
        if (!::WriteFile(native(handle), bytes, asked, &done, nullptr)) return last_error();
        if (done == 0) return OsError::no_space;
        bytes += done;
        n -= done;
    }
    return OsError::none;
}

OsError read_some(Handle handle, char* bytes, std::size_t n, std::size_t& got) {
    got = 0;
    if (const OsError injected = fault::before_call(fault::Operation::read, handle, nullptr, 0);
        injected != OsError::none) {
        return injected;
    }
    constexpr std::size_t kLargestRead = 1u << 30;
    const DWORD asked = static_cast<DWORD>(n < kLargestRead ? n : kLargestRead);
    DWORD done = 0;
    if (!::ReadFile(native(handle), bytes, asked, &done, nullptr)) {
        // A pipe whose writer has gone is the end of the input, however the
        // system words it.
        const DWORD error = ::GetLastError();
        if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) return OsError::none;
        return from_error(error);
    }
    got = done;
    return OsError::none;
}

bool file_exists(const char* name) {
    return ::GetFileAttributesA(system_name(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

OsError open_existing(const char* name, Access access, Handle& handle) {
    return open_file(name, access, OPEN_EXISTING, handle);
}

OsError create_new(const char* name, Access access, Handle& handle) {
    return open_file(name, access, CREATE_NEW, handle);
}

OsError file_identity(Handle handle, FileIdentity& identity) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(native(handle), &info)) return last_error();
    identity.device = info.dwVolumeSerialNumber;
    identity.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return OsError::none;
}

OsError truncate_at(Handle handle, std::int64_t length) {
    // Only a file on a disk has a length to cut; a device or a pipe is
    // written as it is.
    if (::GetFileType(native(handle)) != FILE_TYPE_DISK) return OsError::none;
    if (const OsError error = seek_to(handle, length); error != OsError::none) return error;
    if (!::SetEndOfFile(native(handle))) {
        // A handle not open for writing is refused, whichever of the two
        // errors the system picks for it.
        const DWORD error = ::GetLastError();
        return error == ERROR_INVALID_PARAMETER ? OsError::access_refused : from_error(error);
    }
    return OsError::none;
}

OsError seek_to(Handle handle, std::int64_t offset) {
    LARGE_INTEGER position;
    position.QuadPart = offset;
    if (!::SetFilePointerEx(native(handle), position, nullptr, FILE_BEGIN)) return last_error();
    return OsError::none;
}

OsError close_handle(Handle handle) {
    if (const OsError injected = fault::before_call(fault::Operation::close, handle, nullptr, 0);
        injected != OsError::none) {
        return injected;
    }
    if (!::CloseHandle(native(handle))) return last_error();
    return OsError::none;
}

// File names ignore letter case here, so the two names reach one file
// already; nothing is ever made. True when both name the same file.
bool alias_file(const char* alias, const char* target) {
    FileIdentity identities[2];
    const char* names[2] = {alias, target};
    for (int i = 0; i < 2; ++i) {
        const HANDLE file = ::CreateFileA(system_name(names[i]).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        const OsError error = file_identity(ours(file), identities[i]);
        ::CloseHandle(file);
        if (error != OsError::none) return false;
    }
    return identities[0] == identities[1];
}

const char* null_device() { return "NUL"; }

const char* port_device(const char* device) { return device; }

void exit_process(int status) {
    fault::at_exit();
    ::ExitProcess(static_cast<UINT>(status));
}

}  // namespace sotra::os
