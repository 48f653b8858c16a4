// The font requester around ChooseFontA: its two request records, reused by every call and
// read back afterwards, and the disabling of the thread's other windows while it is open.
#include "dialogs/font_selection.h"

#include "runtime/base/heap.h"
#include "runtime/base/strings.h"
#include "runtime/base/system_library.h"
#include "runtime/base/object_table.h"

namespace {
const unsigned long kRequestFlags = CF_SCREENFONTS | CF_PRINTERFONTS | CF_INITTOLOGFONTSTRUCT;
const long kNoColour = -1;
const int kPointsPerInch = 72;

LOGFONTA requested_font;
CHOOSEFONTA request;

struct DisabledWindow {
    DWORD thread_id;
    HWND window;
};

ListNode* disabled_windows;

LONG font_height_for(int size) {
    HDC screen = CreateDCA("DISPLAY", 0, 0, 0);
    if (!screen) return 0;
    LONG height = -MulDiv(size, GetDeviceCaps(screen, LOGPIXELSY), kPointsPerInch);
    DeleteDC(screen);
    return height;
}

// The requester is owned by the foreground window only when that window is one of ours.
HWND own_foreground_window() {
    HWND foreground = GetForegroundWindow();
    DWORD process = 0;
    if (foreground) GetWindowThreadProcessId(foreground, &process);
    return process == GetCurrentProcessId() ? foreground : 0;
}

BOOL CALLBACK disable_if_ours(HWND window, LPARAM) {
    DWORD thread = GetCurrentThreadId();
    if (GetWindowThreadProcessId(window, 0) != thread) return TRUE;
    if (!IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
    if (window == GetForegroundWindow()) return TRUE;
    // A window that cannot be remembered is left enabled: it could never be enabled again.
    DisabledWindow* entry = static_cast<DisabledWindow*>(allocate_list_record(&disabled_windows, sizeof(DisabledWindow)));
    if (!entry) return TRUE;
    entry->thread_id = thread;
    entry->window = window;
    EnableWindow(window, FALSE);
    return TRUE;
}
}  // namespace

void prepare_font_request(const char* name, int size, unsigned long flags, long colour) {
    ZeroMemory(&requested_font, sizeof requested_font);
    // A longer name than the face field holds is cut to its 31 characters.
    if (name) lstrcpynA(requested_font.lfFaceName, name, LF_FACESIZE);
    if (size != 0) requested_font.lfHeight = font_height_for(size);

    ZeroMemory(&request, sizeof request);
    request.lStructSize = sizeof request;
    request.hwndOwner = own_foreground_window();
    request.lpLogFont = &requested_font;
    request.Flags = flags | kRequestFlags;
    if (colour != kNoColour) request.rgbColors = static_cast<COLORREF>(colour);
}

const CHOOSEFONTA* font_request() { return &request; }

int choose_font(const char* name, int size, unsigned long flags, long colour) {
    prepare_font_request(name, size, flags, colour);
    disable_thread_windows();
    typedef BOOL(WINAPI * ChooseFontFunction)(CHOOSEFONTA*);
    ChooseFontFunction choose = system_function_as<ChooseFontFunction>("comdlg32.dll", "ChooseFontA");
    int chosen = choose && choose(&request) ? 1 : 0;
    enable_thread_windows();
    requested_font.lfFaceName[LF_FACESIZE - 1] = 0;
    return chosen;
}

char* selected_font_name() { return append_text(requested_font.lfFaceName); }

int selected_font_size() { return request.iPointSize / 10; }

void disable_thread_windows() { EnumWindows(disable_if_ours, 0); }

void enable_thread_windows() {
    DWORD thread = GetCurrentThreadId();
    ListNode* node = disabled_windows;
    while (node) {
        ListNode* next = node->next;
        DisabledWindow* entry = static_cast<DisabledWindow*>(list_record(node));
        if (entry->thread_id == thread) {
            EnableWindow(entry->window, TRUE);
            free_list_record(&disabled_windows, entry);
        }
        node = next;
    }
}
