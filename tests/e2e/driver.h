// The end-to-end driver: starts the real Norvane.exe in the test prefix, prepares what it reads
// (settings file, Windows version, environment) and looks at what it shows, as a person or the
// system would — from another process.
#pragma once

#include <windows.h>

#include "../startup_folders.h"

#include <string>
#include <utility>
#include <vector>

#include "resource.h"

// A path of the host's file system as the Windows programs see it, and back ("" outside Wine).
std::string windows_path(const char* unix_path);
std::string unix_path(const std::string& windows_path);
// Starts a program of the host (Wine starts them like Windows ones). Wine cannot tell when or
// how it ended, so callers wait for its effect.
bool start_host_program(const char* program, std::string command);
// The Norvane.exe under test (NORVANE_EXE).
std::string executable_path();
std::string windows_directory();
std::string settings_path();
bool read_file(const std::string& path, std::string* bytes);
// The file's bytes, or "<missing>" when it cannot be read.
std::string contents(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);
// Removes the settings file and the copy a save may have left beside it.
void remove_settings();
// Another program's hold on a file, for as long as the object lives: a check that fails in its
// scope lets the file go all the same, so the hold never reaches the cases after it.
class HeldFile {
public:
    HeldFile(const std::string& path, DWORD access, DWORD share, DWORD disposition = OPEN_EXISTING)
        : handle_(CreateFileA(path.c_str(), access, share, 0, disposition, 0, 0)) {}
    ~HeldFile() { release(); }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    bool held() const { return handle_ != INVALID_HANDLE_VALUE; }
    void release() {
        if (held()) CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE handle_;
};
// The Windows version Wine reports to Norvane.exe ("win98", "nt40", "winxp", ...); empty for
// the prefix's default.
void set_windows_version(const char* version);
std::string registry_computer_name();
// The first IPv4 address of this machine's host name, as a lookup from this process gives it
// now, in dotted decimal ("0.0.0.0" when the lookup fails or gives none).
std::string first_host_address();
// The computer name where the Windows 95 family keeps it.
bool set_windows95_computer_name(const char* name);

// An environment change for the started program: a value, or nullptr to remove the variable.
typedef std::vector<std::pair<std::string, const char*>> Environment;

class NorvaneProcess {
public:
    // hooked: with the hook library (NORVANE_WORK_AREA_HOOK) loaded before the program runs,
    // as set_remote_screen_size and set_remote_clock_tick need.
    explicit NorvaneProcess(const Environment& environment = Environment(), bool hooked = false);
    // Starts another copy of the program, from its own folder.
    NorvaneProcess(const char* program, const Environment& environment, bool hooked = false);
    ~NorvaneProcess();
    bool started() const { return info_.hProcess != 0; }
    DWORD id() const { return info_.dwProcessId; }
    // The visible label window with its text gadget, or 0 after the timeout.
    HWND wait_label(int timeout_ms = 20000);
    HWND wait_window(const char* class_name, const char* title, int timeout_ms = 10000);
    bool wait_exit(int timeout_ms, DWORD* exit_code);
    bool running();
    // What the label shows, or "<no label>".
    std::string label_text();
    // Opens the right-click menu on the label and picks kMenuConfig, kMenuAbout or kMenuExit.
    bool choose_menu_item(PopupMenuItem item);

private:
    PROCESS_INFORMATION info_;
};

// The popup menu on the screen, if any: menus are top-level windows of the class "#32768".
HWND visible_menu();
// The window's thread is in a menu's tracking loop (menu mode): the menu takes input.
bool menu_tracking(HWND window);
// The window that has the keyboard focus in the window's thread, or 0.
HWND focused_window(HWND window);

// Opens the configuration dialog through the label's right-click menu and waits until all of
// its gadgets are there: the dialog, or 0 and the step that failed.
HWND show_config_dialog(NorvaneProcess& norvane, const char** failed_step);
// The same for a test: a failure is reported at the caller's line, naming the step.
#define open_config_dialog(norvane)                                                      \
    [&]() -> HWND {                                                                      \
        const char* failed_step = "";                                                    \
        HWND dialog = show_config_dialog(norvane, &failed_step);                         \
        if (!dialog) ADD_FAILURE() << "the configuration dialog did not open: " << failed_step; \
        return dialog;                                                                   \
    }()
// Presses "&Close" in the configuration dialog: true once the dialog is gone.
bool close_config_dialog(HWND dialog);
// Presses "&Apply": true once the press arrived (the focus on the button or, after it, on the
// outer frame, where Apply leaves it).
bool apply_config(HWND dialog);

// The top-level windows of a process (0: of every process), of one class (null: of any).
std::vector<HWND> process_windows(DWORD process_id, const char* class_name);
RECT rect_of(HWND window);
// The desktop work area as this process sees it.
RECT work_area();
std::string window_text(HWND window);
std::string class_of(HWND window);
// The class the runtime registers for one of its numbered windows: "WindowClass_<number>".
std::string window_class(int window);
HWND child_by_id(HWND parent, int id);
// Polls until the condition holds or the time is up.
template <typename Condition>
bool eventually(Condition condition, int timeout_ms = 5000) {
    for (int waited = 0;; waited += 20) {
        if (condition()) return true;
        if (waited >= timeout_ms) return false;
        Sleep(20);
    }
}

struct TextSize {
    int width;
    int height;
};
// The size a text takes in a font, measured here the way a person's screen would show it.
TextSize measure_text(const char* face_name, int points, const char* text);

void click_at(int x, int y, bool right_button = false);
void click_window(HWND window, bool right_button = false);
// Clicks the window as a person would, and again while the condition does not follow within
// wait_ms: a click that a busy machine let go by is given again, three clicks at most. True once
// the condition holds. A condition that shows the click arrived (the focus, a box's new state)
// keeps a slow click from being given twice.
template <typename Condition>
bool click_until(HWND window, Condition done, int wait_ms = 3000) {
    for (int tries = 0; tries < 3; ++tries) {
        click_window(window, false);
        if (eventually(done, wait_ms)) return true;
    }
    return false;
}
void press_key(WORD virtual_key, bool shift = false);
void type_text(const char* text);
void settle(int ms = 300);

// Sets the work area as the given process sees it, through the hook library named by
// NORVANE_WORK_AREA_HOOK (Wine keeps the work area per process).
bool set_remote_work_area(DWORD process_id, RECT area);
// Has the hook inside the process move the work area's bottom edge up and back renderings
// times, waiting each time for the label shown afresh; the renderings that came, or -1.
long send_work_area_request(DWORD process_id, RECT area, long renderings);
// Through the same hook, in a process started hooked: the screen size the process sees from
// now on (0 x 0: the real one), as Wine's screen under a virtual X display keeps its size.
bool set_remote_screen_size(DWORD process_id, int width, int height);
// Through the same hook, in a process started hooked: sleeps and message waits shorter than
// tick_ms last tick_ms in the process, as on a Windows clock (16: the default tick; 0: Wine's
// clock again).
bool set_remote_clock_tick(DWORD process_id, long tick_ms);

// Through the same hook, in a process started hooked: the program's calls that make windows,
// fonts, device contexts, bitmaps and heap blocks are counted afresh, and the one numbered
// fail_call fails once (0: none). The calls counted since the last count began, or -1. A
// process started with NORVANE_FAIL_CALL (kStartFaultVariable) in its environment fails that
// call of its start-up.
long count_remote_calls(DWORD process_id, long fail_call);

// True when a new file can be made in the folder (the probe is removed again).
bool takes_new_files(const std::string& folder);

// A folder made immutable on the host (chattr +i) for its lifetime: its files stay writable, but
// it takes no new entries, also from root.
class ClosedFolder {
public:
    explicit ClosedFolder(const std::string& folder);
    ~ClosedFolder();
    bool closed() const { return closed_; }

private:
    std::string folder_;
    std::string host_folder_;
    bool closed_ = false;
};

