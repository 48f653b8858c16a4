// One drawing at a time on an output target (a window or an image). The drawing owns the
// context only between start_drawing and stop_drawing; the default brush and pen live for the
// whole program.
#include "runtime/graphics/drawing.h"

#include <string.h>

namespace {
const int kWindowTarget = 1;
const int kImageTarget = 2;
const COLORREF kBlack = RGB(0, 0, 0);

struct DrawingState {
    HDC device_context;  // 0 = not drawing
    int kind;
    HWND window;
    void (*release)();
    HBRUSH default_brush;
    HPEN default_pen;
    HGDIOBJ saved_brush;
    HGDIOBJ saved_pen;
    HGDIOBJ saved_font;  // the context's own font, once drawing_font replaced it
    HFONT font;
    COLORREF front_colour;
};

DrawingState state;
}  // namespace

void init_drawing() {
    state.default_brush = CreateSolidBrush(kBlack);
    state.default_pen = CreatePen(PS_SOLID, 0, kBlack);
}

HDC start_drawing(OutputTarget* target) {
    stop_drawing();
    if (!target) return 0;
    state.kind = target->kind;
    state.window = target->window;
    state.release = target->release;
    state.device_context = state.kind == kWindowTarget ? GetDC(state.window) : target->device_context;
    HDC dc = state.device_context;
    if (dc) {
        SetTextAlign(dc, TA_UPDATECP);
        state.saved_brush = SelectObject(dc, state.default_brush);
        state.saved_pen = SelectObject(dc, state.default_pen);
        state.saved_font = 0;
        state.font = 0;
        state.front_colour = kBlack;
        SetTextColor(dc, kBlack);
    }
    return dc;
}

void stop_drawing() {
    HDC dc = state.device_context;
    if (!dc) return;
    SelectObject(dc, state.saved_brush);
    SelectObject(dc, state.saved_pen);
    // A window's context may outlive this drawing; it must not keep a font that can be deleted.
    if (state.saved_font) SelectObject(dc, state.saved_font);
    if (state.kind == kWindowTarget) {
        ReleaseDC(state.window, dc);
    } else if (state.kind == kImageTarget) {
        if (state.release) state.release();
    } else {
        DeleteDC(dc);
    }
    state.device_context = 0;
}

void drawing_font(HFONT font) {
    HDC dc = state.device_context;
    if (!dc) return;
    if (font == reinterpret_cast<HFONT>(-1)) font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    state.font = font;
    HGDIOBJ previous = SelectObject(dc, font);
    if (previous && !state.saved_font) state.saved_font = previous;
}

int text_width(const char* text) {
    if (!state.device_context || !text || !*text) return 0;
    SIZE extent = {0, 0};
    if (!GetTextExtentPoint32A(state.device_context, text, static_cast<int>(strlen(text)), &extent)) return 0;
    return extent.cx;
}

HDC drawing_context() { return state.device_context; }
