// The About dialog: window 2 with the logo, the description text, "Close" and the link to the
// product's web page.
#include "dialogs/about_dialog.h"

#include "dialogs/dialog_layout.h"
#include "runtime/graphics/fonts.h"
#include "runtime/gui/gadgets.h"
#include "runtime/gui/window_flags.h"

const char kLinkFontFace[] = "Arial";

namespace {
// The link keeps its text black while hovered: only the hand cursor marks it as a link.
const COLORREF kLinkHoverColour = 0;
const unsigned long kCentredText = SS_CENTER;

const GadgetLayout kGadgets[] = {
    {kGadgetAboutClose, KindButton, "Close", 80, 200, 60, 20, 0, 0},
    // The image gadget takes the logo's size, plus the sunken edge.
    {kGadgetLogo, KindImage, 0, 25, 5, 157, 75, kLogoImage, WS_EX_CLIENTEDGE},
    {kGadgetAboutText, KindText, "", 5, 90, 204, 85, kCentredText, 0},
    // Wide enough for its caption in the link font (about 96 pixels), centred.
    {kGadgetLink, KindLink, "Norvane website", 59, 176, 100, 15, kLinkHoverColour, 0},
};
const GadgetLayout& kAboutText = kGadgets[2];
const GadgetLayout& kLink = kGadgets[3];

const DialogLayout kDialog = {kAboutWindow, "About v1.0", 301, 306, 218, 233, ScreenCentered | Invisible,
                              kGadgets, sizeof kGadgets / sizeof *kGadgets};
}  // namespace

void fit_about_dialog(const char* about_text) {
    for (const GadgetLayout& g : kGadgets) fit_gadget(g, g.text, 0);
    fit_gadget(kAboutText, about_text, 0);
    // The link shows the gadgets' font until its own is put in.
    const ObjectNumber font = load_font(ANY_NUMBER, kLinkFontFace, kLinkFontSize, kLinkFontStyle);
    if (font) {
        fit_gadget(kLink, kLink.text, font_handle(font));
        free_font(font);
    }
}

HWND open_about_dialog() { return open_dialog(kDialog); }
