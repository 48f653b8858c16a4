// Placeholder until this module is built.
#include "runtime/gui/window_procedure.h"

LRESULT CALLBACK window_procedure(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }
bool translate_message(HWND, UINT, WPARAM, LPARAM, LRESULT*) { return false; }
void focus_next() {}
void focus_previous() {}
HWND top_level_ancestor(HWND w) { return w; }
