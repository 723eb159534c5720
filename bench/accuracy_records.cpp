// A timing run's records file: written by the recording build, then by the robot.
#include "bench/accuracy_records.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

// Adds the robot's lines to the file the program wrote.
bool appendRobotRecords(const std::string& path, std::int64_t watching,
                        const std::vector<Press>& presses, std::int64_t programClockOffset) {
    std::FILE* out = std::fopen(path.c_str(), "a");
    if (!out) return false;
    std::fprintf(out, "watching %lld\n", (long long)watching);
    for (const Press& p : presses)
        std::fprintf(out, "press %lld %lld %lld %lld %lld\n", (long long)p.asked,
                     (long long)p.seen, (long long)p.delay, (long long)p.due, (long long)p.sent);
    std::fprintf(out, "offset %lld\n", (long long)programClockOffset);
    return std::fclose(out) == 0;
}

// Moves the program's times by the offset, which comes last in the file.
void moveProgramClock(Records& records, std::int64_t offset) {
    for (std::vector<Event>* events :
         {&records.flashes, &records.moves, &records.scores, &records.earlies, &records.misses})
        for (Event& e : *events) {
            e.start += offset;
            e.end += offset;
        }
    for (std::int64_t& frame : records.frames) frame += offset;
}

// Reads a records file, every time on the robot's clock.
Records readRecords(const std::string& path) {
    Records records;
    std::ifstream in(path);
    std::string kind;
    long long offset = 0;
    while (in >> kind) {
        long long start = 0, end = 0;
        double value = 0;
        int count = 0;
        if (kind == "frame") {
            in >> start;
            records.frames.push_back(start);
        } else if (kind == "flash" || kind == "moved") {
            in >> start >> end >> value;
            (kind == "flash" ? records.flashes : records.moves).push_back(Event{start, end, value});
        } else if (kind == "score") {
            in >> start >> end >> count >> value;
            records.scores.push_back(Event{start, end, value});
        } else if (kind == "early" || kind == "miss") {
            in >> start >> end >> count;
            (kind == "early" ? records.earlies : records.misses).push_back(Event{start, end, 0});
        } else if (kind == "watching") {
            long long watching = 0;
            in >> watching;
            records.watching = watching;
        } else if (kind == "press") {
            long long asked = 0, seen = 0, delay = 0, due = 0, sent = 0;
            in >> asked >> seen >> delay >> due >> sent;
            records.presses.push_back(Press{asked, seen, delay, due, sent});
        } else if (kind == "offset") {
            in >> offset;
        }
    }
    moveProgramClock(records, offset);
    std::sort(records.frames.begin(), records.frames.end());
    return records;
}
