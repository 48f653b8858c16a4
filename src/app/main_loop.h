// The main loop's dispatch step, callable on its own, and the one way out to the web browser.
#pragma once

#include <windows.h>

// Acts on one event as a loop turn does, before the work-area poll.
void dispatch_event(int event);

// Opens a web page with the system's default handler. Tests put a recorder here so that no
// browser is started.
typedef HINSTANCE(WINAPI* ShellExecuteFunction)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
extern ShellExecuteFunction shell_execute;
