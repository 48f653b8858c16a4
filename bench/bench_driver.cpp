// Measures Norvane.exe's start-up from outside against a minimal window program and against the
// start-up floor (that program plus the system work Norvane cannot leave out), and the label
// rendering in-process against creating one popup with a static child (Markdown table rows);
// with "render N [baseline]" it makes the running program (or baseline) render its label N
// times, and with "idle" it polls as the program does and nothing else. Run by tools/bench.sh.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "driver.h"
#include "app/program.h"
#include "label/label.h"
#include "resource.h"
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

// A visible top-level window of the process whose label gadget has a text.
BOOL CALLBACK note_shown_label(HWND w, LPARAM p) {
    Found* f = reinterpret_cast<Found*>(p);
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    HWND text = owner == f->process_id && IsWindowVisible(w) ? GetDlgItem(w, kLabelGadget) : 0;
    if (text && GetWindowTextLengthA(text) > 0) f->window = w;
    return TRUE;
}

HWND shown_label(DWORD process_id) {
    Found found = {process_id, 0};
    EnumWindows(note_shown_label, reinterpret_cast<LPARAM>(&found));
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

// Milliseconds from CreateProcess to the label being visible with its text. A short pause
// afterwards lets the ended process's windows and the server settle before the next start.
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
    Sleep(50);
    return elapsed;
}

void init_runtime_for_rendering() {
    runtime_heap = heap_create(kRuntimeHeapSize);
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

// What a rendering must do at the least: create a top-most tool window with a static child,
// show it, and destroy the pair again.
void baseline_render() {
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "STATIC", "Baseline", WS_POPUP, 0, 0, 100, 14,
                                  0, 0, GetModuleHandleA(0), 0);
    CreateWindowExA(0, "STATIC", " BASELINE ", WS_CHILD | WS_VISIBLE, 0, 0, 100, 14, window, 0,
                    GetModuleHandleA(0), 0);
    SetWindowPos(window, HWND_TOPMOST, 900, 700, 100, 14, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    DestroyWindow(window);
}

// The idle floor: the least a polling loop of one millisecond costs.
int idle_loop() {
    MSG message;
    for (;;) {
        while (PeekMessageA(&message, 0, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        Sleep(1);
    }
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

}  // namespace

// Makes the running program (Norvane, or the baseline with "baseline") render its label the
// given number of times: the hook inside it moves the work area's bottom edge up and back and
// waits for each new label window.
int render_running_program(int count, bool baseline) {
    HWND label = baseline ? FindWindowA("BaselineClass", "Baseline") : FindWindowA(window_class(kLabelWindow).c_str(), "Norvane");
    DWORD process_id = 0;
    GetWindowThreadProcessId(label, &process_id);
    if (!label || !process_id) return 1;
    RECT area;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    const double begin = now_ms();
    const long rendered = send_work_area_request(process_id, area, count);
    if (rendered != count) {
        printf("%ld of %d renderings came\n", rendered, count);
        return 1;
    }
    printf("%d renderings in %.1f s\n", count, (now_ms() - begin) / 1000);
    return 0;
}

int main(int argc, char** argv) {
    if (argc > 2 && strcmp(argv[1], "render") == 0)
        return render_running_program(atoi(argv[2]), argc > 3 && strcmp(argv[3], "baseline") == 0);
    if (argc > 1 && strcmp(argv[1], "idle") == 0) return idle_loop();
    const int runs = argc > 1 ? atoi(argv[1]) : 15;
    // Start-up, taking the three programs in turn so that all see the same machine load.
    const char* const names[] = {"NORVANE_EXE", "NORVANE_BASELINE_EXE", "NORVANE_FLOOR_EXE"};
    std::string programs[3];
    std::vector<double> times[3];
    for (int p = 0; p < 3; ++p) {
        programs[p] = windows_path(getenv(names[p]));
        start_up_ms(programs[p]);  // warms the file cache and the Wine server
    }
    for (int i = 0; i < runs; ++i)
        for (int p = 0; p < 3; ++p) times[p].push_back(start_up_ms(programs[p]));
    const double ours = median(times[0]), baseline = median(times[1]), least = median(times[2]);
    printf("| Start-up to visible label (median of %d) | %.1f ms | baseline %.1f ms | ratio %.2f |\n", runs, ours,
           baseline, ours / baseline);
    printf("| Start-up floor: baseline + common controls, Winsock, host lookup, first placement (median of %d) "
           "| Norvane %.1f ms | floor %.1f ms (%.2f x baseline) | ratio %.2f |\n",
           runs, ours, least, least / baseline, ours / least);

    // Rendering in-process, and what 1000 renderings leave behind.
    init_runtime_for_rendering();
    render_label();
    pump();
    const double render = per_call_ms([] { render_label(); }, 5, 200);
    const double base = per_call_ms(baseline_render, 5, 200);
    printf("| One rendering (median of 5 x 200) | %.3f ms | baseline %.3f ms | ratio %.2f |\n", render, base,
           render / base);
    return 0;
}
