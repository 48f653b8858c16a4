// The main event loop: one event per turn, dispatched by code and object number, then the
// work-area and screen poll, the address poll, a one-millisecond sleep when nothing was waiting,
// and the quit test.
#include <windows.h>

#include "app/app_state.h"
#include "app/main_loop.h"
#include "app/program.h"
#include "app/single_label.h"
#include "dialogs/about_dialog.h"
#include "dialogs/config_dialog.h"
#include "dialogs/font_selection.h"
#include "identity/ipv4.h"
#include "identity/network.h"
#include "identity/os_family.h"
#include "label/label.h"
#include "resource.h"
#include "runtime/base/system_library.h"
#include "runtime/graphics/fonts.h"
#include "runtime/gui/gadgets.h"
#include "runtime/gui/menus.h"
#include "runtime/gui/window_events.h"
#include "settings/settings.h"

namespace {
const int kRightButtonDown = WM_RBUTTONDOWN;

void set_gadget_scratch_text(int gadget, char* text) {
    set_gadget_text(gadget, text);
    scratch_rewind(text);
}

// The address follows the machine's: a network that comes up after logon, a renewed lease, a
// dock or a VPN. While it is shown it is looked up again every few seconds, in the background,
// one lookup at a time; the answer comes as a message to the label window, and the label is
// rendered again only when the address changed. A lookup that failed keeps the address shown.
const UINT kHostFound = WM_APP + 1;
const DWORD kAddressPeriod = 4000;
// A lookup whose answer has not come by then is given up, and the next one begins.
const DWORD kLookupPatience = 30000;
DWORD last_lookup;

void poll_address() {
    if (app.settings.ShowIP != 1) return;
    HWND label = window_handle(kLabelWindow);
    if (host_lookup_pending(label, kLookupPatience)) return;
    const DWORD now = GetTickCount();
    if (now - last_lookup < kAddressPeriod) return;
    last_lookup = now;
    begin_host_lookup(label, kHostFound);
}

void on_host_found() {
    if (!finish_host_lookup(event_state.wparam, static_cast<long>(event_state.lparam))) return;
    char* address = format_ipv4(next_host_address());
    if (strings_equal(address, app.identity.ip_address)) {
        scratch_rewind(address);
        return;
    }
    store_temp_string(&app.identity.ip_address, address);
    if (app.settings.ShowIP == 1) render_label();
}

void show_about() {
    if (!open_about_dialog()) return;
    // The dialog's own events are let go; an address that arrives meanwhile is still taken.
    for (int event; (event = wait_event()) != 0;) {
        if (event == static_cast<int>(kHostFound)) on_host_found();
    }
    set_gadget_text(kGadgetAboutText, app.about_text);
    if (load_font(kLinkFont, kLinkFontFace, kLinkFontSize, kLinkFontStyle)) set_gadget_font(kGadgetLink, current_font());
}

void on_menu(int item) {
    if (item == kMenuConfig) {
        if (open_config_dialog()) fill_config_dialog();
    } else if (item == kMenuAbout) {
        show_about();
    } else if (item == kMenuExit) {
        app.quit = 1;
    }
}

void choose_label_font() {
    if (!choose_font(app.settings.FontName, app.settings.FontSize, 0)) return;
    // The face and the size are taken together or not at all.
    if (!store_temp_string(&app.settings.FontName, selected_font_name())) return;
    app.settings.FontSize = selected_font_size();
    set_gadget_scratch_text(kGadgetFontText, font_description(app.settings.FontName, app.settings.FontSize));
}

void on_gadget(int gadget) {
    switch (gadget) {
    case kGadgetTrackbar:
        app.settings.TransAmount = get_gadget_state(kGadgetTrackbar);
        set_gadget_scratch_text(kGadgetTransValue, transparency_text(app.settings.TransAmount));
        break;
    case kGadgetTopLeft: app.settings.LabelPos = 1; break;
    case kGadgetTopRight: app.settings.LabelPos = 2; break;
    case kGadgetBottomLeft: app.settings.LabelPos = 3; break;
    case kGadgetBottomRight: app.settings.LabelPos = 4; break;
    case kGadgetApply: apply_settings(); break;
    case kGadgetFont: choose_label_font(); break;
    case kGadgetClose:
        apply_settings();
        save_settings();
        close_window(kConfigWindow);
        break;
    case kGadgetLink: shell_execute(0, "open", kProductPage, "", "", SW_SHOWNORMAL); break;
    case kGadgetAboutClose: close_window(kAboutWindow); break;
    default: break;
    }
}

// The screen size the label was last placed for (its corners are worked out from it), and the
// work area as the last turn saw it.
struct ScreenSize {
    int width;
    int height;
} placed_screen;
WorkArea seen_area;

ScreenSize read_screen_size() {
    const ScreenSize size = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return size;
}

bool same_area(const WorkArea& a, const WorkArea& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The label follows the bottom edge of the work area (a task bar moved or resized) and the
// size of the screen (another resolution, a remote session resized, another monitor). The
// screen is read only when the work area changed, as it does with every change of the screen's
// size: reading the screen's size is dear on some systems, and this runs on every turn. A change
// of the work area's other edges alone places nothing.
void poll_work_area() {
    read_work_area();
    if (same_area(app.work_area, seen_area)) return;
    seen_area = app.work_area;
    const ScreenSize screen = read_screen_size();
    const bool resized = screen.width != placed_screen.width || screen.height != placed_screen.height;
    if (app.work_area.bottom == app.work_area_bottom && !resized) return;
    app.work_area_bottom = app.work_area.bottom;
    placed_screen = screen;
    render_label();
}

// A rendering that could not complete, for want of a window, a font, an image, a drawing context
// or memory, is tried again from here a second or more after the last try, until it completes:
// the label comes back by itself once the system has room again. Start-up values that found no
// room are read again first. While nothing is due, this is one test a turn.
const DWORD kRetryPause = 1000;
bool retry_waiting;
DWORD last_try;

void retry_rendering() {
    if (!app.label_due && !app.start_due) {
        retry_waiting = false;
        return;
    }
    const DWORD now = GetTickCount();
    if (retry_waiting && now - last_try < kRetryPause) return;
    last_try = now;
    // The try that failed came just before this notices it: the first retry comes a pause later.
    if (!retry_waiting) {
        retry_waiting = true;
        return;
    }
    if (app.start_due) app.start_due = !read_start_values();
    render_label();
}

HINSTANCE WINAPI open_with_shell(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                                 INT show) {
    ShellExecuteFunction open = system_function_as<ShellExecuteFunction>("shell32.dll", "ShellExecuteA");
    return open ? open(owner, operation, file, parameters, directory, show) : 0;
}
}  // namespace

ShellExecuteFunction shell_execute = open_with_shell;

void dispatch_event(int event) {
    if (event == kRightButtonDown) {
        show_popup_menu(kPopupMenu, window_handle(kLabelWindow));
    } else if (event == EventCloseWindow) {
        if (event_window() == kLabelWindow) app.quit = 1;
    } else if (event == EventMenu) {
        on_menu(event_menu_item());
    } else if (event == EventGadget) {
        on_gadget(event_gadget());
    } else if (event == static_cast<int>(kHostFound)) {
        on_host_found();
    } else if (event != 0 && event == static_cast<int>(show_label_message)) {
        // Another start of the program, which ended at once: the user wants to see the label.
        render_label();
    }
}

// A turn that found a message does not sleep: more may be queued behind it (a burst of typing,
// the paint of each control of a new dialog), and on Windows a 1 ms sleep lasts a whole clock
// tick, 15.6 ms, which would let the program take no more than 64 messages a second. A turn
// that found the queue empty sleeps as before, so an idle program wakes no more often than it did.
void main_loop() {
    placed_screen = read_screen_size();
    seen_area = app.work_area;
    last_lookup = GetTickCount();  // start-up has just looked the address up
    for (;;) {
        app.event = wait_event();
        dispatch_event(app.event);
        poll_work_area();
        poll_address();
        retry_rendering();
        if (app.event == 0) Sleep(1);
        if (app.quit == 1) end_program();
    }
}

void fill_config_dialog() {
    const Settings& s = app.settings;
    set_gadget_state(kGadgetTrackbar, s.TransAmount);
    set_gadget_text(kGadgetCustomText, s.AddToDisplay);
    set_gadget_state(kGadgetAutoStart, s.AutoStart);
    set_gadget_state(kGadgetShowComputerName, s.ShowComputerName);
    set_gadget_state(kGadgetShowDomainName, s.ShowDomainName);
    set_gadget_state(kGadgetShowUserID, s.ShowUserID);
    set_gadget_state(kGadgetShowIP, s.ShowIP);
    set_gadget_scratch_text(kGadgetFontText, font_description(s.FontName, s.FontSize));
    static const int corner_gadgets[] = {kGadgetTopLeft, kGadgetTopRight, kGadgetBottomLeft, kGadgetBottomRight};
    if (s.LabelPos >= 1 && s.LabelPos <= 4) set_gadget_state(corner_gadgets[s.LabelPos - 1], 1);
    if (is_windows95_family(app.os_code)) {
        static const int disabled[] = {kGadgetTrackbar, kGadgetTransCaption, kGadgetTransValue, kGadgetShowDomainName, kGadgetShowUserID};
        for (int g : disabled) disable_gadget(g, 1);
    } else if (is_early_nt(app.os_code)) {
        static const int disabled[] = {kGadgetTrackbar, kGadgetTransCaption, kGadgetTransValue};
        for (int g : disabled) disable_gadget(g, 1);
    }
    set_gadget_scratch_text(kGadgetTransValue, transparency_text(s.TransAmount));
}
