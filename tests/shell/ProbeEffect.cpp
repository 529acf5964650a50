#include "ProbeEffect.h"

#include <cstdarg>

int ProbeEffect::destroyed = 0;
int ProbeEditor::destroyed = 0;

void ProbeEffect::Note(const char* format, ...) {
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    last = text;
    ++calls;
}
