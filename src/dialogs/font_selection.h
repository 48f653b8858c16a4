// The label font chosen with the system's font requester; the program's other windows are
// disabled while it is open.
#pragma once

#include <windows.h>
#include <commdlg.h>

// Opens the requester on the given face and point size. Returns 1 when it was left with OK,
// 0 when it was cancelled or failed. A colour of -1 means none.
int choose_font(const char* name, int size, unsigned long flags, long colour = -1);
// The face name of the last requester, as a scratch text.
char* selected_font_name();
// The point size of the last requester, in whole points (fractions dropped).
int selected_font_size();
// Disables this thread's visible, enabled top-level windows other than the foreground one and
// remembers them; enable_thread_windows enables exactly those again.
void disable_thread_windows();
void enable_thread_windows();

// Fills the two request records as choose_font hands them to the requester.
void prepare_font_request(const char* name, int size, unsigned long flags, long colour);
const CHOOSEFONTA* font_request();
