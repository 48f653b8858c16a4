// The About dialog (window 2): the logo, the description, "Close" and the website link.
#pragma once

#include <windows.h>

#include "resource.h"
#include "runtime/graphics/fonts.h"

// The link's own font, put in once the dialog's first messages have been handled: underlined
// Arial 10.
extern const char kLinkFontFace[];
const int kLinkFontSize = 10;
const int kLinkFontStyle = FontUnderline;

// Builds and shows the dialog (an open one is closed and rebuilt first). Returns the window
// handle, or 0 (and no dialog) when it cannot be built whole. The text and the link's
// font are put in by the caller once the dialog's first messages have been handled.
HWND open_about_dialog();
// Widens the dialogs' scale so that every gadget holds what it will show (start-up only, while
// the scale is being fitted).
void fit_about_dialog(const char* about_text);
