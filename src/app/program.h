// Start-up, the main loop and the one orderly end of the process.
#pragma once

#include <windows.h>

// The runtime's modules in their start-up order; the runtime heap must exist.
void init_runtime(HINSTANCE instance);
int program_main(HINSTANCE instance, HINSTANCE previous, char* command_line, int show);
void main_loop();
// Reads the desktop work area into AppState.
void read_work_area();
// The label's popup menu: Config, About and Exit, with a separator between each two.
void build_popup_menu();
// Fits the dialogs' scale to the system's dialog font and each dialog's gadgets.
void scale_dialogs();
// Reads again what start-up takes into AppState and needs room for: the identity texts, the
// Windows directory, the About text and the settings. False while some still find none.
bool read_start_values();
void fill_config_dialog();
void shutdown_runtime();
void end_program();
