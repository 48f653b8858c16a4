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

struct Report {
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
};

std::vector<Report> reports;

// The parent stands in for a runtime window: it records what gadgets tell it.
LRESULT CALLBACK parent_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == MSG_GADGET_EVENT || message == WM_COMMAND) reports.push_back({message, wparam, lparam});
    return DefWindowProcA(window, message, wparam, lparam);
}

// Hiding a visible top-level window costs Wine about two seconds on a display without a window
// manager, so the visible parent lives for the whole suite and only its children come and go.
HWND open_parent(DWORD visible = WS_VISIBLE) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA c = {};
        c.style = CS_DBLCLKS;
        c.lpfnWndProc = parent_procedure;
        c.hInstance = GetModuleHandleA(0);
        c.hCursor = LoadCursorA(0, IDC_ARROW);
        c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        c.lpszClassName = "GadgetTestParent";
        RegisterClassA(&c);
        registered = true;
    }
    HWND parent = CreateWindowExA(0, "GadgetTestParent", "gadgets", WS_POPUP | WS_CAPTION | visible, 10, 10, 420,
                                  320, 0, 0, GetModuleHandleA(0), 0);
    SetForegroundWindow(parent);
    pump_messages();
    return parent;
}

class Gadgets : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        init_gadgets();
        parent = open_parent();
    }
    static void TearDownTestSuite() { DestroyWindow(parent); }
    void SetUp() override {
        ASSERT_EQ(parent, use_gadget_list(parent));
        reports.clear();
    }
    void TearDown() override {
        while (HWND child = GetWindow(parent, GW_CHILD)) DestroyWindow(child);
        pump_messages();
    }
    static HWND parent;
};
HWND Gadgets::parent;

std::string class_of(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string text_of(int number) {
    char* start = scratch_position;
    std::string text = get_gadget_text(number);
    scratch_rewind(start);
    return text;
}

// Client pixels of a window, read back from its device context after painting.
std::vector<COLORREF> client_pixels(HWND window, int* width, int* height) {
    InvalidateRect(window, 0, TRUE);
    UpdateWindow(window);
    RECT client;
    GetClientRect(window, &client);
    *width = client.right;
    *height = client.bottom;
    std::vector<COLORREF> pixels;
    HDC dc = GetDC(window);
    for (int y = 0; y < client.bottom; ++y)
        for (int x = 0; x < client.right; ++x) pixels.push_back(GetPixel(dc, x, y));
    ReleaseDC(window, dc);
    return pixels;
}

int count_colour(const std::vector<COLORREF>& pixels, COLORREF colour) {
    int n = 0;
    for (COLORREF p : pixels) n += p == colour;
    return n;
}

// The longest horizontal run of one colour: an underline spans the whole text.
int longest_run(const std::vector<COLORREF>& pixels, int width, int height, COLORREF colour) {
    int best = 0;
    for (int y = 0; y < height; ++y) {
        int run = 0;
        for (int x = 0; x < width; ++x) {
            run = pixels[y * width + x] == colour ? run + 1 : 0;
            if (run > best) best = run;
        }
    }
    return best;
}

const DWORD kGroupTab = WS_GROUP | WS_TABSTOP;

struct KindCase {
    const char* name;
    std::function<HWND()> create;
    const char* class_name;
    DWORD style;
    DWORD extended_style;
    const char* text;
    bool default_font;
};

TEST_F(Gadgets, EachKindIsItsStandardControlWithItsStylesAndText) {
    const DWORD child = WS_CHILD | WS_VISIBLE;
    const KindCase cases[] = {
        {"frame", [] { return create_frame_gadget(1, 5, 5, 100, 60, "Box"); }, "Button",
         child | WS_GROUP | BS_GROUPBOX, 0, "Box", true},
        {"checkbox", [] { return create_checkbox_gadget(2, 5, 70, 100, 15, "Check"); }, "Button",
         child | kGroupTab | BS_AUTOCHECKBOX, 0, "Check", true},
        {"text", [] { return create_text_gadget(3, 5, 90, 100, 15, "Plain"); }, "Static", child | WS_GROUP, 0, "Plain",
         true},
        {"centred text", [] { return create_text_gadget(4, 5, 110, 100, 15, "Mid", SS_CENTER); }, "Static",
         child | WS_GROUP | SS_CENTER, 0, "Mid", true},
        {"sunken text", [] { return create_text_gadget(5, 5, 130, 100, 18, "Edge", 0x20000); }, "Static",
         child | WS_GROUP, WS_EX_CLIENTEDGE, "Edge", true},
        {"string", [] { return create_string_gadget(6, 5, 150, 100, 17, "typed"); }, "Edit",
         child | kGroupTab | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, "typed", true},
        {"option", [] { return create_option_gadget(7, 5, 170, 100, 15, "Pick"); }, "Button",
         child | kGroupTab | BS_AUTORADIOBUTTON, 0, "Pick", true},
        {"button", [] { return create_button_gadget(8, 5, 190, 60, 25, "&Apply"); }, "Button",
         child | kGroupTab | BS_PUSHBUTTON, 0, "&Apply", true},
        {"trackbar", [] { return create_trackbar_gadget(9, 120, 5, 100, 25, 0, 10); }, "msctls_trackbar32",
         child | WS_TABSTOP, 0, "", false},
        {"image", [] { return create_image_gadget(10, 120, 40, 30, 30, 0, WS_EX_CLIENTEDGE); }, "Static",
         child | SS_NOTIFY, WS_EX_CLIENTEDGE, "", false},
        {"link", [] { return create_link_gadget(11, 120, 80, 100, 15, "website", 0); }, "Static", child, 0,
         "website", true},
    };
    HFONT gui_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    for (const KindCase& c : cases) {
        SCOPED_TRACE(c.name);
        HWND control = c.create();
        ASSERT_NE(nullptr, control);
        EXPECT_EQ(control, gadget_handle(static_cast<int>(GetWindowLongPtrA(control, GWLP_ID))));
        EXPECT_EQ(parent, GetParent(control));
        EXPECT_STRCASEEQ(c.class_name, class_of(control).c_str());
        // Controls may add bits of their own; ours must all be there, and no WS_GROUP where
        // it was not asked for.
        const DWORD style = GetWindowLongA(control, GWL_STYLE);
        EXPECT_EQ(c.style, style & c.style) << std::hex << style;
        EXPECT_EQ(c.style & WS_GROUP, style & WS_GROUP);
        EXPECT_EQ(c.extended_style, GetWindowLongA(control, GWL_EXSTYLE) & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
        char text[64] = "";
        GetWindowTextA(control, text, sizeof text);
        EXPECT_STREQ(c.text, text);
        if (c.default_font) EXPECT_EQ(gui_font, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    }
}

TEST_F(Gadgets, TextsAreSetAndReadThroughTheNumber) {
    create_string_gadget(10, 5, 5, 200, 17, "");
    create_text_gadget(8, 5, 30, 50, 15, "99%");
    set_gadget_text(10, "custom");
    set_gadget_text(8, "Off");
    EXPECT_EQ("custom", text_of(10));
    EXPECT_EQ("Off", text_of(8));
    set_gadget_text(8, nullptr);
    EXPECT_EQ("", text_of(8));
    // No gadget: nothing happens and the text is empty.
    set_gadget_text(29, "x");
    EXPECT_EQ("", text_of(29));
    EXPECT_EQ("", text_of(-3));
}

TEST_F(Gadgets, LongTextIsCutTo31999CharactersAndNeverPastTheScratch) {
    HWND edit = create_string_gadget(10, 5, 5, 200, 17, "");
    SendMessageA(edit, EM_SETLIMITTEXT, 50000, 0);
    const std::string long_text(40000, 'x');
    SetWindowTextA(edit, long_text.c_str());
    ASSERT_EQ(40000, GetWindowTextLengthA(edit));

    char* start = scratch_position;
    char* text = get_gadget_text(10);
    EXPECT_EQ(start, text);
    EXPECT_EQ(31999u, strlen(text));
    EXPECT_EQ(text + 31999, scratch_position);
    scratch_rewind(start);

    // With only 10 bytes of room left the text is cut there, the zero included. The scratch
    // comes from a heap of its own here, so that a write past its end breaks that heap.
    HeapHandle saved_heap = runtime_heap;
    HANDLE heap = HeapCreate(0, 0x40000, 0);
    runtime_heap = heap;
    init_string_scratch();
    append_text(std::string(scratch_room() - 10, 'f').c_str());
    ASSERT_EQ(10, scratch_room());
    char* tail = get_gadget_text(10);
    EXPECT_EQ(std::string(10, 'x'), tail);
    EXPECT_EQ(0, scratch_room());
    // A full scratch gives the empty text.
    EXPECT_STREQ("", get_gadget_text(10));
    EXPECT_TRUE(HeapValidate(heap, 0, 0));
    runtime_heap = saved_heap;
    init_string_scratch();
    HeapDestroy(heap);
}

TEST_F(Gadgets, CheckboxesAndButtonsKeepTheStateSetOthersHaveNone) {
    create_checkbox_gadget(2, 5, 5, 100, 15, "a");
    create_button_gadget(3, 5, 25, 60, 20, "b");
    set_gadget_state(2, 1);
    EXPECT_EQ(BST_CHECKED, get_gadget_state(2));
    EXPECT_EQ(BST_CHECKED, SendMessageA(gadget_handle(2), BM_GETCHECK, 0, 0));
    set_gadget_state(2, 0);
    EXPECT_EQ(0, get_gadget_state(2));

    const std::function<HWND()> stateless[] = {
        [] { return create_text_gadget(4, 5, 50, 60, 15, "t"); },
        [] { return create_string_gadget(5, 5, 70, 60, 17, "s"); },
        [] { return create_frame_gadget(6, 5, 90, 60, 40, "f"); },
        [] { return create_link_gadget(7, 5, 140, 60, 15, "l", 0); },
    };
    for (const auto& create : stateless) {
        HWND control = create();
        const int number = static_cast<int>(GetWindowLongPtrA(control, GWLP_ID));
        SCOPED_TRACE(number);
        const std::string before = text_of(number);
        set_gadget_state(number, 1);
        EXPECT_EQ(0, get_gadget_state(number));
        EXPECT_EQ(before, text_of(number));
    }
    EXPECT_EQ(0, get_gadget_state(28));
}

// The corner picker: four options in one run, then a frame.
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

TEST_F(Gadgets, OptionsCreatedInARowFormOneRunAndSelectingOneClearsTheOthers) {
    OptionRun run(14);
    create_frame_gadget(18, 0, 0, 100, 30, "");
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(i == 0 ? WS_GROUP : 0, GetWindowLongA(gadget_handle(14 + i), GWL_STYLE) & WS_GROUP);
    }
    set_gadget_state(15, 1);
    EXPECT_EQ((std::vector<int>{0, 1, 0, 0}), run.states());
    set_gadget_state(17, 1);
    EXPECT_EQ((std::vector<int>{0, 0, 0, 1}), run.states());
    set_gadget_state(14, 1);
    EXPECT_EQ((std::vector<int>{1, 0, 0, 0}), run.states());
    // Clearing touches that option only.
    set_gadget_state(16, 0);
    EXPECT_EQ((std::vector<int>{1, 0, 0, 0}), run.states());
    set_gadget_state(14, 0);
    EXPECT_EQ((std::vector<int>{0, 0, 0, 0}), run.states());

    // A click goes through the platform's own grouping.
    set_gadget_state(17, 1);
    SendMessageA(gadget_handle(15), BM_CLICK, 0, 0);
    pump_messages();
    EXPECT_EQ((std::vector<int>{0, 1, 0, 0}), run.states());
}

TEST_F(Gadgets, AnyOtherGadgetEndsARunAndKeepsItsOwnState) {
    const std::function<void()> breakers[] = {
        [] { create_checkbox_gadget(5, 0, 40, 60, 15, "c"); },
        [] { create_trackbar_gadget(5, 0, 40, 60, 20, 0, 10); },
        [] { create_image_gadget(5, 0, 40, 10, 10, 0, 0); },
        [] { create_link_gadget(5, 0, 40, 60, 15, "l", 0); },
    };
    for (const auto& create_breaker : breakers) {
        OptionRun first(1);
        create_breaker();
        OptionRun second(6);
        EXPECT_EQ(WS_GROUP, GetWindowLongA(gadget_handle(6), GWL_STYLE) & WS_GROUP);
        set_gadget_state(2, 1);
        set_gadget_state(8, 1);
        EXPECT_EQ((std::vector<int>{0, 1, 0, 0}), first.states());
        EXPECT_EQ((std::vector<int>{0, 0, 1, 0}), second.states());
        set_gadget_state(4, 1);
        set_gadget_state(6, 1);
        EXPECT_EQ((std::vector<int>{0, 0, 0, 1}), first.states());
        EXPECT_EQ((std::vector<int>{1, 0, 0, 0}), second.states());
    }
    // A checkbox right after a run is not part of it.
    OptionRun run(20);
    create_checkbox_gadget(25, 0, 60, 60, 15, "keep");
    set_gadget_state(25, 1);
    set_gadget_state(23, 1);
    EXPECT_EQ(BST_CHECKED, get_gadget_state(25));
    // Runs stay apart when the gadget between them goes away.
    OptionRun next(26);
    free_gadget(25);
    set_gadget_state(27, 1);
    EXPECT_EQ((std::vector<int>{0, 0, 0, 1}), run.states());
    set_gadget_state(21, 1);
    EXPECT_EQ((std::vector<int>{0, 1, 0, 0}), next.states());
}

struct TrackbarCase {
    int minimum, maximum;
    unsigned long flags;
    int expected_minimum, expected_maximum;
    int set, expected_state, expected_position;
};

TEST_F(Gadgets, TrackbarRangeIsClampedAndVerticalStateIsMirrored) {
    const TrackbarCase cases[] = {
        {-5, 20000, 0, 0, 10000, 7000, 7000, 7000},
        {10, 100, 0, 10, 100, 55, 55, 55},
        {10, 100, 0, 10, 100, 500, 100, 100},
        {10, 100, TBS_VERT, 10, 100, 30, 30, 80},
        {0, 10, TBS_VERT, 0, 10, 0, 0, 10},
    };
    for (const TrackbarCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.minimum << ".." << c.maximum << " flags " << c.flags);
        HWND bar = create_trackbar_gadget(6, 5, 5, c.flags ? 30 : 150, c.flags ? 150 : 30, c.minimum, c.maximum, c.flags);
        ASSERT_NE(nullptr, bar);
        EXPECT_EQ(c.expected_minimum, SendMessageA(bar, TBM_GETRANGEMIN, 0, 0));
        EXPECT_EQ(c.expected_maximum, SendMessageA(bar, TBM_GETRANGEMAX, 0, 0));
        // A new trackbar reads as its minimum, wherever the thumb stands.
        EXPECT_EQ(c.expected_minimum, get_gadget_state(6));
        set_gadget_state(6, c.set);
        EXPECT_EQ(c.expected_state, get_gadget_state(6));
        EXPECT_EQ(c.expected_position, SendMessageA(bar, TBM_GETPOS, 0, 0));
    }
}

TEST_F(Gadgets, DisablingAndFocusActOnTheGadgetAndNothingElse) {
    create_string_gadget(10, 5, 5, 100, 17, "");
    create_button_gadget(20, 5, 30, 60, 20, "b");
    disable_gadget(20, 1);
    EXPECT_FALSE(IsWindowEnabled(gadget_handle(20)));
    disable_gadget(20, 0);
    EXPECT_TRUE(IsWindowEnabled(gadget_handle(20)));
    disable_gadget(20, 5);
    EXPECT_FALSE(IsWindowEnabled(gadget_handle(20)));

    set_gadget_focus(10);
    EXPECT_EQ(gadget_handle(10), GetFocus());
    // An absent number leaves the focus where it is.
    set_gadget_focus(27);
    EXPECT_EQ(gadget_handle(10), GetFocus());
    disable_gadget(27, 1);
    set_gadget_font(27, 0);
}

TEST_F(Gadgets, StringGadgetPostsFocusGainedAndLost) {
    create_string_gadget(10, 5, 5, 100, 17, "");
    create_button_gadget(19, 5, 30, 60, 20, "b");
    pump_messages();
    reports.clear();
    set_gadget_focus(10);
    set_gadget_focus(19);
    std::vector<LPARAM> focus_reports;
    auto focus_events = [&] {
        focus_reports.clear();
        for (const Report& r : reports)
            if (r.message == MSG_GADGET_EVENT) {
                EXPECT_EQ(10u, r.wparam);
                focus_reports.push_back(r.lparam);
            }
    };
    // Posted, not sent: nothing has arrived before the queue is read.
    focus_events();
    EXPECT_TRUE(focus_reports.empty());
    // The edit control's own notifications were sent at once.
    bool saw_setfocus = false;
    for (const Report& r : reports) saw_setfocus |= r.message == WM_COMMAND && HIWORD(r.wparam) == EN_SETFOCUS;
    EXPECT_TRUE(saw_setfocus);
    pump_messages();
    focus_events();
    EXPECT_EQ((std::vector<LPARAM>{kGadgetFocusGained, kGadgetFocusLost}), focus_reports);
}

TEST_F(Gadgets, DestroyingAControlFreesItsNumberForReuse) {
    const std::function<HWND(int)> kinds[] = {
        [](int n) { return create_frame_gadget(n, 0, 0, 50, 50, ""); },
        [](int n) { return create_string_gadget(n, 0, 0, 50, 17, ""); },
        [](int n) { return create_option_gadget(n, 0, 0, 15, 15, ""); },
        [](int n) { return create_trackbar_gadget(n, 0, 0, 80, 20, 0, 5); },
        [](int n) { return create_image_gadget(n, 0, 0, 10, 10, 0, 0); },
        [](int n) { return create_link_gadget(n, 0, 0, 50, 15, "l", 0); },
    };
    for (const auto& create : kinds) {
        HWND old_control = create(12);
        ASSERT_TRUE(old_control);
        // The same number again replaces the control.
        HWND control = create(12);
        EXPECT_FALSE(IsWindow(old_control));
        EXPECT_EQ(control, gadget_handle(12));
        DestroyWindow(control);
        EXPECT_EQ(nullptr, gadget_handle(12));
        EXPECT_EQ(nullptr, find_object(&gadget_table, 12));
        create(12);
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
    EXPECT_EQ("again", text_of(2));
}

TEST_F(Gadgets, ACreationThePlatformRefusesLeavesTheNumberFree) {
    use_gadget_list(reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7654)));
    EXPECT_EQ(nullptr, create_button_gadget(4, 0, 0, 10, 10, "x"));
    EXPECT_EQ(nullptr, create_trackbar_gadget(4, 0, 0, 10, 10, 0, 1));
    EXPECT_EQ(nullptr, gadget_handle(4));
    EXPECT_EQ(nullptr, create_checkbox_gadget(-2, 0, 0, 10, 10, "x"));
    EXPECT_EQ(nullptr, use_gadget_list(0));
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

TEST_F(Gadgets, ImageGadgetTakesTheImageSizeAndShowsIt) {
    HBITMAP red = solid_bitmap(150, 60, RGB(255, 0, 0));
    HWND image = create_image_gadget(24, 25, 5, 157, 75, red, WS_EX_CLIENTEDGE);
    EXPECT_EQ(154, window_size(image).cx);
    EXPECT_EQ(64, window_size(image).cy);
    EXPECT_EQ(reinterpret_cast<LRESULT>(red), SendMessageA(image, STM_GETIMAGE, IMAGE_BITMAP, 0));
    int width, height;
    std::vector<COLORREF> pixels = client_pixels(image, &width, &height);
    EXPECT_EQ(150 * 60, count_colour(pixels, RGB(255, 0, 0)));

    // Without an edge the gadget is the image's size; an icon gives its own size.
    HBITMAP blue = solid_bitmap(40, 30, RGB(0, 0, 255));
    HWND plain = create_image_gadget(25, 200, 5, 10, 10, blue, 0);
    EXPECT_EQ(40, window_size(plain).cx);
    EXPECT_EQ(30, window_size(plain).cy);
    HICON icon = LoadIconA(0, IDI_APPLICATION);
    set_gadget_state(25, reinterpret_cast<LPARAM>(icon));
    EXPECT_EQ(GetSystemMetrics(SM_CXICON), window_size(plain).cx);
    EXPECT_EQ(reinterpret_cast<LRESULT>(icon), SendMessageA(plain, STM_GETIMAGE, IMAGE_ICON, 0));
    // No image: the size stays and nothing is drawn.
    set_gadget_state(25, 0);
    EXPECT_EQ(GetSystemMetrics(SM_CXICON), window_size(plain).cx);
    DestroyWindow(image);
    DeleteObject(red);
    DeleteObject(blue);
}

TEST_F(Gadgets, ImageGadgetReportsClicksToItsWindow) {
    HWND image = create_image_gadget(24, 5, 5, 20, 20, 0, 0);
    reports.clear();
    SendMessageA(image, WM_RBUTTONUP, 0, 0);        // right click
    SendMessageA(image, WM_LBUTTONDBLCLK, 0, 0);    // left double click
    SendMessageA(image, WM_RBUTTONDBLCLK, 0, 0);    // right double click ...
    SendMessageA(image, WM_RBUTTONUP, 0, 0);        // ... whose release is not a click
    SendMessageA(image, WM_RBUTTONUP, 0, 0);        // the next click is
    std::vector<LPARAM> types;
    for (const Report& r : reports) {
        ASSERT_EQ(MSG_GADGET_EVENT, r.message);
        EXPECT_EQ(24u, r.wparam);
        types.push_back(r.lparam);
    }
    EXPECT_EQ((std::vector<LPARAM>{1, 2, 3, 1}), types);
}

HFONT arial(bool underline) {
    return CreateFontA(-16, 0, 0, 0, FW_NORMAL, 0, underline, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
}

TEST_F(Gadgets, LinkShowsHandCursorHoverColourAndItsFont) {
    const COLORREF hover = RGB(255, 0, 0);
    HWND link = create_link_gadget(26, 20, 20, 150, 22, "Website", hover);
    HFONT font = arial(false);
    HFONT underlined = arial(true);
    set_gadget_font(26, font);
    EXPECT_EQ(font, reinterpret_cast<HFONT>(SendMessageA(link, WM_GETFONT, 0, 0)));

    SendMessageA(link, WM_SETCURSOR, reinterpret_cast<WPARAM>(link), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(LoadCursorA(0, IDC_HAND), GetCursor());

    int width, height;
    std::vector<COLORREF> normal = client_pixels(link, &width, &height);
    EXPECT_EQ(0, count_colour(normal, hover));
    EXPECT_LT(20, count_colour(normal, RGB(0, 0, 0)));

    SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(link, GetCapture());
    std::vector<COLORREF> hovered = client_pixels(link, &width, &height);
    EXPECT_EQ(count_colour(normal, RGB(0, 0, 0)), count_colour(hovered, hover));
    EXPECT_EQ(0, count_colour(hovered, RGB(0, 0, 0)));
    // The right and bottom edges still count as inside; one step further leaves.
    SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(width, height));
    EXPECT_EQ(link, GetCapture());
    SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(-1, 5));
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_EQ(0, count_colour(client_pixels(link, &width, &height), hover));

    // The underlined font draws a line under the whole text.
    const int plain_run = longest_run(normal, width, height, RGB(0, 0, 0));
    set_gadget_font(26, underlined);
    std::vector<COLORREF> lined = client_pixels(link, &width, &height);
    HDC dc = GetDC(link);
    HGDIOBJ old = SelectObject(dc, underlined);
    SIZE extent;
    GetTextExtentPoint32A(dc, "Website", 7, &extent);
    SelectObject(dc, old);
    ReleaseDC(link, dc);
    EXPECT_LT(plain_run, extent.cx / 2);
    EXPECT_GE(longest_run(lined, width, height, RGB(0, 0, 0)), extent.cx - 2);

    // Disabled: embossed grey, no black.
    disable_gadget(26, 1);
    std::vector<COLORREF> grey = client_pixels(link, &width, &height);
    EXPECT_EQ(0, count_colour(grey, RGB(0, 0, 0)));
    EXPECT_LT(20, count_colour(grey, GetSysColor(COLOR_GRAYTEXT)) + count_colour(grey, GetSysColor(COLOR_3DSHADOW)));
    DeleteObject(font);
    DeleteObject(underlined);
}

TEST_F(Gadgets, LinkHoverColourZeroStaysBlackAndTextIsCutAt99) {
    HWND link = create_link_gadget(26, 5, 5, 400, 20, "", RGB(0, 0, 0));
    int width, height;
    SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    set_gadget_text(26, "Website");
    std::vector<COLORREF> hovered = client_pixels(link, &width, &height);
    EXPECT_LT(20, count_colour(hovered, RGB(0, 0, 0)));
    ReleaseCapture();

    // 99 dots and then wide letters: nothing of the letters may appear.
    const std::string dots(99, '.');
    set_gadget_text(26, (dots + "WWWWWWWWWW").c_str());
    std::vector<COLORREF> pixels = client_pixels(link, &width, &height);
    HDC dc = GetDC(link);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(link, WM_GETFONT, 0, 0)));
    SIZE extent;
    GetTextExtentPoint32A(dc, dots.c_str(), 99, &extent);
    SelectObject(dc, old);
    ReleaseDC(link, dc);
    ASSERT_LT(extent.cx + 20, width);
    int rightmost = -1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (pixels[y * width + x] == RGB(0, 0, 0) && x > rightmost) rightmost = x;
    EXPECT_GT(rightmost, extent.cx - 6);
    EXPECT_LE(rightmost, extent.cx + 1);
}

TEST_F(Gadgets, LinkReportsEachButtonReleaseAsACommand) {
    HWND link = create_link_gadget(26, 5, 5, 100, 20, "Website", 0);
    reports.clear();
    // A double click: down, up, double-click, up.
    SendMessageA(link, WM_LBUTTONDOWN, 0, MAKELPARAM(3, 3));
    SendMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    SendMessageA(link, WM_LBUTTONDBLCLK, 0, MAKELPARAM(3, 3));
    SendMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    ASSERT_EQ(2u, reports.size());
    for (const Report& r : reports) {
        EXPECT_EQ(static_cast<UINT>(WM_COMMAND), r.message);
        EXPECT_EQ(MAKEWPARAM(26, 0), r.wparam);
        EXPECT_EQ(reinterpret_cast<LPARAM>(link), r.lparam);
    }
}

}  // namespace
