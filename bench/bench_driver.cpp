// Measures Norvane.exe's start-up from outside against a minimal window program and against the
// start-up floor (that program plus the system work Norvane cannot leave out), and the label
// rendering in-process against creating one popup with a static child (Markdown table rows);
// with "steps" it breaks one start and one rendering into their steps; with "render N
// [baseline]" it makes the running program (or baseline) render its label N times; with
// "idle" it polls as the program does and nothing else; with "clock N" it times input on Wine's
// clock and on a 16 ms Windows tick, and with "tick N" it gives the running program such a
// tick. Run by tools/bench.sh.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/program.h"
#include "driver.h"
#include "identity/identity.h"
#include "identity/ipv4.h"
#include "identity/network.h"
#include "identity/os_family.h"
#include "label/label.h"
#include "label/label_layout.h"
#include "label/label_text.h"
#include "resource.h"
#include "runtime/base/heap.h"
#include "runtime/graphics/drawing.h"
#include "runtime/graphics/fonts.h"
#include "runtime/graphics/images.h"
#include "runtime/gui/gadgets.h"
#include "runtime/gui/menus.h"
#include "runtime/gui/window_events.h"
#include "settings/preferences.h"
#include "settings/settings.h"

namespace {
// A label window counts as the program's final one once it has stayed this long.
const double kSettledMs = 1000;

LARGE_INTEGER counter_frequency() {
    static LARGE_INTEGER frequency = {};
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    return frequency;
}

double ticks_ms(LONGLONG ticks) {
    return 1000.0 * static_cast<double>(ticks) / static_cast<double>(counter_frequency().QuadPart);
}

LONGLONG now_ticks() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

double now_ms() { return ticks_ms(now_ticks()); }

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

PROCESS_INFORMATION start(const std::string& command_line) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string command = command_line;
    CreateProcessA(0, &command[0], 0, 0, FALSE, 0, 0, 0, &startup, &info);
    return info;
}

std::string quoted(const std::string& path) { return "\"" + path + "\""; }

void stop(PROCESS_INFORMATION& info) {
    TerminateProcess(info.hProcess, 0);
    WaitForSingleObject(info.hProcess, 10000);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

// One start as seen from outside, in milliseconds after CreateProcess: when the first window
// with its text was seen, when the final one was (-1: none came), and how many were seen.
struct StartUp {
    double first;
    double final;
    int windows;
};

// A program may show a label window and replace it during its start: the floor does, as
// Norvane's first placement does (though Norvane's first window has no text yet). So every
// program is taken at its final window, showing its text: the window that is still the one
// shown kSettledMs after it was first seen; a replaced window starts the wait afresh. A short
// pause afterwards lets the ended process's windows and the server settle before the next start.
StartUp start_up(const std::string& path) {
    const double begin = now_ms();
    PROCESS_INFORMATION info = start(quoted(path));
    StartUp result = {-1, -1, 0};
    HWND seen = 0;
    double since = 0;
    while (now_ms() - begin < 30000) {
        HWND window = shown_label(info.dwProcessId);
        const double at = now_ms() - begin;
        if (window != seen) {
            seen = window;
            since = at;
            if (window && result.windows++ == 0) result.first = at;
        } else if (window && at - since >= kSettledMs) {
            result.final = since;
            break;
        }
        if (WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0) break;
        Sleep(1);
    }
    stop(info);
    Sleep(50);
    return result;
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

// ---- Steps: one start and one rendering, timed step by step with the performance counter.
// The steps call the program's own functions in the program's order; where the program
// composes a step inside a function of its own (render_label, place_label_window, the helpers
// of program_main), the same calls are made here one by one, with the same arguments.

// Each mark stores the time since the previous one.
struct Laps {
    double last;
    void mark(double& step) {
        const double now = now_ms();
        step = now - last;
        last = now;
    }
};

enum RenderStep {
    TextComposed,
    WidthFontCreated,
    WidthImageCreated,
    WidthDrawingStarted,
    WidthMeasured,
    WidthFreed,
    HeightFontCreated,
    HeightImageCreated,
    HeightDrawingStarted,
    HeightMeasured,
    HeightFreed,
    OldLabelClosed,
    LabelOpened,
    ToolWindowStyle,
    MadeTopMost,
    LabelShown,
    GadgetCreated,
    LabelFontCreated,
    LabelFontSet,
    TextSet,
    RenderStepCount
};

const char* const kRenderStepNames[RenderStepCount] = {
    "label text composed",
    "width: measuring font created (screen context for its height)",
    "width: measuring image created (600 x 300, screen context, filled black)",
    "width: drawing started on the image (memory context, font selected)",
    "width: text measured",
    "width: drawing stopped, image and font freed",
    "height: measuring font created",
    "height: measuring image created",
    "height: drawing started on the image",
    "height: font's metrics read",
    "height: drawing stopped, image and font freed",
    "corner worked out; old label window destroyed, its class unregistered",
    "label window created hidden (class registered, accelerators)",
    "style set after creation: tool window",
    "style set after creation: top-most",
    "label window shown (opacity 100: no transparency)",
    "text gadget created, with the default GUI font set on it",
    "label font created (screen context for its height)",
    "label font set on the gadget",
    "text set on the gadget again",
};

// The measuring image of render_label: a screen-compatible bitmap of this size.
const int kMeasureWidth = 600;
const int kMeasureHeight = 300;
// place_label_window's runtime flags (a popup, not yet visible) and the text gadget's flag.
const unsigned long kHiddenPopup = 0x90000000UL;
const unsigned long kCentredText = SS_CENTER;

// measure_with_font, step by step: the measurement's five steps are stored from `first` on.
template <typename Measure>
int timed_measure(Laps& laps, double* first, Measure measure) {
    ObjectNumber font = load_font(ANY_NUMBER, app.settings.FontName, app.settings.FontSize, 0);
    laps.mark(first[0]);
    ObjectNumber image = create_image(ANY_NUMBER, kMeasureWidth, kMeasureHeight);
    laps.mark(first[1]);
    int result = 0;
    if (start_drawing(image_output())) {
        if (font) drawing_font(font_handle(font));
        laps.mark(first[2]);
        result = measure();
        laps.mark(first[3]);
        stop_drawing();
    }
    free_image(image);
    if (font) free_font(font);
    laps.mark(first[4]);
    return result;
}

// place_label_window, step by step. Closing the old window is open_window's first act; done
// here before it, open_window finds nothing left to close.
void timed_place(Laps& laps, double* steps) {
    const LabelPosition p = label_corner_position(app.settings.LabelPos, GetSystemMetrics(SM_CXSCREEN),
                                                  GetSystemMetrics(SM_CYSCREEN), app.work_area_bottom,
                                                  app.label_width, app.label_height);
    close_window(kLabelWindow);
    laps.mark(steps[OldLabelClosed]);
    open_window(kLabelWindow, p.x, p.y, app.label_width, app.label_height, kHiddenPopup, "Norvane");
    laps.mark(steps[LabelOpened]);
    HWND window = window_handle(kLabelWindow);
    SetWindowLongA(window, GWL_EXSTYLE, WS_EX_TOOLWINDOW);
    laps.mark(steps[ToolWindowStyle]);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    laps.mark(steps[MadeTopMost]);
    ShowWindow(window, SW_SHOWNA);
    if (app.settings.TransAmount < 100) apply_transparency(kLabelWindow, app.settings.TransAmount);
    laps.mark(steps[LabelShown]);
    if (use_gadget_list(window)) {
        create_text_gadget(kLabelGadget, 0, 0, app.label_width, app.label_height, text_or_empty(app.label_text),
                           kCentredText);
        laps.mark(steps[GadgetCreated]);
        HFONT font = reinterpret_cast<HFONT>(load_font(kLabelFont, app.settings.FontName, app.settings.FontSize, 0));
        laps.mark(steps[LabelFontCreated]);
        set_gadget_font(kLabelGadget, font);
        laps.mark(steps[LabelFontSet]);
    }
}

// render_label, step by step.
void timed_render(Laps& laps, double* steps) {
    store_temp_string(&app.label_text, compose_label_text(app.settings, app.identity));
    laps.mark(steps[TextComposed]);
    app.label_width = timed_measure(laps, steps + WidthFontCreated, [] { return text_width(app.label_text); });
    app.label_height =
        timed_measure(laps, steps + HeightFontCreated, [] { return text_metrics_height(drawing_context()); });
    timed_place(laps, steps);
    set_gadget_text(kLabelGadget, text_or_empty(app.label_text));
    laps.mark(steps[TextSet]);
}

double sum(const double* steps, int from, int to) {
    double total = 0;
    for (int s = from; s < to; ++s) total += steps[s];
    return total;
}

enum StartStep {
    ProcessStarted,
    HeapCreated,
    DrawingInit,
    ObjectListHeap,
    FontsInit,
    WindowsInit,
    GadgetsInit,
    ImagesInit,
    MenusInit,
    PreferencesInit,
    CommonControlsInit,
    ScratchInit,
    WorkAreaRead,
    IdentityRead,
    WinsockStarted,
    HostLookedUp,
    AboutTextBuilt,
    LogoDecoded,
    VersionClassified,
    ComputerNameRead,
    PopupMenuBuilt,
    SettingsLoaded,
    FirstPlacement,
    FirstRendering,
    StartStepCount
};

const char* const kStartStepNames[StartStepCount] = {
    "process started: CreateProcess to the driver's first line (loader, system DLLs, C runtime)",
    "state zeroed, runtime heap created",
    "init_drawing: default brush and pen",
    "object-list heap created",
    "init_fonts",
    "init_windows: icon, cursor, small icon, template class registered",
    "init_gadgets: default GUI font, InitCommonControls",
    "init_images",
    "init_menus",
    "init_preferences",
    "InitCommonControls again",
    "init_string_scratch",
    "work area read",
    "identity read: USERDOMAIN, USERNAME, Windows directory",
    "Winsock started (WSAStartup)",
    "host name and address looked up (gethostname, gethostbyname)",
    "About text built",
    "logo decoded from the program's data",
    "Windows version classified",
    "computer name read from the registry",
    "popup menu built",
    "settings loaded (Norvane.ini)",
    "first placement of the label (steps in the rendering table)",
    "first rendering (steps in the rendering table)",
};

// What one start leaves for the driver, in a block shared by name.
struct StartRecord {
    double start[StartStepCount];
    double placement[RenderStepCount];
    double rendering[RenderStepCount];
    double messages;  // the queued messages handled once start-up is done
    int complete;
};
const char kStartRecordName[] = "NorvaneBenchStartSteps";

// init_runtime, step by step.
void timed_init_runtime(Laps& laps, double* steps, HINSTANCE instance) {
    init_drawing();
    laps.mark(steps[DrawingInit]);
    object_list_heap = heap_create(kObjectListHeapSize);
    laps.mark(steps[ObjectListHeap]);
    init_fonts();
    laps.mark(steps[FontsInit]);
    init_windows(instance);
    laps.mark(steps[WindowsInit]);
    init_gadgets();
    laps.mark(steps[GadgetsInit]);
    init_images();
    laps.mark(steps[ImagesInit]);
    init_menus();
    laps.mark(steps[MenusInit]);
    init_preferences();
    laps.mark(steps[PreferencesInit]);
    InitCommonControls();
    laps.mark(steps[CommonControlsInit]);
    init_string_scratch();
    laps.mark(steps[ScratchInit]);
}

// program_main from the work area to the settings, step by step (read_identity and
// read_network_address made call by call). False where the program would end: no computer name.
bool timed_gathering(Laps& laps, double* steps) {
    read_work_area();
    app.work_area_bottom = app.work_area.bottom;
    laps.mark(steps[WorkAreaRead]);
    store_temp_string(&app.identity.domain_name, read_environment_text("USERDOMAIN"));
    store_temp_string(&app.identity.user_name, read_environment_text("USERNAME"));
    store_temp_string(&app.windows_dir, read_windows_directory());
    laps.mark(steps[IdentityRead]);
    const int started = network_start();
    laps.mark(steps[WinsockStarted]);
    if (started) {
        lookup_host_addresses();
        store_temp_string(&app.identity.ip_address, format_ipv4(next_host_address()));
    }
    laps.mark(steps[HostLookedUp]);
    build_about_text();
    laps.mark(steps[AboutTextBuilt]);
    decode_embedded_image(kLogoImage, logo_bitmap, logo_bitmap_size);
    laps.mark(steps[LogoDecoded]);
    app.os_code = classify_windows_version();
    laps.mark(steps[VersionClassified]);
    char* name = read_computer_name(app.os_code);
    if (!name) return false;
    store_temp_string(&app.identity.computer_name, name);
    laps.mark(steps[ComputerNameRead]);
    build_popup_menu();
    laps.mark(steps[PopupMenuBuilt]);
    load_settings();
    laps.mark(steps[SettingsLoaded]);
    return true;
}

// program_main's start, step by step, in a process of its own started by "steps"; `created` is
// the performance counter when the driver called CreateProcess (the counter is the system's,
// the same in every process).
int timed_start(LONGLONG created) {
    Laps laps = {ticks_ms(created)};
    HANDLE block = OpenFileMappingA(FILE_MAP_WRITE, FALSE, kStartRecordName);
    StartRecord* record =
        block ? static_cast<StartRecord*>(MapViewOfFile(block, FILE_MAP_WRITE, 0, 0, sizeof(StartRecord))) : 0;
    if (!record) return 1;
    double* steps = record->start;
    laps.mark(steps[ProcessStarted]);
    HINSTANCE instance = GetModuleHandleA(0);
    AppState zero = {};
    app = zero;
    app.instance = instance;
    app.heap = heap_create(kRuntimeHeapSize);
    runtime_heap = app.heap;
    laps.mark(steps[HeapCreated]);
    timed_init_runtime(laps, steps, instance);
    if (!timed_gathering(laps, steps)) return 1;
    timed_place(laps, record->placement);
    steps[FirstPlacement] = sum(record->placement, OldLabelClosed, TextSet);
    timed_render(laps, record->rendering);
    steps[FirstRendering] = sum(record->rendering, 0, RenderStepCount);
    pump();
    laps.mark(record->messages);
    record->complete = 1;
    UnmapViewOfFile(record);
    CloseHandle(block);
    return 0;
}

// Runs `starts` timed starts, each in a fresh process, and keeps the complete ones. Each is
// preceded by a start of Norvane.exe itself measured from outside as the start-up measure does
// (`outside`: when its final window came), so that the two can be compared at the same moments.
std::vector<StartRecord> run_timed_starts(int starts, const std::string& norvane, std::vector<double>* outside) {
    std::vector<StartRecord> records;
    HANDLE block = CreateFileMappingA(INVALID_HANDLE_VALUE, 0, PAGE_READWRITE, 0, sizeof(StartRecord), kStartRecordName);
    StartRecord* shared =
        block ? static_cast<StartRecord*>(MapViewOfFile(block, FILE_MAP_WRITE, 0, 0, sizeof(StartRecord))) : 0;
    if (!shared) return records;
    char self[MAX_PATH] = "";
    GetModuleFileNameA(0, self, sizeof self);
    for (int i = 0; i <= starts; ++i) {
        const double final = norvane.empty() ? -1 : start_up(norvane).final;
        ZeroMemory(shared, sizeof(StartRecord));
        const LONGLONG created = now_ticks();
        char ticks[32];
        snprintf(ticks, sizeof ticks, "%lld", static_cast<long long>(created));
        PROCESS_INFORMATION info = start(quoted(self) + " timed-start " + ticks);
        WaitForSingleObject(info.hProcess, 30000);
        stop(info);
        Sleep(50);
        // The first round warms the file cache and the Wine server, as in the start-up measure.
        if (i == 0) continue;
        if (shared->complete) records.push_back(*shared);
        if (final >= 0) outside->push_back(final);
    }
    UnmapViewOfFile(shared);
    CloseHandle(block);
    return records;
}

// The median of one figure over records or rows of steps.
template <typename Rows, typename Field>
double median_of(const Rows& rows, Field field) {
    std::vector<double> values;
    for (const auto& r : rows) values.push_back(field(r));
    return median(values);
}

// The first font on a new text gadget, which create_text_gadget sets inside itself: a static
// control made as the gadget is (same class, style, size and parent), then the same WM_SETFONT.
struct FirstFont {
    double created;
    double font;
};

FirstFont time_first_font() {
    HWND parent = window_handle(kLabelWindow);
    const double begin = now_ms();
    HWND control = CreateWindowExA(0, "STATIC", text_or_empty(app.label_text),
                                   WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT | kCentredText, 0, 0, app.label_width,
                                   app.label_height, parent, reinterpret_cast<HMENU>(kLabelGadget + 1),
                                   runtime_instance(), 0);
    const double created = now_ms();
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    const FirstFont result = {created - begin, now_ms() - created};
    DestroyWindow(control);
    pump();
    return result;
}

void print_start_table(const std::vector<StartRecord>& records, const std::vector<double>& outside) {
    printf("### One start, step by step (median of %d starts, each a fresh process)\n\n", static_cast<int>(records.size()));
    printf("| Step (program_main's order) | Median ms |\n|---|---|\n");
    for (int s = 0; s < StartStepCount; ++s)
        printf("| %s | %.2f |\n", kStartStepNames[s], median_of(records, [s](const StartRecord& r) { return r.start[s]; }));
    const double total = median_of(records, [](const StartRecord& r) { return sum(r.start, 0, StartStepCount); });
    const double shown = median_of(records, [](const StartRecord& r) {
        return sum(r.start, 0, FirstRendering) + sum(r.rendering, 0, GadgetCreated + 1);
    });
    printf("| **CreateProcess to the rendered label's gadget made with its text** (where the start-up measure "
           "takes it) | **%.2f** |\n", shown);
    printf("| CreateProcess to the end of program_main's start (median of the starts' totals) | %.2f |\n", total);
    if (!outside.empty())
        printf("| Norvane.exe itself, started just before each of these, to its final window seen from outside "
               "(median of %d) | %.2f |\n", static_cast<int>(outside.size()), median(outside));
    printf("| afterwards, before the loop's first sleep: the queued messages handled (the label painted) | %.2f |\n\n",
           median_of(records, [](const StartRecord& r) { return r.messages; }));
}

// Later renderings in one process, each timed step by step and alternating with render_label
// itself and with the first font's replica, so that all see the same machine and the steps can
// be checked against the function they take apart.
struct LaterRenderings {
    std::vector<std::vector<double>> steps;
    std::vector<double> messages;        // what each timed rendering left, handled
    std::vector<double> timed;           // each timed rendering as a whole
    std::vector<double> whole;           // each render_label
    std::vector<double> whole_messages;  // what it left, handled
    std::vector<FirstFont> first_fonts;
};

LaterRenderings time_later_renderings(int count) {
    init_runtime_for_rendering();
    for (int i = 0; i < 20; ++i) {  // a few to warm up
        render_label();
        pump();
    }
    LaterRenderings r;
    for (int i = 0; i < count; ++i) {
        std::vector<double> steps(RenderStepCount);
        Laps laps = {now_ms()};
        const double begin = laps.last;
        timed_render(laps, steps.data());
        r.timed.push_back(laps.last - begin);
        double messages;
        pump();
        laps.mark(messages);
        r.steps.push_back(steps);
        r.messages.push_back(messages);
        const double t0 = now_ms();
        render_label();
        const double t1 = now_ms();
        pump();
        r.whole.push_back(t1 - t0);
        r.whole_messages.push_back(now_ms() - t1);
        r.first_fonts.push_back(time_first_font());
    }
    return r;
}

void print_render_table(const std::vector<StartRecord>& records, const LaterRenderings& later) {
    printf("### One rendering, step by step\n\n");
    printf("| Step (render_label's order) | First placement in a start | First rendering in a start | "
           "A later rendering (median of %d) |\n|---|---|---|---|\n", static_cast<int>(later.steps.size()));
    for (int s = 0; s < RenderStepCount; ++s) {
        const bool placement_step = s >= OldLabelClosed && s < TextSet;
        char placement[32] = "";
        if (placement_step)
            snprintf(placement, sizeof placement, "%.2f",
                     median_of(records, [s](const StartRecord& r) { return r.placement[s]; }));
        printf("| %s | %s | %.2f | %.2f |\n", kRenderStepNames[s], placement,
               median_of(records, [s](const StartRecord& r) { return r.rendering[s]; }),
               median_of(later.steps, [s](const std::vector<double>& steps) { return steps[s]; }));
    }
    printf("| **the whole (median of the totals)** | **%.2f** | **%.2f** | **%.2f** |\n",
           median_of(records, [](const StartRecord& r) { return sum(r.placement, OldLabelClosed, TextSet); }),
           median_of(records, [](const StartRecord& r) { return sum(r.rendering, 0, RenderStepCount); }),
           median_of(later.steps, [](const std::vector<double>& steps) { return sum(steps.data(), 0, RenderStepCount); }));
    printf("| the messages it left, handled (painting) | | | %.2f |\n\n", median(later.messages));
}

void print_render_check(const LaterRenderings& later) {
    std::vector<double> created, font;
    for (const FirstFont& f : later.first_fonts) {
        created.push_back(f.created);
        font.push_back(f.font);
    }
    printf("| Check (later renderings, same run) | Median ms |\n|---|---|\n");
    printf("| the steps above, timed one by one | %.2f |\n", median(later.timed));
    printf("| render_label itself, alternating with them | %.2f |\n", median(later.whole));
    printf("| the messages render_label left, handled | %.2f |\n", median(later.whole_messages));
    printf("| inside \"text gadget created\": a static control made alike, before any font | %.2f |\n", median(created));
    printf("| inside \"text gadget created\": the first font (default GUI font, WM_SETFONT with redraw) on it | %.2f |\n",
           median(font));
}

// "steps": one start and one rendering broken into their steps, as Markdown tables.
int report_steps(int starts, int renderings) {
    std::vector<double> outside;
    const std::vector<StartRecord> records = run_timed_starts(starts, windows_path(getenv("NORVANE_EXE")), &outside);
    if (records.empty()) {
        printf("no timed start completed\n");
        return 1;
    }
    print_start_table(records, outside);
    fflush(stdout);  // the starts took long; what they found is kept whatever follows
    const LaterRenderings later = time_later_renderings(renderings);
    print_render_table(records, later);
    print_render_check(later);
    return 0;
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

namespace {
// ---- The clock. Wine sleeps 1 ms where Windows sleeps a clock tick (15.6 ms by default), so
// under Wine a loop that sleeps between messages looks quicker than it is. Here the running
// program takes input on Wine's clock and on a 16 ms tick, which the hook inside it gives its
// sleeps and message waits, round by round in turn.
const int kTypedKeys = 30;
const int kConfigGadgets = kGadgetFontText;

// Milliseconds until the condition holds, looked at about every millisecond; -1 after 10 s.
template <typename Condition>
double ms_until(Condition condition) {
    const double begin = now_ms();
    for (;;) {
        if (condition()) return now_ms() - begin;
        if (now_ms() - begin > 10000) return -1;
        Sleep(1);
    }
}

INPUT key_input(WORD virtual_key, bool up) {
    INPUT key = {};
    key.type = INPUT_KEYBOARD;
    key.ki.wVk = virtual_key;
    key.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtual_key, 0));
    key.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return key;
}

// The dialog is shown and neither it nor any of its gadgets has anything left to paint.
bool painted(HWND dialog) {
    if (!IsWindowVisible(dialog) || GetUpdateRect(dialog, 0, FALSE)) return false;
    int gadgets = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT), ++gadgets)
        if (GetUpdateRect(child, 0, FALSE)) return false;
    return gadgets >= kConfigGadgets;
}

// From the key that picks "Config" in the label's menu to the new dialog painted whole; the
// dialog, or 0.
HWND time_opening(NorvaneProcess& norvane, HWND old, std::vector<double>* times) {
    HWND label = norvane.wait_label(5000);
    if (!label) return 0;
    click_window(label, true);
    if (ms_until([&] { return menu_tracking(label); }) < 0) return 0;
    press_key(VK_DOWN);
    HWND dialog = 0;
    auto shown = [&] {
        for (HWND w : process_windows(norvane.id(), window_class(kConfigWindow).c_str()))
            if (w != old && painted(w)) dialog = w;
        return dialog != 0;
    };
    INPUT enter[] = {key_input(VK_RETURN, false), key_input(VK_RETURN, true)};
    const double begin = now_ms();
    SendInput(2, enter, sizeof(INPUT));
    if (ms_until(shown) < 0) return 0;
    times->push_back(now_ms() - begin);
    return dialog;
}

// From 30 keys sent at once (a press and a release each) to all 30 characters in the field.
bool time_typing(HWND dialog, std::vector<double>* times) {
    HWND field = child_by_id(dialog, kGadgetCustomText);
    click_window(field);
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    auto focused = [&] {
        return GetGUIThreadInfo(GetWindowThreadProcessId(field, 0), &thread) && thread.hwndFocus == field;
    };
    if (ms_until(focused) < 0) return false;
    std::vector<INPUT> keys;
    for (int i = 0; i < kTypedKeys; ++i)
        for (int up = 0; up < 2; ++up) keys.push_back(key_input(static_cast<WORD>('A' + i % 26), up != 0));
    const double begin = now_ms();
    SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
    auto arrived = [&] {
        DWORD_PTR length = 0;
        return SendMessageTimeoutA(field, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 1000, &length) &&
               length == static_cast<DWORD_PTR>(kTypedKeys);
    };
    if (ms_until(arrived) < 0) return false;
    times->push_back(now_ms() - begin);
    return true;
}

// "clock N": rounds of both measures on each clock; Markdown table rows.
int report_clock(int rounds) {
    remove_settings();
    NorvaneProcess norvane(Environment(), true);
    if (!norvane.wait_label()) return 1;
    const long ticks[] = {0, 16};
    std::vector<double> opening[2], typing[2];
    HWND dialog = 0;
    for (int r = 0; r <= rounds; ++r)
        for (int c = 0; c < 2; ++c) {
            if (!set_remote_clock_tick(norvane.id(), ticks[c])) return 1;
            std::vector<double> open_time, type_time;
            dialog = time_opening(norvane, dialog, &open_time);
            if (!dialog || !time_typing(dialog, &type_time)) {
                printf("round %d on the %ld ms clock did not complete\n", r, ticks[c]);
                return 1;
            }
            if (r == 0) continue;  // the first round warms up
            opening[c].push_back(open_time[0]);
            typing[c].push_back(type_time[0]);
        }
    printf("| %d keystrokes typed at once, until all are in the custom-text field (median of %d) | %.1f ms | "
           "%.1f ms on a 16 ms clock | |\n", kTypedKeys, rounds, median(typing[0]), median(typing[1]));
    printf("| Opening the configuration dialog: from the key that picks \"Config\" to every gadget painted "
           "(median of %d) | %.1f ms | %.1f ms on a 16 ms clock | |\n", rounds, median(opening[0]), median(opening[1]));
    return 0;
}

// "tick N": gives the running program's sleeps and message waits a tick of N ms (0: Wine's).
int set_running_clock(long tick) {
    HWND label = FindWindowA(window_class(kLabelWindow).c_str(), "Norvane");
    DWORD process_id = 0;
    GetWindowThreadProcessId(label, &process_id);
    return label && process_id && set_remote_clock_tick(process_id, tick) ? 0 : 1;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && strcmp(argv[1], "clock") == 0) return report_clock(argc > 2 ? atoi(argv[2]) : 10);
    if (argc > 2 && strcmp(argv[1], "tick") == 0) return set_running_clock(atol(argv[2]));
    if (argc > 2 && strcmp(argv[1], "timed-start") == 0) return timed_start(_atoi64(argv[2]));
    if (argc > 2 && strcmp(argv[1], "render") == 0)
        return render_running_program(atoi(argv[2]), argc > 3 && strcmp(argv[3], "baseline") == 0);
    if (argc > 1 && strcmp(argv[1], "idle") == 0) return idle_loop();
    if (argc > 1 && strcmp(argv[1], "steps") == 0)
        return report_steps(argc > 2 ? atoi(argv[2]) : 15, argc > 3 ? atoi(argv[3]) : 400);
    const int runs = argc > 1 ? atoi(argv[1]) : 15;
    // Start-up, taking the three programs in turn so that all see the same machine load.
    const char* const names[] = {"NORVANE_EXE", "NORVANE_BASELINE_EXE", "NORVANE_FLOOR_EXE"};
    std::string programs[3];
    std::vector<double> first[3], final[3], replaced[3];
    int counted[3] = {0, 0, 0};
    for (int p = 0; p < 3; ++p) {
        programs[p] = windows_path(getenv(names[p]));
        start_up(programs[p]);  // warms the file cache and the Wine server
    }
    for (int i = 0; i < runs; ++i)
        for (int p = 0; p < 3; ++p) {
            const StartUp s = start_up(programs[p]);
            if (s.final < 0) continue;
            first[p].push_back(s.first);
            final[p].push_back(s.final);
            if (s.windows > 1) replaced[p].push_back(s.final - s.first);
            ++counted[p];
        }
    const double ours = median(final[0]), baseline = median(final[1]), least = median(final[2]);
    printf("| Start-up to the final label window with its text (median of %d) | %.1f ms | baseline %.1f ms | "
           "ratio %.2f |\n", counted[0], ours, baseline, ours / baseline);
    printf("| Start-up floor: baseline + common controls, Winsock, host lookup, first placement (median of %d) "
           "| Norvane %.1f ms | floor %.1f ms (%.2f x baseline) | ratio %.2f |\n",
           counted[2], ours, least, least / baseline, ours / least);
    const double floor_first = median(first[2]);
    printf("| The same runs taken at each program's first window with text, as before | Norvane %.1f ms | "
           "baseline %.1f ms, floor %.1f ms | ratio %.2f to baseline, %.2f to floor |\n",
           median(first[0]), median(first[1]), floor_first, median(first[0]) / median(first[1]),
           median(first[0]) / floor_first);
    static const char* const labels[] = {"Norvane", "baseline", "floor"};
    for (int p = 0; p < 3; ++p) {
        std::vector<double>& r = replaced[p];
        if (r.empty()) {
            printf("| %s: a window with text replaced by another | in 0 of %d runs | | |\n", labels[p], counted[p]);
            continue;
        }
        printf("| %s: a window with text replaced by another | in %d of %d runs | the final one %.1f ms later "
               "(median), at most %.1f ms | |\n",
               labels[p], static_cast<int>(r.size()), counted[p], median(r), *std::max_element(r.begin(), r.end()));
    }

    // Rendering in-process, and what 1000 renderings leave behind.
    init_runtime_for_rendering();
    render_label();
    pump();
    // Rounds of the two alternate, so that a change in the machine's load falls on both.
    std::vector<double> ours_rounds, baseline_rounds;
    for (int r = 0; r < 5; ++r) {
        ours_rounds.push_back(per_call_ms([] { render_label(); }, 1, 200));
        baseline_rounds.push_back(per_call_ms(baseline_render, 1, 200));
    }
    const double render = median(ours_rounds), base = median(baseline_rounds);
    printf("| One rendering (median of 5 rounds of 200, the two in turn) | %.3f ms | baseline %.3f ms | ratio %.2f |\n", render, base,
           render / base);
    return 0;
}
