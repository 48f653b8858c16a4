// The configuration dialog (window 1): what the label shows, its corner, transparency, font
// and autostart, built in code from numbered gadgets.
#pragma once

#include <windows.h>

const int kConfigWindow = 1;

// The dialog's gadget numbers; they are also the controls' identifiers.
enum ConfigGadget {
    kGadgetOuterFrame = 1,
    kGadgetShowComputerName = 2,
    kGadgetShowDomainName = 3,
    kGadgetShowUserID = 4,
    kGadgetShowIP = 5,
    kGadgetTrackbar = 6,
    kGadgetTransCaption = 7,
    kGadgetTransValue = 8,
    kGadgetCustomTextCaption = 9,
    kGadgetCustomText = 10,
    kGadgetAutoStart = 11,
    kGadgetPositionCaption = 12,
    kGadgetPositionFrame = 13,
    kGadgetTopLeft = 14,
    kGadgetBottomLeft = 15,
    kGadgetTopRight = 16,
    kGadgetBottomRight = 17,
    kGadgetDisplayFrame = 18,
    kGadgetClose = 19,
    kGadgetApply = 20,
    kGadgetFont = 21,
    kGadgetFontText = 22,
};

// Builds and shows the dialog (an open one is closed and rebuilt first). Returns the window
// handle, or 0 when the window or its gadget list cannot be created.
HWND open_config_dialog();
