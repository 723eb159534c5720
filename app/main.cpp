// Snapwit: a visual reaction-time tester. GLUT owns the main loop; the program ends through exit(0).
#include <GL/glut.h>

#include "app/window.h"

// Opens the full-screen window, wires the callbacks and the menu, and hands over to GLUT.
int main(int argc, char** argv) {
    startUp(&argc, argv);
    glutMainLoop();
    return 0;
}
