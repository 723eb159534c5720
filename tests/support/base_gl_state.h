// The OpenGL state every drawing operation must leave behind, one check for the unit tests and
// the fuzzer alike, so free of GoogleTest.
#pragma once

#include <GL/gl.h>

// What differs first from the base state, or nullptr when nothing does.
inline const char* baseGlStateDifference() {
    GLint source = -1, destination = -1, alphaFunction = -1, textureMode = -1;
    GLfloat alphaReference = -1.0f;
    GLboolean depthWrites = GL_FALSE, channels[4] = {GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE};
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    glGetIntegerv(GL_ALPHA_TEST_FUNC, &alphaFunction);
    glGetFloatv(GL_ALPHA_TEST_REF, &alphaReference);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    glGetBooleanv(GL_COLOR_WRITEMASK, channels);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &textureMode);
    if (glIsEnabled(GL_TEXTURE_2D)) return "texturing left on";
    if (glIsEnabled(GL_BLEND)) return "blending left on";
    if (glIsEnabled(GL_ALPHA_TEST)) return "alpha test left on";
    if (glIsEnabled(GL_LINE_STIPPLE)) return "line stipple left on";
    if (source != GL_SRC_ALPHA || destination != GL_ONE_MINUS_SRC_ALPHA)
        return "blend function changed";
    if (alphaFunction != GL_GREATER || alphaReference != 0.0f) return "alpha function not reset";
    if (!depthWrites) return "depth writes left off";
    if (!(channels[0] && channels[1] && channels[2] && channels[3])) return "colour writes masked";
    if (textureMode != GL_MODULATE) return "texture environment not modulate";
    return nullptr;
}
