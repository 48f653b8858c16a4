// The About dialog (window 2): the logo, the description, "Close" and the website link.
#pragma once

#include <windows.h>

#include "resource.h"

// Builds and shows the dialog (an open one is closed and rebuilt first). Returns the window
// handle, or 0 when the window or its gadget list cannot be created. The text and the link's
// font are put in by the caller once the dialog's first messages have been handled.
HWND open_about_dialog();
