// The About dialog: window 2 with the logo, the description text, "Close" and the link to the
// product's web page.
#include "dialogs/about_dialog.h"

#include "runtime/graphics/images.h"
#include "runtime/gui/gadgets.h"
#include "runtime/gui/window_events.h"
#include "runtime/gui/window_flags.h"

namespace {
// The link keeps its text black while hovered: only the hand cursor marks it as a link.
const COLORREF kLinkHoverColour = 0;
const unsigned long kCentredText = SS_CENTER;
}  // namespace

HWND open_about_dialog() {
    if (!open_window(kAboutWindow, 301, 306, 218, 233, ScreenCentered | Invisible, "About v1.0")) return 0;
    if (!use_gadget_list(window_handle(kAboutWindow))) return 0;
    create_button_gadget(kGadgetAboutClose, 80, 200, 60, 20, "Close");
    // The image gadget takes the logo's size, plus the sunken edge.
    create_image_gadget(kGadgetLogo, 25, 5, 157, 75, image_handle(kLogoImage), WS_EX_CLIENTEDGE);
    create_text_gadget(kGadgetAboutText, 5, 90, 204, 85, "", kCentredText);
    // Wide enough for its caption in underlined Arial 10 (about 96 pixels), centred.
    create_link_gadget(kGadgetLink, 59, 176, 100, 15, "Norvane website", kLinkHoverColour);
    hide_window(kAboutWindow, 0);
    return last_window_handle();
}
