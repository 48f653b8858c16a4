// The configuration dialog: window 1 and its 22 gadgets, created in a fixed order so that the
// creation order is also the Tab order and the four corner options form one option group.
#include "dialogs/config_dialog.h"

#include "dialogs/dialog_layout.h"
#include "runtime/gui/gadgets.h"
#include "runtime/gui/window_flags.h"

namespace {
const int kTransparencyMinimum = 10;
const int kTransparencyMaximum = 100;

// The options follow each other directly and the frame after them ends their group.
const GadgetLayout kGadgets[] = {
    {kGadgetOuterFrame, KindFrame, "", 10, 5, 273, 205, 0, 0},
    {kGadgetShowComputerName, KindCheckbox, "Computer name", 25, 42, 110, 15, 0, 0},
    {kGadgetShowDomainName, KindCheckbox, "Domain name", 25, 61, 110, 15, 0, 0},
    {kGadgetShowUserID, KindCheckbox, "Users logon ID", 25, 80, 110, 15, 0, 0},
    {kGadgetShowIP, KindCheckbox, "Primary IP address", 25, 99, 110, 15, 0, 0},
    {kGadgetTrackbar, KindTrackbar, 0, 160, 117, 91, 20, kTransparencyMinimum, kTransparencyMaximum},
    {kGadgetTransCaption, KindText, "Set transparency level:", 165, 102, 113, 15, 0, 0},
    // "99%" is the widest value the text shows.
    {kGadgetTransValue, KindText, "99%", 250, 119, 23, 15, 0, 0},
    {kGadgetCustomTextCaption, KindText, "Text (added first on label)", 25, 124, 125, 15, 0, 0},
    {kGadgetCustomText, KindString, "", 27, 139, 116, 17, 0, 0},
    {kGadgetAutoStart, KindCheckbox, "Start automatically", 165, 149, 106, 15, 0, 0},
    {kGadgetPositionCaption, KindText, "Label position:", 165, 23, 85, 15, 0, 0},
    {kGadgetPositionFrame, KindFrame, "", 167, 33, 96, 60, 0, 0},
    {kGadgetTopLeft, KindOption, "", 171, 43, 15, 15, 0, 0},
    {kGadgetBottomLeft, KindOption, "", 171, 74, 15, 15, 0, 0},
    {kGadgetTopRight, KindOption, "", 244, 43, 15, 15, 0, 0},
    {kGadgetBottomRight, KindOption, "", 244, 74, 15, 15, 0, 0},
    {kGadgetDisplayFrame, KindFrame, "Add To Display", 20, 20, 135, 145, 0, 0},
    {kGadgetClose, KindButton, "&Close", 154, 220, 60, 25, 0, 0},
    {kGadgetApply, KindButton, "&Apply", 84, 220, 60, 25, 0, 0},
    {kGadgetFont, KindButton, "&Font", 20, 175, 40, 20, 0, 0},
    {kGadgetFontText, KindText, "", 65, 177, 210, 18, kTextGadgetSunken, 0},
};

// The position is replaced by the centring; the window stays hidden until it is filled.
const DialogLayout kDialog = {kConfigWindow, "Norvane Configuration", 223, 148, 300, 255, ScreenCentered | Invisible,
                              kGadgets, sizeof kGadgets / sizeof *kGadgets};
}  // namespace

void fit_config_dialog() {
    for (const GadgetLayout& g : kGadgets) fit_gadget(g, g.text, 0);
}

HWND open_config_dialog() { return open_dialog(kDialog); }
