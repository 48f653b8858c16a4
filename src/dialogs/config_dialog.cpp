// Placeholder until this module is built.
#include "dialogs/config_dialog.h"

HWND open_config_dialog() { return 0; }
