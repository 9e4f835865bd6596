// Two long sweeps whose files must stay byte for byte what the program
// wrote before its output path was made fast: the digests were recorded
// then. A change to the rendering, the layout or the sweep that moves any
// byte of these 200,000 records shows here.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <string>

#ifdef _WIN32
#include <windows.h>
#include <bcrypt.h>

#include <fstream>
#include <iterator>
#include <vector>
#endif

#include "run_fixture.h"

namespace sotra {
namespace {

#ifdef _WIN32

// SHA-256 of a file, by the system's cryptography provider.
std::string sha256_of(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return "cannot read";
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (!BCRYPT_SUCCESS(::BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
        return "no SHA-256 provider";
    }
    std::array<unsigned char, 32> digest{};
    BCRYPT_HASH_HANDLE hash = nullptr;
    const bool done =
        BCRYPT_SUCCESS(::BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0)) &&
        BCRYPT_SUCCESS(::BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data())),
                                        static_cast<ULONG>(bytes.size()), 0)) &&
        BCRYPT_SUCCESS(::BCryptFinishHash(hash, digest.data(), static_cast<ULONG>(digest.size()), 0));
    if (hash != nullptr) ::BCryptDestroyHash(hash);
    ::BCryptCloseAlgorithmProvider(algorithm, 0);
    if (!done) return "no digest";
    std::string text;
    for (const unsigned char byte : digest) {
        text += "0123456789abcdef"[byte >> 4];
        text += "0123456789abcdef"[byte & 15];
    }
    return text;
}

#else

// SHA-256 of a file, by the system's sha256sum.
std::string sha256_of(const std::string& path) {
    const std::string command = "sha256sum '" + path + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe) return "popen failed";
    std::array<char, 65> digest{};
    if (std::fread(digest.data(), 1, 64, pipe.get()) != 64) return "no digest";
    return std::string(digest.data(), 64);
}

#endif

struct GoldenCase {
    const char* name;
    const char* answers;
    std::size_t records;
    const char* results_digest;
    const char* script_digest;
};

void PrintTo(const GoldenCase& c, std::ostream* os) { *os << c.name; }

class EndToEndGolden : public EndToEnd, public ::testing::WithParamInterface<GoldenCase> {};

TEST_P(EndToEndGolden, FilesKeepTheirRecordedDigests) {
    const GoldenCase& c = GetParam();

    const E2eRun r = run(c.answers);

    ASSERT_FALSE(r.timed_out) << r.describe();
    ASSERT_TRUE(r.exited) << r.describe();
    ASSERT_EQ(r.exit_status, 0) << r.describe();
    EXPECT_EQ(dir_.read_file("SOTRA.DAT").size(), 34 * c.records);
    EXPECT_EQ(sha256_of(dir_.path_of("SOTRA.DAT")), c.results_digest);
    EXPECT_EQ(sha256_of(dir_.path_of("SOTRA.GNP")), c.script_digest);
}

INSTANTIATE_TEST_SUITE_P(
    Sweeps, EndToEndGolden,
    ::testing::Values(
        // 1 K to 100000 K: fixed-point temperatures, Cv/R from 1e-5 up to 6.
        GoldenCase{"HundredThousandKelvin", "1 1 100000\n2 345\n", 100000,
                   "645afaba0397deea3b52da8cc2dfd1c17685f7979f09eae157c250420e4c8be0",
                   "86660a4e69702deed9d1dc3ce97c2a8d033bf0b7d0c0a3043a2e78201d052114"},
        // 1 mK steps to 100 K with theta 3000 K: exponent-form temperatures
        // below 1 K and Cv/R down to 1e-17.
        GoldenCase{"MillikelvinSteps", "0.001 0.001 100\n1 3000\n", 100043,
                   "708397a8a9931380a993198b283201197a248e67af2eca41a2482a1548ac09ee",
                   "a2f3182024de6915a94e25d6bbee6c503aa62fdc54ea78ae8e35c31c561ff122"}),
    [](const ::testing::TestParamInfo<GoldenCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace sotra
