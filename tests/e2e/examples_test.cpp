// The example of examples/ run as README.md shows it, so that the README's
// console lines and its lines of SOTRA.DAT stay what the program gives.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "run_fixture.h"

#ifndef SOTRA_SOURCE_DIR
#error "SOTRA_SOURCE_DIR must name the source tree"
#endif

namespace sotra {
namespace {

std::string read_source_file(const std::string& relative) {
    const std::string path = std::string(SOTRA_SOURCE_DIR) + "/" + relative;
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The fenced code blocks of the README section under `heading`, in order,
// each without its fence lines. The section ends at the next heading line
// outside a code block.
std::vector<std::string> code_blocks_of_section(const std::string& readme, const std::string& heading) {
    std::vector<std::string> blocks;
    bool in_section = false;
    bool in_block = false;
    std::size_t start = 0;
    while (start < readme.size()) {
        std::size_t end = readme.find('\n', start);
        if (end == std::string::npos) end = readme.size();
        const std::string line = readme.substr(start, end - start);
        start = end + 1;
        if (!in_section) {
            in_section = line == heading;
            continue;
        }
        if (line.starts_with("```")) {
            in_block = !in_block;
            if (in_block) blocks.emplace_back();
        } else if (in_block) {
            blocks.back() += line + "\n";
        } else if (line.starts_with("#")) {
            break;
        }
    }
    return blocks;
}

// The README shows the bytes in UTF-8 with LF line ends; the program writes
// the prompts' á and ó as the Windows-1252 bytes 0xE1 and 0xF3 and ends its
// lines with CR LF.
std::string as_written(const std::string& shown) {
    std::string bytes;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (shown.compare(i, 2, "\xC3\xA1") == 0) {
            bytes += '\xE1';
            ++i;
        } else if (shown.compare(i, 2, "\xC3\xB3") == 0) {
            bytes += '\xF3';
            ++i;
        } else if (shown[i] == '\n') {
            bytes += "\r\n";
        } else {
            bytes += shown[i];
        }
    }
    return bytes;
}

TEST_F(EndToEnd, CopperExampleGivesWhatTheReadmeShows) {
    const std::vector<std::string> blocks = code_blocks_of_section(read_source_file("README.md"), "### With a data file");
    // The command, the console, then the first and last lines of SOTRA.DAT
    // with a line "..." between them.
    ASSERT_EQ(blocks.size(), 3u) << "the README section with the data file example has changed shape";
    ASSERT_EQ(blocks[0], "cd examples && ../build/sotra < theta_copper.answers\n");
    const std::string& shown_results = blocks[2];
    const std::size_t gap = shown_results.find("...\n");
    ASSERT_NE(gap, std::string::npos) << shown_results;
    const std::string first_records = as_written(shown_results.substr(0, gap));
    const std::string last_records = as_written(shown_results.substr(gap + 4));
    ASSERT_FALSE(first_records.empty());
    ASSERT_FALSE(last_records.empty());

    dir_.write_file("theta_copper.dat", read_source_file("examples/theta_copper.dat"));
    const E2eRun r = run(read_source_file("examples/theta_copper.answers"));

    ASSERT_FALSE(r.timed_out) << r.describe();
    ASSERT_TRUE(r.exited) << r.describe();
    EXPECT_EQ(r.exit_status, 0) << r.describe();
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, as_written(blocks[1]));

    ASSERT_TRUE(dir_.exists("SOTRA.DAT"));
    const std::string results = dir_.read_file("SOTRA.DAT");
    std::vector<DataRecord> records;
    ASSERT_TRUE(parse_data_records(results, records));
    // 5 K to 300 K in steps of 5 K.
    ASSERT_EQ(records.size(), 60u);
    EXPECT_EQ(results.substr(0, first_records.size()), first_records);
    ASSERT_GE(results.size(), last_records.size());
    EXPECT_EQ(results.substr(results.size() - last_records.size()), last_records);

    // The figures examples/README.md quotes from the same run.
    const std::string examples_readme = read_source_file("examples/README.md");
    EXPECT_NE(examples_readme.find("`ITLE TOP \"Th Debye(media):   328.727K\"`"), std::string::npos);
    EXPECT_NE(r.out.find("\r\nITLE TOP \"Th Debye(media):   328.727K\"\r\n"), std::string::npos);
    EXPECT_NE(examples_readme.find(records.front().cv_over_r), std::string::npos) << records.front().cv_over_r;
    EXPECT_NE(examples_readme.find(records.back().cv_over_r), std::string::npos) << records.back().cv_over_r;
}

}  // namespace
}  // namespace sotra
