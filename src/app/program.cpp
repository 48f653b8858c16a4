// Start-up in its fixed order, and the orderly end: the runtime is released in a fixed order
// and the process always exits with code 0.
#include "app/program.h"

#include <commctrl.h>

#include "app/app_state.h"
#include "app/single_label.h"
#include "dialogs/about_dialog.h"
#include "dialogs/config_dialog.h"
#include "dialogs/dialog_layout.h"
#include "identity/identity.h"
#include "identity/ipv4.h"
#include "identity/network.h"
#include "identity/os_family.h"
#include "label/label.h"
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

void init_runtime(HINSTANCE instance) {
    init_drawing();
    object_list_heap = heap_create(kObjectListHeapSize);
    init_fonts();
    init_windows(instance);
    init_gadgets();
    init_images();
    init_menus();
    init_preferences();
    InitCommonControls();
    init_string_scratch();
}

// A failed read keeps the last good area, so the label stays where it was; before the first
// good read the whole screen stands in (a work area is never 0 pixels high).
void read_work_area() {
    RECT r;
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0)) {
        if (app.work_area.bottom) return;
        SetRect(&r, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    }
    app.work_area.left = r.left;
    app.work_area.top = r.top;
    app.work_area.right = r.right;
    app.work_area.bottom = r.bottom;
}

namespace {
void read_identity() {
    store_temp_string(&app.identity.domain_name, read_environment_text("USERDOMAIN"));
    store_temp_string(&app.identity.user_name, read_environment_text("USERNAME"));
    store_temp_string(&app.windows_dir, read_windows_directory());
}

void read_network_address() {
    if (!network_start()) return;
    lookup_host_addresses();
    store_temp_string(&app.identity.ip_address, format_ipv4(next_host_address()));
}
}  // namespace

// The scale is fitted once, each dialog widening it for its own gadgets.
void scale_dialogs() {
    begin_dialog_scale();
    fit_config_dialog();
    fit_about_dialog(app.about_text);
    end_dialog_scale();
}

bool read_start_values() {
    const unsigned long refusals = heap_refusals;
    read_identity();
    if (char* name = read_computer_name(app.os_code)) store_temp_string(&app.identity.computer_name, name);
    if (!app.about_text) build_about_text();
    const bool loaded = load_settings();
    return loaded && heap_refusals == refusals;
}

void build_popup_menu() {
    if (!create_popup_menu(kPopupMenu)) return;
    add_menu_item(kMenuConfig, "Config");
    add_menu_separator();
    add_menu_item(kMenuAbout, "About");
    add_menu_separator();
    add_menu_item(kMenuExit, "Exit");
}

int program_main(HINSTANCE instance, HINSTANCE, char*, int) {
    AppState zero = {};
    app = zero;
    app.instance = instance;
    app.heap = heap_create(kRuntimeHeapSize);
    runtime_heap = app.heap;
    init_runtime(instance);
    // Without its heap or its text buffer the program has nothing to work with.
    if (!app.heap || !scratch_position) end_program();
    // A second start only asks the running program to show its label.
    if (!claim_single_label()) end_program();
    // A value that finds no room below is read again from the loop (read_start_values).
    const unsigned long refusals = heap_refusals;

    read_work_area();
    app.work_area_bottom = app.work_area.bottom;
    read_identity();
    read_network_address();
    build_about_text();
    // The dialogs' scale stays as the system's dialog font gives it now, for the whole run.
    scale_dialogs();
    decode_embedded_image(kLogoImage, logo_bitmap, logo_bitmap_size);
    app.os_code = classify_windows_version();

    char* name = read_computer_name(app.os_code);
    if (!name) end_program();  // the beep has sounded; nothing is shown
    store_temp_string(&app.identity.computer_name, name);

    build_popup_menu();
    app.start_due = !load_settings() || heap_refusals != refusals;
    place_label_window(app.settings.LabelPos);
    render_label();
    main_loop();
    return 0;
}

void shutdown_runtime() {
    close_preferences();
    network_stop();
    free_all_images();
    close_all_windows();
    free_all_fonts();
    heap_destroy(object_list_heap);
    object_list_heap = 0;
}

void end_program() {
    shutdown_runtime();
    heap_destroy(app.heap);
    app.heap = 0;
    runtime_heap = 0;
    ExitProcess(0);
}
