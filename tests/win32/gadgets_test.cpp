// Gadgets as real child controls of a real window: classes and styles, states, texts, focus,
// number release on destruction, and the painting and reports of image and link gadgets.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "runtime/base/heap.h"
#include "runtime/base/strings.h"
#include "runtime/gui/gadgets.h"
#include "runtime/gui/window_events.h"
#include "win32_support.h"

namespace {

// The parent stands in for a runtime window; what gadgets tell it is recorded on its way in.
HWND open_parent(DWORD visible) {
    WNDCLASSA c = {};
    c.lpfnWndProc = DefWindowProcA;
    c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    c.lpszClassName = "GadgetTestParent";
    RegisterClassA(&c);
    return CreateWindowExA(0, c.lpszClassName, "", WS_POPUP | visible, 10, 10, 420, 320, 0, 0, 0, 0);
}

// Hiding a visible top-level window costs Wine about two seconds on a display without a window
// manager, so the visible parent lives for the whole suite and only its children come and go.
class Gadgets : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        init_gadgets();
        parent = open_parent(WS_VISIBLE);
        SetForegroundWindow(parent);
    }
    void SetUp() override {
        ASSERT_EQ(parent, use_gadget_list(parent));
    }
    void TearDown() override {
        while (HWND child = GetWindow(parent, GW_CHILD)) DestroyWindow(child);
        pump_messages();
    }
    static HWND parent;
};
HWND Gadgets::parent;

std::string text_of(int number) {
    char* start = scratch_position;
    std::string text = get_gadget_text(number);
    scratch_rewind(start);
    return text;
}

int number_of(HWND control) { return static_cast<int>(GetWindowLongPtrA(control, GWLP_ID)); }

// Client pixels after a full repaint, row by row.
struct Pixels {
    explicit Pixels(HWND window) {
        InvalidateRect(window, 0, TRUE);
        UpdateWindow(window);
        RECT client;
        GetClientRect(window, &client);
        width = client.right, height = client.bottom;
        HDC dc = GetDC(window);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) data.push_back(GetPixel(dc, x, y));
        ReleaseDC(window, dc);
    }
    int count(COLORREF colour) const {
        int n = 0;
        for (COLORREF p : data) n += p == colour;
        return n;
    }
    // The longest horizontal run of one colour (an underline spans the whole text) and the
    // rightmost column holding it.
    int longest_run(COLORREF colour, int* rightmost = 0) const {
        int best = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0, run = 0; x < width; ++x) {
                run = data[y * width + x] == colour ? run + 1 : 0;
                best = run > best ? run : best;
                if (run && rightmost && x > *rightmost) *rightmost = x;
            }
        return best;
    }
    int width, height;
    std::vector<COLORREF> data;
};

const DWORD kChild = WS_CHILD | WS_VISIBLE;
const DWORD kTab = WS_GROUP | WS_TABSTOP;

// One of each kind, made under the number given, with what the platform must show of it.
const struct GadgetKind {
    std::function<HWND(int)> create;
    const char* class_name;
    DWORD style, extended_style;
    const char* text;
    bool default_font, checkable;
} kKinds[] = {
    {[](int n) { return create_frame_gadget(n, 5, 5, 100, 60, "Box"); }, "Button", kChild | WS_GROUP | BS_GROUPBOX, 0, "Box", true, false},
    {[](int n) { return create_checkbox_gadget(n, 5, 70, 100, 15, "Check"); }, "Button", kChild | kTab | BS_AUTOCHECKBOX, 0, "Check", true, true},
    {[](int n) { return create_text_gadget(n, 5, 90, 100, 15, "Plain"); }, "Static", kChild | WS_GROUP, 0, "Plain", true, false},
    {[](int n) { return create_text_gadget(n, 5, 110, 100, 15, "Mid", SS_CENTER); }, "Static", kChild | WS_GROUP | SS_CENTER, 0, "Mid", true, false},
    {[](int n) { return create_text_gadget(n, 5, 130, 100, 18, "Edge", kTextGadgetSunken); }, "Static", kChild | WS_GROUP, WS_EX_CLIENTEDGE, "Edge", true, false},
    {[](int n) { return create_string_gadget(n, 5, 150, 100, 17, "typed"); }, "Edit", kChild | kTab | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, "typed", true, false},
    {[](int n) { return create_option_gadget(n, 5, 170, 100, 15, "Pick"); }, "Button", kChild | kTab | BS_AUTORADIOBUTTON, 0, "Pick", true, true},
    {[](int n) { return create_button_gadget(n, 5, 190, 60, 25, "&Apply"); }, "Button", kChild | kTab | BS_PUSHBUTTON, 0, "&Apply", true, false},
    {[](int n) { return create_trackbar_gadget(n, 120, 5, 100, 25, 0, 10); }, "msctls_trackbar32", kChild | WS_TABSTOP, 0, "", false, false},
    {[](int n) { return create_image_gadget(n, 120, 40, 30, 30, 0, WS_EX_CLIENTEDGE); }, "Static", kChild | SS_NOTIFY, WS_EX_CLIENTEDGE, "", false, false},
    {[](int n) { return create_link_gadget(n, 120, 80, 100, 15, "website", 0); }, "Static", kChild, 0, "website", true, false},
};

TEST_F(Gadgets, EachKindIsItsStandardControlWithItsStylesTextAndState) {
    HFONT gui_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    for (const GadgetKind& c : kKinds) {
        HWND control = c.create(static_cast<int>(&c - kKinds) + 1);
        ASSERT_NE(nullptr, control);
        const int number = number_of(control);
        SCOPED_TRACE(number);
        EXPECT_EQ(control, gadget_handle(number));
        EXPECT_STRCASEEQ(c.class_name, class_of(control).c_str());
        // Controls may add bits of their own; ours must all be there, WS_GROUP only where asked.
        const DWORD style = GetWindowLongA(control, GWL_STYLE);
        EXPECT_EQ(c.style, style & c.style) << std::hex << style;
        EXPECT_EQ(c.style & WS_GROUP, style & WS_GROUP);
        EXPECT_EQ(c.extended_style, GetWindowLongA(control, GWL_EXSTYLE) & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
        EXPECT_EQ(c.text, text_of(number));
        if (c.default_font) EXPECT_EQ(gui_font, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
        if (number == 9 || number == 10) continue;  // trackbar and image states are tested on their own
        set_gadget_state(number, 1);
        EXPECT_EQ(c.checkable ? BST_CHECKED : 0, get_gadget_state(number));
        EXPECT_EQ(c.text, text_of(number));
        set_gadget_text(number, "new");
        EXPECT_EQ("new", text_of(number));
    }
    // Absent numbers: nothing happens, the text is empty, the focus stays.
    set_gadget_focus(6);
    for (int number : {29, 40, -3}) {
        set_gadget_text(number, "x");
        set_gadget_focus(number);
        disable_gadget(number, 1);
        EXPECT_EQ("", text_of(number));
        EXPECT_EQ(0, get_gadget_state(number));
    }
    EXPECT_EQ(gadget_handle(6), GetFocus());
    use_gadget_list(reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7654)));
    EXPECT_EQ(nullptr, create_button_gadget(4, 0, 0, 10, 10, "refused"));
    EXPECT_EQ(nullptr, gadget_handle(4));
}

TEST_F(Gadgets, LongTextIsCutTo31999CharactersAndNeverPastTheScratch) {
    HWND edit = create_string_gadget(10, 5, 5, 200, 17, "");
    SendMessageA(edit, EM_SETLIMITTEXT, 50000, 0);
    SetWindowTextA(edit, std::string(40000, 'x').c_str());
    char* text = get_gadget_text(10);
    EXPECT_EQ(31999u, strlen(text));
    EXPECT_EQ(text + 31999, scratch_position);
    scratch_rewind(text);

    // With 10 bytes of room left the text is cut there. The scratch comes from a heap of its
    // own here, so that a write past its end breaks that heap.
    HeapHandle saved_heap = runtime_heap;
    HANDLE heap = HeapCreate(0, 0x40000, 0);
    runtime_heap = heap;
    init_string_scratch();
    append_text(std::string(scratch_room() - 10, 'f').c_str());
    EXPECT_EQ(std::string(10, 'x'), get_gadget_text(10));
    EXPECT_STREQ("", get_gadget_text(10));
    EXPECT_TRUE(HeapValidate(heap, 0, 0));
    runtime_heap = saved_heap;
    init_string_scratch();
    HeapDestroy(heap);
}

TEST_F(Gadgets, AControlIsCreatedWithATextOfAnyLength) {
    // Window creation refuses titles of 32767 characters and more here; the text follows after.
    for (size_t length : {100u, 32000u, 32767u, 64000u}) {
        const std::string text(length, 'w');
        HWND control = create_text_gadget(27, 0, 0, 400000, 12, text.c_str(), 1);
        ASSERT_TRUE(control) << length;
        EXPECT_EQ(static_cast<int>(length), GetWindowTextLengthA(control)) << length;
        free_gadget(27);
    }
}

struct OptionRun {
    explicit OptionRun(int first) {
        for (int i = 0; i < 4; ++i) numbers[i] = first + i, create_option_gadget(first + i, 5 + 20 * i, 5, 15, 15, "");
    }
    std::vector<int> states() const {
        std::vector<int> s;
        for (int n : numbers) s.push_back(get_gadget_state(n));
        return s;
    }
    int numbers[4];
};

TEST_F(Gadgets, SelectingAnOptionClearsTheOthersOfItsRunOnly) {
    typedef std::vector<int> States;
    OptionRun corners(14);
    create_frame_gadget(18, 0, 0, 100, 30, "");
    for (int i = 0; i < 4; ++i) EXPECT_EQ(i == 0 ? WS_GROUP : 0, GetWindowLongA(gadget_handle(14 + i), GWL_STYLE) & WS_GROUP);
    set_gadget_state(15, 1);
    set_gadget_state(17, 1);
    EXPECT_EQ((States{0, 0, 0, 1}), corners.states());
    set_gadget_state(14, 1);
    set_gadget_state(16, 0);  // clearing touches that option only
    EXPECT_EQ((States{1, 0, 0, 0}), corners.states());
    SendMessageA(gadget_handle(15), BM_CLICK, 0, 0);  // the platform's own grouping agrees
    EXPECT_EQ((States{0, 1, 0, 0}), corners.states());

    // Any other kind ends a run; a checkbox next to a run keeps its state.
    const std::function<void()> breakers[] = {
        [] { create_checkbox_gadget(5, 0, 40, 60, 15, "c"), set_gadget_state(5, 1); },
        [] { create_trackbar_gadget(5, 0, 40, 60, 20, 0, 10); },
        [] { create_image_gadget(5, 0, 40, 10, 10, 0, 0); },
        [] { create_link_gadget(5, 0, 40, 60, 15, "l", 0); },
    };
    for (const auto& create_breaker : breakers) {
        OptionRun first(1);
        create_breaker();
        const int breaker_state = get_gadget_state(5);
        OptionRun second(6);
        EXPECT_EQ(WS_GROUP, GetWindowLongA(gadget_handle(6), GWL_STYLE) & WS_GROUP);
        set_gadget_state(4, 1);
        set_gadget_state(6, 1);
        EXPECT_EQ((States{0, 0, 0, 1}), first.states());
        EXPECT_EQ((States{1, 0, 0, 0}), second.states());
        EXPECT_EQ(breaker_state, get_gadget_state(5));
        // Runs stay apart when the gadget between them goes away.
        free_gadget(5);
        set_gadget_state(8, 1);
        set_gadget_state(2, 1);
        EXPECT_EQ((States{0, 1, 0, 0}), first.states());
        EXPECT_EQ((States{0, 0, 1, 0}), second.states());
    }
}

TEST_F(Gadgets, TrackbarRangeIsClampedAndVerticalStateIsMirrored) {
    struct {
        int minimum, maximum;
        unsigned long flags;
        int low, high, set, state, position;
    } cases[] = {
        {-5, 20000, 0, 0, 10000, 7000, 7000, 7000},
        {10, 100, 0, 10, 100, 500, 100, 100},
        {10, 100, TBS_VERT, 10, 100, 30, 30, 80},
        {0, 10, TBS_VERT, 0, 10, 0, 0, 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.minimum << ".." << c.maximum << " flags " << c.flags);
        HWND bar = create_trackbar_gadget(6, 5, 5, 150, 150, c.minimum, c.maximum, c.flags);
        EXPECT_EQ(c.low, SendMessageA(bar, TBM_GETRANGEMIN, 0, 0));
        EXPECT_EQ(c.high, SendMessageA(bar, TBM_GETRANGEMAX, 0, 0));
        EXPECT_EQ(c.low, get_gadget_state(6));  // a new trackbar reads as its minimum
        set_gadget_state(6, c.set);
        EXPECT_EQ(c.state, get_gadget_state(6));
        EXPECT_EQ(c.position, SendMessageA(bar, TBM_GETPOS, 0, 0));
    }
}

TEST_F(Gadgets, DisablingAndFocusAndTheStringGadgetsPostedFocusReports) {
    create_string_gadget(10, 5, 5, 100, 17, "");
    create_button_gadget(20, 5, 30, 60, 20, "b");
    for (int disable : {1, 0, 5, 0}) {
        disable_gadget(20, disable);
        EXPECT_EQ(disable == 0, IsWindowEnabled(gadget_handle(20)) != 0);
    }
    set_gadget_focus(20);  // the window itself gives up no focus while recording
    pump_messages();
    SequenceRecorder recorder({{gadget_handle(10), "edit"}, {parent, "window"}},
                              {WM_SETFOCUS, WM_KILLFOCUS, WM_COMMAND, MSG_GADGET_EVENT});
    set_gadget_focus(10);
    EXPECT_EQ(gadget_handle(10), GetFocus());
    set_gadget_focus(20);
    pump_messages();
    // The edit control's own notifications are sent at once; the focus reports are posted, so
    // they come once the focus has moved on, gained before lost.
    const SequenceStep focus_reports[] = {
        {"edit", WM_SETFOCUS}, {"window", WM_COMMAND, kWparam, MAKEWPARAM(10, EN_SETFOCUS)},
        {"edit", WM_KILLFOCUS}, {"window", WM_COMMAND, kWparam, MAKEWPARAM(10, EN_KILLFOCUS)},
        {"window", MSG_GADGET_EVENT, kBothParameters, 10, kGadgetFocusGained},
        {"window", MSG_GADGET_EVENT, kBothParameters, 10, kGadgetFocusLost},
    };
    expect_sequence(recorder, focus_reports);
}

TEST_F(Gadgets, DestroyingAControlFreesItsNumberForReuse) {
    for (const GadgetKind& kind : kKinds) {
        HWND old_control = kind.create(12);
        HWND control = kind.create(12);  // the same number again replaces the control
        EXPECT_FALSE(IsWindow(old_control));
        EXPECT_EQ(control, gadget_handle(12));
        DestroyWindow(control);
        EXPECT_EQ(nullptr, find_object(&gadget_table, 12));
        kind.create(12);
        free_gadget(12);
        EXPECT_EQ(nullptr, gadget_handle(12));
    }
    // Closing a window frees every gadget on it and no other.
    HWND closed = open_parent(0);
    use_gadget_list(closed);
    create_checkbox_gadget(2, 0, 0, 50, 15, "a");
    create_checkbox_gadget(45, 0, 20, 50, 15, "b");
    EXPECT_EQ(75, gadget_table.capacity);
    use_gadget_list(parent);
    create_text_gadget(3, 0, 0, 50, 15, "kept");
    DestroyWindow(closed);
    EXPECT_EQ(nullptr, gadget_handle(2));
    EXPECT_EQ(nullptr, gadget_handle(45));
    EXPECT_EQ("kept", text_of(3));
    EXPECT_TRUE(create_checkbox_gadget(2, 0, 20, 50, 15, "again"));
}

HBITMAP solid_bitmap(int width, int height, COLORREF colour) {
    HDC screen = GetDC(0);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    HBRUSH brush = CreateSolidBrush(colour);
    RECT all = {0, 0, width, height};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(0, screen);
    return bitmap;
}

SIZE window_size(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    return {r.right - r.left, r.bottom - r.top};
}

TEST_F(Gadgets, ImageGadgetTakesTheImageSizeShowsItAndReportsClicks) {
    HBITMAP red = solid_bitmap(150, 60, RGB(255, 0, 0));
    HWND image = create_image_gadget(24, 25, 5, 157, 75, red, WS_EX_CLIENTEDGE);
    EXPECT_EQ(154, window_size(image).cx);
    EXPECT_EQ(64, window_size(image).cy);
    EXPECT_EQ(150 * 60, Pixels(image).count(RGB(255, 0, 0)));
    HICON icon = LoadIconA(0, IDI_APPLICATION);
    set_gadget_state(24, reinterpret_cast<LPARAM>(icon));
    EXPECT_EQ(GetSystemMetrics(SM_CXICON) + 4, window_size(image).cx);
    EXPECT_EQ(reinterpret_cast<LRESULT>(icon), SendMessageA(image, STM_GETIMAGE, IMAGE_ICON, 0));
    set_gadget_state(24, 0);  // no image: the size stays
    EXPECT_EQ(GetSystemMetrics(SM_CXICON) + 4, window_size(image).cx);
    DeleteObject(red);

    SequenceRecorder recorder({{image, "image"}, {parent, "window"}},
                              {WM_RBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, MSG_GADGET_EVENT});
    for (UINT mouse : {WM_RBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_RBUTTONUP, WM_RBUTTONUP})
        SendMessageA(image, mouse, 0, 0);
    // Each report is sent at once; the release that ends a right double click is no click of
    // its own.
    const SequenceStep clicks[] = {
        {"image", WM_RBUTTONUP}, {"window", MSG_GADGET_EVENT, kBothParameters, 24, kImageRightClick},
        {"image", WM_LBUTTONDBLCLK}, {"window", MSG_GADGET_EVENT, kBothParameters, 24, kImageDoubleClick},
        {"image", WM_RBUTTONDBLCLK}, {"window", MSG_GADGET_EVENT, kBothParameters, 24, kImageRightDoubleClick},
        {"image", WM_RBUTTONUP},
        {"image", WM_RBUTTONUP}, {"window", MSG_GADGET_EVENT, kBothParameters, 24, kImageRightClick},
    };
    expect_sequence(recorder, clicks);
}

TEST_F(Gadgets, LinkShowsHandCursorHoverColourUnderlineAndReportsReleases) {
    const COLORREF black = RGB(0, 0, 0), hover = RGB(255, 0, 0);
    HWND link = create_link_gadget(26, 20, 20, 150, 22, "Website", hover);
    HFONT underlined = CreateFontA(-16, 0, 0, 0, FW_NORMAL, 0, TRUE, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
    SendMessageA(link, WM_SETCURSOR, reinterpret_cast<WPARAM>(link), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(LoadCursorA(0, IDC_HAND), GetCursor());

    const Pixels normal(link);
    EXPECT_EQ(0, normal.count(hover));
    EXPECT_LT(20, normal.count(black));
    SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(link, GetCapture());
    EXPECT_EQ(normal.count(black), Pixels(link).count(hover));
    // The right and bottom edges still count as inside; one step further leaves.
    SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(normal.width, normal.height));
    EXPECT_EQ(link, GetCapture());
    SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(-1, 5));
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_EQ(0, Pixels(link).count(hover));

    set_gadget_font(26, underlined);
    EXPECT_EQ(underlined, reinterpret_cast<HFONT>(SendMessageA(link, WM_GETFONT, 0, 0)));
    HDC dc = GetDC(link);
    HGDIOBJ old = SelectObject(dc, underlined);
    SIZE extent;
    GetTextExtentPoint32A(dc, "Website", 7, &extent);
    EXPECT_LT(normal.longest_run(black), extent.cx / 2);
    EXPECT_GE(Pixels(link).longest_run(black), extent.cx - 2);

    // At most 99 characters are drawn: of 99 dots and then letters, no letter shows.
    const std::string dots(99, '.');
    set_gadget_text(26, (dots + "WWWW").c_str());
    MoveWindow(link, 0, 0, 400, 22, TRUE);
    GetTextExtentPoint32A(dc, dots.c_str(), 99, &extent);
    SelectObject(dc, old);
    ReleaseDC(link, dc);
    int rightmost = -1;
    Pixels(link).longest_run(black, &rightmost);
    EXPECT_GT(rightmost, extent.cx - 6);
    EXPECT_LE(rightmost, extent.cx + 1);

    disable_gadget(26, 1);  // embossed grey instead of black
    const Pixels grey(link);
    EXPECT_EQ(0, grey.count(black));
    EXPECT_LT(20, grey.count(GetSysColor(COLOR_3DSHADOW)));
    DeleteObject(underlined);

    SequenceRecorder recorder({{link, "link"}, {parent, "window"}},
                              {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_COMMAND});
    for (UINT mouse : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) SendMessageA(link, mouse, 0, 0);
    // Each release, the one after a double click included, sends the link's command to its
    // top-level window at once; nothing else does.
    const LPARAM from_link = reinterpret_cast<LPARAM>(link);
    const SequenceStep releases[] = {
        {"link", WM_LBUTTONDOWN},
        {"link", WM_LBUTTONUP}, {"window", WM_COMMAND, kBothParameters, MAKEWPARAM(26, 0), from_link},
        {"link", WM_LBUTTONDBLCLK},
        {"link", WM_LBUTTONUP}, {"window", WM_COMMAND, kBothParameters, MAKEWPARAM(26, 0), from_link},
    };
    expect_sequence(recorder, releases);
}

}  // namespace
