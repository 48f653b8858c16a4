// Measures Norvane.exe from outside and the label rendering in-process: start-up time against a
// minimal window program, rendering against creating one popup with a static child, idle CPU,
// and memory. Prints Markdown table rows; run by tools/bench.sh.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "driver.h"
#include "app/program.h"
#include "label/label.h"
#include "runtime/base/heap.h"
#include "runtime/graphics/drawing.h"
#include "runtime/graphics/fonts.h"
#include "runtime/graphics/images.h"
#include "runtime/gui/gadgets.h"
#include "runtime/gui/window_events.h"

namespace {
double now_ms() {
    static LARGE_INTEGER frequency = {};
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : (v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2);
}

struct Found {
    DWORD process_id;
    HWND window;
};

// A visible top-level window of the process whose child 27 has a text.
HWND shown_label(DWORD process_id) {
    Found found = {process_id, 0};
    EnumWindows([](HWND w, LPARAM p) -> BOOL {
        Found* f = reinterpret_cast<Found*>(p);
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        HWND text = owner == f->process_id && IsWindowVisible(w) ? GetDlgItem(w, 27) : 0;
        if (text && GetWindowTextLengthA(text) > 0) f->window = w;
        return TRUE;
    }, reinterpret_cast<LPARAM>(&found));
    return found.window;
}

PROCESS_INFORMATION start(const std::string& path) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string command = "\"" + path + "\"";
    CreateProcessA(0, &command[0], 0, 0, FALSE, 0, 0, 0, &startup, &info);
    return info;
}

void stop(PROCESS_INFORMATION& info) {
    TerminateProcess(info.hProcess, 0);
    WaitForSingleObject(info.hProcess, 10000);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

// Milliseconds from CreateProcess to the label being visible with its text.
double start_up_ms(const std::string& path) {
    const double begin = now_ms();
    PROCESS_INFORMATION info = start(path);
    double elapsed = -1;
    while (now_ms() - begin < 30000) {
        if (shown_label(info.dwProcessId)) {
            elapsed = now_ms() - begin;
            break;
        }
        Sleep(1);
    }
    stop(info);
    return elapsed;
}

double seconds_of(FILETIME t) {
    return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
}

void init_runtime_for_rendering() {
    runtime_heap = heap_create(4000);
    init_runtime(GetModuleHandleA(0));
    app.settings.TransAmount = 100;
    app.settings.LabelPos = 4;
    app.settings.ShowComputerName = 1;
    store_string(&app.settings.FontName, "Arial");
    app.settings.FontSize = 8;
    store_string(&app.identity.computer_name, "BENCHMARK-PC");
    RECT area;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    app.work_area_bottom = area.bottom;
}

void pump() {
    MSG message;
    while (PeekMessageA(&message, 0, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

void baseline_render() {
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "Baseline", WS_POPUP, 0, 0, 100, 14, 0, 0,
                                  GetModuleHandleA(0), 0);
    CreateWindowExA(0, "STATIC", " BASELINE ", WS_CHILD | WS_VISIBLE, 0, 0, 100, 14, window, 0,
                    GetModuleHandleA(0), 0);
    DestroyWindow(window);
}

template <typename Work>
double per_call_ms(Work work, int rounds, int calls) {
    std::vector<double> times;
    for (int r = 0; r < rounds; ++r) {
        const double begin = now_ms();
        for (int i = 0; i < calls; ++i) {
            work();
            pump();
        }
        times.push_back((now_ms() - begin) / calls);
    }
    return median(times);
}

PROCESS_MEMORY_COUNTERS_EX memory_of(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    return counters;
}
}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? atoi(argv[1]) : 15;
    const std::string norvane = windows_path(getenv("NORVANE_EXE"));
    const std::string baseline = windows_path(getenv("NORVANE_BASELINE_EXE"));

    // Start-up, alternating the two programs so that both see the same machine load.
    std::vector<double> ours, theirs;
    start_up_ms(norvane);  // warms the file cache and the Wine server
    start_up_ms(baseline);
    for (int i = 0; i < runs; ++i) {
        ours.push_back(start_up_ms(norvane));
        theirs.push_back(start_up_ms(baseline));
    }
    const double start_ours = median(ours), start_theirs = median(theirs);
    printf("| Start-up to visible label (median of %d) | %.1f ms | baseline %.1f ms | ratio %.2f |\n", runs,
           start_ours, start_theirs, start_ours / start_theirs);

    // Idle CPU and memory of the running program.
    PROCESS_INFORMATION info = start(norvane);
    while (!shown_label(info.dwProcessId)) Sleep(5);
    Sleep(500);
    PROCESS_MEMORY_COUNTERS_EX after_start = memory_of(info.hProcess);
    FILETIME created, ended, kernel0, user0, kernel1, user1;
    GetProcessTimes(info.hProcess, &created, &ended, &kernel0, &user0);
    const double wall0 = now_ms();
    Sleep(10000);
    GetProcessTimes(info.hProcess, &created, &ended, &kernel1, &user1);
    const double wall = (now_ms() - wall0) / 1000;
    const double cpu = seconds_of(kernel1) - seconds_of(kernel0) + seconds_of(user1) - seconds_of(user0);
    printf("| Idle CPU over %.0f s | %.4f CPU s per wall s | | |\n", wall, cpu / wall);
    printf("| Memory after start-up | private %lu KiB | working set %lu KiB | |\n",
           static_cast<unsigned long>(after_start.PrivateUsage / 1024),
           static_cast<unsigned long>(after_start.WorkingSetSize / 1024));
    stop(info);

    // Rendering in-process, and what 1000 renderings leave behind.
    init_runtime_for_rendering();
    render_label();
    pump();
    const PROCESS_MEMORY_COUNTERS_EX before = memory_of(GetCurrentProcess());
    const DWORD gdi_before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    const DWORD user_before = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    const double render = per_call_ms([] { render_label(); }, 5, 200);
    const PROCESS_MEMORY_COUNTERS_EX after = memory_of(GetCurrentProcess());
    const double base = per_call_ms(baseline_render, 5, 200);
    printf("| One rendering (median of 5 x 200) | %.3f ms | baseline %.3f ms | ratio %.2f |\n", render, base,
           render / base);
    printf("| Growth over 1000 renderings | private %+ld KiB | working set %+ld KiB | GDI objects %+ld, USER objects %+ld |\n",
           static_cast<long>(after.PrivateUsage / 1024) - static_cast<long>(before.PrivateUsage / 1024),
           static_cast<long>(after.WorkingSetSize / 1024) - static_cast<long>(before.WorkingSetSize / 1024),
           static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) - static_cast<long>(gdi_before),
           static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)) - static_cast<long>(user_before));
    return 0;
}
