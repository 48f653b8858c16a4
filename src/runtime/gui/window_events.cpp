// Numbered top-level windows and the event poll. Each window gets a class of its own
// ("WindowClass_" and its number) registered from one template, and two accelerators that turn
// Tab and Shift+Tab into focus commands. wait_event hands at most one queued message per call
// to the window procedure and returns the event that it left pending, or the message's number;
// an event left pending from outside goes first, and the message's number follows on the next call.
#include "runtime/gui/window_events.h"

#include "runtime/base/heap.h"
#include "runtime/gui/window_flags.h"
#include "runtime/gui/window_procedure.h"

EventState event_state;
ObjectTable window_table;

namespace {
const int kWindowTableCapacity = 10;
const int kWindowTableGrowth = 30;
const int kAcceleratorCount = 2;
const WORD kProgramIcon = 1;
const char kClassPrefix[] = "WindowClass_";

// Every class comes from this template, with the program's small icon loaded once: without
// one the system makes a copy of the large icon at every registration, and Wine keeps each
// copy after the class is gone, so a label re-created on every rendering would grow the
// process by about 90 bytes each time. Where the system has no small icons (before Windows 95
// and NT 4) the plain registration is used.
WNDCLASSEXA class_template;
typedef ATOM(WINAPI* RegisterClassExProc)(const WNDCLASSEXA*);
typedef HANDLE(WINAPI* LoadImageProc)(HINSTANCE, LPCSTR, UINT, int, int, UINT);
RegisterClassExProc register_class_ex;
char class_name[50];
ObjectNumber current_window;
HWND last_opened;
HINSTANCE module;
// What a lookup of a number without a window yields: handle 0, no accelerators.
WindowRecord empty_record;

// A message whose number is still owed to the caller because an earlier event took its turn.
struct DeferredMessage {
    bool waiting;
    int number;
    WPARAM wparam;
    LPARAM lparam;
} deferred;

void register_window_class() {
    if (register_class_ex && class_template.hIconSm) {
        register_class_ex(&class_template);
        return;
    }
    // The plain record is filled member by member: the two records only share a layout where
    // pointers are four bytes, and on 64-bit Windows the extended one has padding after its size.
    WNDCLASSA plain = {};
    plain.style = class_template.style;
    plain.lpfnWndProc = class_template.lpfnWndProc;
    plain.cbClsExtra = class_template.cbClsExtra;
    plain.cbWndExtra = class_template.cbWndExtra;
    plain.hInstance = class_template.hInstance;
    plain.hIcon = class_template.hIcon;
    plain.hCursor = class_template.hCursor;
    plain.hbrBackground = class_template.hbrBackground;
    plain.lpszMenuName = class_template.lpszMenuName;
    plain.lpszClassName = class_template.lpszClassName;
    RegisterClassA(&plain);
}

void defer_message(const MSG& message) {
    deferred.waiting = true;
    deferred.number = static_cast<int>(message.message);
    deferred.wparam = message.wParam;
    deferred.lparam = message.lParam;
}

// The class name of a window number: the prefix, then the number in decimal. Numbers handed
// out for ANY_NUMBER are addresses, so the whole pointer width is written.
void format_class_name(ObjectNumber number) {
    char* out = class_name;
    for (const char* p = kClassPrefix; *p; ++p) *out++ = *p;
    // Pointer-wide, and no wider: a 64-bit division would pull the compiler's own routines in.
    uintptr_t magnitude = number < 0 ? 0 - static_cast<uintptr_t>(number) : static_cast<uintptr_t>(number);
    if (number < 0) *out++ = '-';
    char digits[24];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    while (count) *out++ = digits[--count];
    *out = 0;
}

WindowRecord* open_record(ObjectNumber number) {
    return static_cast<WindowRecord*>(find_object(&window_table, number));
}

// The open window's record, or the empty record.
const WindowRecord* lookup(ObjectNumber number) {
    WindowRecord* record = open_record(number);
    return record ? record : &empty_record;
}

// The record of an open window by its handle: ANY_NUMBER records first, then numbers upwards.
// Free slots never match, not even a null handle.
WindowRecord* record_of_handle(HWND handle, ObjectNumber* number) {
    if (!handle) return 0;
    for (ListNode* node = window_table.any_list; node; node = node->next) {
        WindowRecord* record = static_cast<WindowRecord*>(list_record(node));
        if (record->handle == handle) {
            *number = record_number(&window_table, record);
            return record;
        }
    }
    for (int n = 0; n < window_table.capacity; ++n) {
        WindowRecord* record = reinterpret_cast<WindowRecord*>(window_table.slots) + n;
        if (record->handle == handle) {
            *number = n;
            return record;
        }
    }
    return 0;
}

// Client size plus the frame that the style adds, kept within range.
int outer_size(int client, int frame) {
    long long size = static_cast<long long>(client) + frame;
    if (size > 0x7fffffffLL) return 0x7fffffff;
    if (size < -0x7fffffffLL) return -0x7fffffff;
    return static_cast<int>(size);
}

void centre_window(CentringMode mode, int width, int height, int* x, int* y) {
    HWND active = mode == CentreActiveWindow ? GetActiveWindow() : 0;
    RECT area;
    if (active && GetWindowRect(active, &area)) {
        *x = centre_over(area.left, area.right, width);
        *y = centre_over(area.top, area.bottom, height);
    } else {
        *x = centre_on_screen(width, GetSystemMetrics(SM_CXSCREEN));
        *y = centre_on_screen(height, GetSystemMetrics(SM_CYSCREEN));
    }
}

// Tab and Shift+Tab become the focus commands of the window procedure.
void give_accelerators(WindowRecord* record) {
    ACCEL* entries = static_cast<ACCEL*>(heap_alloc(runtime_heap, sizeof(ACCEL) * kAcceleratorCount, false));
    if (!entries) return;
    entries[0].fVirt = FVIRTKEY | FNOINVERT;
    entries[0].key = VK_TAB;
    entries[0].cmd = FocusNext;
    entries[1].fVirt = FVIRTKEY | FNOINVERT | FSHIFT;
    entries[1].key = VK_TAB;
    entries[1].cmd = FocusPrevious;
    record->accelerator_count = kAcceleratorCount;
    record->accelerator_entries = entries;
    record->accelerator_table = CreateAcceleratorTableA(entries, kAcceleratorCount);
}

// The window procedure may run inside any platform call, so a record is looked up afresh
// after each one instead of being held across it.
WindowRecord* slot_of(ObjectNumber number, bool listed) {
    return listed ? reinterpret_cast<WindowRecord*>(number) : static_cast<WindowRecord*>(reserve_slot(&window_table, number));
}
}  // namespace

void init_windows(HINSTANCE instance) {
    ObjectTable zero_table = {};
    window_table = zero_table;
    EventState zero_state = {};
    event_state = zero_state;
    WindowRecord zero_record = {};
    empty_record = zero_record;
    DeferredMessage none = {};
    deferred = none;
    current_window = 0;
    last_opened = 0;
    module = instance;
    init_object_table(&window_table, sizeof(WindowRecord), kWindowTableCapacity, kWindowTableGrowth);

    WNDCLASSEXA zero_class = {};
    class_template = zero_class;
    class_template.cbSize = sizeof class_template;
    class_template.style = CS_DBLCLKS;
    class_template.lpfnWndProc = window_procedure;
    class_template.hInstance = instance;
    class_template.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(kProgramIcon));
    class_template.hCursor = LoadCursorA(0, IDC_ARROW);
    class_template.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    class_template.lpszClassName = "TemplateClass";
    HMODULE user = GetModuleHandleA("USER32");
    register_class_ex = reinterpret_cast<RegisterClassExProc>(
        reinterpret_cast<void*>(GetProcAddress(user, "RegisterClassExA")));
    LoadImageProc load_image = reinterpret_cast<LoadImageProc>(reinterpret_cast<void*>(GetProcAddress(user, "LoadImageA")));
    class_template.hIconSm = load_image ? static_cast<HICON>(load_image(instance, MAKEINTRESOURCEA(kProgramIcon), IMAGE_ICON,
                                                            GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                            LR_SHARED))
                            : 0;
    register_window_class();
    // From now on every registration takes its name from the buffer.
    class_template.lpszClassName = class_name;
}

HINSTANCE runtime_instance() { return module; }

ObjectNumber open_window(ObjectNumber number, int x, int y, int width, int height, unsigned long flags, const char* title) {
    WindowRecord* record = static_cast<WindowRecord*>(reserve_slot(&window_table, number));
    if (!record) return 0;
    const bool listed = number == ANY_NUMBER;
    if (listed) {
        number = record_number(&window_table, record);
    } else {
        close_window(number);  // re-opening a number always gives a fresh window
    }
    current_window = number;
    format_class_name(number);
    register_window_class();  // an existing class of this name came from the same template

    const WindowStyleChoice choice = translate_window_flags(flags);
    RECT frame = {0, 0, 0, 0};
    AdjustWindowRect(&frame, choice.style, FALSE);
    const int outer_width = outer_size(width, frame.right - frame.left);
    const int outer_height = outer_size(height, frame.bottom - frame.top);
    if (choice.centring != CentreNone) centre_window(choice.centring, outer_width, outer_height, &x, &y);

    HWND handle = CreateWindowExA(0, class_name, title, choice.style, x, y, outer_width, outer_height, 0, 0, module, 0);
    if (!handle) {
        if (listed) release_slot(&window_table, number);  // no empty record is left on the list
        return 0;
    }
    slot_of(number, listed)->handle = handle;
    last_opened = handle;
    if (choice.maximize) ShowWindow(handle, SW_MAXIMIZE);
    give_accelerators(slot_of(number, listed));
    return listed ? number : reinterpret_cast<ObjectNumber>(handle);
}

void close_window(ObjectNumber number) {
    current_window = number;
    WindowRecord* record = open_record(number);
    if (!record) return;
    HWND handle = record->handle;
    HWND owner = GetWindow(handle, GW_OWNER);
    if (owner) SetActiveWindow(owner);
    DestroyWindow(handle);  // its gadgets go with it and free their own numbers
    format_class_name(number);
    UnregisterClassA(class_name, module);

    record = open_record(number);
    if (!record) return;
    if (record->accelerator_count) {
        heap_free(runtime_heap, record->accelerator_entries);
        DestroyAcceleratorTable(record->accelerator_table);
    }
    record->accelerator_count = 0;
    record->accelerator_entries = 0;
    record->accelerator_table = 0;
    release_slot(&window_table, number);
}

void close_all_windows() {
    ListNode* node = window_table.any_list;
    while (node) {
        ListNode* next = node->next;
        close_window(record_number(&window_table, list_record(node)));
        node = next;
    }
    for (int n = window_table.capacity - 1; n >= 0; --n) close_window(n);
}

HWND window_handle(ObjectNumber number) { return lookup(number)->handle; }

HWND last_window_handle() { return last_opened; }

void hide_window(ObjectNumber number, int state) {
    HWND handle = lookup(number)->handle;
    if (state == 0) {
        ShowWindow(handle, SW_SHOWNORMAL);
        return;
    }
    HWND owner = GetWindow(handle, GW_OWNER);
    if (owner) SetActiveWindow(owner);
    ShowWindow(handle, SW_HIDE);
}

int wait_event() {
    event_state.event_type = -1;
    if (deferred.waiting) {
        deferred.waiting = false;
        event_state.wparam = deferred.wparam;
        event_state.lparam = deferred.lparam;
        return deferred.number;
    }
    MSG* message = &event_state.queued_message;
    if (!PeekMessageA(message, 0, 0, 0, PM_REMOVE)) return 0;
    // An event stored outside this message's own handling: earlier, or while the message was
    // retrieved (a click on another window moves the activation and the focus first).
    const int earlier = event_state.pending_event;
    const HWND earlier_window = event_state.event_window_handle;
    const int earlier_object = event_state.event_object;
    event_state.pending_event = 0;

    HWND active = GetActiveWindow();
    ObjectNumber number;
    WindowRecord* record = record_of_handle(active, &number);
    HACCEL accelerators = record ? record->accelerator_table : 0;
    // A translated key has already been sent to the active window as a focus command.
    if (!accelerators || !TranslateAcceleratorA(active, accelerators, message)) {
        TranslateMessage(message);
        DispatchMessageA(message);
    }

    int result = event_state.pending_event;
    if (result == 0 && earlier) {
        // The earlier event comes first and the message's own number on the next call, so
        // that a right click arriving together with a focus report still opens the menu.
        defer_message(*message);
        event_state.event_window_handle = earlier_window;
        event_state.event_object = earlier_object;
        result = earlier;
    } else if (result == 0) {
        result = static_cast<int>(message->message);
        event_state.wparam = message->wParam;
        event_state.lparam = message->lParam;
    }
    event_state.pending_event = 0;
    return result;
}

ObjectNumber event_window() {
    ObjectNumber number = -1;
    record_of_handle(event_state.event_window_handle, &number);
    return number;
}

int event_gadget() { return event_state.event_object; }

int event_menu_item() { return event_state.event_object; }
