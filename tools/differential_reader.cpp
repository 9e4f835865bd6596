// Checks the conversion of free-format values text by text against an exact
// reading made with big integers alone, over a stream of generated texts
// that stress it (see tools/differential/reader_texts.h).
//
//   differential_reader [--count N] [--seed S] [--threads N] [--show N]
//   differential_reader --text TEXT...
//
// Progress goes to standard error; the summary and every difference (the
// first --show, default 20, in full) to standard output. The exit status
// is 0 when nothing differed, 1 when something did, 2 for a bad command.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "process/float_setup.h"
#include "tools/differential/exact_reading.h"
#include "tools/differential/reader_texts.h"
#include "tools/differential/reading_check.h"

namespace {

using namespace sotra::differential;

struct Options {
    std::uint64_t count = 1000000;
    std::uint64_t seed = 1;
    unsigned threads = 2;
    std::size_t show = 20;
    std::vector<std::string> texts;
};

struct Tally {
    std::uint64_t checked = 0;
    std::uint64_t through_list = 0;
    std::uint64_t differences = 0;
    std::uint64_t by_kind[kTextKindCount] = {};
    std::uint64_t kind_differences[kTextKindCount] = {};
    std::uint64_t by_outcome[kOutcomeCount] = {};

    void add(const Tally& other) {
        checked += other.checked;
        through_list += other.through_list;
        differences += other.differences;
        for (std::size_t i = 0; i < kTextKindCount; ++i) {
            by_kind[i] += other.by_kind[i];
            kind_differences[i] += other.kind_differences[i];
        }
        for (std::size_t i = 0; i < kOutcomeCount; ++i) by_outcome[i] += other.by_outcome[i];
    }
};

struct Difference {
    std::uint64_t index;
    TextKind kind;
    std::string text;
    std::string expected;
    std::string got;
};

// The text with unprintable bytes as \xNN, in quotes.
std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F || c == '"' || c == '\\') {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\x%02x", byte);
            out += buffer;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

bool parse_number(const char* text, std::uint64_t& value) {
    char* end = nullptr;
    const unsigned long long parsed = std::strtoull(text, &end, 10);
    if (end == text || *end != '\0') return false;
    value = parsed;
    return true;
}

bool parse_options(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool has_value = i + 1 < argc;
        std::uint64_t value = 0;
        if (arg == "--text") {
            for (++i; i < argc; ++i) options.texts.emplace_back(argv[i]);
            return !options.texts.empty();
        }
        if (!has_value || !parse_number(argv[i + 1], value)) return false;
        ++i;
        if (arg == "--count") {
            options.count = value;
        } else if (arg == "--seed") {
            options.seed = value;
        } else if (arg == "--threads" && value >= 1 && value <= 64) {
            options.threads = static_cast<unsigned>(value);
        } else if (arg == "--show") {
            options.show = value;
        } else {
            return false;
        }
    }
    return true;
}

int check_given_texts(const std::vector<std::string>& texts) {
    int status = 0;
    for (const std::string& text : texts) {
        const ExactReading expected = exact_reading(text);
        const CheckResult result = check_text(text);
        std::printf("%s: expected %s; %s\n", quoted(text).c_str(), describe(expected).c_str(),
                    result.differs ? ("DIFFERS: expected " + result.expected + ", got " + result.got).c_str()
                                   : "the program agrees");
        if (result.differs) status = 1;
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse_options(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: differential_reader [--count N] [--seed S] [--threads N] [--show N]\n"
                     "       differential_reader --text TEXT...\n");
        return 2;
    }
    if (!options.texts.empty()) return check_given_texts(options.texts);

    constexpr std::uint64_t kBlock = 4096;
    std::atomic<std::uint64_t> next_block{0};
    std::atomic<std::uint64_t> done{0};
    std::atomic<std::uint64_t> differences_so_far{0};
    std::mutex mutex;
    std::condition_variable finished;
    unsigned running = options.threads;
    Tally total;
    std::vector<Difference> shown;

    const auto worker = [&] {
        // As the program runs: a conversion that trapped would end the run.
        sotra::set_up_floating_point();
        Tally tally;
        for (;;) {
            const std::uint64_t first = next_block.fetch_add(1) * kBlock;
            if (first >= options.count) break;
            const std::uint64_t last = std::min(options.count, first + kBlock);
            for (std::uint64_t index = first; index < last; ++index) {
                const GeneratedText generated = generate_text(options.seed, index);
                const CheckResult result = check_text(generated.text);
                const auto kind = static_cast<std::size_t>(generated.kind);
                ++tally.checked;
                ++tally.by_kind[kind];
                ++tally.by_outcome[static_cast<std::size_t>(result.outcome)];
                if (result.through_list) ++tally.through_list;
                if (result.differs) {
                    ++tally.differences;
                    ++tally.kind_differences[kind];
                    differences_so_far.fetch_add(1);
                    const std::lock_guard lock(mutex);
                    if (shown.size() < options.show) {
                        shown.push_back({index, generated.kind, generated.text, result.expected, result.got});
                    }
                }
            }
            done.fetch_add(last - first);
        }
        const std::lock_guard lock(mutex);
        total.add(tally);
        if (--running == 0) finished.notify_all();
    };

    const auto start = std::chrono::steady_clock::now();
    const auto seconds_since_start = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    std::vector<std::thread> threads;
    for (unsigned i = 0; i < options.threads; ++i) threads.emplace_back(worker);
    {
        std::unique_lock lock(mutex);
        while (!finished.wait_for(lock, std::chrono::seconds(10), [&] { return running == 0; })) {
            const double seconds = seconds_since_start();
            const std::uint64_t checked = done.load();
            std::fprintf(stderr, "differential_reader: %llu of %llu texts (%.1f%%), %.0f texts/s, %llu differences, %.0f s\n",
                         static_cast<unsigned long long>(checked), static_cast<unsigned long long>(options.count),
                         100.0 * static_cast<double>(checked) / static_cast<double>(std::max<std::uint64_t>(options.count, 1)),
                         static_cast<double>(checked) / seconds,
                         static_cast<unsigned long long>(differences_so_far.load()), seconds);
        }
    }
    for (std::thread& thread : threads) thread.join();
    const double seconds = seconds_since_start();

    std::sort(shown.begin(), shown.end(), [](const Difference& a, const Difference& b) { return a.index < b.index; });
    for (const Difference& difference : shown) {
        std::printf("DIFFERENCE at index %llu (%s): %s\n  expected %s\n  got      %s\n",
                    static_cast<unsigned long long>(difference.index), std::string(kind_name(difference.kind)).c_str(),
                    quoted(difference.text).c_str(), difference.expected.c_str(), difference.got.c_str());
    }
    std::printf("differential_reader: seed %llu, %u threads\n", static_cast<unsigned long long>(options.seed),
                options.threads);
    std::printf("texts checked: %llu (also read as a one-value list: %llu)\n",
                static_cast<unsigned long long>(total.checked), static_cast<unsigned long long>(total.through_list));
    std::printf("by kind of text:\n");
    for (std::size_t i = 0; i < kTextKindCount; ++i) {
        std::printf("  %-22s %12llu  differences %llu\n", std::string(kind_name(static_cast<TextKind>(i))).c_str(),
                    static_cast<unsigned long long>(total.by_kind[i]),
                    static_cast<unsigned long long>(total.kind_differences[i]));
    }
    std::printf("by exact outcome:\n");
    for (std::size_t i = 0; i < kOutcomeCount; ++i) {
        std::printf("  %-22s %12llu\n", std::string(outcome_name(static_cast<Outcome>(i))).c_str(),
                    static_cast<unsigned long long>(total.by_outcome[i]));
    }
    std::printf("differences: %llu\n", static_cast<unsigned long long>(total.differences));
    std::printf("seconds: %.1f\n", seconds);
    return total.differences == 0 ? 0 : 1;
}
