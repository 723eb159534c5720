#include "input/mouse.h"

#include <GL/glut.h>

#include "app/clock.h"
#include "app/frame.h"
#include "app/settings.h"
#include "input/steps.h"
#include "text/text_printer.h"

namespace {

enum MenuEntry {
    menuToggleFps,
    menuToggleFog,
    menuToggleLights,
    menuToggleTextures,
    menuNextImage,
    menuNextOption,
    menuReset,
    menuHelp,
    menuExit,
};

const char* const menuLabels[] = {"Toggle FPS Clock", "Toggle Fog", "Toggle Lights",
                                  "Toggle Textures", "Next Image", "Next Option",
                                  "Reset", "Help", "Exit"};

// Sets, without drawing it now, the status text for a switch's new state.
void setToggleText(int flag, const char* on, const char* off) {
    textPrinter.setStatusText(flag ? on : off);
}

}  // namespace

// Only records whether the left button is down; the next frame scores the press.
void onMouseButton(int button, int state, int, int) {
    if (button != GLUT_LEFT_BUTTON) return;
    if (state == GLUT_DOWN) mouseButtonDown = 1;
    if (state == GLUT_UP) mouseButtonDown = 0;
}

// Builds the nine-entry menu on the right button.
void createMenu() {
    glutCreateMenu(onMenu);
    int value = 0;
    for (const char* label : menuLabels) glutAddMenuEntry(label, value++);
    glutAttachMenu(GLUT_RIGHT_BUTTON);
}

// Carries out a menu entry; the menu's messages show from the next frame.
void onMenu(int value) {
    switch (value) {
        case menuToggleFps: settings.showFps = toggled(settings.showFps); break;
        case menuToggleFog: settings.fogOn = toggled(settings.fogOn);
                            setToggleText(settings.fogOn, "Fog On", "Fog Off"); break;
        case menuToggleLights: settings.lightsOn = toggled(settings.lightsOn);
                               setToggleText(settings.lightsOn, "Lights On", "Lights Off"); break;
        case menuToggleTextures: settings.texturesOn = toggled(settings.texturesOn);
                                 setToggleText(settings.texturesOn, "Textures On", "Textures Off");
                                 break;
        case menuNextImage: settings.imageIndex = steppedIndex(settings.imageIndex);
                            showImageLabel(); break;
        case menuNextOption: settings.optionIndex = steppedIndex(settings.optionIndex);
                             showOptionLabel(); break;
        case menuReset: resetSettings();
                        clearRequest = 1;
                        textPrinter.setStatusText("Reset/Randomized"); break;
        case menuHelp: showHelp = toggled(showHelp); break;
        case menuExit: exitFadeStart = elapsedSeconds; break;
        default: break;
    }
}

// The label of the chosen image, where there is one.
void showImageLabel() {
    if (settings.imageIndex == 0) textPrinter.setStatusText("No Image Options");
    if (settings.imageIndex == 1) textPrinter.setStatusText("Image 1/1: ");
}

// The label of the chosen option, where there is one.
void showOptionLabel() {
    if (settings.optionIndex == 0) textPrinter.setStatusText("No Options");
    if (settings.optionIndex == 1) textPrinter.setStatusText("Option 1/1: ");
}
