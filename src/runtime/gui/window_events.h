// Numbered top-level windows, each with a class of its own, and the event poll that turns the
// thread's message queue into event codes for the main loop.
#pragma once

#include <windows.h>

#include "runtime/base/object_table.h"

enum EventCode {
    EventMoveWindow = 3,
    EventSizeWindow = 5,
    EventCloseWindow = 16,
    EventGadget = 13100,
    EventMenu = 13101,
};

const UINT MSG_GADGET_EVENT = 13103;
const int FocusNext = 1212;
const int FocusPrevious = 1213;

struct WindowRecord {
    HWND handle;
    int accelerator_count;
    ACCEL* accelerator_entries;
    HACCEL accelerator_table;
};
static_assert(handle_first(offsetof(WindowRecord, handle), sizeof(WindowRecord::handle)), "the table finds the handle first");

struct EventState {
    int pending_event;
    HWND event_window_handle;
    int event_object;
    int event_type;
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
    MSG queued_message;
};

extern EventState event_state;
extern ObjectTable window_table;

void init_windows(HINSTANCE instance);
ObjectNumber open_window(ObjectNumber number, int x, int y, int width, int height, unsigned long flags, const char* title);
void close_window(ObjectNumber number);
void close_all_windows();
HWND window_handle(ObjectNumber number);
HWND last_window_handle();
void hide_window(ObjectNumber number, int state);
int wait_event();
ObjectNumber event_window();
int event_gadget();
int event_menu_item();
// The program's module handle, as given to init_windows.
HINSTANCE runtime_instance();
