// Placeholder until this module is built.
#include "runtime/graphics/fonts.h"

ObjectTable font_table;
void init_fonts() {}
ObjectNumber load_font(ObjectNumber, const char*, int, int) { return 0; }
HFONT font_handle(ObjectNumber) { return 0; }
HFONT current_font() { return 0; }
void free_font(ObjectNumber) {}
void free_all_fonts() {}
