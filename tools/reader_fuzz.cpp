// Fuzz target for the free-format reader. The first byte chooses how many
// destinations each read has; the rest is the text. The text is read list
// after list until end of file:
//   - from records in memory (lines split at LF, each cut at its first CR,
//     as a file channel sees them) and from a file channel on the same
//     bytes: both must give the same statuses and the same destination
//     bits, read after read;
//   - from a console channel on the same bytes (input in blocks, with its
//     Ctrl-Z rule), for crashes and hangs only.
// Every read consumes at least one character or record end, so a text of
// n bytes allows at most 2n + 2 reads; more is a hang and aborts.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "records/free_format_list.h"
#include "records/free_format_reader.h"
#include "records/memory_records.h"
#include "records/text_channel.h"

namespace {

using namespace sotra;

std::vector<std::string> records_as_a_file_shows_them(const std::string& text) {
    std::vector<std::string> records;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const bool last = end == std::string::npos;
        if (last) end = text.size();
        std::string record = text.substr(start, end - start);
        if (const auto cr = record.find('\r'); cr != std::string::npos) record.resize(cr);
        records.push_back(record);
        start = end + 1;
    }
    return records;
}

struct Read {
    IoStatus status;
    std::vector<std::uint32_t> bits;
};

void fail(const char* what) {
    std::fprintf(stderr, "reader_fuzz: %s\n", what);
    std::abort();
}

std::uint32_t bits_of(float f) {
    std::uint32_t b;
    std::memcpy(&b, &f, sizeof b);
    return b;
}

template <typename ReadOne>
std::vector<Read> read_to_the_end(std::size_t count, std::size_t limit, ReadOne read_one) {
    std::vector<Read> reads;
    std::vector<float> values(count, 0.0f);
    std::vector<float*> destinations;
    for (float& v : values) destinations.push_back(&v);
    for (;;) {
        if (reads.size() > limit) fail("more reads than the text allows: a read consumed nothing");
        const IoStatus status = read_one(std::span<float* const>(destinations));
        Read r{status, {}};
        for (const float v : values) r.bits.push_back(bits_of(v));
        reads.push_back(r);
        if (status == kIoEndOfFile) return reads;
    }
}

int memory_file(const std::string& text) {
    const int fd = ::memfd_create("reader_fuzz", 0);
    if (fd < 0) fail("memfd_create");
    if (!text.empty() && ::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) fail("write");
    ::lseek(fd, 0, SEEK_SET);
    return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t count = 1 + data[0] % 4;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t limit = 2 * text.size() + 2;

    MemoryRecords records(records_as_a_file_shows_them(text));
    const auto from_memory = read_to_the_end(count, limit, [&](std::span<float* const> d) {
        return read_list(records, d).status;
    });

    TextChannel file;
    file.style = ChannelStyle::file;
    file.name = "fuzz";
    file.access = os::Access::read_only;
    file.handle = memory_file(text);
    const auto from_file = read_to_the_end(count, limit, [&](std::span<float* const> d) {
        return read_free_format(file, d, true, true);
    });
    ::close(file.handle);

    if (from_memory.size() != from_file.size()) fail("memory and file give a different number of reads");
    for (std::size_t i = 0; i < from_memory.size(); ++i) {
        if (from_memory[i].status != from_file[i].status) fail("memory and file give different statuses");
        if (from_memory[i].bits != from_file[i].bits) fail("memory and file give different values");
    }

    TextChannel console;
    console.style = ChannelStyle::console;
    console.name = "CON";
    console.input_handle = memory_file(text);
    read_to_the_end(count, limit, [&](std::span<float* const> d) { return read_free_format(console, d, true, true); });
    ::close(console.input_handle);
    return 0;
}
