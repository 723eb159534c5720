// The frame: frame-rate count, letterbox viewport, fades, the exit fade, trails, polygon mode and
// fog distances, and the texture clean-up that runs before the exit.
#include "app/frame.h"

#include <GL/glut.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/clock.h"
#include "app/settings.h"
#include "app/window.h"
#include "input/keyboard.h"
#include "input/special_keys.h"
#include "test/reaction_test.h"
#include "tests/support/gl_test.h"
#include "tests/support/screen.h"
#include "text/text_printer.h"
#include "text/textures.h"

namespace {
int deleteCalls = 0;
int deletedNames = 0;
}  // namespace

// Counts texture deletions on their way to the real OpenGL function.
extern "C" void glDeleteTextures(GLsizei n, const GLuint* textures) {
    using DeleteFunction = void (*)(GLsizei, const GLuint*);
    static DeleteFunction real = (DeleteFunction)dlsym(RTLD_NEXT, "glDeleteTextures");
    deleteCalls += 1;
    deletedNames += n;
    real(n, textures);
}

namespace {

// A spot that neither the reaction test, the texts nor the sliding title ever draws on.
constexpr int emptyX = 500;
constexpr int emptyY = 200;

// Histogram bin 5 with 40 entries: a yellow bar over x 230..243 and y 80..600 of the window.
constexpr int tallBin = 5;
constexpr int tallBinCount = 40;
constexpr int barColumn = 236;
constexpr int barBottom = 80;
constexpr int barHeight = 520;

// The status message sits 25 px below the top edge, from x 10 on.
constexpr int statusRowsBottom = 760;
constexpr int statusRowsHeight = 40;
constexpr int statusRowsWidth = 400;

class FrameTest : public ProgramTest {
protected:
    // Later tests in the binary expect filled polygons and the whole-window view.
    void TearDown() override { beginScreenOverlay(); }
};

// Keeps the flash away, so that a frame after 3 s does not cover the window with its glow.
void holdFlashBack() {
    reactionTest.waitDelay = 1.0e4f;
}

// A white picture that the frame neither clears nor darkens, so only the fade quads dim it.
void keepWhitePicture() {
    settings.clearEachFrame = 0;
    settings.blanking = 1.0f;
    fillWindow(1.0f, 1.0f, 1.0f);
}

int barPixels(int y, int height) {
    return countColor(capture(barColumn, y, 1, height), 255, 255, 0);
}

int statusPixels() {
    return litPixels(capture(0, statusRowsBottom, statusRowsWidth, statusRowsHeight));
}

// The width of the windows the viewport test uses.
constexpr int viewTestWidth = 800;

// Sets the letterbox and the view; expects a viewport the whole 800-pixel width across, from row
// `bottom` and `height` rows high.
void expectLetterboxViewport(int letterbox, int bottom, int height) {
    settings.letterbox = letterbox;
    setupView();
    GLint viewport[4] = {-1, -1, -1, -1};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0) << "letterbox " << letterbox;
    EXPECT_EQ(viewport[1], bottom) << "letterbox " << letterbox;
    EXPECT_EQ(viewport[2], viewTestWidth) << "letterbox " << letterbox;
    EXPECT_EQ(viewport[3], height) << "letterbox " << letterbox;
}

// Reports, as the process ends, whether the textures are gone and in how many calls.
void reportTexturesAtExit() {
    int left = (int)glIsTexture(textureNames[0]) + (int)glIsTexture(textureNames[1]);
    std::fprintf(stderr, "textures left %d, delete calls %d\n", left, deleteCalls);
}

}  // namespace

TEST_F(FrameTest, FrameRateShows30UntilOneSecondThenCountsAndCatchesUpAfterAStall) {
    for (int ms : {0, 250, 500, 999}) {
        frameAt(ms);
        EXPECT_EQ(framesPerSecond, 30) << ms;
    }
    frameAt(1000);
    EXPECT_EQ(framesPerSecond, 5);
    EXPECT_EQ(framesCounted, 0);
    EXPECT_EQ(nextFpsUpdate, 2.0);
    frameAt(1500);
    frameAt(1999);
    EXPECT_EQ(framesPerSecond, 5);

    // Four seconds lost: each later frame moves the update time on by one second only.
    frameAt(6000);
    EXPECT_EQ(framesPerSecond, 3);
    EXPECT_EQ(nextFpsUpdate, 3.0);
    for (int ms : {6010, 6020, 6030, 6040}) {
        frameAt(ms);
        EXPECT_EQ(framesPerSecond, 1) << ms;
    }
    EXPECT_EQ(nextFpsUpdate, 7.0);
    frameAt(6500);
    frameAt(6999);
    EXPECT_EQ(framesPerSecond, 1);
    EXPECT_EQ(framesCounted, 2);
    frameAt(7000);
    EXPECT_EQ(framesPerSecond, 3);
    EXPECT_EQ(nextFpsUpdate, 8.0);
}

TEST_F(FrameTest, LetterboxViewportKeepsTheMiddleBandUnderAWholeWindowProjection) {
    resizeWindow(viewTestWidth, 1000);
    expectLetterboxViewport(6, 300, 400);
    expectLetterboxViewport(0, 0, 1000);

    // Both edges are truncated: 39.5 and 750.5 become 39 and 750.
    resizeWindow(viewTestWidth, 790);
    expectLetterboxViewport(1, 39, 711);

    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_FLOAT_EQ(projection[0], 2.0f / 800);
    EXPECT_FLOAT_EQ(projection[5], 2.0f / 790);
    EXPECT_FLOAT_EQ(projection[12], -1.0f);
    EXPECT_FLOAT_EQ(projection[13], -1.0f);
}

TEST_F(FrameTest, LetterboxSqueezesOnlyTheReactionTestIntoTheBand) {
    holdFlashBack();
    reactionTest.histogram[tallBin] = tallBinCount;
    frameAt(9990);
    textPrinter.showStatus("Letterbox check");
    frameAt(10000);
    EXPECT_NEAR(barPixels(barBottom, barHeight), barHeight, 2);
    int statusWhole = statusPixels();
    EXPECT_GT(statusWhole, 100);

    // On an 800-pixel window the band is y 240..560, and the bar shrinks to 0.4 of its height.
    settings.letterbox = 6;
    frameAt(10020);
    EXPECT_EQ(barPixels(0, 240), 0);
    EXPECT_EQ(barPixels(560, 240), 0);
    EXPECT_NEAR(barPixels(240, 320), barHeight * 0.4, 2);
    EXPECT_NEAR(countColor(capture(barColumn, 272, 1, 208), 255, 255, 0), 208, 2);
    EXPECT_EQ(statusPixels(), statusWhole);

    // The exit fade at half strength darkens above, inside and below the band alike.
    keepWhitePicture();
    exitFadeStart = elapsedSeconds - 1.0f;
    frameAt(10040);
    for (int y : {100, 400, 700}) EXPECT_NEAR(pixelAt(990, y).r, 125, 3) << y;
}

TEST_F(FrameTest, FrameRateLineAndHelpScreenCoverTheWholeWindowUnderLetterbox) {
    holdFlashBack();
    auto frameRateLine = [] { return litPixels(capture(885, 770, 115, 30)); };
    // Left of the results and right of the graph labels only the help screen draws up here.
    auto helpTop = [] { return litPixels(capture(68, 560, 632, 240)); };

    frameAt(10000);
    EXPECT_EQ(frameRateLine(), 0);
    EXPECT_EQ(helpTop(), 0);

    settings.showFps = 1;
    showHelp = 1;
    frameAt(10020);
    int lineWhole = frameRateLine();
    int helpWhole = helpTop();
    EXPECT_GT(lineWhole, 100);
    EXPECT_GT(helpWhole, 1000);

    settings.letterbox = 6;
    frameAt(10040);
    EXPECT_EQ(frameRateLine(), lineWhole);
    EXPECT_EQ(helpTop(), helpWhole);
}

TEST_F(FrameTest, FadeInIsOpaqueAtStartHalfAtOneSecondAndGoneAtTwo) {
    struct Step {
        int ms;
        int level;
    };
    for (Step step : {Step{0, 0}, Step{1000, 128}, Step{1500, 191}, Step{1999, 255},
                      Step{2000, 255}}) {
        keepWhitePicture();
        frameAt(step.ms);
        EXPECT_NEAR(pixelAt(emptyX, emptyY).r, step.level, 2) << step.ms;
        if (step.ms == 0) {
            EXPECT_TRUE(isBlack(pixelAt(0, 0), 0));
            EXPECT_TRUE(isBlack(pixelAt(testWindowWidth - 1, testWindowHeight - 1), 0));
        }
    }
    EXPECT_EQ(pixelAt(emptyX, emptyY).r, 255);
}

TEST_F(FrameTest, ExitAskedForAtHalfASecondFadesFromTwoSecondsOnWithAlphaThreeQuarters) {
    frameAt(500);
    exitFadeStart = elapsedSeconds;
    struct Step {
        int ms;
        int level;
    };
    // Up to 2 s only the fade-in shows; from there the exit fade is already 1.5 s along.
    for (Step step : {Step{1999, 255}, Step{2000, 64}, Step{2200, 38}, Step{2400, 13}}) {
        keepWhitePicture();
        frameAt(step.ms);
        EXPECT_NEAR(pixelAt(emptyX, emptyY).r, step.level, 2) << step.ms;
        EXPECT_NEAR(pixelAt(5, 795).r, step.level, 2) << step.ms;
    }
}

TEST_F(FrameTest, ExitAskedForAtHalfASecondEndsTheProgramAtTheFirstFrameAfterTwoAndAHalf) {
    expectExitAtFrame(
        [] {
            std::atexit(reportTexturesAtExit);
            frameAt(500);
            exitFadeStart = elapsedSeconds;
            keepWhitePicture();
            frameAt(1999);
            frameAt(2000);
            frameAt(2500);
        },
        2501, "textures left 0, delete calls 1\n");
}

TEST_F(FrameTest, SecondExitRequestEndsTheProgramAtTheNextFrameButNotBeforeTwoSeconds) {
    expectExitAtFrame(
        [] {
            frameAt(3000);
            exitFadeStart = elapsedSeconds;
            frameAt(3500);
            exitFadeStart = elapsedSeconds - 5.0f;
        },
        3510);
    expectExitAtFrame(
        [] {
            frameAt(1000);
            exitFadeStart = elapsedSeconds - 5.0f;
            frameAt(1010);
            frameAt(1999);
        },
        2000);
}

TEST_F(FrameTest, TrailsDarkenAtMost60TimesAClockSecondByAllTheTimeSinceTheLastDarkening) {
    holdFlashBack();
    reactionTest.histogram[tallBin] = tallBinCount;
    settings.clearEachFrame = 0;
    frameAt(10000);
    // What is kept is (1 - blanking x 40 / 60) to the power of the sixtieths owed.
    struct Case {
        float blanking;
        int frameMs;
        int level;
    };
    int ms = 10000;
    for (Case c : {Case{0.75f, 17, 126}, Case{0.75f, 8, 255}, Case{0.75f, 8, 255},
                   Case{0.75f, 10, 86}, Case{0.5f, 25, 139}, Case{0.25f, 40, 165},
                   Case{0.9f, 50, 16}, Case{1.0f, 50, 255}}) {
        fillWindow(1.0f, 1.0f, 1.0f);
        settings.blanking = c.blanking;
        ms += c.frameMs;
        frameAt(ms);
        EXPECT_NEAR(pixelAt(emptyX, emptyY).r, c.level, 2) << ms;
        // The reaction test draws after the darkening, at full strength.
        EXPECT_NEAR(barPixels(barBottom, barHeight), barHeight, 2) << ms;
    }
}

// The clock stepped by a repeating pattern of frame lengths, as on a machine of that speed.
struct FrameRate {
    const char* name;
    int steps[2];
    int perSecond;
};
void PrintTo(const FrameRate& rate, std::ostream* out) {
    *out << rate.name;
}

class FrameRateTest : public FrameTest, public ::testing::WithParamInterface<FrameRate> {
protected:
    int ms = 10000;
    int step = 0;

    void nextFrame() {
        ms += GetParam().steps[step++ % 2];
        frameAt(ms);
    }

    // An early click glows red for 0.1 s; then, on trails, the centre fades: still there 30 to
    // 70 ms after the glow, at most 8 of 255 once 1.5 s have passed.
    void expectTrailFades(const char* mode) {
        SCOPED_TRACE(mode);
        mouseButtonDown = 1;
        nextFrame();
        mouseButtonDown = 0;
        ASSERT_EQ(reactionTest.flashColor[0], 1.0f);
        int glowEnd = (int)(reactionTest.flashColorTime * 1000.0f) + 100;
        int dimmestEarly = 255, shownEarly = 0;
        while (ms < glowEnd + 1500) {
            nextFrame();
            if (ms - glowEnd < 30 || ms - glowEnd > 70) continue;
            dimmestEarly = std::min(dimmestEarly, pixelAt(centreX, centreY).r);
            shownEarly += 1;
        }
        EXPECT_GT(shownEarly, 0);
        EXPECT_GE(dimmestEarly, 8) << "the trail is gone too soon";
        EXPECT_LE(pixelAt(centreX, centreY).r, 8) << "the trail stays";
    }

    static constexpr int centreX = testWindowWidth / 2;
    static constexpr int centreY = testWindowHeight / 2;
};

TEST_P(FrameRateTest, TrailsFadeAndTheFrameRateLineShowsTheCountWholeInsideTheWindow) {
    holdFlashBack();
    settings.showFps = 1;
    frameAt(ms);
    framesCounted = 0;
    nextFpsUpdate = 11.0;
    // The band above the count lines: only the frame-rate line draws there.
    auto band = [] { return capture(700, testWindowHeight - 20, testWindowWidth - 700, 15); };
    auto line = [&](const char* text, int x) {
        clearToBlack();
        beginScreenOverlay();
        textPrinter.rememberLast = 0;
        textPrinter.printText(text, (short)x, 25, 20.0f);
        textPrinter.rememberLast = 1;
        Region drawn = band();
        clearToBlack();
        return drawn;
    };
    // A count of four digits ends where one of three does.
    char text[32];
    int length = std::snprintf(text, sizeof text, "%3d Frame/Sec", GetParam().perSecond);
    Region expected = line(text, testWindowWidth - 120 - 9 * std::max(0, length - 13));
    while (ms < 11000) nextFrame();
    EXPECT_EQ(framesPerSecond, GetParam().perSecond);
    EXPECT_EQ(band(), expected);

    settings.showFps = 0;
    onKeyboard(' ', 0, 0);
    expectTrailFades("space bar");
    for (int i = 0; i < 10; i++) onSpecialKey(GLUT_KEY_F11, 0, 0);
    expectTrailFades("ten F11");
}

INSTANTIATE_TEST_SUITE_P(
    Clock, FrameRateTest,
    ::testing::Values(FrameRate{"Alternately0And1Ms", {0, 1}, 2000},
                      FrameRate{"Every1Ms", {1, 1}, 1000}, FrameRate{"Every16Ms", {16, 16}, 63},
                      FrameRate{"Every50Ms", {50, 50}, 20}),
    [](const ::testing::TestParamInfo<FrameRate>& info) { return std::string(info.param.name); });

TEST_F(FrameTest, ClearRequestClearsOnceWhateverTheTrailsAndIsReset) {
    holdFlashBack();
    settings.clearEachFrame = 0;
    settings.blanking = 1.0f;
    frameAt(10000);
    for (float blanking : {1.0f, 0.75f}) {
        settings.blanking = blanking;
        fillWindow(1.0f, 1.0f, 1.0f);
        clearRequest = 1;
        frameAt(10020);
        EXPECT_EQ(pixelAt(emptyX, emptyY).r, 0) << blanking;
        EXPECT_EQ(clearRequest, 0);
    }
    settings.blanking = 1.0f;
    fillWindow(1.0f, 1.0f, 1.0f);
    frameAt(10040);
    EXPECT_EQ(pixelAt(emptyX, emptyY).r, 255);

    // Clearing every frame; the depth buffer, which nothing tests, is neither cleared nor written.
    settings.clearEachFrame = 1;
    fillWindow(1.0f, 1.0f, 1.0f);
    glClearDepth(0.25);
    glClear(GL_DEPTH_BUFFER_BIT);
    glClearDepth(1.0);
    frameAt(10060);
    EXPECT_EQ(pixelAt(emptyX, emptyY).r, 0);
    GLfloat depth = 0.0f;
    glReadPixels(emptyX, emptyY, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_EQ(depth, 0.25f);
}

TEST_F(FrameTest, LineAndPointModesChangeOnlyTheReactionTestLayer) {
    holdFlashBack();
    reactionTest.histogram[tallBin] = tallBinCount;

    // The fade-in quad stays filled.
    for (int mode : {1, 2}) {
        settings.polygonMode = mode;
        keepWhitePicture();
        frameAt(1000);
        EXPECT_NEAR(pixelAt(emptyX, emptyY).r, 128, 2) << mode;
    }

    settings.clearEachFrame = 1;
    frameAt(9990);
    textPrinter.showStatus("Polygon mode check");
    int statusFilled = -1;
    for (int mode : {0, 1, 2}) {
        settings.polygonMode = mode;
        frameAt(10000 + 20 * mode);
        int bar = barPixels(0, testWindowHeight);
        if (mode == 0) {
            EXPECT_NEAR(bar, barHeight, 2);
            statusFilled = statusPixels();
            EXPECT_GT(statusFilled, 100);
        } else {
            // An outline crosses the bar's middle column at its top and bottom edges only.
            EXPECT_LE(bar, 4) << mode;
            EXPECT_EQ(statusPixels(), statusFilled) << mode;
        }
        GLint polygon[2];
        glGetIntegerv(GL_POLYGON_MODE, polygon);
        EXPECT_EQ(polygon[0], GL_FILL);
        EXPECT_EQ(polygon[1], GL_FILL);
    }

    // A fade quad drawn straight into the reaction test's view is still filled.
    for (int mode : {1, 2}) {
        settings.polygonMode = mode;
        fillWindow(1.0f, 1.0f, 1.0f);
        setupView();
        drawFadeQuad(0.5f);
        EXPECT_NEAR(pixelAt(emptyX, emptyY).r, 128, 2) << mode;
        EXPECT_NEAR(pixelAt(3, 3).r, 128, 2) << mode;
    }
}

TEST_F(FrameTest, FogDistancesFollowCameraZAndRangeOnlyWhileFogIsOn) {
    auto fogStart = [] { return floatState(GL_FOG_START); };
    auto fogEnd = [] { return floatState(GL_FOG_END); };
    settings.cameraZ = 0.7f;
    settings.fogRange = 1.5f;
    setupView();
    EXPECT_EQ(fogStart(), 0.7f);
    EXPECT_EQ(fogEnd(), 0.7f + 1.5f);

    settings.fogRange = -0.3f;
    setupView();
    EXPECT_EQ(fogEnd(), 0.7f);

    settings.cameraZ = -0.2f;
    settings.fogRange = 0.1f;
    setupView();
    EXPECT_EQ(fogStart(), -0.2f);
    EXPECT_EQ(fogEnd(), -0.2f + 0.1f);

    settings.fogOn = 0;
    glFogf(GL_FOG_START, 0.1f);
    glFogf(GL_FOG_END, 10.0f);
    settings.cameraZ = 0.9f;
    frameAt(10000);
    EXPECT_EQ(fogStart(), 0.1f);
    EXPECT_EQ(fogEnd(), 10.0f);

    settings.fogOn = 1;
    settings.cameraZ = 0.55f;
    settings.fogRange = 2.0f;
    frameAt(10020);
    EXPECT_EQ(fogStart(), 0.55f);
    EXPECT_EQ(fogEnd(), 0.55f + 2.0f);
    EXPECT_FALSE(glIsEnabled(GL_FOG));
}

TEST_F(FrameTest, IntroTitleSlidesFromTopLeftToBottomRightWithoutBecomingTheStatusText) {
    holdFlashBack();
    textPrinter.setStatusText("Kept status");
    // At 4 s the title's lower-left corner is half way: x 500, 400 px below the top.
    frameAt(4000);
    EXPECT_GT(litPixels(capture(500, 400, 240, 62)), 300);
    EXPECT_EQ(litPixels(capture(500, 380, 240, 20)), 0);
    EXPECT_EQ(litPixels(capture(380, 400, 119, 62)), 0);
    EXPECT_STREQ(textPrinter.lastText, "Kept status");
    EXPECT_EQ(textPrinter.rememberLast, 1);

    frameAt(6000);
    EXPECT_GT(litPixels(capture(750, 200, 240, 62)), 300);
    EXPECT_EQ(litPixels(capture(500, 400, 240, 62)), 0);
    EXPECT_STREQ(textPrinter.lastText, "Kept status");
}

TEST(TextureCleanUp, DeletesTheListedTexturesInOneCallAndNothingWhenTheListIsEmpty) {
    GLuint fresh[3];
    glGenTextures(3, fresh);
    for (GLuint name : fresh) glBindTexture(GL_TEXTURE_2D, name);
    glBindTexture(GL_TEXTURE_2D, 0);
    unsigned int kept[3] = {textureNames[0], textureNames[1], textureNames[2]};
    int keptCount = textureCount;
    for (int i = 0; i < 3; i++) textureNames[i] = fresh[i];

    textureCount = 0;
    deleteCalls = 0;
    deleteTextures();
    EXPECT_EQ(deleteCalls, 0);
    for (GLuint name : fresh) EXPECT_TRUE(glIsTexture(name));

    textureCount = 2;
    deletedNames = 0;
    deleteTextures();
    EXPECT_EQ(deleteCalls, 1);
    EXPECT_EQ(deletedNames, 2);
    EXPECT_FALSE(glIsTexture(fresh[0]));
    EXPECT_FALSE(glIsTexture(fresh[1]));
    EXPECT_TRUE(glIsTexture(fresh[2]));

    for (int i = 0; i < 3; i++) textureNames[i] = kept[i];
    textureCount = keptCount;
    glDeleteTextures(1, &fresh[2]);
    EXPECT_TRUE(glIsTexture(textureNames[0]));
    EXPECT_TRUE(glIsTexture(textureNames[1]));
}
