#include "platform/process.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace sotra::os {
namespace {

// The outcome of trying to start a program.
enum class Start { started, missing, failed };

bool is_file(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The file a program name reaches in `directory` (empty: the name as
// written): the name itself when its file name part has an extension,
// otherwise the first of name.com, name.exe, name.bat and name.cmd that
// exists. Empty when there is none.
std::string locate(const std::string& directory, const std::string& name) {
    std::string path = directory;
    if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
    path += name;
    const std::size_t file_part = path.find_last_of("\\/:") + 1;
    if (path.find('.', file_part) != std::string::npos) return is_file(path) ? path : std::string();
    for (const char* extension : {".com", ".exe", ".bat", ".cmd"}) {
        if (is_file(path + extension)) return path + extension;
    }
    return {};
}

// Starts the program at `path` with the command line `name /c text`,
// inheriting the environment, the current directory, the console and
// every inheritable handle, and waits for it; `status` receives its exit
// code.
Start start_and_wait(const std::string& path, const std::string& name, const char* text, int& status) {
    std::string line = name + " /c " + text;
    std::vector<char> command_line(line.begin(), line.end());
    command_line.push_back('\0');
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    std::memset(&process, 0, sizeof process);
    if (!::CreateProcessA(path.c_str(), command_line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                          &process)) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_ACCESS_DENIED
                   ? Start::missing
                   : Start::failed;
    }
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    const bool known = ::GetExitCodeProcess(process.hProcess, &code) != 0;
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    if (!known) return Start::failed;
    // An exit code of 0xFFFFFFFF reads as -1, the same as no interpreter.
    status = static_cast<int>(code);
    return Start::started;
}

std::string environment_variable(const char* name, bool& set) {
    const DWORD size = ::GetEnvironmentVariableA(name, nullptr, 0);
    set = size != 0;
    if (!set) return {};
    std::string value(size, '\0');
    const DWORD length = ::GetEnvironmentVariableA(name, value.data(), size);
    value.resize(length < size ? length : 0);
    return value;
}

// The interpreter named as on a command prompt: the current directory
// first, then each directory of PATH in order.
std::string search_interpreter(const std::string& name) {
    if (std::string found = locate("", name); !found.empty()) return found;
    bool set = false;
    const std::string path = environment_variable("PATH", set);
    std::size_t begin = 0;
    while (set && begin <= path.size()) {
        std::size_t end = path.find(';', begin);
        if (end == std::string::npos) end = path.size();
        if (end > begin) {
            if (std::string found = locate(path.substr(begin, end - begin), name); !found.empty()) return found;
        }
        begin = end + 1;
    }
    return {};
}

}  // namespace

int run_interpreter(const char* command_text) {
    int status = -1;
    // 1.-2. COMSPEC, exactly as written there.
    bool set = false;
    const std::string comspec = environment_variable("COMSPEC", set);
    if (set && !comspec.empty()) {
        const std::string found = locate("", comspec);
        if (!found.empty()) {
            switch (start_and_wait(found, comspec, command_text, status)) {
                case Start::started: return status;
                case Start::failed: return -1;
                case Start::missing: break;
            }
        }
    }
    // 3. Otherwise cmd.exe, found as a command typed at a prompt finds it.
    // (Every Windows this program runs on is of the NT family.)
    const char* const fallback = "cmd.exe";
    const std::string found = search_interpreter(fallback);
    if (found.empty()) return -1;
    if (start_and_wait(found, fallback, command_text, status) != Start::started) return -1;
    return status;
}

}  // namespace sotra::os
