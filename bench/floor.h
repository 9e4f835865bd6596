// The floors a run of sotra is measured against: the same 68 N + 26 bytes
// written to SOTRA.DAT and SOTRA.GNP in 1024-byte blocks, with nothing
// formatted, and optionally the Debye evaluation of each point.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace sotra::bench {

// A file written in whole 1024-byte blocks, the last one short.
class BlockFile {
public:
    explicit BlockFile(const char* name) : fd_(::open(name, O_WRONLY | O_CREAT | O_TRUNC, 0666)) {
        if (fd_ < 0) {
            std::perror(name);
            std::exit(1);
        }
    }
    ~BlockFile() {
        flush();
        ::close(fd_);
    }
    // Copied a block's worth at a time: a byte-at-a-time loop here cost
    // about a third of the floor's processor time, which is not the cost
    // of the writes.
    void append(std::string_view bytes) {
        while (!bytes.empty()) {
            const std::size_t n = std::min(bytes.size(), sizeof block_ - fill_);
            std::memcpy(block_ + fill_, bytes.data(), n);
            fill_ += n;
            bytes.remove_prefix(n);
            if (fill_ == sizeof block_) flush();
        }
    }

private:
    void flush() {
        if (fill_ != 0 && ::write(fd_, block_, fill_) != static_cast<ssize_t>(fill_)) std::exit(1);
        fill_ = 0;
    }
    int fd_;
    char block_[1024];
    std::size_t fill_ = 0;
};

// One record of the right length, the same for every point.
inline constexpr std::string_view kRecord = "       10.000000    1.138632E-02\r\n";
static_assert(kRecord.size() == 34);

// Writes the two files of an n-point run; `per_point` is called with each
// temperature before its records are written.
template <typename PerPoint>
void write_run(long n, PerPoint per_point) {
    BlockFile results("SOTRA.DAT");
    BlockFile script("SOTRA.GNP");
    script.append(" plot '-' with lines\r\n");
    for (long i = 1; i <= n; ++i) {
        per_point(static_cast<float>(i));
        results.append(kRecord);
        script.append(kRecord);
    }
    script.append(" e\r\n");
}

inline long points_argument(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s POINTS\n", argv[0]);
        std::exit(2);
    }
    return std::atol(argv[1]);
}

}  // namespace sotra::bench
