// The font requester: its prepared records, the disabling of the thread's other windows, and
// the real requester closed from a timer the way a user would close it.
#include <gtest/gtest.h>

#include <string>

#include "dialogs/font_selection.h"
#include "runtime/base/strings.h"
#include "win32_support.h"

namespace {
// A face that the font list of the test prefix really holds (there "Arial" is only a
// substitute for it and is not listed).
const char kListedFace[] = "Liberation Sans";
const int kFaceId = 0x470;   // the requester's face-name box
const int kStyleId = 0x471;  // its style list
const int kSizeId = 0x472;   // its size list

int screen_dpi() {
    HDC screen = GetDC(0);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(0, screen);
    return dpi;
}

LRESULT CALLBACK plain_procedure(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

HWND make_window(const char* title, bool visible) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA c = {};
        c.lpfnWndProc = plain_procedure;
        c.hInstance = GetModuleHandleA(0);
        c.lpszClassName = "FontSelectionTestWindow";
        RegisterClassA(&c);
        registered = true;
    }
    return CreateWindowExA(0, "FontSelectionTestWindow", title, WS_OVERLAPPED | (visible ? WS_VISIBLE : 0),
                           10, 10, 120, 80, 0, 0, GetModuleHandleA(0), 0);
}

std::string take_selected_name() {
    char* start = scratch_position;
    std::string name = selected_font_name();
    // The copy ends where the scratch position now stands.
    EXPECT_EQ(start + name.size(), scratch_position);
    scratch_rewind(start);
    return name;
}

// What the timer does once the requester is up.
struct RequesterScript {
    const char* style;      // picked in the style list, or null
    const char* size;       // picked in the size list, or null
    int button;             // IDOK or IDCANCEL
    HWND watched;           // a window whose enabled state is recorded while the requester is open
    bool seen = false;
    BOOL watched_enabled = TRUE;
    BOOL owner_enabled = TRUE;
    std::string face_shown;
};
RequesterScript* script;

BOOL CALLBACK find_requester(HWND w, LPARAM found) {
    char name[16] = "";
    GetClassNameA(w, name, sizeof name);
    if (std::string(name) == "#32770" && IsWindowVisible(w)) *reinterpret_cast<HWND*>(found) = w;
    return TRUE;
}

// Selects an entry of one of the requester's lists as a click would.
void pick(HWND requester, int id, const char* entry) {
    if (!entry) return;
    HWND list = GetDlgItem(requester, id);
    SendMessageA(list, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(entry));
    SendMessageA(requester, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

void CALLBACK drive_requester(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND requester = 0;
    EnumThreadWindows(GetCurrentThreadId(), find_requester, reinterpret_cast<LPARAM>(&requester));
    if (!requester) return;
    KillTimer(0, timer);
    script->seen = true;
    script->watched_enabled = IsWindowEnabled(script->watched);
    HWND owner = GetWindow(requester, GW_OWNER);
    script->owner_enabled = owner ? IsWindowEnabled(owner) : TRUE;
    char face[LF_FACESIZE] = "";
    GetDlgItemTextA(requester, kFaceId, face, sizeof face);
    script->face_shown = face;
    pick(requester, kStyleId, script->style);
    pick(requester, kSizeId, script->size);
    PostMessageA(requester, WM_COMMAND, script->button, 0);
}

int run_requester(RequesterScript& s, const char* name, int size) {
    script = &s;
    SetTimer(0, 0, 100, drive_requester);
    return choose_font(name, size, 0);
}
}  // namespace

TEST(FontRequest, PreparedRecordsCarryOnlyTheNameTheHeightAndTheFixedFlags) {
    const int dpi = screen_dpi();
    const std::string long_name(40, 'x');
    struct Row {
        const char* name;
        int size;
        unsigned long flags;
        long colour;
        std::string face;
        LONG height;
        DWORD expected_flags;
        COLORREF rgb;
    } rows[] = {
        {"Arial", 8, 0, -1, "Arial", -MulDiv(8, dpi, 72), 0x43, 0},
        {"Arial", 10, 0, -1, "Arial", -MulDiv(10, dpi, 72), 0x43, 0},
        {"Tahoma", 0, 0, -1, "Tahoma", 0, 0x43, 0},
        {long_name.c_str(), 12, 0, -1, std::string(31, 'x'), -MulDiv(12, dpi, 72), 0x43, 0},
        {nullptr, 9, CF_EFFECTS, 0x123456, "", -MulDiv(9, dpi, 72), 0x43 | CF_EFFECTS, 0x123456},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.face + " " + std::to_string(r.size));
        prepare_font_request(r.name, r.size, r.flags, r.colour);
        const CHOOSEFONTA* cf = font_request();
        ASSERT_TRUE(cf->lpLogFont);
        const LOGFONTA& lf = *cf->lpLogFont;
        EXPECT_EQ(r.face, lf.lfFaceName);
        EXPECT_EQ(r.height, lf.lfHeight);
        LOGFONTA expected = {};
        expected.lfHeight = r.height;
        lstrcpynA(expected.lfFaceName, r.face.c_str(), LF_FACESIZE);
        EXPECT_EQ(0, memcmp(&expected, &lf, sizeof lf)) << "fields other than name and height are zero";
        EXPECT_EQ(sizeof(CHOOSEFONTA), cf->lStructSize);
        EXPECT_EQ(r.expected_flags, cf->Flags);
        EXPECT_EQ(r.rgb, cf->rgbColors);
        EXPECT_EQ(0, cf->iPointSize);
        EXPECT_EQ(nullptr, cf->hDC);
        EXPECT_EQ(0, cf->nSizeMin);
        EXPECT_EQ(0, cf->nSizeMax);
    }
    if (dpi == 96) {
        prepare_font_request("Arial", 8, 0, -1);
        EXPECT_EQ(-11, font_request()->lpLogFont->lfHeight);
    }
}

TEST(FontRequest, OwnerIsTheForegroundWindowWhenItIsOurs) {
    HWND ours = make_window("foreground", true);
    SetForegroundWindow(ours);
    pump_messages();
    if (GetForegroundWindow() != ours) GTEST_SKIP() << "the display gave the foreground to another window";
    prepare_font_request("Arial", 8, 0, -1);
    EXPECT_EQ(ours, font_request()->hwndOwner);
    DestroyWindow(ours);
    pump_messages();
}

TEST(ThreadWindows, OnlyVisibleEnabledNonForegroundWindowsOfThisThreadAreDisabledAndLaterEnabled) {
    HWND front = make_window("front", true);
    HWND other = make_window("other", true);
    HWND hidden = make_window("hidden", false);
    HWND disabled = make_window("disabled", true);
    EnableWindow(disabled, FALSE);
    SetForegroundWindow(front);
    pump_messages();
    ASSERT_EQ(front, GetForegroundWindow());

    // A window of another thread stays as it is.
    HWND foreign = 0;
    HANDLE thread = CreateThread(0, 0, [](void* out) -> DWORD {
        *static_cast<HWND*>(out) = make_window("foreign", true);
        MSG m;
        while (GetMessageA(&m, 0, 0, 0) > 0) DispatchMessageA(&m);
        return 0;
    }, &foreign, 0, 0);
    for (int i = 0; i < 200 && !foreign; i++) Sleep(5);
    ASSERT_TRUE(foreign);
    SetForegroundWindow(front);
    pump_messages();
    ASSERT_EQ(front, GetForegroundWindow());

    disable_thread_windows();
    EXPECT_TRUE(IsWindowEnabled(front));
    EXPECT_FALSE(IsWindowEnabled(other));
    EXPECT_TRUE(IsWindowEnabled(hidden));
    EXPECT_FALSE(IsWindowEnabled(disabled));
    EXPECT_TRUE(IsWindowEnabled(foreign));

    enable_thread_windows();
    EXPECT_TRUE(IsWindowEnabled(other));
    EXPECT_FALSE(IsWindowEnabled(disabled)) << "a window disabled beforehand stays disabled";
    EXPECT_TRUE(IsWindowEnabled(hidden));

    // Enabling again finds nothing left to enable.
    EnableWindow(other, FALSE);
    enable_thread_windows();
    EXPECT_FALSE(IsWindowEnabled(other));

    PostMessageA(foreign, WM_QUIT, 0, 0);
    PostThreadMessageA(GetThreadId(thread), WM_QUIT, 0, 0);
    WaitForSingleObject(thread, 2000);
    CloseHandle(thread);
    for (HWND w : {front, other, hidden, disabled}) DestroyWindow(w);
    pump_messages();
}

TEST(FontRequester, CancelGivesZeroAndTheOtherWindowsAreDisabledOnlyWhileItIsOpen) {
    HWND dialog = make_window("dialog", true);
    HWND label = make_window("label", true);
    SetForegroundWindow(dialog);
    pump_messages();

    RequesterScript s;
    s.style = s.size = nullptr;
    s.button = IDCANCEL;
    s.watched = label;
    EXPECT_EQ(0, run_requester(s, kListedFace, 8));
    ASSERT_TRUE(s.seen);
    EXPECT_FALSE(s.watched_enabled) << "the label is disabled while the requester is open";
    EXPECT_FALSE(s.owner_enabled) << "the owner is disabled by the requester itself";
    EXPECT_EQ(kListedFace, s.face_shown);
    EXPECT_TRUE(IsWindowEnabled(label));
    EXPECT_TRUE(IsWindowEnabled(dialog));
    DestroyWindow(dialog);
    DestroyWindow(label);
    pump_messages();
}

TEST(FontRequester, OkGivesTheChosenFaceAndSizeWithoutTheStyle) {
    HWND dialog = make_window("dialog", true);
    SetForegroundWindow(dialog);
    pump_messages();
    struct Row { const char* style; const char* size; int expected_size; } rows[] = {
        {nullptr, nullptr, 8},  // as the requester opened
        {"Bold Italic", "12", 12},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.size ? r.size : "as opened");
        RequesterScript s;
        s.style = r.style;
        s.size = r.size;
        s.button = IDOK;
        s.watched = dialog;
        ASSERT_EQ(1, run_requester(s, kListedFace, 8));
        EXPECT_EQ(kListedFace, take_selected_name());
        EXPECT_EQ(r.expected_size, selected_font_size()) << "iPointSize " << font_request()->iPointSize;
    }
    // The requester's lists offer whole points only; a fractional size from elsewhere is cut.
    const_cast<CHOOSEFONTA*>(font_request())->iPointSize = 105;
    EXPECT_EQ(10, selected_font_size());
    DestroyWindow(dialog);
    pump_messages();
}
