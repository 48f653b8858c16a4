// "Start automatically": a plain copy of Norvane.exe in the all-users Startup folder.
#pragma once

void install_autostart();
void remove_autostart();
