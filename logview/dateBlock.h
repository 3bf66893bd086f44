#pragma once
#include <cstdint>
#include <string>

// One run of consecutive log lines with the same date.
class dateBlock {
public:
    std::string logDate;         // the date field with its double quotes removed
    std::int64_t firstByte = 0;  // offset of the first byte of the run's first line
    // The byte before the next run's first line; for the file's last run, the file's
    // length. 64-bit so that logs of 2 GiB and more index correctly.
    std::int64_t lastByte = 0;
    // How many lines the run has, as the index pass counted them: the table's row count
    // when the date is shown, known without reading the run again.
    std::uint64_t lineCount = 0;
};
