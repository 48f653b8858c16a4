// Shared helpers of the in-process Win32 tests.
#include "win32_support.h"

#include <stdlib.h>
#include <string.h>

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
    std::vector<std::string> values;
    std::istringstream in(line);
    for (std::string value; values.size() < kSettingCount && std::getline(in, value, '|');) values.push_back(value);
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
