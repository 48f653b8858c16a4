// The end-to-end driver's means of preparing a run and looking at the program from outside.
#include <winsock2.h>

#include "driver.h"

#include <cstdlib>
#include <cstdio>
#include <cstring>

#include "../crash_report.h"
#include "hook/work_area_hook.h"

namespace {
bool load_hook(DWORD process_id);

// The driver runs under gtest's own main: its crash report is set up before that runs.
const bool kCrashesReported = report_crashes();
const char kAppDefaults[] = "Software\\Wine\\AppDefaults\\Norvane.exe";

std::string environment_block(const Environment& changes) {
    std::string block;
    char* current = GetEnvironmentStringsA();
    for (const char* entry = current; *entry; entry += strlen(entry) + 1) {
        bool replaced = false;
        for (const auto& change : changes) {
            const std::string prefix = change.first + "=";
            if (_strnicmp(entry, prefix.c_str(), prefix.size()) == 0) replaced = true;
        }
        if (!replaced) block.append(entry, strlen(entry) + 1);
    }
    FreeEnvironmentStringsA(current);
    for (const auto& change : changes) {
        if (!change.second) continue;
        block += change.first + "=" + change.second;
        block.push_back('\0');
    }
    block.push_back('\0');
    return block;
}

INPUT mouse_input(DWORD flags) {
    INPUT input;
    ZeroMemory(&input, sizeof input);
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    return input;
}

BOOL CALLBACK note_visible_menu(HWND w, LPARAM p) {
    char name[16] = "";
    GetClassNameA(w, name, sizeof name);
    if (strcmp(name, "#32768") == 0 && IsWindowVisible(w)) *reinterpret_cast<HWND*>(p) = w;
    return TRUE;
}

void send_key(WORD vk, bool up) {
    INPUT input;
    ZeroMemory(&input, sizeof input);
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}
}  // namespace

HWND visible_menu() {
    HWND found = 0;
    EnumWindows(note_visible_menu, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::string windows_path(const char* unix_path) {
    // Wine maps the root of the host's file system to drive Z:.
    std::string path = unix_path ? unix_path : "";
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path;
        for (char& c : path) if (c == '/') c = '\\';
    }
    return path;
}

std::string unix_path(const std::string& windows_path) {
    typedef char*(CDECL * UnixNameProc)(LPCWSTR);
    UnixNameProc unix_name = reinterpret_cast<UnixNameProc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("KERNEL32"), "wine_get_unix_file_name")));
    if (!unix_name) return "";
    std::wstring wide(windows_path.begin(), windows_path.end());
    char* name = unix_name(wide.c_str());
    if (!name) return "";
    std::string result = name;
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

bool start_host_program(const char* program, std::string command) {
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(program, &command[0], 0, 0, FALSE, 0, 0, 0, &startup, &process)) return false;
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return true;
}

std::string executable_path() {
    const char* built = getenv("NORVANE_EXE");
    return built ? windows_path(built) : "Norvane.exe";
}

std::string windows_directory() {
    char buffer[MAX_PATH];
    UINT n = GetWindowsDirectoryA(buffer, sizeof buffer);
    return std::string(buffer, n);
}

std::string settings_path() { return windows_directory() + "\\Norvane.ini"; }

bool read_file(const std::string& path, std::string* bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0,
                              OPEN_EXISTING, 0, 0);
    if (file == INVALID_HANDLE_VALUE) return false;
    bytes->clear();
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, 0) && got) bytes->append(buffer, got);
    CloseHandle(file);
    return true;
}

std::string contents(const std::string& path) {
    std::string bytes;
    return read_file(path, &bytes) ? bytes : "<missing>";
}

void write_file(const std::string& path, const std::string& bytes) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
    DWORD written = 0;
    for (size_t at = 0; at < bytes.size(); at += written) {
        DWORD chunk = static_cast<DWORD>(bytes.size() - at > (1u << 20) ? (1u << 20) : bytes.size() - at);
        if (!WriteFile(file, bytes.data() + at, chunk, &written, 0) || !written) break;
    }
    CloseHandle(file);
}

void remove_settings() {
    SetFileAttributesA(settings_path().c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(settings_path().c_str());
    RemoveDirectoryA(settings_path().c_str());
    DeleteFileA((settings_path() + ".new").c_str());
}

void set_windows_version(const char* version) {
    if (!version || !*version) {
        RegDeleteKeyA(HKEY_CURRENT_USER, kAppDefaults);
        return;
    }
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kAppDefaults, 0, 0, 0, KEY_WRITE, 0, &key, 0) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                   static_cast<DWORD>(strlen(version) + 1));
    RegCloseKey(key);
}

std::string registry_computer_name() {
    char buffer[1024] = "";
    DWORD size = sizeof buffer - 1;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                      "SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ActiveComputerName", 0,
                      KEY_READ, &key) == ERROR_SUCCESS) {
        RegQueryValueExA(key, "ComputerName", 0, 0, reinterpret_cast<BYTE*>(buffer), &size);
        RegCloseKey(key);
    }
    return buffer;
}

std::string first_host_address() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return "0.0.0.0";
    char name[256] = "";
    unsigned char bytes[4] = {0, 0, 0, 0};
    hostent* host = gethostname(name, sizeof name - 1) == 0 ? gethostbyname(name) : 0;
    if (host && host->h_addrtype == AF_INET && host->h_length == 4 && host->h_addr_list[0])
        memcpy(bytes, host->h_addr_list[0], 4);
    WSACleanup();
    char text[16];
    snprintf(text, sizeof text, "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2], bytes[3]);
    return text;
}

bool set_windows95_computer_name(const char* name) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\VxD\\VNETSUP", 0, 0, 0,
                        KEY_WRITE, 0, &key, 0) != ERROR_SUCCESS)
        return false;
    const LONG result = RegSetValueExA(key, "ComputerName", 0, REG_SZ, reinterpret_cast<const BYTE*>(name),
                                       static_cast<DWORD>(strlen(name) + 1));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

NorvaneProcess::NorvaneProcess(const Environment& environment, bool hooked)
    : NorvaneProcess(executable_path().c_str(), environment, hooked) {}

NorvaneProcess::NorvaneProcess(const char* program, const Environment& environment, bool hooked) {
    ZeroMemory(&info_, sizeof info_);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    std::string command = "\"" + std::string(program) + "\"";
    std::string block = environment_block(environment);
    // Started from its own folder, as a double click in the file manager does.
    std::string folder = program;
    folder.resize(folder.find_last_of('\\') == std::string::npos ? 0 : folder.find_last_of('\\'));
    if (!CreateProcessA(0, &command[0], 0, 0, FALSE, hooked ? CREATE_SUSPENDED : 0, &block[0],
                        folder.empty() ? 0 : folder.c_str(), &startup, &info_)) {
        ZeroMemory(&info_, sizeof info_);
        return;
    }
    // The hook goes in before the program's first instruction, so every call it redirects is
    // redirected from the start.
    if (hooked && !load_hook(info_.dwProcessId)) TerminateProcess(info_.hProcess, 99);
    if (hooked) ResumeThread(info_.hThread);
}

NorvaneProcess::~NorvaneProcess() {
    if (!info_.hProcess) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 10000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

bool NorvaneProcess::running() {
    return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

bool NorvaneProcess::wait_exit(int timeout_ms, DWORD* exit_code) {
    if (!info_.hProcess || WaitForSingleObject(info_.hProcess, timeout_ms) != WAIT_OBJECT_0) return false;
    GetExitCodeProcess(info_.hProcess, exit_code);
    return true;
}

HWND NorvaneProcess::wait_window(const char* class_name, const char* title, int timeout_ms) {
    HWND found = 0;
    eventually([&] {
        for (HWND w : process_windows(id(), class_name))
            if (IsWindowVisible(w) && (!title || window_text(w) == title)) found = w;
        return found != 0 || !running();
    }, timeout_ms);
    return found;
}

HWND NorvaneProcess::wait_label(int timeout_ms) {
    // Start-up places the label and then renders it anew: the label counts once the same window
    // has stood for a moment.
    HWND label = 0, previous = 0;
    const int step = timeout_ms < 500 ? timeout_ms / 2 : 250;
    eventually([&] {
        label = 0;
        for (HWND w : process_windows(id(), window_class(kLabelWindow).c_str()))
            if (IsWindowVisible(w) && child_by_id(w, kLabelGadget)) label = w;
        const bool stable = label && label == previous;
        previous = label;
        if (!stable && label) Sleep(step);
        return stable || !running();
    }, timeout_ms);
    return label == previous ? label : 0;
}

std::string NorvaneProcess::label_text() {
    HWND label = wait_label();
    return label ? window_text(child_by_id(label, kLabelGadget)) : "<no label>";
}

namespace {
// What the system tells of the window's thread: its focus, its menu mode (all zero when it
// cannot say).
GUITHREADINFO thread_of(HWND window) {
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, 0), &thread)) thread = GUITHREADINFO();
    return thread;
}
}  // namespace

HWND focused_window(HWND window) { return thread_of(window).hwndFocus; }

bool menu_tracking(HWND window) { return (thread_of(window).flags & GUI_INMENUMODE) != 0; }

bool NorvaneProcess::choose_menu_item(PopupMenuItem item) {
    HWND label = wait_label(5000);
    if (!label) return false;
    // A click that a busy machine let go by is given again: the right click while no menu shows,
    // the click on the item while the menu still takes clicks.
    for (int tries = 0; tries < 3; ++tries) {
        if (!visible_menu()) click_window(label, true);
        HWND menu = 0;
        // The menu takes clicks once its tracking loop has begun.
        if (!eventually([&] { return (menu = visible_menu()) != 0 && menu_tracking(label); }, 5000)) continue;
        // Click the item as a person would: the items sit in number order with separators
        // between them, Config, About and Exit at positions 0, 2 and 4.
        const int position = (item - kMenuConfig) * 2;
        HMENU items = reinterpret_cast<HMENU>(SendMessageA(menu, MN_GETHMENU, 0, 0));
        RECT r = {0, 0, 0, 0};
        if (items && GetMenuItemRect(0, items, position, &r) && r.right > r.left) {
            click_at((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        } else {
            for (int i = kMenuConfig; i <= item; ++i) press_key(VK_DOWN);
            press_key(VK_RETURN);
        }
        if (eventually([&] { return visible_menu() == 0 || !menu_tracking(label); }, 10000))
            return eventually([] { return visible_menu() == 0; }, 5000);
    }
    return false;
}

HWND show_config_dialog(NorvaneProcess& norvane, const char** failed_step) {
    HWND dialog = 0;
    if (!norvane.wait_label()) {
        *failed_step = "no label";
    } else if (!norvane.choose_menu_item(kMenuConfig)) {
        *failed_step = "the menu item was not chosen";
    } else if (!(dialog = norvane.wait_window(window_class(kConfigWindow).c_str(), "Norvane Configuration"))) {
        *failed_step = "no dialog window";
    } else if (!eventually([&] { return child_by_id(dialog, kGadgetFontText) != 0; })) {
        *failed_step = "its last gadget never came";
        dialog = 0;
    }
    // The dialog shows before it is filled, and it is filled before the program's loop takes its
    // next posted message: a mark posted now to the custom text is set once filling is over
    // (setting the text clears it).
    HWND custom_text = dialog ? child_by_id(dialog, kGadgetCustomText) : 0;
    if (dialog && !(PostMessageA(custom_text, EM_SETMODIFY, TRUE, 0) &&
                    eventually([&] { return SendMessageA(custom_text, EM_GETMODIFY, 0, 0) != 0; }))) {
        *failed_step = "the dialog was never filled";
        dialog = 0;
    }
    return dialog;
}

bool close_config_dialog(HWND dialog) {
    if (!dialog) return false;
    // A button takes the focus as it is pressed.
    HWND close = child_by_id(dialog, kGadgetClose);
    click_until(close, [&] { return !IsWindow(dialog) || focused_window(dialog) == close; }, 5000);
    // Close saves: a hostile 50 MB file is read and written on the way, which under user-mode
    // emulation takes longer than 10 s. The wait ends as soon as the dialog is gone.
    return eventually([&] { return !IsWindow(dialog); }, 30000);
}

bool apply_config(HWND dialog) {
    HWND apply = child_by_id(dialog, kGadgetApply), frame = child_by_id(dialog, kGadgetOuterFrame);
    return click_until(apply, [&] {
        HWND focus = focused_window(dialog);
        return focus == apply || focus == frame;
    });
}

struct WindowSearch {
    DWORD process_id;
    const char* class_name;
    std::vector<HWND> found;
};

BOOL CALLBACK note_process_window(HWND w, LPARAM p) {
    WindowSearch* s = reinterpret_cast<WindowSearch*>(p);
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if ((!s->process_id || owner == s->process_id) && (!s->class_name || class_of(w) == s->class_name)) s->found.push_back(w);
    return TRUE;
}

std::vector<HWND> process_windows(DWORD process_id, const char* class_name) {
    WindowSearch search = {process_id, class_name, {}};
    EnumWindows(note_process_window, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

RECT rect_of(HWND window) {
    RECT r = {0, 0, 0, 0};
    GetWindowRect(window, &r);
    return r;
}

RECT work_area() {
    RECT r = {0, 0, 0, 0};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
    return r;
}

std::string window_text(HWND window) {
    std::string text(70000, '\0');
    SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), SMTO_ABORTIFHUNG, 2000,
                        0);
    text.resize(strlen(text.c_str()));
    return text;
}

std::string window_class(int window) { return "WindowClass_" + std::to_string(window); }

std::string class_of(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

HWND child_by_id(HWND parent, int id) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetDlgCtrlID(child) == id) return child;
    return 0;
}

TextSize measure_text(const char* face_name, int points, const char* text) {
    HDC screen = GetDC(0);
    HDC dc = CreateCompatibleDC(screen);
    HFONT font = CreateFontA(-MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL,
                             0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face_name);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE extent = {0, 0};
    GetTextExtentPoint32A(dc, text, static_cast<int>(strlen(text)), &extent);
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    ReleaseDC(0, screen);
    TextSize size = {extent.cx, metrics.tmHeight};
    return size;
}

void click_at(int x, int y, bool right_button) {
    // Two clicks of one button on one spot within the double-click time would be one double
    // click to the system (the label's right button then opens no menu): each click here is a
    // click of its own.
    static DWORD last_time[2];
    static POINT last_point[2] = {{-1000, -1000}, {-1000, -1000}};
    const DWORD since = GetTickCount() - last_time[right_button];
    if (abs(x - last_point[right_button].x) <= GetSystemMetrics(SM_CXDOUBLECLK) &&
        abs(y - last_point[right_button].y) <= GetSystemMetrics(SM_CYDOUBLECLK) && since <= GetDoubleClickTime())
        Sleep(GetDoubleClickTime() - since + 1);
    // Move there first, as a hand on the mouse would, then press and release.
    INPUT move = mouse_input(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE);
    move.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    move.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    SendInput(1, &move, sizeof(INPUT));
    Sleep(50);
    INPUT press = mouse_input(right_button ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN);
    SendInput(1, &press, sizeof(INPUT));
    Sleep(30);
    INPUT release = mouse_input(right_button ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP);
    SendInput(1, &release, sizeof(INPUT));
    last_time[right_button] = GetTickCount();
    last_point[right_button] = {x, y};
    Sleep(30);
}

void click_window(HWND window, bool right_button) {
    RECT r;
    GetWindowRect(window, &r);
    click_at((r.left + r.right) / 2, (r.top + r.bottom) / 2, right_button);
}

void press_key(WORD virtual_key, bool shift) {
    if (shift) send_key(VK_SHIFT, false);
    send_key(virtual_key, false);
    send_key(virtual_key, true);
    if (shift) send_key(VK_SHIFT, true);
    Sleep(30);
}

void type_text(const char* text) {
    for (; *text; ++text) {
        SHORT code = VkKeyScanA(*text);
        press_key(LOBYTE(code), (HIBYTE(code) & 1) != 0);
    }
}

void settle(int ms) { Sleep(ms); }

namespace {
// Loads the hook library into the target once; it then serves requests by itself.
bool load_hook(DWORD process_id) {
    const std::string hook = windows_path(getenv("NORVANE_WORK_AREA_HOOK"));
    HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, process_id);
    if (!process) return false;
    void* memory = VirtualAllocEx(process, 0, 4096, MEM_COMMIT, PAGE_READWRITE);
    bool ok = memory && WriteProcessMemory(process, memory, hook.c_str(), hook.size() + 1, 0);
    HANDLE thread = ok ? CreateRemoteThread(process, 0, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void*>(
                                 GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA"))), memory, 0, 0)
                       : 0;
    ok = thread && WaitForSingleObject(thread, 10000) == WAIT_OBJECT_0;
    if (thread) CloseHandle(thread);
    if (memory) VirtualFreeEx(process, memory, 0, MEM_RELEASE);
    CloseHandle(process);
    return ok;
}

// Hands one request to the hook inside the process (loading it first if need be) and waits
// until it is served: the renderings that came, or -1.
long send_hook_request(DWORD process_id, const WorkAreaRequestData& data) {
    char name[64];
    work_area_name(WorkAreaMapping, process_id, name);
    HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, name);
    if (!mapping && load_hook(process_id)) mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, name);
    if (!mapping) return -1;
    WorkAreaRequestData* shared =
        static_cast<WorkAreaRequestData*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof *shared));
    work_area_name(WorkAreaRequest, process_id, name);
    HANDLE request = OpenEventA(EVENT_MODIFY_STATE, FALSE, name);
    work_area_name(WorkAreaDone, process_id, name);
    HANDLE done = OpenEventA(SYNCHRONIZE, FALSE, name);
    long result = -1;
    if (shared && request && done) {
        *shared = data;
        const DWORD wait = 10000 + 2000 * static_cast<DWORD>(data.renderings);
        if (SetEvent(request) && WaitForSingleObject(done, wait) == WAIT_OBJECT_0) result = shared->rendered;
    }
    if (shared) UnmapViewOfFile(shared);
    if (request) CloseHandle(request);
    if (done) CloseHandle(done);
    CloseHandle(mapping);
    return result;
}

}  // namespace

long send_work_area_request(DWORD process_id, RECT area, long renderings) {
    WorkAreaRequestData data = {};
    data.area = area;
    data.renderings = renderings;
    data.request = HookWorkArea;
    return send_hook_request(process_id, data);
}

bool set_remote_work_area(DWORD process_id, RECT area) { return send_work_area_request(process_id, area, 0) == 0; }

bool set_remote_screen_size(DWORD process_id, int width, int height) {
    WorkAreaRequestData data = {};
    data.request = HookScreenSize;
    data.screen.cx = width;
    data.screen.cy = height;
    return send_hook_request(process_id, data) == 0;
}

long count_remote_calls(DWORD process_id, long fail_call) {
    WorkAreaRequestData data = {};
    data.request = HookFault;
    data.fail_call = fail_call;
    return send_hook_request(process_id, data);
}

bool set_remote_clock_tick(DWORD process_id, long tick_ms) {
    WorkAreaRequestData data = {};
    data.request = HookClockTick;
    data.clock_tick = tick_ms;
    return send_hook_request(process_id, data) == 0;
}

bool takes_new_files(const std::string& folder) {
    const std::string probe = folder + "\\norvane-probe.tmp";
    HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, 0, CREATE_NEW, 0, 0);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    DeleteFileA(probe.c_str());
    return true;
}

ClosedFolder::ClosedFolder(const std::string& folder) : folder_(folder), host_folder_(unix_path(folder)) {
    if (host_folder_.empty() ||
        !start_host_program("/usr/bin/chattr", "/usr/bin/chattr +i \"" + host_folder_ + "\""))
        return;
    closed_ = eventually([&] { return !takes_new_files(folder_); }, 3000);
}

ClosedFolder::~ClosedFolder() {
    if (host_folder_.empty()) return;
    start_host_program("/usr/bin/chattr", "/usr/bin/chattr -i \"" + host_folder_ + "\"");
    eventually([&] { return takes_new_files(folder_); }, 3000);
}

