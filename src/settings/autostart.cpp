// Placeholder until this module is built.
#include "settings/autostart.h"

void install_autostart() {}
void remove_autostart() {}
