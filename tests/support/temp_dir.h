// A private temporary directory for one test, removed with everything in it.
#pragma once

#include <string>

namespace sotra::testing_support {

// Makes a new directory, named `prefix` and something unique, in the
// system's place for temporary files; returns its path. Throws on failure.
std::string make_temp_directory(const char* prefix);

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);
bool file_exists(const std::string& path);

// Sends the bytes written to file descriptor `fd` into the file at `path`
// from now on (for the child of a death test).
void redirect_to_file(int fd, const std::string& path);

// Makes file descriptor `fd` read the file at `path` from now on.
void redirect_from_file(int fd, const std::string& path);

}  // namespace sotra::testing_support
