// Placeholder until this module is built.
#include "label/label.h"

void place_label_window(int) {}
void apply_transparency(int, int) {}
void render_label() {}
int measure_text_width(const char*, int, const char*) { return 0; }
int measure_font_height(const char*, int) { return 0; }
int text_metrics_height(void*) { return 0; }
