// The label window (window 3): a borderless, top-most tool window exactly the size of its text,
// flush in a corner of the screen, optionally see-through. It is re-created on every rendering.
#include "label/label.h"

#include <windows.h>

#include "app/app_state.h"
#include "label/label_layout.h"
#include "label/label_text.h"
#include "resource.h"
#include "runtime/base/heap.h"
#include "runtime/graphics/drawing.h"
#include "runtime/graphics/fonts.h"
#include "runtime/graphics/images.h"
#include "runtime/gui/gadgets.h"
#include "runtime/gui/window_events.h"

namespace {
const int kMeasureWidth = 600;
const int kMeasureHeight = 300;
const unsigned long kHiddenPopup = 0x90000000UL;
const int kCentredText = 1;

typedef BOOL(WINAPI* SetLayeredAttributes)(HWND, COLORREF, BYTE, DWORD);

// Measures with a temporary font selected into a drawing on a temporary screen-compatible
// image, both freed afterwards: the text's width, or without a text the font's cell height. 0
// when drawing cannot start. A font that got no number (0) measures with the drawing's own
// font: number 0 is another font's. *whole, where asked, says whether the font, the image and
// the drawing were all there, so that the result is the size in that font.
int measure_in_font(const char* face_name, int size, const char* text, bool* whole = 0) {
    ObjectNumber font = load_font(ANY_NUMBER, face_name, size, 0);
    ObjectNumber image = create_image(ANY_NUMBER, kMeasureWidth, kMeasureHeight);
    HFONT handle = font ? font_handle(font) : 0;
    int result = 0;
    if (whole) *whole = false;
    if (start_drawing(image_output())) {
        if (handle) drawing_font(handle);
        result = text ? text_width(text) : text_metrics_height(drawing_context());
        if (whole) *whole = image && handle;
        stop_drawing();
    }
    free_image(image);
    if (font) free_font(font);
    return result;
}
}  // namespace

void apply_transparency(int window_number, int amount) {
    const int alpha = transparency_alpha(amount);
    if (alpha < 0) return;
    HMODULE user32 = LoadLibraryA("user32.dll");
    if (!user32) return;
    SetLayeredAttributes set_layered = reinterpret_cast<SetLayeredAttributes>(
        reinterpret_cast<void*>(GetProcAddress(user32, "SetLayeredWindowAttributes")));
    if (set_layered) {
        HWND window = window_handle(window_number);
        SetWindowLongA(window, GWL_EXSTYLE, GetWindowLongA(window, GWL_EXSTYLE) | WS_EX_LAYERED);
        set_layered(window, 0, static_cast<BYTE>(alpha), LWA_ALPHA);
    }
    FreeLibrary(user32);
}

bool place_label_window(int corner) {
    const LabelPosition p = label_corner_position(corner, GetSystemMetrics(SM_CXSCREEN),
                                                  GetSystemMetrics(SM_CYSCREEN), app.work_area_bottom,
                                                  app.label_width, app.label_height);
    if (!open_window(kLabelWindow, p.x, p.y, app.label_width, app.label_height, kHiddenPopup, "Norvane")) return false;
    HWND window = window_handle(kLabelWindow);
    SetWindowLongA(window, GWL_EXSTYLE, WS_EX_TOOLWINDOW);
    // Re-created at moments when nobody is at the keys (the screen or the task bar changed), the
    // label must not take the keyboard from the user's window: it is raised and shown without
    // being activated. A click on it still activates it, and its menu brings it forward.
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    ShowWindow(window, SW_SHOWNA);
    if (app.settings.TransAmount < 100) apply_transparency(kLabelWindow, app.settings.TransAmount);
    if (!use_gadget_list(window) || !create_text_gadget(kLabelGadget, 0, 0, app.label_width, app.label_height,
                                                        text_or_empty(app.label_text), kCentredText))
        return false;
    // A numbered font gives its handle directly.
    HFONT font = reinterpret_cast<HFONT>(load_font(kLabelFont, app.settings.FontName, app.settings.FontSize, 0));
    set_gadget_font(kLabelGadget, font);
    return font != 0;
}

int text_metrics_height(void* device_context) {
    HDC dc = static_cast<HDC>(device_context);
    const int previous = SetMapMode(dc, MM_TEXT);
    TEXTMETRICA metrics;
    ZeroMemory(&metrics, sizeof metrics);
    GetTextMetricsA(dc, &metrics);
    if (previous) SetMapMode(dc, previous);
    return metrics.tmHeight;
}

int measure_text_width(const char* face_name, int size, const char* text) {
    return measure_in_font(face_name, size, text_or_empty(text));
}

int measure_font_height(const char* face_name, int size) {
    return measure_in_font(face_name, size, 0);
}

// The new text is measured before anything of the label shown now is touched: when the room for
// it is missing (a font, an image, a drawing context or a heap block), that label stays as it
// was. A rendering that could not complete leaves label_due set, and the loop tries again.
bool render_label() {
    const unsigned long refusals = heap_refusals;
    char* text = scratch_argument(compose_label_text(app.settings, app.identity));
    bool width_whole = false, height_whole = false;
    const int width = measure_in_font(app.settings.FontName, app.settings.FontSize, text, &width_whole);
    const int height = measure_in_font(app.settings.FontName, app.settings.FontSize, 0, &height_whole);
    const bool stored = width_whole && height_whole && heap_refusals == refusals && store_string(&app.label_text, text);
    scratch_rewind(text);
    bool complete = false;
    if (stored) {
        app.label_width = width;
        app.label_height = height;
        complete = place_label_window(app.settings.LabelPos);
        set_gadget_text(kLabelGadget, text_or_empty(app.label_text));
        complete = complete && heap_refusals == refusals;
    }
    app.label_due = complete ? 0 : 1;
    return complete;
}
