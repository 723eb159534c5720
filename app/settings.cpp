#include "app/settings.h"

#include <GL/gl.h>

#include "app/clock.h"
#include "app/frame.h"
#include "input/keyboard.h"
#include "test/reaction_test.h"

int pauseMotion = 0;
float cameraFieldOfView = 0.0f;
int mouseButtonDown = 0;
int clickLatch = 0;

// Every setting back to its start value, a new random seed and a new round of the test.
void resetSettings() {
    lcg::srand((unsigned)elapsedMilliseconds);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);

    settings.fieldOfView = 100;
    settings.letterbox = 0;
    settings.tessellation = 10;
    settings.universeOn = 1;
    settings.clearEachFrame = 1;
    settings.lightsOn = 0;
    settings.texturesOn = 1;
    settings.polygonMode = 0;
    settings.cameraMode = 0;
    settings.optionIndex = 0;
    settings.imageIndex = 0;
    settings.showFps = 0;
    settings.fogOn = 1;
    settings.rotateSpeed = 1.0f;
    settings.movementSpeed = 1.0f;
    settings.cameraZ = 0.5f;
    settings.objectSize = 1.0f;
    settings.mainSpeed = 3.0f;
    settings.homeEndFactor = 1.0f;
    settings.f1f2Factor = 1.0f;
    settings.f3f4Factor = 1.0f;
    settings.f5f6Factor = 1.0f;
    settings.f7f8Factor = 1.0f;
    settings.fogRange = 2.0f;
    settings.blanking = 0.75f;

    pauseMotion = 0;
    exitFadeStart = 0.0;
    mouseButtonDown = 0;
    cameraFieldOfView = (float)settings.fieldOfView;
    counterLowerB = 2;
    counterUpperB = 1;
    counterN = 0;
    reactionTest.delayBase = settings.mainSpeed;
    reactionTest.reset(elapsedSeconds);
}

// Hands the main speed and a new press of the left button to the test, then lets it draw.
void tickReactionTest() {
    reactionTest.delayBase = settings.mainSpeed;
    if (mouseButtonDown == 1) {
        if (clickLatch == 0) {
            clickLatch = 1;
            reactionTest.click(elapsedSeconds);
        }
    } else {
        clickLatch = 0;
    }
    reactionTest.update(elapsedSeconds);
}
