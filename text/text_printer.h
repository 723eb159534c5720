// Bitmap-font text from the 16 by 8 cell font sheet, and the one timed status message.
#pragma once

constexpr int statusTextBytes = 80;         // remembered text and formatted lines, terminator included
constexpr int errorDescriptionBytes = 60;
constexpr double statusSeconds = 3.0;
constexpr float statusTextSize = 20.0f;

class TextPrinter {
public:
    TextPrinter() { resetDefaults(); }
    virtual ~TextPrinter() {}

    void printText(const char* text, short x, short y, float size);
    // printText in parts, for columns of labels: the text state is set once for many strings,
    // which draws the same pixels with far fewer draws. Nothing drawn this way is remembered.
    void beginText();
    void drawText(const char* text, short x, short y, float size);
    void endText();
    void setColor(float red, float green, float blue);
    void showStatus(const char* text);
    void showStatus(const char* format, int count);
    void showStatus(const char* format, double value);
    void setStatusText(const char* text);
    void drawStatus();
    void drawFrameRate(int framesPerSecond);
    void checkGlError();
    void resetDefaults();

    int statusX;
    int statusY;
    int lastX;
    int lastY;
    int rememberLast;
    int useAlphaTest;
    int useBlend;
    double statusExpiry;  // clock time the status message ends; 0 when there is none
    float color[4];
    float alphaCutoff;
    float slant;
    char lastText[statusTextBytes];
    unsigned int fontTexture;
    char errorLine[statusTextBytes];  // the last OpenGL error's line
    double errorLineExpiry;           // clock time it stops showing; 0 when none was taken

private:
    void rememberText(const char* text);
};

extern TextPrinter textPrinter;
