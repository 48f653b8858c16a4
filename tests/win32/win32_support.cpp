// Shared helpers of the in-process Win32 tests.
#include "win32_support.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <sstream>
#include <vector>

#include "app/app_state.h"
#include "app/program.h"
#include "runtime/base/heap.h"
#include "runtime/base/strings.h"
#include "runtime/gui/window_events.h"
#include "settings/settings_table.h"

void init_test_runtime() {
    runtime_heap = heap_create(kRuntimeHeapSize);
    object_list_heap = heap_create(kObjectListHeapSize);
    init_string_scratch();
}

void init_program_runtime() {
    static bool started = false;
    if (started) return;
    started = true;
    init_runtime(GetModuleHandleA(0));
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

void* replace_import(const char* function_name, void* replacement) {
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(0));
    const IMAGE_NT_HEADERS* headers =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (IMAGE_IMPORT_DESCRIPTOR* dll = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         dll->Name; ++dll) {
        const IMAGE_THUNK_DATA* names =
            reinterpret_cast<IMAGE_THUNK_DATA*>(base + (dll->OriginalFirstThunk ? dll->OriginalFirstThunk : dll->FirstThunk));
        IMAGE_THUNK_DATA* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const IMAGE_IMPORT_BY_NAME* name = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (strcmp(reinterpret_cast<const char*>(name->Name), function_name) != 0) continue;
            DWORD protection = 0;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &protection);
            void* previous = reinterpret_cast<void*>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
            return previous;
        }
    }
    return 0;
}

LOGFONTA described(HFONT font) {
    LOGFONTA lf = {};
    GetObjectA(font, sizeof lf, &lf);
    return lf;
}

int display_pixels_per_inch() {
    HDC screen = CreateDCA("DISPLAY", 0, 0, 0);
    const int ppi = GetDeviceCaps(screen, LOGPIXELSY);
    DeleteDC(screen);
    return ppi;
}

std::string class_of(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string text_of(HWND window) {
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string temp_folder(const char* name) {
    char base[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, base);
    return std::string(base) + name + "-" + std::to_string(GetCurrentProcessId());
}

std::string read_file(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0, OPEN_EXISTING, 0, 0);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes(GetFileSize(file, 0), '\0');
    DWORD read = 0;
    if (!bytes.empty()) ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, 0);
    CloseHandle(file);
    return bytes.substr(0, read);
}

namespace {
// The line's ten values, one per row of the settings table.
std::vector<std::string> setting_values(const std::string& line) {
    std::vector<std::string> values(1);
    for (char c : line) {
        if (c == '|') values.emplace_back(); else values.back() += c;
    }
    values.resize(kSettingCount);
    return values;
}
}  // namespace

void set_settings(const std::string& line) {
    const std::vector<std::string> values = setting_values(line);
    for (int i = 0; i < kSettingCount; ++i) {
        const SettingRow& row = kSettingRows[i];
        if (row.text) store_string(&(app.settings.*row.text), values[i].c_str());
        else app.settings.*row.number = static_cast<int>(strtol(values[i].c_str(), 0, 10));
    }
}

std::string settings_summary() {
    std::string line;
    for (const SettingRow& row : kSettingRows) {
        if (&row != kSettingRows) line += "|";
        line += row.text ? text_or_empty(app.settings.*row.text) : std::to_string(app.settings.*row.number);
    }
    return line;
}

std::string settings_file_text(const std::string& line) {
    const std::vector<std::string> values = setting_values(line);
    std::string file;
    for (int i = 0; i < kSettingCount; ++i) file += std::string(kSettingRows[i].key) + " = " + values[i] + "\r\n";
    return file;
}

namespace {
SequenceRecorder* recorder;

void note(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (!recorder || std::count(recorder->messages.begin(), recorder->messages.end(), message) == 0) return;
    for (const auto& named : recorder->windows)
        if (named.first == window) recorder->steps.push_back({named.second, message, kBothParameters, wparam, lparam});
}

LRESULT CALLBACK record_sent(int code, WPARAM wparam, LPARAM lparam) {
    const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lparam);
    if (code == HC_ACTION) note(sent->hwnd, sent->message, sent->wParam, sent->lParam);
    return CallNextHookEx(0, code, wparam, lparam);
}

LRESULT CALLBACK record_taken(int code, WPARAM removal, LPARAM lparam) {
    const MSG* taken = reinterpret_cast<const MSG*>(lparam);
    if (code == HC_ACTION && removal == PM_REMOVE) note(taken->hwnd, taken->message, taken->wParam, taken->lParam);
    return CallNextHookEx(0, code, removal, lparam);
}

bool same_step(const SequenceStep& recorded, const SequenceStep& expected) {
    return strcmp(expected.window, recorded.window) == 0 && expected.code == recorded.code &&
           (!(expected.compared & kWparam) || expected.wparam == recorded.wparam) &&
           (!(expected.compared & kLparam) || expected.lparam == recorded.lparam);
}

// Polls give event codes and message numbers, shown in decimal; messages in hexadecimal.
std::string step_text(const SequenceStep& s) {
    std::ostringstream out;
    out << std::showbase << s.window << " ";
    if (strcmp(s.window, "poll") == 0) out << s.code << " (";
    out << std::hex << s.code << (strcmp(s.window, "poll") == 0 ? ")" : "");
    if (s.compared & kWparam) out << " wparam " << s.wparam;
    if (s.compared & kLparam) out << " lparam " << s.lparam;
    return out.str() + "\n";
}
}  // namespace

SequenceRecorder::SequenceRecorder(std::vector<std::pair<HWND, const char*>> named, std::vector<UINT> watched)
    : windows(named), messages(watched) {
    recorder = this;
    hooks[0] = SetWindowsHookExA(WH_CALLWNDPROC, record_sent, 0, GetCurrentThreadId());
    hooks[1] = SetWindowsHookExA(WH_GETMESSAGE, record_taken, 0, GetCurrentThreadId());
}

SequenceRecorder::~SequenceRecorder() {
    for (HHOOK hook : hooks) UnhookWindowsHookEx(hook);
    recorder = 0;
}

int SequenceRecorder::poll() {
    const int result = wait_event();
    steps.push_back({"poll", static_cast<UINT>(result), kBothParameters, static_cast<WPARAM>(event_window()),
                     static_cast<LPARAM>(event_state.event_object)});
    return result;
}

void check_sequence(const char* file, int line, const SequenceRecorder& recorder, const SequenceStep* expected,
                    size_t count) {
    const std::vector<SequenceStep>& recorded = recorder.steps;
    if (recorded.size() == count && std::equal(recorded.begin(), recorded.end(), expected, same_step)) return;
    std::string text = "expected:\n";
    for (size_t i = 0; i < count; ++i) text += "  " + step_text(expected[i]);
    text += "recorded:\n";
    for (const SequenceStep& r : recorded) text += "  " + step_text(r);
    ADD_FAILURE_AT(file, line) << text;
}
