// Scaling the dialogs' tables: the base units of the system's dialog font (as Windows' own
// dialog templates use them), widened where a caption measures wider or taller than that gives,
// and the gadgets created at the result.
#include "dialogs/dialog_layout.h"

#include "runtime/base/heap.h"
#include "runtime/graphics/images.h"
#include "runtime/gui/gadgets.h"
#include "runtime/gui/window_events.h"

namespace {
// The base units of the font the tables were laid out with: the Western default dialog font at
// 96 pixels per inch averages 6 pixels a letter in lines 13 pixels high.
const int kLaidOutUnitWidth = 6;
const int kLaidOutUnitHeight = 13;
const char kUnitLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
// A check box or option glyph is 13 pixels at 96 pixels per inch and grows with the density.
const int kGlyphAt96 = 13;
const int kDensityLaidOut = 96;
// A group box draws its caption this far in from either side.
const int kFrameCaptionInset = 8;

DialogScale scale = {kScaleOne, kScaleOne};
HDC measuring;

struct Need {
    int width, height;
};

int edge_x() { return GetSystemMetrics(SM_CXEDGE); }
int edge_y() { return GetSystemMetrics(SM_CYEDGE); }

// The control leaves half a '0' between its glyph and its caption.
Need glyph_and_caption(const RECT& text, int lines) {
    const int glyph = MulDiv(kGlyphAt96, GetDeviceCaps(measuring, LOGPIXELSX), kDensityLaidOut);
    if (!lines) return Need{glyph, glyph};
    SIZE zero = {0, 0};
    GetTextExtentPoint32A(measuring, "0", 1, &zero);
    return Need{glyph + zero.cx / 2 + text.right, text.bottom > glyph ? text.bottom : glyph};
}

// What a gadget of the kind needs to show the text, measured in the selected font.
Need need_of(const GadgetLayout& g, const char* text) {
    TEXTMETRICA metrics;
    ZeroMemory(&metrics, sizeof metrics);
    GetTextMetricsA(measuring, &metrics);
    RECT r = {0, 0, 0, 0};
    const int lines = text && *text ? 1 : 0;
    // Without a width to wrap at, each line keeps its length: the widest gives the width.
    if (lines) DrawTextA(measuring, text, -1, &r, DT_CALCRECT | DT_EXPANDTABS);
    if (r.bottom < metrics.tmHeight) r.bottom = metrics.tmHeight;
    const int sunken = g.kind == KindText && (g.first & kTextGadgetSunken) ? 2 : 0;
    switch (g.kind) {
    case KindCheckbox:
    case KindOption: return glyph_and_caption(r, lines);
    case KindText: return Need{r.right + sunken * edge_x(), r.bottom + sunken * edge_y()};
    case KindString: return Need{0, metrics.tmHeight + 2 * edge_y()};
    case KindButton: return Need{r.right + 2 * edge_x(), r.bottom + 2 * edge_y()};
    case KindFrame: return lines ? Need{r.right + 2 * kFrameCaptionInset, r.bottom} : Need{0, 0};
    case KindLink: return Need{r.right, r.bottom};
    default: return Need{0, 0};
    }
}

int scaled_x(int length) { return scale_length(length, scale.x); }
int scaled_y(int length) { return scale_length(length, scale.y); }

HWND create_gadget(const GadgetLayout& g) {
    const int x = scaled_x(g.x), y = scaled_y(g.y), w = scaled_x(g.width), h = scaled_y(g.height);
    switch (g.kind) {
    case KindFrame: return create_frame_gadget(g.number, x, y, w, h, g.text);
    case KindCheckbox: return create_checkbox_gadget(g.number, x, y, w, h, g.text);
    case KindText: return create_text_gadget(g.number, x, y, w, h, g.text, g.first);
    case KindString: return create_string_gadget(g.number, x, y, w, h, g.text);
    case KindOption: return create_option_gadget(g.number, x, y, w, h, g.text);
    case KindButton: return create_button_gadget(g.number, x, y, w, h, g.text);
    case KindTrackbar: return create_trackbar_gadget(g.number, x, y, w, h, g.first, g.second);
    case KindImage:
        // The image keeps its own pixels, centred where the table puts it at the dialog's scale:
        // a bitmap stretched by an odd factor blurs or doubles rows unevenly.
        return create_image_gadget(g.number, x + (w - g.width) / 2, y + (h - g.height) / 2, g.width, g.height,
                                   image_handle(g.first), g.second);
    case KindLink: return create_link_gadget(g.number, x, y, w, h, g.text, g.first);
    }
    return 0;
}
}  // namespace

void fit_gadget(const GadgetLayout& g, const char* text, HFONT font) {
    if (!measuring) return;
    HGDIOBJ previous = SelectObject(measuring, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    const Need need = need_of(g, text);
    SelectObject(measuring, previous);
    scale.x = factor_to_hold(scale.x, g.width, need.width);
    scale.y = factor_to_hold(scale.y, g.height, need.height);
}

void begin_dialog_scale() {
    scale.x = scale.y = kScaleOne;
    measuring = GetDC(0);
    if (!measuring) return;
    HGDIOBJ previous = SelectObject(measuring, GetStockObject(DEFAULT_GUI_FONT));
    SIZE letters = {0, 0};
    GetTextExtentPoint32A(measuring, kUnitLetters, sizeof kUnitLetters - 1, &letters);
    TEXTMETRICA metrics;
    ZeroMemory(&metrics, sizeof metrics);
    GetTextMetricsA(measuring, &metrics);
    SelectObject(measuring, previous);
    // The average letter, rounded as dialog templates round it.
    scale.x = unit_factor((letters.cx / 26 + 1) / 2, kLaidOutUnitWidth);
    scale.y = unit_factor(metrics.tmHeight, kLaidOutUnitHeight);
}

void end_dialog_scale() {
    if (measuring) ReleaseDC(0, measuring);
    measuring = 0;
}

DialogScale dialog_scale() { return scale; }

// A dialog missing its window, a gadget or a block of memory would show less than it takes in
// and give back: it is closed again at once, and the caller sees that it did not open.
HWND open_dialog(const DialogLayout& d) {
    const unsigned long refusals = heap_refusals;
    bool whole = open_window(d.window, scaled_x(d.x), scaled_y(d.y), scaled_x(d.width), scaled_y(d.height), d.flags,
                             d.title) &&
                 use_gadget_list(window_handle(d.window));
    for (int i = 0; whole && i < d.count; i++) whole = create_gadget(d.gadgets[i]) != 0;
    if (!whole || heap_refusals != refusals) {
        close_window(d.window);
        return 0;
    }
    hide_window(d.window, 0);
    return last_window_handle();
}
