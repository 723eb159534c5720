// Every presentation setting, their reset, and the per-frame tick of the reaction test.
#pragma once

class Settings {
public:
    virtual ~Settings() {}

    int fieldOfView;
    int letterbox;
    int tessellation;
    int universeOn;
    int clearEachFrame;
    int lightsOn;
    int texturesOn;
    int polygonMode;
    int cameraMode;
    int optionIndex;
    int imageIndex;
    int showFps;
    int fogOn;
    float rotateSpeed;
    float movementSpeed;
    float cameraZ;
    float objectSize;
    float mainSpeed;  // seconds: the shortest wait before a flash
    float homeEndFactor;
    float f1f2Factor;
    float f3f4Factor;
    float f5f6Factor;
    float f7f8Factor;
    float fogRange;
    float blanking;
};

extern Settings settings;
extern int pauseMotion;
extern float cameraFieldOfView;  // working value of the field-of-view keys
extern int mouseButtonDown;      // the left button is held
extern int clickLatch;           // the current press has been passed to the test

void resetSettings();
void tickReactionTest();
