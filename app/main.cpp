// Snapwit: a visual reaction-time tester. GLUT owns the main loop; the program ends through exit(0).
#include <GL/glut.h>

#include "app/window.h"
#include "input/keyboard.h"
#include "input/mouse.h"
#include "input/special_keys.h"

// Opens the full-screen window, wires the callbacks and the menu, and hands over to GLUT.
int main(int argc, char** argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    // Without a window manager the default position leaves the full-screen window a pixel off
    // the screen, and the pointer warped below off its place.
    glutInitWindowPosition(0, 0);
    glutInitWindowSize(windowWidth, windowHeight);
    glutCreateWindow("Snapwit");
    glutFullScreen();
    glutKeyboardFunc(onKeyboard);
    glutSpecialFunc(onSpecialKey);
    glutMouseFunc(onMouseButton);
    glutReshapeFunc(onReshape);
    glutDisplayFunc(onDisplay);
    glutIdleFunc(onIdle);
    createMenu();
    initGraphics();
    glutMainLoop();
    return 0;
}
