#include "tests/support/pipe.h"

#include <stdexcept>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace sotra::testing_support {

os::Handle pipe_holding(std::string_view bytes) {
    os::Handle read_end = os::kNoHandle;
    os::Handle write_end = os::kNoHandle;
#ifdef _WIN32
    HANDLE ends[2];
    // Room for all the bytes, so that writing them never waits for a reader.
    if (!::CreatePipe(&ends[0], &ends[1], nullptr, static_cast<DWORD>(bytes.size() + 4096))) {
        throw std::runtime_error("CreatePipe failed");
    }
    read_end = reinterpret_cast<os::Handle>(ends[0]);
    write_end = reinterpret_cast<os::Handle>(ends[1]);
#else
    int fds[2];
    if (::pipe(fds) != 0) throw std::runtime_error("pipe failed");
    read_end = fds[0];
    write_end = fds[1];
#endif
    const os::OsError written = os::write_all(write_end, bytes.data(), bytes.size());
    os::close_handle(write_end);
    if (written != os::OsError::none) {
        os::close_handle(read_end);
        throw std::runtime_error("cannot fill the pipe");
    }
    return read_end;
}

os::Handle create_for_writing(const char* path) {
#ifdef _WIN32
    const HANDLE file = ::CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error(std::string("cannot create ") + path);
    return reinterpret_cast<os::Handle>(file);
#else
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) throw std::runtime_error(std::string("cannot create ") + path);
    return fd;
#endif
}

}  // namespace sotra::testing_support
