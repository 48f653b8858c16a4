// Every number the program gives the runtime's objects: windows, gadgets (also the controls'
// identifiers), the popup menu and its items, fonts and images. One list, so that the next
// free number is in sight; the runtime itself knows none of them.
#pragma once

// Windows.
const int kConfigWindow = 1;
const int kAboutWindow = 2;
const int kLabelWindow = 3;

// Gadgets of the configuration dialog (window 1).
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

// Gadgets of the About dialog (window 2).
enum AboutGadget {
    kGadgetAboutClose = 23,
    kGadgetLogo = 24,
    kGadgetAboutText = 25,
    kGadgetLink = 26,
};

// The label's one gadget (window 3). Next free gadget number: 28.
const int kLabelGadget = 27;

// The label's popup menu and its items, in the order shown (separators between them).
const int kPopupMenu = 0;
enum PopupMenuItem {
    kMenuConfig = 1,
    kMenuAbout = 2,
    kMenuExit = 3,
};

// Fonts: the About dialog's link, and the label's (numbered as its gadget).
const int kLinkFont = 0;
const int kLabelFont = 27;

// Images: the logo, decoded at start-up from the bitmap file kept in the program's data
// (generated from resources/logo.bmp).
const int kLogoImage = 1;
extern const unsigned char logo_bitmap[];
extern const unsigned long logo_bitmap_size;
