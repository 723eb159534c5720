#include "input/special_keys.h"

#include <GL/glut.h>

#include "app/settings.h"
#include "input/steps.h"
#include "text/text_printer.h"

namespace {

constexpr double fineDown = 0.95;
constexpr double fineUp = 1.05263;
constexpr float fogRangeMin = 0.01f;
constexpr float fogRangeMax = 4.0f;

// Scales the fog range within 0.01 to 4 and confirms it.
void stepFogRange(double factor) {
    settings.fogRange = scaled(settings.fogRange, factor);
    if (settings.fogRange < fogRangeMin) settings.fogRange = fogRangeMin;
    if (settings.fogRange > fogRangeMax) settings.fogRange = fogRangeMax;
    textPrinter.showStatus("Fog: %4.2f\n", (double)settings.fogRange);
}

// Less blanking always means trails; reaching full blanking switches clearing back on.
void stepBlanking(double factor) {
    settings.blanking = scaled(settings.blanking, factor);
    if (factor < 1.0) {
        if (settings.blanking < 0.0f) settings.blanking = 0.0f;
        if (settings.blanking < 1.0f) settings.clearEachFrame = 0;
    } else if (!(settings.blanking < 1.0f)) {
        settings.blanking = 1.0f;
        settings.clearEachFrame = 1;
    }
    textPrinter.showStatus("Blanking Percentage: %4.2f\n", settings.blanking * 100.0);
}

}  // namespace

// Steps the value a function key, Page Up or Down, Home or End stands for.
void onSpecialKey(int key, int, int) {
    switch (key) {
        case GLUT_KEY_F1: stepFactor(settings.f1f2Factor, stepDown, "F1/F2: %4.2f\n"); break;
        case GLUT_KEY_F2: stepFactor(settings.f1f2Factor, stepUp, "F1/F2: %4.2f\n"); break;
        case GLUT_KEY_F3: stepFactor(settings.f3f4Factor, stepDown, "F3/F4: %4.2f\n"); break;
        case GLUT_KEY_F4: stepFactor(settings.f3f4Factor, stepUp, "F3/F4: %4.2f\n"); break;
        case GLUT_KEY_F5: stepFactor(settings.f5f6Factor, stepDown, "F5/F6: %4.2f\n"); break;
        case GLUT_KEY_F6: stepFactor(settings.f5f6Factor, stepUp, "F5/F6: %4.2f\n"); break;
        case GLUT_KEY_F7: stepFactor(settings.f7f8Factor, stepDown, "F7/F8: %4.2f\n"); break;
        case GLUT_KEY_F8: stepFactor(settings.f7f8Factor, stepUp, "F7/F8: %4.2f\n"); break;
        case GLUT_KEY_F9: stepFogRange(fineDown); break;
        case GLUT_KEY_F10: stepFogRange(fineUp); break;
        case GLUT_KEY_F11: stepBlanking(fineDown); break;
        case GLUT_KEY_F12: stepBlanking(fineUp); break;
        case GLUT_KEY_PAGE_UP: stepFactor(settings.mainSpeed, stepUp, "Main Speed: %4.2f\n"); break;
        case GLUT_KEY_PAGE_DOWN: stepFactor(settings.mainSpeed, stepDown, "Main Speed: %4.2f\n"); break;
        case GLUT_KEY_HOME: stepFactor(settings.homeEndFactor, stepUp, "Home/End: %4.2f\n"); break;
        case GLUT_KEY_END: stepFactor(settings.homeEndFactor, stepDown, "Home/End: %4.2f\n"); break;
        default: break;
    }
}
