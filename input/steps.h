// How commands step their values: toggles, wrapping counters, indices and decimal factors.
#pragma once

#include "text/text_printer.h"

constexpr double stepDown = 0.9;  // the decimal factors as written: 1.111111 is not 10/9
constexpr double stepUp = 1.111111;

// A flag becomes 1 if it was 0 and 0 otherwise.
inline int toggled(int flag) {
    return flag == 0 ? 1 : 0;
}

// A counter goes up by one and wraps from last back to 0.
inline int stepped(int counter, int last) {
    return counter == last ? 0 : counter + 1;
}

// An index steps toward 0 from below and otherwise lands on 0.
inline int steppedIndex(int index) {
    return index < 0 ? index + 1 : 0;
}

// A setting times a decimal factor, worked in double precision and stored back as a float.
inline float scaled(float value, double factor) {
    return (float)(value * factor);
}

// Multiplies a setting by a factor and confirms its new value.
inline void stepFactor(float& value, double factor, const char* format) {
    value = scaled(value, factor);
    textPrinter.showStatus(format, (double)value);
}
