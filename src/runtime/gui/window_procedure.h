// The class procedure of every runtime window: platform messages become runtime events, and
// Tab / Shift+Tab move the keyboard focus through a dialog's controls.
#pragma once

#include <windows.h>

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
// Returns true and sets result when the message is handled here.
bool translate_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result);
void focus_next();
void focus_previous();
HWND top_level_ancestor(HWND window);
