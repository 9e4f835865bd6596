// exhaustive_rendering: checks real_digits, render_fixed with 3 and 6
// decimals and render_exponent on every single-precision bit pattern in a
// range (all 2^32 by default) against the simple exact method of
// tests/support/exact_decimal.h, and real_digits and render_non_finite on
// every infinity and NaN in it.
//
//   exhaustive_rendering [--from HEX] [--to HEX] [--threads N]
//
// The range is inclusive. Progress goes to stderr every few seconds; each
// difference (the first 20 are printed, all are counted) and the summary
// line go to stdout. The exit status is 0 when nothing differed, 1 when
// something did, 2 for a usage error.
//
// Work is handed out as runs of consecutive magnitudes. For each magnitude
// the expected digits are worked out once, by the walk, and both the
// positive and the negative pattern are checked against them. At the end of
// every run the walk's value is compared with the slow string method, so an
// error in the walk itself cannot go unnoticed.
#include "records/decimal_rendering.h"
#include "tests/support/exact_decimal.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace sotra::exact;

constexpr uint64_t kRunLength = 1 << 16;  // magnitudes handed out at a time
constexpr int kMaxPrinted = 20;

struct Options {
    uint32_t from = 0;
    uint32_t to = 0xFFFF'FFFF;
    int threads = 2;
};

bool parse_hex(const char* text, uint32_t& out) {
    const char* digits = std::strncmp(text, "0x", 2) == 0 || std::strncmp(text, "0X", 2) == 0 ? text + 2 : text;
    if (*digits == '\0' || std::strlen(digits) > 8) {
        return false;
    }
    char* end = nullptr;
    const unsigned long value = std::strtoul(digits, &end, 16);
    if (*end != '\0') {
        return false;
    }
    out = static_cast<uint32_t>(value);
    return true;
}

bool parse_options(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) {
            return false;
        }
        const char* value = argv[++i];
        if (arg == "--from") {
            if (!parse_hex(value, options.from)) return false;
        } else if (arg == "--to") {
            if (!parse_hex(value, options.to)) return false;
        } else if (arg == "--threads") {
            char* end = nullptr;
            const long n = std::strtol(value, &end, 10);
            if (*end != '\0' || n < 1 || n > 64) return false;
            options.threads = static_cast<int>(n);
        } else {
            return false;
        }
    }
    return options.from <= options.to;
}

// A run of magnitudes [first, last], each checked with the signs in range.
struct Run {
    uint32_t first;
    uint32_t last;
};

// The magnitudes whose positive or negative pattern lies in [from, to]: at
// most two intervals, merged when they overlap, cut into runs.
std::vector<Run> make_runs(uint32_t from, uint32_t to) {
    std::vector<Run> intervals;
    if (from <= kMagnitude) {
        intervals.push_back({from, std::min(to, kMagnitude)});
    }
    if (to >= kSign) {
        intervals.push_back({std::max(from, kSign) - kSign, to - kSign});
    }
    if (intervals.size() == 2 && intervals[1].first <= uint64_t{intervals[0].last} + 1 &&
        intervals[0].first <= uint64_t{intervals[1].last} + 1) {
        intervals[0] = {std::min(intervals[0].first, intervals[1].first),
                        std::max(intervals[0].last, intervals[1].last)};
        intervals.pop_back();
    }
    std::vector<Run> runs;
    for (const Run& interval : intervals) {
        for (uint64_t first = interval.first; first <= interval.last; first += kRunLength) {
            const uint64_t last = std::min<uint64_t>(first + kRunLength - 1, interval.last);
            runs.push_back({static_cast<uint32_t>(first), static_cast<uint32_t>(last)});
        }
    }
    return runs;
}

struct Shared {
    Options options;
    std::vector<Run> runs;
    std::atomic<std::size_t> next_run{0};
    std::atomic<uint64_t> checked{0};
    std::atomic<uint64_t> differences{0};
    std::atomic<uint64_t> walk_errors{0};
    std::mutex print_mutex;
    int printed = 0;
};

void print_difference(Shared& shared, const Difference& d) {
    std::lock_guard lock(shared.print_mutex);
    if (shared.printed >= kMaxPrinted) {
        return;
    }
    const float value = std::bit_cast<float>(d.bits);
    std::printf("difference: pattern %s value %.9g %s: got \"%s\", want \"%s\"\n", hex(d.bits).c_str(),
                static_cast<double>(value), d.operation.c_str(), d.got.c_str(), d.want.c_str());
    if (++shared.printed == kMaxPrinted) {
        std::printf("(printing no more differences, still counting)\n");
    }
    std::fflush(stdout);
}

// The walk's value compared with the slow method at the end of a run.
void check_walk(Shared& shared, const Walk& walk) {
    if (is_zero(walk.bits()) || !is_finite(walk.bits())) {
        return;
    }
    const Expansion slow = exact_expansion(walk.bits());
    const auto [digits, point] = walk.value().text();
    if (digits != as_text(slow) || point != slow.point) {
        shared.walk_errors.fetch_add(1);
        std::lock_guard lock(shared.print_mutex);
        std::printf("walk error: pattern %s: walk %s p %d, string method %s p %d\n", hex(walk.bits()).c_str(),
                    digits.c_str(), point, as_text(slow).c_str(), slow.point);
        std::fflush(stdout);
    }
}

void check_run(Shared& shared, const Run& run) {
    const uint32_t from = shared.options.from;
    const uint32_t to = shared.options.to;
    const auto report = [&shared](const Difference& d) { print_difference(shared, d); };
    uint64_t checked = 0;
    uint64_t differences = 0;

    // Finite magnitudes: walked.
    const uint32_t finite_last = std::min(run.last, kInfinity - 1);
    if (run.first <= finite_last) {
        Walk walk(run.first);
        for (uint32_t u = run.first;; ++u) {
            const Reference positive = reference_digits(walk, u);
            if (u >= from && u <= to) {
                differences += static_cast<uint64_t>(compare_finite(u, positive, report));
                ++checked;
            }
            const uint32_t negative_bits = u | kSign;
            if (negative_bits >= from && negative_bits <= to) {
                Reference negative = positive;
                negative.negative = !positive.zero();
                differences += static_cast<uint64_t>(compare_finite(negative_bits, negative, report));
                ++checked;
            }
            if (u == finite_last) {
                break;
            }
            walk.next();
        }
        check_walk(shared, walk);
    }

    // Infinities and NaNs.
    for (uint64_t u = std::max(run.first, kInfinity); u <= run.last; ++u) {
        for (const uint32_t bits : {static_cast<uint32_t>(u), static_cast<uint32_t>(u) | kSign}) {
            if (bits >= from && bits <= to) {
                differences += static_cast<uint64_t>(compare_non_finite(bits, report));
                ++checked;
            }
        }
    }

    shared.checked.fetch_add(checked);
    shared.differences.fetch_add(differences);
}

void worker(Shared& shared) {
    for (;;) {
        const std::size_t index = shared.next_run.fetch_add(1);
        if (index >= shared.runs.size()) {
            return;
        }
        check_run(shared, shared.runs[index]);
    }
}

}  // namespace

int main(int argc, char** argv) {
    Shared shared;
    if (!parse_options(argc, argv, shared.options)) {
        std::fprintf(stderr, "usage: %s [--from HEX] [--to HEX] [--threads N]\n", argv[0]);
        return 2;
    }
    const uint64_t total = uint64_t{shared.options.to} - shared.options.from + 1;
    shared.runs = make_runs(shared.options.from, shared.options.to);
    power_of_two(0);  // build the table before the threads start

    const auto start = std::chrono::steady_clock::now();
    const auto seconds_since_start = [&start] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    std::fprintf(stderr, "checking patterns %s to %s (%llu patterns) with %d threads\n",
                 hex(shared.options.from).c_str(), hex(shared.options.to).c_str(),
                 static_cast<unsigned long long>(total), shared.options.threads);

    std::vector<std::thread> threads;
    std::atomic<int> running{shared.options.threads};
    std::mutex done_mutex;
    std::condition_variable done;
    for (int i = 0; i < shared.options.threads; ++i) {
        threads.emplace_back([&] {
            worker(shared);
            std::lock_guard lock(done_mutex);
            if (--running == 0) {
                done.notify_all();
            }
        });
    }
    {
        std::unique_lock lock(done_mutex);
        while (!done.wait_for(lock, std::chrono::seconds(5), [&] { return running == 0; })) {
            const double seconds = seconds_since_start();
            const uint64_t checked = shared.checked.load();
            std::fprintf(stderr, "progress: %llu of %llu patterns (%.1f%%), %.0f patterns/s, %llu differences, %.0f s\n",
                         static_cast<unsigned long long>(checked), static_cast<unsigned long long>(total),
                         100.0 * static_cast<double>(checked) / static_cast<double>(total),
                         static_cast<double>(checked) / seconds,
                         static_cast<unsigned long long>(shared.differences.load()), seconds);
        }
    }
    for (std::thread& t : threads) {
        t.join();
    }

    const double seconds = seconds_since_start();
    const uint64_t checked = shared.checked.load();
    const uint64_t differences = shared.differences.load();
    const uint64_t walk_errors = shared.walk_errors.load();
    std::printf("checked %llu patterns (%s to %s), %llu differences, %llu walk errors, %.1f seconds\n",
                static_cast<unsigned long long>(checked), hex(shared.options.from).c_str(),
                hex(shared.options.to).c_str(), static_cast<unsigned long long>(differences),
                static_cast<unsigned long long>(walk_errors), seconds);
    return checked == total && differences == 0 && walk_errors == 0 ? 0 : 1;
}
