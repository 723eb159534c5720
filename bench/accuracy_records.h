// A timing run's records, one file: the recording build's lines (its frames, flashes, scores,
// early clicks and misses, on the program's clock), then the robot's own (when it began watching,
// each press, and the offset that moves the program's clock onto the robot's). The file is all
// the analysis needs, so a saved one can be analysed again without running anything.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Event {
    std::int64_t start, end;  // the frame's start, and its end after the swap
    double value;             // seconds of a flash, sixtieths of a score
};

struct Press {
    std::int64_t asked;  // the robot sent the poll that showed the flash
    std::int64_t seen;   // its answer came
    std::int64_t delay;  // this press's delay
    std::int64_t due;    // seen + delay
    std::int64_t sent;   // the press had been flushed to the server
};

struct Records {
    std::vector<Event> flashes, moves, scores, earlies, misses;
    std::vector<std::int64_t> frames;  // in order
    std::int64_t watching = 0;         // from here on every flash should have been seen
    std::vector<Press> presses;
};

// Adds the robot's lines to the file the program wrote; false if it cannot be written.
bool appendRobotRecords(const std::string& path, std::int64_t watching,
                        const std::vector<Press>& presses, std::int64_t programClockOffset);

// Reads a records file, every time on the robot's clock. Words are split at any white space, so
// the Windows build's line ends (\r\n, written in text mode) read the same.
Records readRecords(const std::string& path);
