// Placeholder until this module is built.
#include "dialogs/about_dialog.h"

HWND open_about_dialog() { return 0; }
