// Placeholder until this module is built.
#include "dialogs/font_selection.h"

int choose_font(const char*, int, unsigned long, long) { return 0; }
char* selected_font_name() { return 0; }
int selected_font_size() { return 0; }
void disable_thread_windows() {}
void enable_thread_windows() {}
