// The timing robot's analysis.
#include "bench/accuracy_analysis.h"

#include <algorithm>

#include "bench/robot_clock.h"
#include "bench/statistics.h"

namespace {

constexpr double flashShowsMs = 100.0;  // the white glow lasts 0.1 s of program time
constexpr double flashPairSlackMs = 50.0;
constexpr double msPerSixtieth = 16.66666;  // as the program shows its times
constexpr double framesMarginSeconds = 0.1;  // frames counted around the presses

// The last event that started at or before a time, or -1.
int lastAtOrBefore(const std::vector<Event>& events, std::int64_t time) {
    int found = -1;
    for (int i = 0; i < (int)events.size() && events[i].start <= time; i++) found = i;
    return found;
}

// The first event that started after a time, or -1.
int firstAfter(const std::vector<Event>& events, std::int64_t time) {
    for (int i = 0; i < (int)events.size(); i++)
        if (events[i].start > time) return i;
    return -1;
}

// Frames that started strictly between two times.
int framesBetween(const std::vector<std::int64_t>& frames, std::int64_t from, std::int64_t to) {
    auto first = std::upper_bound(frames.begin(), frames.end(), from);
    auto last = std::lower_bound(frames.begin(), frames.end(), to);
    return last > first ? (int)(last - first) : 0;
}

// The start of the frame whose clock the flash is timed from: the frame after the flash's own if
// that one moved the time (it moves it only when its millisecond clock differs), else the flash's.
std::int64_t flashClock(const Event& flash, const Records& records) {
    int move = firstAfter(records.moves, flash.start);
    if (move >= 0 && framesBetween(records.frames, flash.start, records.moves[move].start) == 0)
        return records.moves[move].start;
    return flash.start;
}

// Splits one press's error, given the flash frame just before the robot saw it and the score
// after it.
Pairing pairPress(const Press& press, const Event& flash, const Event& score,
                  const Records& records) {
    Pairing p;
    double recordedMs = score.value * msPerSixtieth;
    std::int64_t clock = flashClock(flash, records);
    p.error = recordedMs - toMs(press.delay);
    p.drawing = toMs(flash.end - clock);
    p.toSeen = toMs(press.seen - flash.end);
    p.toAsked = toMs(press.asked - flash.end);
    p.answer = toMs(press.seen - press.asked);
    p.overshoot = toMs(press.sent - press.due);
    p.toFrame = toMs(score.start - press.sent);
    p.clockSteps = recordedMs - toMs(score.start - clock);
    p.program = recordedMs - toMs(press.sent - flash.end);
    p.nextFrame = framesBetween(records.frames, press.sent, score.start) == 0;
    return p;
}

// Pairs each press and counts the flashes, early clicks and misses that do not fit.
Analysis pairPresses(const Records& records) {
    Analysis a;
    const std::vector<Press>& presses = records.presses;
    std::vector<bool> flashSeen(records.flashes.size(), false);
    for (const Press& press : presses) {
        int flash = lastAtOrBefore(records.flashes, press.seen);
        int score = firstAfter(records.scores, press.sent);
        bool fits = flash >= 0 && score >= 0 && !flashSeen[flash] &&
                    toMs(press.seen - records.flashes[flash].start) <
                        flashShowsMs + flashPairSlackMs;
        int nextFlash = flash + 1;
        if (fits && nextFlash < (int)records.flashes.size())
            fits = records.scores[score].start <= records.flashes[nextFlash].start;
        if (!fits) {
            a.unpaired++;
            continue;
        }
        flashSeen[flash] = true;
        a.pairs.push_back(pairPress(press, records.flashes[flash], records.scores[score], records));
    }
    for (size_t i = 0; i < records.flashes.size(); i++)
        if (!flashSeen[i] && records.flashes[i].start > records.watching && !presses.empty() &&
            records.flashes[i].start < presses.back().sent)
            a.unseenFlashes++;
    for (const Event& e : records.earlies) a.earlyClicks += e.start > records.watching;
    // A miss ends the flash before it; it counts against the robot only if the robot saw it.
    for (const Event& e : records.misses) {
        int flash = lastAtOrBefore(records.flashes, e.start);
        a.misses += flash >= 0 && flashSeen[flash];
    }
    return a;
}

// The median frame period between two times.
void measureFrames(Analysis& a, const Records& records, std::int64_t from, std::int64_t to) {
    std::vector<double> periods;
    for (size_t i = 1; i < records.frames.size(); i++)
        if (records.frames[i - 1] >= from && records.frames[i] <= to)
            periods.push_back(toMs(records.frames[i] - records.frames[i - 1]));
    Summary s = summarize(periods);
    a.framePeriodMs = s.median;
    a.framesCounted = s.count;
}

}  // namespace

// Matches the presses to the program's records, and measures the frame period around them.
Analysis analyze(const Records& records) {
    Analysis a = pairPresses(records);
    const std::vector<Press>& presses = records.presses;
    if (!presses.empty())
        measureFrames(a, records, presses.front().seen - fromSeconds(framesMarginSeconds),
                      presses.back().sent + fromSeconds(framesMarginSeconds));
    return a;
}

// True when every press was paired and nothing else happened.
bool clean(const Analysis& a) {
    return a.unpaired == 0 && a.unseenFlashes == 0 && a.earlyClicks == 0 && a.misses == 0;
}

// One part of every pairing.
std::vector<double> part(const std::vector<Pairing>& pairs, double Pairing::*field) {
    std::vector<double> values;
    for (const Pairing& p : pairs) values.push_back(p.*field);
    return values;
}
