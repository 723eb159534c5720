// The reaction test: random waits, flashes, scored clicks, and the statistics drawn every frame.
#pragma once

constexpr int historyLength = 30;
constexpr int histogramBins = 30;
constexpr float timeCap = 30.0f;             // sixtieths; slower times go in no bin and graph at the cap
constexpr double secondsPerSixtieth = 0.01666666;
constexpr double millisecondsPerSixtieth = 16.66666;
constexpr float missSeconds = 3.0f;          // a flash left this long unclicked is a miss
constexpr float quickTime = 10.0f;           // sixtieths; this fast or faster earns a green flash
constexpr double feedbackSeconds = 0.1;      // how long a feedback flash shows

class ReactionTest {
public:
    ReactionTest();
    virtual ~ReactionTest() {}

    void reset(double now);
    void scheduleNextFlash(double now);
    void update(double now);
    void click(double now);
    void eraseLastTime(double now);
    void flash(float red, float green, float blue, double now);

    void drawResults();
    void drawHistogram();
    void drawHistoryGraph();
    void drawAverageLine(float average);

    unsigned int flashTexture;
    // Clock times are the clock's own doubles, which keep every millisecond at any run length.
    double waitStart;
    float waitDelay;
    double flashStart;  // 0 while a wait runs
    int flashOnItsWay; // 1 from the frame that draws the flash until the next one times it
    double clickTime;
    float lastTime;    // sixtieths
    float timeSum;     // sixtieths, uncapped
    float history[historyLength];  // oldest first, capped at timeCap
    float flashColor[3];
    double flashColorTime;
    float delayBase;   // seconds: the shortest wait, copied from the main speed
    int tries;
    int earlyClicks;
    int misses;
    int historyCapacity;
    int scrollCount;
    int viewWidth;
    int viewHeight;
    int histogram[histogramBins];
    float exactHistory[historyLength];  // the same times uncapped, so that an erase restores them

private:
    int shownCount() const { return tries - scrollCount; }
    void recordTime(float time);
};

extern ReactionTest reactionTest;
