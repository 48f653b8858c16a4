// Loaded into a running Norvane.exe by the end-to-end driver: sets that process's view of the
// desktop work area. Wine keeps the work area per process, so another process cannot move the
// task bar edge for it the way the system's shell does on Windows. On request it also gives the
// program another screen size, or a Windows clock tick for its sleeps and message waits, by
// pointing the program's import-table entries for those functions at stand-ins of its own.
//
// It also plays a system out of room: the program's calls that make windows, fonts, device
// contexts, bitmaps and heap blocks are counted, and the one asked for fails once, returning
// null with ERROR_NOT_ENOUGH_MEMORY as the system's own calls do.
//
// Once loaded, the library serves requests from a thread of its own: the driver writes the area
// into a shared mapping and sets an event. Creating a thread in the program from outside for
// every change deadlocked under Wine, which sets such a thread up inside a signal handler of the
// target, on the C library's allocator lock when the program held it while rendering.
#include "work_area_hook.h"

#include "resource.h"

#include <stdlib.h>

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

// The system's own functions, for the stand-ins to call.
typedef void(WINAPI* SleepFunction)(DWORD);
typedef DWORD(WINAPI* SleepExFunction)(DWORD, BOOL);
typedef DWORD(WINAPI* MsgWaitFunction)(DWORD, const HANDLE*, BOOL, DWORD, DWORD);
typedef DWORD(WINAPI* MsgWaitExFunction)(DWORD, const HANDLE*, DWORD, DWORD, DWORD);
typedef int(WINAPI* MetricsFunction)(int);
SleepFunction real_sleep;
SleepExFunction real_sleep_ex;
MsgWaitFunction real_msg_wait;
MsgWaitExFunction real_msg_wait_ex;
MetricsFunction real_metrics;

typedef HWND(WINAPI* CreateWindowFunction)(DWORD, LPCSTR, LPCSTR, DWORD, int, int, int, int, HWND, HMENU, HINSTANCE,
                                           LPVOID);
typedef HFONT(WINAPI* CreateFontFunction)(int, int, int, int, int, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                                          DWORD, LPCSTR);
typedef HFONT(WINAPI* CreateFontIndirectFunction)(const LOGFONTA*);
typedef HDC(WINAPI* GetDCFunction)(HWND);
typedef HDC(WINAPI* CompatibleDCFunction)(HDC);
typedef HBITMAP(WINAPI* CompatibleBitmapFunction)(HDC, int, int);
typedef LPVOID(WINAPI* HeapAllocFunction)(HANDLE, DWORD, SIZE_T);
typedef LPVOID(WINAPI* HeapReAllocFunction)(HANDLE, DWORD, LPVOID, SIZE_T);
CreateWindowFunction real_create_window;
CreateFontFunction real_create_font;
CreateFontIndirectFunction real_create_font_indirect;
GetDCFunction real_get_dc;
CompatibleDCFunction real_compatible_dc;
CompatibleBitmapFunction real_compatible_bitmap;
HeapAllocFunction real_heap_alloc;
HeapReAllocFunction real_heap_realloc;

volatile LONG clock_tick;
volatile LONG counted_calls, failing_call;
volatile LONG screen_width, screen_height;

// A sleep or time-out shorter than a tick lasts a tick, as on a Windows clock; 0 and longer
// ones are left alone.
DWORD ticked(DWORD ms) {
    const DWORD tick = static_cast<DWORD>(clock_tick);
    return ms > 0 && ms < tick ? tick : ms;
}

void WINAPI ticking_sleep(DWORD ms) { real_sleep(ticked(ms)); }

DWORD WINAPI ticking_sleep_ex(DWORD ms, BOOL alertable) { return real_sleep_ex(ticked(ms), alertable); }

DWORD WINAPI ticking_msg_wait(DWORD count, const HANDLE* handles, BOOL all, DWORD ms, DWORD mask) {
    return real_msg_wait(count, handles, all, ticked(ms), mask);
}

DWORD WINAPI ticking_msg_wait_ex(DWORD count, const HANDLE* handles, DWORD ms, DWORD mask, DWORD flags) {
    return real_msg_wait_ex(count, handles, ticked(ms), mask, flags);
}

int WINAPI sized_metrics(int index) {
    if (index == SM_CXSCREEN && screen_width) return screen_width;
    if (index == SM_CYSCREEN && screen_height) return screen_height;
    return real_metrics(index);
}

// Counts a creation call of the program; true for the one that is to fail, which then has
// the system's error for a lack of room.
bool fails_now() {
    if (InterlockedIncrement(&counted_calls) != failing_call) return false;
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return true;
}

HWND WINAPI counted_create_window(DWORD ex_style, LPCSTR class_name, LPCSTR title, DWORD style, int x, int y, int width,
                                  int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID parameter) {
    return fails_now() ? 0 : real_create_window(ex_style, class_name, title, style, x, y, width, height, parent, menu,
                                                instance, parameter);
}

HFONT WINAPI counted_create_font(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                                 DWORD underline, DWORD strike_out, DWORD charset, DWORD precision, DWORD clipping,
                                 DWORD quality, DWORD pitch, LPCSTR face) {
    return fails_now() ? 0 : real_create_font(height, width, escapement, orientation, weight, italic, underline,
                                              strike_out, charset, precision, clipping, quality, pitch, face);
}

HFONT WINAPI counted_create_font_indirect(const LOGFONTA* font) { return fails_now() ? 0 : real_create_font_indirect(font); }

HDC WINAPI counted_get_dc(HWND window) { return fails_now() ? 0 : real_get_dc(window); }

HDC WINAPI counted_compatible_dc(HDC dc) { return fails_now() ? 0 : real_compatible_dc(dc); }

HBITMAP WINAPI counted_compatible_bitmap(HDC dc, int width, int height) {
    return fails_now() ? 0 : real_compatible_bitmap(dc, width, height);
}

LPVOID WINAPI counted_heap_alloc(HANDLE heap, DWORD flags, SIZE_T size) {
    return fails_now() ? 0 : real_heap_alloc(heap, flags, size);
}

LPVOID WINAPI counted_heap_realloc(HANDLE heap, DWORD flags, LPVOID block, SIZE_T size) {
    return fails_now() ? 0 : real_heap_realloc(heap, flags, block, size);
}

// Points every entry of the program's import table that holds `original` at `stand_in`. The
// loader wrote the system's address there, so the entry is found by that, whatever the name.
void redirect_import(FARPROC original, FARPROC stand_in) {
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(0));
    const IMAGE_NT_HEADERS* headers =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!original || !imports.VirtualAddress) return;
    for (IMAGE_IMPORT_DESCRIPTOR* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name; ++d)
        for (IMAGE_THUNK_DATA* entry = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk); entry->u1.Function; ++entry) {
            if (entry->u1.Function != reinterpret_cast<ULONG_PTR>(original)) continue;
            DWORD protection;
            if (!VirtualProtect(&entry->u1.Function, sizeof entry->u1.Function, PAGE_READWRITE, &protection)) continue;
            entry->u1.Function = reinterpret_cast<ULONG_PTR>(stand_in);
            VirtualProtect(&entry->u1.Function, sizeof entry->u1.Function, protection, &protection);
        }
}

template <typename Function>
void redirect(const char* library, const char* name, Function* real, Function stand_in) {
    *real = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(library), name)));
    redirect_import(reinterpret_cast<FARPROC>(reinterpret_cast<void*>(*real)),
                     reinterpret_cast<FARPROC>(reinterpret_cast<void*>(stand_in)));
}

// The stand-ins pass calls through until a request sets a tick or a size. The program may keep
// an import's address in a register through its main loop, so a driver that needs them loads
// this library before the program's first instruction.
void redirect_imports() {
    redirect("kernel32.dll", "Sleep", &real_sleep, ticking_sleep);
    redirect("kernel32.dll", "SleepEx", &real_sleep_ex, ticking_sleep_ex);
    redirect("user32.dll", "MsgWaitForMultipleObjects", &real_msg_wait, ticking_msg_wait);
    redirect("user32.dll", "MsgWaitForMultipleObjectsEx", &real_msg_wait_ex, ticking_msg_wait_ex);
    redirect("user32.dll", "GetSystemMetrics", &real_metrics, sized_metrics);
    // Under Wine the program's entries for the heap calls hold ntdll's functions, which is also
    // what kernel32 gives for their names: the entries are found all the same.
    redirect("user32.dll", "CreateWindowExA", &real_create_window, counted_create_window);
    redirect("gdi32.dll", "CreateFontA", &real_create_font, counted_create_font);
    redirect("gdi32.dll", "CreateFontIndirectA", &real_create_font_indirect, counted_create_font_indirect);
    redirect("user32.dll", "GetDC", &real_get_dc, counted_get_dc);
    redirect("gdi32.dll", "CreateCompatibleDC", &real_compatible_dc, counted_compatible_dc);
    redirect("gdi32.dll", "CreateCompatibleBitmap", &real_compatible_bitmap, counted_compatible_bitmap);
    redirect("kernel32.dll", "HeapAlloc", &real_heap_alloc, counted_heap_alloc);
    redirect("kernel32.dll", "HeapReAlloc", &real_heap_realloc, counted_heap_realloc);
}

// A new screen size, as Windows makes it: the work area's right and bottom edges move with the
// screen's, keeping what a task bar there took.
void resize_screen(SIZE size) {
    const int old_width = sized_metrics(SM_CXSCREEN), old_height = sized_metrics(SM_CYSCREEN);
    screen_height = size.cy;
    screen_width = size.cx;
    RECT area;
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0)) return;
    area.right += sized_metrics(SM_CXSCREEN) - old_width;
    area.bottom += sized_metrics(SM_CYSCREEN) - old_height;
    SystemParametersInfoA(SPI_SETWORKAREA, 0, &area, 0);
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
        if (shared->request == HookClockTick) {
            clock_tick = shared->clock_tick;
        } else if (shared->request == HookFault) {
            failing_call = 0;
            shared->rendered = InterlockedExchange(&counted_calls, 0);
            failing_call = shared->fail_call;
        } else if (shared->request == HookScreenSize) {
            resize_screen(shared->screen);
        } else if (shared->renderings > 0) {
            render_repeatedly(area, shared->renderings);
        } else {
            SystemParametersInfoA(SPI_SETWORKAREA, 0, &area, 0);
        }
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
    if (!(shared && request && done)) return TRUE;
    char fail_call[16];
    if (GetEnvironmentVariableA(kStartFaultVariable, fail_call, sizeof fail_call)) failing_call = atol(fail_call);
    redirect_imports();
    CloseHandle(CreateThread(0, 0, serve_requests, 0, 0, 0));
    return TRUE;
}
