// Records held in memory, read the way a channel reads its records: for
// trying the free-format reading on a text without files or processes.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "process/failure_causes.h"
#include "records/text_channel.h"

namespace sotra {

struct MemoryRecords {
    std::vector<std::string> records;
    std::size_t index = 0;  // the record being read, or the next to fetch
    std::size_t pos = 0;    // in the record being read
    bool current = false;

    explicit MemoryRecords(std::vector<std::string> lines) : records(std::move(lines)) {}

    int next_char() {
        if (!current) {
            if (index >= records.size()) return kEndOfFile;
            current = true;
            pos = 0;
        }
        const std::string& record = records[index];
        if (pos >= record.size()) return kEndOfRecord;
        return static_cast<unsigned char>(record[pos++]);
    }

    void next_record() {
        if (!current) return;
        current = false;
        ++index;
    }

    FailureCause failure_cause() const { return FailureCause::read_failed; }
};

}  // namespace sotra
