#include "test/reaction_test.h"

#include "app/clock.h"
#include "app/window.h"

namespace {

// The histogram bin of a time, or -1 for none: only 0 <= t < 30 has a bin, whatever the clock did.
int binOf(float time) {
    if (!(time >= 0.0f && time < timeCap)) return -1;
    return (int)time;
}

}  // namespace

ReactionTest::ReactionTest()
    : flashTexture(0), waitStart(0), waitDelay(0), flashStart(0), flashOnItsWay(0), clickTime(0),
      lastTime(0), timeSum(0), history(), flashColor(), flashColorTime(0), delayBase(3.0f), tries(0),
      earlyClicks(0), misses(0), historyCapacity(historyLength), scrollCount(0), viewWidth(0),
      viewHeight(0), histogram(), exactHistory() {}

// A new round: counts, sum, history and histogram cleared, and a fresh wait.
void ReactionTest::reset(double now) {
    tries = 0;
    earlyClicks = 0;
    misses = 0;
    lastTime = 0.0f;
    scheduleNextFlash(now);
    scrollCount = 0;
    timeSum = 0.0f;
    for (int i = 0; i < historyLength; i++) {
        history[i] = 0.0f;
        exactHistory[i] = 0.0f;
    }
    for (int i = 0; i < histogramBins; i++) histogram[i] = 0;
}

// A new random wait of delayBase to just under twice delayBase, fixed from now on.
void ReactionTest::scheduleNextFlash(double now) {
    waitStart = now;
    waitDelay = (float)(randomValue(delayBase) + delayBase);
    flashStart = 0.0;
    flashOnItsWay = 0;
    clickTime = 0.0;
}

// Once per frame: draws the results, shows a due flash, and counts a flash left too long as a miss.
// The frame that draws the flash reads its clock before drawing and swapping, so the user sees the
// flash only after that reading; the next frame's clock is the first taken once the flash is on the
// screen, and the flash's time moves there.
void ReactionTest::update(double now) {
    viewWidth = frameWidth;
    viewHeight = frameHeight;
    drawResults();
    if (flashStart == 0.0 && waitStart + waitDelay < now) {
        flashStart = now;
        flashOnItsWay = 1;
        flash(1.0f, 1.0f, 1.0f, now);
    } else if (flashOnItsWay != 0) {
        flashStart = now;
        flashOnItsWay = 0;
    }
    flash(-1.0f, 0.0f, 0.0f, now);
    if (flashStart != 0.0 && flashStart + missSeconds < now) {
        scheduleNextFlash(now);
        misses += 1;
    }
}

// Scores one press: early during a wait, else a reaction time from the pending flash. A press seen
// by the frame right after the flash's own was made before the flash could be seen, and so was
// one seen in the very millisecond the flash was timed: both are early too, so that no time is
// 0 or shorter than a frame.
void ReactionTest::click(double now) {
    if (flashStart == 0.0 || flashOnItsWay != 0 || !(now > flashStart)) {
        earlyClicks += 1;
        scheduleNextFlash(now);
        flash(1.0f, 0.0f, 0.0f, now);
        return;
    }
    clickTime = now;
    recordTime((float)((clickTime - flashStart) / secondsPerSixtieth));
    if (lastTime <= quickTime) flash(0.0f, 1.0f, 0.0f, now);
    scheduleNextFlash(now);
}

// Adds a time to the count, the sum, the history and its bin. The history scrolls only when its
// shown part is full, so that after an erase the next time fills the freed place.
void ReactionTest::recordTime(float time) {
    lastTime = time;
    tries += 1;
    timeSum += lastTime;
    if (shownCount() > historyCapacity) {
        scrollCount += 1;
        for (int i = 0; i < historyLength - 1; i++) {
            history[i] = history[i + 1];
            exactHistory[i] = exactHistory[i + 1];
        }
    }
    int slot = shownCount() - 1;
    history[slot] = lastTime < timeCap ? lastTime : timeCap;
    exactHistory[slot] = lastTime;
    int bin = binOf(lastTime);
    if (bin >= 0) histogram[bin] += 1;
}

// Removes the last recorded time. When no shown time is left the round starts afresh, since the
// times that scrolled out of the history are not kept and cannot be taken back one by one.
void ReactionTest::eraseLastTime(double now) {
    if (tries > 0) tries -= 1;
    if (shownCount() <= 0) {
        reset(now);
        return;
    }
    timeSum -= lastTime;
    int bin = binOf(lastTime);
    if (bin >= 0) histogram[bin] -= 1;
    lastTime = exactHistory[shownCount() - 1];
}
