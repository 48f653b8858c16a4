// The configuration dialog (window 1): what the label shows, its corner, transparency, font
// and autostart, built in code from numbered gadgets.
#pragma once

#include <windows.h>

#include "resource.h"

// Builds and shows the dialog (an open one is closed and rebuilt first). Returns the window
// handle, or 0 (and no dialog) when it cannot be built whole.
HWND open_config_dialog();
// Widens the dialogs' scale so that every gadget holds its caption (start-up only, while the
// scale is being fitted).
void fit_config_dialog();
