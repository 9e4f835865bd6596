// Stand-in command interpreter for the end-to-end tests on Windows. It runs
// nothing: it writes three lines to interpreter_saw in the current directory
// (its command line exactly as it was given, the current directory and the
// path of its own program file) and exits with the code in the environment
// variable STAND_IN_EXIT_CODE (decimal or 0x hexadecimal; 0 when unset).
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main() {
    char directory[MAX_PATH + 1] = {};
    ::GetCurrentDirectoryA(sizeof directory, directory);
    char module[MAX_PATH + 1] = {};
    ::GetModuleFileNameA(nullptr, module, sizeof module);
    std::FILE* record = std::fopen("interpreter_saw", "wb");
    if (record == nullptr) return 2;
    std::fprintf(record, "%s\n%s\n%s\n", ::GetCommandLineA(), directory, module);
    if (std::fclose(record) != 0) return 2;
    char code[32] = {};
    const DWORD length = ::GetEnvironmentVariableA("STAND_IN_EXIT_CODE", code, sizeof code);
    if (length == 0 || length >= sizeof code) return 0;
    ::ExitProcess(static_cast<UINT>(std::strtoul(code, nullptr, 0)));
}
