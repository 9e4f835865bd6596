// Stand-in plotter for the end-to-end tests on Windows, put on PATH as
// wgnuplot.exe: appends one line per run to plotter_args, each argument in
// brackets, and copies sotra.gnp, as it is when the plotter runs, to
// plotter_saw_gnp. Both files are in the current directory.
#include <cstdio>

namespace {

bool copy_file(const char* from, const char* to) {
    std::FILE* in = std::fopen(from, "rb");
    if (in == nullptr) return false;
    std::FILE* out = std::fopen(to, "wb");
    if (out == nullptr) {
        std::fclose(in);
        return false;
    }
    char chunk[4096];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0) std::fwrite(chunk, 1, got, out);
    std::fclose(in);
    return std::fclose(out) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::FILE* args = std::fopen("plotter_args", "ab");
    if (args == nullptr) return 2;
    for (int i = 1; i < argc; ++i) std::fprintf(args, "[%s]", argv[i]);
    std::fputc('\n', args);
    if (std::fclose(args) != 0) return 2;
    copy_file("sotra.gnp", "plotter_saw_gnp");
    return 0;
}
