// Shared helpers of the in-process Win32 tests.
#include "win32_support.h"

#include "runtime/base/heap.h"
#include "runtime/base/strings.h"
#include "runtime/gui/window_events.h"

void init_test_runtime() {
    runtime_heap = heap_create(4000);
    object_list_heap = heap_create(1024);
    init_string_scratch();
}

void pump_messages() {
    MSG msg;
    while (PeekMessageA(&msg, 0, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void settle_events() {
    pump_messages();
    while (wait_event() != 0) {
    }
    event_state.pending_event = 0;
}
