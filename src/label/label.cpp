// The label window (window 3): a borderless, top-most tool window exactly the size of its text,
// flush in a corner of the screen, optionally see-through. It is re-created on every rendering.
#include "label/label.h"

#include <windows.h>

#include "app/app_state.h"
#include "label/label_layout.h"
#include "label/label_text.h"
#include "resource.h"
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

// Runs a measurement with a temporary font selected into a drawing on a temporary
// screen-compatible image; both are freed afterwards. 0 when drawing cannot start. A font that
// got no number (0) measures with the drawing's own font: number 0 is another font's.
template <typename Measure>
int measure_with_font(const char* face_name, int size, Measure measure) {
    ObjectNumber font = load_font(ANY_NUMBER, face_name, size, 0);
    ObjectNumber image = create_image(ANY_NUMBER, kMeasureWidth, kMeasureHeight);
    int result = 0;
    if (start_drawing(image_output())) {
        if (font) drawing_font(font_handle(font));
        result = measure();
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

void place_label_window(int corner) {
    const LabelPosition p = label_corner_position(corner, GetSystemMetrics(SM_CXSCREEN),
                                                  GetSystemMetrics(SM_CYSCREEN), app.work_area_bottom,
                                                  app.label_width, app.label_height);
    open_window(kLabelWindow, p.x, p.y, app.label_width, app.label_height, kHiddenPopup, "Norvane");
    HWND window = window_handle(kLabelWindow);
    SetWindowLongA(window, GWL_EXSTYLE, WS_EX_TOOLWINDOW);
    // Re-created at moments when nobody is at the keys (the screen or the task bar changed), the
    // label must not take the keyboard from the user's window: it is raised and shown without
    // being activated. A click on it still activates it, and its menu brings it forward.
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    ShowWindow(window, SW_SHOWNA);
    if (app.settings.TransAmount < 100) apply_transparency(kLabelWindow, app.settings.TransAmount);
    if (use_gadget_list(window)) {
        create_text_gadget(kLabelGadget, 0, 0, app.label_width, app.label_height,
                           text_or_empty(app.label_text), kCentredText);
        // A numbered font gives its handle directly.
        set_gadget_font(kLabelGadget, reinterpret_cast<HFONT>(load_font(
                                          kLabelFont, app.settings.FontName, app.settings.FontSize, 0)));
    }
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
    return measure_with_font(face_name, size, [text] { return text_width(text); });
}

int measure_font_height(const char* face_name, int size) {
    return measure_with_font(face_name, size, [] { return text_metrics_height(drawing_context()); });
}

void render_label() {
    store_temp_string(&app.label_text, compose_label_text(app.settings, app.identity));
    app.label_width = measure_text_width(app.settings.FontName, app.settings.FontSize, app.label_text);
    app.label_height = measure_font_height(app.settings.FontName, app.settings.FontSize);
    place_label_window(app.settings.LabelPos);
    set_gadget_text(kLabelGadget, text_or_empty(app.label_text));
}
