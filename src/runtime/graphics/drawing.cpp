// Placeholder until this module is built.
#include "runtime/graphics/drawing.h"

void init_drawing() {}
HDC start_drawing(OutputTarget*) { return 0; }
void stop_drawing() {}
void drawing_font(HFONT) {}
int text_width(const char*) { return 0; }
HDC drawing_context() { return 0; }
