// The class procedure of every runtime window. It decodes a message into the single pending
// event of EventState and leaves everything else to the platform; the Tab and Shift+Tab
// commands move the focus through the active window's controls.
#include "runtime/gui/window_procedure.h"

#include "runtime/gui/window_events.h"

namespace {
int control_number(HWND control) {
    return static_cast<int>(GetWindowLongPtrA(control, GWLP_ID));
}

bool on_command(WPARAM wparam, LPARAM lparam, LRESULT* result) {
    *result = 0;
    if (lparam) {
        // A control: every notification counts, the code travels as the event type.
        event_state.pending_event = EventGadget;
        event_state.event_type = HIWORD(wparam);
        event_state.event_object = control_number(reinterpret_cast<HWND>(lparam));
    } else if (HIWORD(wparam) == 0) {
        event_state.pending_event = EventMenu;
        event_state.event_object = static_cast<int>(wparam);
    } else if (LOWORD(wparam) == FocusNext) {
        focus_next();
    } else if (LOWORD(wparam) == FocusPrevious) {
        focus_previous();
    } else {
        // Any other accelerator command acts as a menu item.
        event_state.pending_event = EventMenu;
        event_state.event_object = LOWORD(wparam);
        *result = static_cast<LRESULT>(wparam & ~static_cast<WPARAM>(0xFFFF));
    }
    return true;
}

bool on_scroll(LPARAM lparam) {
    event_state.event_object = control_number(reinterpret_cast<HWND>(lparam));
    event_state.pending_event = EventGadget;
    event_state.event_window_handle = top_level_ancestor(event_state.event_window_handle);
    return true;
}

// A control that Tab can reach: enabled, visible and a tab stop.
bool eligible(HWND control) {
    return IsWindowEnabled(control) && IsWindowVisible(control) &&
           (GetWindowLongA(control, GWL_STYLE) & WS_TABSTOP);
}

HWND focused_child(HWND active) {
    HWND focus = GetFocus();
    return IsChild(active, focus) ? focus : 0;
}

struct ForwardWalk {
    HWND current;
    bool found;
    HWND target;
};

BOOL CALLBACK forward_step(HWND control, LPARAM walk_address) {
    ForwardWalk* walk = reinterpret_cast<ForwardWalk*>(walk_address);
    if (!eligible(control)) return TRUE;
    if (walk->found || !walk->current) {
        walk->found = false;
        walk->target = control;
        return FALSE;
    }
    if (control == walk->current) walk->found = true;
    return TRUE;
}

struct BackwardWalk {
    HWND current;
    HWND previous;
    HWND target;
};

BOOL CALLBACK backward_step(HWND control, LPARAM walk_address) {
    BackwardWalk* walk = reinterpret_cast<BackwardWalk*>(walk_address);
    if (!eligible(control)) return TRUE;
    if (control == walk->current && walk->previous) {
        walk->target = walk->previous;
        return FALSE;
    }
    walk->previous = control;
    return TRUE;
}
}  // namespace

bool translate_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) {
    event_state.event_window_handle = window;
    event_state.message = message;
    event_state.wparam = wparam;
    event_state.lparam = lparam;
    *result = 0;
    switch (message) {
    case MSG_GADGET_EVENT:
        event_state.pending_event = EventGadget;
        event_state.event_object = static_cast<int>(wparam);
        event_state.event_type = static_cast<int>(lparam);
        *result = lparam;  // the sender gets its detail back
        return true;
    case WM_NOTIFY:
        return true;
    case WM_HSCROLL:
    case WM_VSCROLL:
        return on_scroll(lparam);
    case WM_COMMAND:
        return on_command(wparam, lparam, result);
    case WM_MOVE:
    case WM_SIZE:
    case WM_CLOSE:
        // The event codes equal these message numbers. A close request never reaches the
        // default procedure: whether a window closes is the program's decision.
        event_state.pending_event = static_cast<int>(message);
        return true;
    default:
        return false;
    }
}

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    LRESULT result;
    if (translate_message(window, message, wparam, lparam, &result)) return result;
    return DefWindowProcA(window, message, wparam, lparam);
}

void focus_next() {
    HWND active = GetActiveWindow();
    // Without an active window the walk would run over every top-level window.
    if (!active) return;
    ForwardWalk walk = {focused_child(active), false, 0};
    EnumChildWindows(active, forward_step, reinterpret_cast<LPARAM>(&walk));
    // Tab on the last control: the first one comes next.
    if (walk.found) EnumChildWindows(active, forward_step, reinterpret_cast<LPARAM>(&walk));
    if (walk.target) SetFocus(walk.target);
}

void focus_previous() {
    HWND active = GetActiveWindow();
    if (!active) return;
    BackwardWalk walk = {focused_child(active), 0, 0};
    EnumChildWindows(active, backward_step, reinterpret_cast<LPARAM>(&walk));
    // Shift+Tab on the first control, or with no focused control: the last one.
    HWND target = walk.target ? walk.target : walk.previous;
    if (target) SetFocus(target);
}

HWND top_level_ancestor(HWND window) {
    while (HWND parent = GetParent(window)) window = parent;
    return window;
}
