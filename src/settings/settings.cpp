// Placeholder until this module is built.
#include "app/app_state.h"
#include "settings/settings.h"

void load_settings() { Settings& s = app.settings; s.TransAmount = 100; s.LabelPos = 4; s.ShowComputerName = 1; store_string(&s.FontName, "Arial"); s.FontSize = 8; }
void apply_settings() {}
void save_settings() {}
