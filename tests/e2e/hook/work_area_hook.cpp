// Loaded into a running Norvane.exe by the end-to-end driver: sets that process's view of the
// desktop work area. Wine keeps the work area per process, so another process cannot move the
// task bar edge for it the way the system's shell does on Windows.
//
// Once loaded, the library serves requests from a thread of its own: the driver writes the area
// into a shared mapping and sets an event. Creating a thread in the program from outside for
// every change deadlocked under Wine, which sets such a thread up inside a signal handler of the
// target, on the C library's allocator lock when the program held it while rendering.
#include "work_area_hook.h"

#include "resource.h"

namespace {
HANDLE request, done;
WorkAreaRequestData* shared;

struct LabelSearch {
    HWND previous;
    LONG bottom;
    HWND found;
};

// A visible top-level window of this process with the label's gadget, other than the last one
// seen, standing on the given bottom edge.
BOOL CALLBACK note_new_label(HWND window, LPARAM p) {
    LabelSearch* s = reinterpret_cast<LabelSearch*>(p);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    RECT r;
    if (owner == GetCurrentProcessId() && window != s->previous && IsWindowVisible(window) &&
        GetDlgItem(window, kLabelGadget) && GetWindowRect(window, &r) && r.bottom == s->bottom)
        s->found = window;
    return TRUE;
}

void render_repeatedly(RECT area, long count) {
    HWND label = 0;
    for (long i = 0; i < count; ++i) {
        RECT moved = area;
        moved.bottom -= i % 2 ? 0 : 1;
        SystemParametersInfoA(SPI_SETWORKAREA, 0, &moved, 0);
        LabelSearch search = {label, moved.bottom, 0};
        for (int waited = 0; waited < 2000 && !search.found; ++waited) {
            EnumWindows(note_new_label, reinterpret_cast<LPARAM>(&search));
            if (!search.found) Sleep(1);
        }
        if (!search.found) return;
        label = search.found;
        shared->rendered = i + 1;
    }
}

DWORD WINAPI serve_requests(void*) {
    for (;;) {
        if (WaitForSingleObject(request, INFINITE) != WAIT_OBJECT_0) return 0;
        // No change notice is broadcast: the program reads the work area on every turn.
        RECT area = shared->area;
        shared->rendered = 0;
        if (shared->renderings > 0) render_repeatedly(area, shared->renderings);
        else SystemParametersInfoA(SPI_SETWORKAREA, 0, &area, 0);
        SetEvent(done);
    }
}
}  // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void*) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char name[64];
    const DWORD self = GetCurrentProcessId();
    work_area_name(WorkAreaMapping, self, name);
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, 0, PAGE_READWRITE, 0, sizeof *shared, name);
    shared = mapping ? static_cast<WorkAreaRequestData*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof *shared)) : 0;
    work_area_name(WorkAreaRequest, self, name);
    request = CreateEventA(0, FALSE, FALSE, name);
    work_area_name(WorkAreaDone, self, name);
    done = CreateEventA(0, FALSE, FALSE, name);
    if (shared && request && done) CloseHandle(CreateThread(0, 0, serve_requests, 0, 0, 0));
    return TRUE;
}
