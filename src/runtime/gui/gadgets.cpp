// Gadgets: numbered child controls of the standard classes, plus image and link gadgets that
// are static windows painted by our own procedures. The gadget number is also the control
// identifier, so every notification names its gadget. A number is freed by the control's own
// destruction (WM_NCDESTROY), which is how closing a window frees all of its gadgets.
#include "runtime/gui/gadgets.h"

#include <commctrl.h>

#include "runtime/base/code_page.h"
#include "runtime/base/strings.h"
#include "runtime/gui/window_events.h"
#include "runtime/gui/window_procedure.h"

ObjectTable gadget_table;

namespace {

const DWORD kChild = WS_CHILD | WS_VISIBLE;
const DWORD kFrameStyle = kChild | WS_GROUP | BS_GROUPBOX;
const DWORD kCheckboxStyle = kChild | WS_GROUP | WS_TABSTOP | BS_AUTOCHECKBOX;
const DWORD kTextStyle = kChild | WS_GROUP | SS_LEFT;
const DWORD kStringStyle = kChild | WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL;
const DWORD kFirstOptionStyle = kChild | WS_GROUP | WS_TABSTOP | BS_AUTORADIOBUTTON;
const DWORD kNextOptionStyle = kChild | WS_TABSTOP | BS_AUTORADIOBUTTON;
const DWORD kButtonStyle = kChild | WS_GROUP | WS_TABSTOP | BS_PUSHBUTTON;
const DWORD kTrackbarStyle = kChild | WS_TABSTOP;
const DWORD kImageStyle = kChild | SS_NOTIFY;
const DWORD kLinkStyle = kChild;
const int kInitialCapacity = 30;
const int kGrowthStep = 30;
const int kTrackbarLimit = 10000;
const int kLinkTextSize = 100;

// Every lookup of a number without a live gadget yields this record: a null control and no
// kind operations, so operations on it change nothing.
GadgetRecord empty_record;
HWND gadget_list;
HFONT gadget_font;
int option_run_open;
HCURSOR hand_cursor;
int right_double_click_seen;
WNDPROC image_static_procedure;
WNDPROC focus_layer_next;

GadgetRecord* live_record(int number) {
    void* record = number >= 0 ? find_object(&gadget_table, number) : 0;
    return record ? static_cast<GadgetRecord*>(record) : &empty_record;
}

int control_number(HWND control) { return static_cast<int>(GetWindowLongPtrA(control, GWLP_ID)); }

// The gadget that this very window is, or null (a stale or foreign window).
GadgetRecord* window_record(HWND control) {
    GadgetRecord* record = live_record(control_number(control));
    return record->control == control ? record : 0;
}

void release_gadget(HWND control) {
    if (window_record(control)) release_slot(&gadget_table, control_number(control));
}

HWND control_of(int number) { return live_record(number)->control; }

LRESULT send_to(int number, UINT message, WPARAM wparam, LPARAM lparam) {
    HWND control = control_of(number);
    return control ? SendMessageA(control, message, wparam, lparam) : 0;
}

void report_event(HWND control, int type) {
    SendMessageA(top_level_ancestor(control), MSG_GADGET_EVENT, control_number(control), type);
}

// ---- state entries of the kinds

int get_check(int number) { return static_cast<int>(send_to(number, BM_GETCHECK, 0, 0)); }
void set_check(int number, LPARAM value) { send_to(number, BM_SETCHECK, value, 0); }

void set_option(int number, LPARAM value);

int vertical_mirror(HWND control, int value) {
    if (!(GetWindowLongA(control, GWL_STYLE) & TBS_VERT)) return value;
    const int low = static_cast<int>(SendMessageA(control, TBM_GETRANGEMIN, 0, 0));
    const int high = static_cast<int>(SendMessageA(control, TBM_GETRANGEMAX, 0, 0));
    return low + high - value;
}

void set_trackbar_position(HWND control, LPARAM value) {
    SendMessageA(control, TBM_SETPOS, TRUE, vertical_mirror(control, static_cast<int>(value)));
}

int get_trackbar(int number) {
    HWND control = control_of(number);
    return control ? vertical_mirror(control, static_cast<int>(SendMessageA(control, TBM_GETPOS, 0, 0))) : 0;
}

void set_trackbar(int number, LPARAM value) {
    if (HWND control = control_of(number)) set_trackbar_position(control, value);
}

void set_image(int number, LPARAM image) { send_to(number, STM_SETIMAGE, 0, image); }

const GadgetKindOps plain_ops = {0, 0, 0, 0, 0};
const GadgetKindOps check_ops = {0, get_check, set_check, 0, 0};
const GadgetKindOps option_ops = {0, get_check, set_option, 0, 0};
const GadgetKindOps trackbar_ops = {0, get_trackbar, set_trackbar, 0, 0};
const GadgetKindOps image_ops = {0, 0, set_image, 0, 0};

bool is_option(HWND window) {
    GadgetRecord* record = window ? window_record(window) : 0;
    return record && record->kind_ops == &option_ops;
}

bool starts_group(HWND window) { return (GetWindowLongA(window, GWL_STYLE) & WS_GROUP) != 0; }

// Selecting an option clears the other options of its run: the options created one after
// another, the first of which carries WS_GROUP. Only option gadgets are touched, so a checkbox
// or any other control next to the run keeps its state.
void set_option(int number, LPARAM value) {
    HWND option = control_of(number);
    if (!option) return;
    if (value) {
        HWND first = option;
        while (!starts_group(first) && is_option(GetWindow(first, GW_HWNDPREV))) first = GetWindow(first, GW_HWNDPREV);
        for (HWND w = first; is_option(w); w = GetWindow(w, GW_HWNDNEXT)) {
            if (w != first && starts_group(w)) break;
            SendMessageA(w, BM_SETCHECK, 0, 0);
        }
    }
    SendMessageA(option, BM_SETCHECK, value, 0);
}

// ---- procedures

LRESULT CALLBACK subclass_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    GadgetRecord* record = window_record(window);
    if (!record) return DefWindowProcA(window, message, wparam, lparam);
    WNDPROC previous = record->previous_procedure;
    if (message == WM_NCDESTROY) release_gadget(window);
    return CallWindowProcA(previous, window, message, wparam, lparam);
}

// In front of an edit control: gaining and losing the keyboard focus are reported to the
// top-level window after the current message.
LRESULT CALLBACK focus_layer_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_SETFOCUS || message == WM_KILLFOCUS) {
        PostMessageA(top_level_ancestor(window), MSG_GADGET_EVENT, control_number(window),
                     message == WM_SETFOCUS ? kGadgetFocusGained : kGadgetFocusLost);
    }
    return CallWindowProcA(focus_layer_next, window, message, wparam, lparam);
}

SIZE image_size(HANDLE image, bool bitmap) {
    SIZE size = {0, 0};
    BITMAP description;
    if (bitmap) {
        if (GetObjectA(image, sizeof description, &description)) size.cx = description.bmWidth, size.cy = description.bmHeight;
        return size;
    }
    ICONINFO info;
    if (!GetIconInfo(static_cast<HICON>(image), &info)) return size;
    // A monochrome icon has no colour bitmap; its mask holds the AND and XOR halves.
    if (GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof description, &description)) {
        size.cx = description.bmWidth;
        size.cy = info.hbmColor ? description.bmHeight : description.bmHeight / 2;
    }
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return size;
}

// The area under the gadget is repainted by its window, so that no part of an old image stays
// where the new one (an icon with transparent parts, or nothing) does not cover it.
void repaint_under(HWND control) {
    HWND top = top_level_ancestor(control);
    RECT area;
    GetWindowRect(control, &area);
    POINT corners[2] = {{area.left, area.top}, {area.right, area.bottom}};
    MapWindowPoints(0, top, corners, 2);
    SetRect(&area, corners[0].x, corners[0].y, corners[1].x, corners[1].y);
    InvalidateRect(top, &area, FALSE);
    UpdateWindow(top);
}

LRESULT show_image(HWND control, LPARAM image_value) {
    if (GadgetRecord* record = window_record(control)) record->extra = image_value;
    HANDLE image = reinterpret_cast<HANDLE>(image_value);
    const bool bitmap = image && GetObjectType(image) == OBJ_BITMAP;
    if (!bitmap) repaint_under(control);
    if (image) {
        SIZE size = image_size(image, bitmap);
        if (size.cx > 0 && size.cy > 0) {
            if (GetWindowLongA(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) size.cx += 4, size.cy += 4;
            SetWindowPos(control, 0, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        InvalidateRect(control, 0, TRUE);
        UpdateWindow(control);
    }
    return image_value;
}

void paint_image(HWND control, LONG_PTR image) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(control, &paint);
    if (image) {
        const bool bitmap = GetObjectType(reinterpret_cast<HANDLE>(image)) == OBJ_BITMAP;
        DrawStateA(dc, 0, 0, image, 0, 0, 0, 0, 0, bitmap ? DST_BITMAP : DST_ICON);
    }
    EndPaint(control, &paint);
}

LRESULT CALLBACK image_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    GadgetRecord* record = window_record(window);
    if (record) {
        switch (message) {
        case STM_SETIMAGE: return show_image(window, lparam);
        case STM_GETIMAGE: return record->extra;
        case WM_PAINT: paint_image(window, record->extra); return 0;
        case WM_RBUTTONUP:
            // The release that ends a right double click is not a click of its own.
            if (right_double_click_seen) right_double_click_seen = 0;
            else report_event(window, kImageRightClick);
            return 0;
        case WM_LBUTTONDBLCLK: report_event(window, kImageDoubleClick); return 0;
        case WM_RBUTTONDBLCLK:
            report_event(window, kImageRightDoubleClick);
            right_double_click_seen = 1;
            return 0;
        case WM_NCDESTROY: release_gadget(window); break;
        }
    }
    if (!image_static_procedure) return DefWindowProcA(window, message, wparam, lparam);
    return CallWindowProcA(image_static_procedure, window, message, wparam, lparam);
}

void paint_link(HWND link) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(link, &paint);
    HBRUSH brush = reinterpret_cast<HBRUSH>(
        SendMessageA(GetParent(link), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(link)));
    if (brush) FillRect(dc, &paint.rcPaint, brush);
    char text[kLinkTextSize];
    const int length = GetWindowTextA(link, text, sizeof text);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(link, WM_GETFONT, 0, 0));
    HGDIOBJ previous_font = font ? SelectObject(dc, font) : 0;
    if (IsWindowEnabled(link)) {
        GadgetRecord* record = window_record(link);
        const bool hovered = GetCapture() == link;
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, hovered && record ? static_cast<COLORREF>(record->extra) : RGB(0, 0, 0));
        TextOutA(dc, 0, 0, text, length);
    } else {
        DrawStateA(dc, 0, 0, reinterpret_cast<LPARAM>(text), length, 0, 0, 0, 0, DST_TEXT | DSS_DISABLED);
    }
    if (previous_font) SelectObject(dc, previous_font);
    EndPaint(link, &paint);
}

// Hovering: the link holds the mouse capture while the pointer is over it and is painted in
// its hover colour meanwhile.
void track_hover(HWND link, LPARAM position) {
    if (GetCapture() != link) {
        SetCapture(link);
        InvalidateRect(link, 0, FALSE);
        return;
    }
    const int x = static_cast<short>(LOWORD(position));
    const int y = static_cast<short>(HIWORD(position));
    RECT client;
    GetClientRect(link, &client);
    if (x < 0 || x > client.right || y < 0 || y > client.bottom) ReleaseCapture();
}

LRESULT CALLBACK link_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    GadgetRecord* record = window_record(window);
    switch (message) {
    case WM_SETCURSOR: SetCursor(hand_cursor); return TRUE;
    case WM_MOUSEMOVE: track_hover(window, lparam); return 0;
    case WM_CAPTURECHANGED:
        InvalidateRect(window, 0, FALSE);
        UpdateWindow(window);
        return 0;
    case WM_LBUTTONUP:
        SendMessageA(top_level_ancestor(window), WM_COMMAND, MAKEWPARAM(control_number(window), 0),
                     reinterpret_cast<LPARAM>(window));
        return 0;
    case WM_LBUTTONDBLCLK:
    case WM_COMMAND: return 0;
    case WM_PAINT: paint_link(window); return 0;
    case WM_SETFONT:
        if (record) record->link_font = reinterpret_cast<HFONT>(wparam);
        if (LOWORD(lparam) == 1) InvalidateRect(window, 0, FALSE);
        return 0;
    case WM_GETFONT: return record ? reinterpret_cast<LRESULT>(record->link_font) : 0;
    case WM_SETTEXT: {
        const LRESULT done = DefWindowProcA(window, message, wparam, lparam);
        InvalidateRect(window, 0, TRUE);
        return done;
    }
    case WM_ENABLE: InvalidateRect(window, 0, TRUE); return 0;
    case WM_NCDESTROY: release_gadget(window); break;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

// ---- creation

// Frees a live gadget under the number and makes room for it in the table.
bool prepare_number(int number) {
    if (number < 0) return false;
    free_gadget(number);
    return reserve_slot(&gadget_table, number) != 0;
}

// Longest text handed to window creation: a longer one makes the creation fail on some
// platforms, so it is set once the control exists.
const unsigned kCreationTextLimit = 32000;

HWND create_control(int number, const char* class_name, const char* text, DWORD style, DWORD extended_style,
                    int x, int y, int width, int height) {
    if (!prepare_number(number)) return 0;
    const bool long_text = text && text_length(text) > kCreationTextLimit;
    HWND control = CreateWindowExA(extended_style, class_name, long_text ? "" : text, style, x, y, width, height,
                                   gadget_list, reinterpret_cast<HMENU>(static_cast<INT_PTR>(number)),
                                   runtime_instance(), 0);
    if (control && long_text) SetWindowTextA(control, text);
    return control;
}

// Records a new control; the slot is looked up afresh since creation may have run other code.
GadgetRecord* store_record(int number, HWND control, const GadgetKindOps* ops) {
    GadgetRecord* record = static_cast<GadgetRecord*>(reserve_slot(&gadget_table, number));
    record->control = control;
    record->kind_ops = ops;
    record->extra = 0;
    record->previous_procedure = 0;
    return record;
}

WNDPROC replace_procedure(HWND control, WNDPROC procedure) {
    return reinterpret_cast<WNDPROC>(SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
}

HWND create_standard(int number, const char* class_name, const char* text, DWORD style, DWORD extended_style,
                     int x, int y, int width, int height, const GadgetKindOps* ops) {
    HWND control = create_control(number, class_name, text_or_empty(text), style, extended_style, x, y, width, height);
    if (!control) return 0;
    GadgetRecord* record = store_record(number, control, ops);
    record->previous_procedure = replace_procedure(control, subclass_procedure);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(gadget_font), TRUE);
    option_run_open = 0;
    return control;
}

int clamp_trackbar_limit(int value) {
    return value < 0 ? 0 : value > kTrackbarLimit ? kTrackbarLimit : value;
}

}  // namespace

void init_gadgets() {
    empty_record = GadgetRecord();
    gadget_list = 0;
    option_run_open = 0;
    hand_cursor = 0;
    right_double_click_seen = 0;
    image_static_procedure = 0;
    focus_layer_next = 0;
    init_object_table(&gadget_table, sizeof(GadgetRecord), kInitialCapacity, kGrowthStep);
    gadget_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    InitCommonControls();
}

HWND use_gadget_list(HWND window) {
    gadget_list = window;
    return window;
}

HWND create_frame_gadget(int number, int x, int y, int width, int height, const char* text) {
    return create_standard(number, "BUTTON", text, kFrameStyle, 0, x, y, width, height, &plain_ops);
}

HWND create_checkbox_gadget(int number, int x, int y, int width, int height, const char* text) {
    return create_standard(number, "BUTTON", text, kCheckboxStyle, 0, x, y, width, height, &check_ops);
}

HWND create_text_gadget(int number, int x, int y, int width, int height, const char* text, unsigned long flags) {
    const DWORD extended_style = (flags & kTextGadgetSunken) ? WS_EX_CLIENTEDGE : 0;
    return create_standard(number, "STATIC", text, kTextStyle | flags, extended_style, x, y, width, height, &plain_ops);
}

HWND create_string_gadget(int number, int x, int y, int width, int height, const char* text) {
    HWND control = create_standard(number, "EDIT", text, kStringStyle, WS_EX_CLIENTEDGE, x, y, width, height, &plain_ops);
    if (control) focus_layer_next = replace_procedure(control, focus_layer_procedure);
    return control;
}

HWND create_option_gadget(int number, int x, int y, int width, int height, const char* text) {
    const DWORD style = option_run_open ? kNextOptionStyle : kFirstOptionStyle;
    HWND control = create_standard(number, "BUTTON", text, style, 0, x, y, width, height, &option_ops);
    if (control) option_run_open = 1;
    return control;
}

HWND create_button_gadget(int number, int x, int y, int width, int height, const char* text) {
    return create_standard(number, "BUTTON", text, kButtonStyle, 0, x, y, width, height, &check_ops);
}

HWND create_trackbar_gadget(int number, int x, int y, int width, int height, int minimum, int maximum, unsigned long flags) {
    HWND control = create_control(number, TRACKBAR_CLASSA, 0, kTrackbarStyle | flags, 0, x, y, width, height);
    if (!control) return 0;
    minimum = clamp_trackbar_limit(minimum);
    maximum = clamp_trackbar_limit(maximum);
    SendMessageA(control, TBM_SETRANGE, TRUE, MAKELPARAM(minimum, maximum));
    set_trackbar_position(control, 0);
    GadgetRecord* record = store_record(number, control, &trackbar_ops);
    record->previous_procedure = replace_procedure(control, subclass_procedure);
    option_run_open = 0;
    return control;
}

HWND create_image_gadget(int number, int x, int y, int width, int height, HANDLE image, unsigned long extended_style) {
    HWND control = create_control(number, "STATIC", 0, kImageStyle, extended_style, x, y, width, height);
    if (!control) return 0;
    store_record(number, control, &image_ops);
    image_static_procedure = replace_procedure(control, image_procedure);
    SendMessageA(control, STM_SETIMAGE, 0, reinterpret_cast<LPARAM>(image));
    option_run_open = 0;
    return control;
}

HWND create_link_gadget(int number, int x, int y, int width, int height, const char* text, COLORREF colour) {
    if (!hand_cursor) {
        hand_cursor = LoadCursorA(0, IDC_HAND);
        if (!hand_cursor) hand_cursor = LoadCursorA(0, IDC_ARROW);
    }
    HWND control = create_control(number, "STATIC", text_or_empty(text), kLinkStyle, 0, x, y, width, height);
    if (!control) return 0;
    GadgetRecord* record = store_record(number, control, &plain_ops);
    record->extra = colour;
    record->link_font = gadget_font;
    replace_procedure(control, link_procedure);
    option_run_open = 0;
    return control;
}

void set_gadget_text(int number, const char* text) {
    GadgetRecord* record = live_record(number);
    if (record->kind_ops && record->kind_ops->set_text) record->kind_ops->set_text(number, text);
    else if (record->control) SetWindowTextA(record->control, text_or_empty(text));
}

char* get_gadget_text(int number) {
    GadgetRecord* record = live_record(number);
    if (record->kind_ops && record->kind_ops->get_text) return record->kind_ops->get_text(number);
    const int room = scratch_room();
    if (!record->control || room <= 0) return commit_scratch_text(0);
    // The room excludes the terminating zero; the platform's count includes it.
    const int size = room + 1 < kGadgetTextLimit ? room + 1 : kGadgetTextLimit;
    int length = GetWindowTextA(record->control, scratch_position, size);
    // A text cut to the size is cut between two characters: a lone lead byte would take the
    // character behind it wherever the text goes.
    if (length >= size - 1) length = static_cast<int>(whole_characters(scratch_position, static_cast<unsigned>(length)));
    return commit_scratch_text(length);
}

void set_gadget_state(int number, LPARAM value) {
    GadgetRecord* record = live_record(number);
    if (record->kind_ops && record->kind_ops->set_state) record->kind_ops->set_state(number, value);
}

int get_gadget_state(int number) {
    GadgetRecord* record = live_record(number);
    return record->kind_ops && record->kind_ops->get_state ? record->kind_ops->get_state(number) : 0;
}

void disable_gadget(int number, int disable) {
    if (HWND control = control_of(number)) EnableWindow(control, disable == 0);
}

// An absent gadget must not take the focus away from whatever holds it.
void set_gadget_focus(int number) {
    if (HWND control = control_of(number)) SetFocus(control);
}

void set_gadget_font(int number, HFONT font) { send_to(number, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }

void free_gadget(int number) {
    GadgetRecord* record = live_record(number);
    if (!record->control) return;
    if (record->kind_ops && record->kind_ops->free) record->kind_ops->free(number);
    else DestroyWindow(record->control);
}

HWND gadget_handle(int number) { return control_of(number); }
