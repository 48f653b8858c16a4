// The configuration dialog (window 1): what the label shows, its corner, transparency, font
// and autostart, built in code from numbered gadgets.
#pragma once

#include <windows.h>

#include "resource.h"

// Builds and shows the dialog (an open one is closed and rebuilt first). Returns the window
// handle, or 0 when the window or its gadget list cannot be created.
HWND open_config_dialog();
// Widens the dialogs' scale so that every gadget holds its caption (start-up only).
void fit_config_dialog();
