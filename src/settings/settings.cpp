// The ten persisted options: loaded from Norvane.ini in the Windows directory at start-up,
// taken over from the configuration dialog on apply, and written back whole on save.
#include "settings/settings.h"

#include "app/app_state.h"
#include "dialogs/config_dialog.h"
#include "label/label.h"
#include "resource.h"
#include "runtime/base/heap.h"
#include "runtime/gui/gadgets.h"
#include "settings/autostart.h"
#include "settings/preferences.h"
#include "settings/settings_table.h"

namespace {
const char kSettingsFileName[] = "\\Norvane.ini";

// The path is built afresh each time, so a changed Windows directory is followed.
char* settings_path() {
    char* start = append_text(app.windows_dir);
    append_text(kSettingsFileName);
    return scratch_argument(start);
}
}  // namespace

bool load_settings() {
    // Without the Windows directory the path would lead to another file.
    if (!app.windows_dir) return false;
    const unsigned long refusals = heap_refusals;
    char* path = settings_path();
    open_preferences(path);
    scratch_rewind(path);
    Settings& s = app.settings;
    for (const SettingRow& row : kSettingRows) {
        if (row.text) store_temp_string(&(s.*row.text), read_preference_text(row.key, row.default_text));
        else s.*row.number = read_preference_number(row.key, row.default_number);
    }
    close_preferences();
    return heap_refusals == refusals;
}

void apply_settings() {
    Settings& s = app.settings;
    s.ShowComputerName = get_gadget_state(kGadgetShowComputerName);
    s.ShowDomainName = get_gadget_state(kGadgetShowDomainName);
    s.ShowUserID = get_gadget_state(kGadgetShowUserID);
    s.ShowIP = get_gadget_state(kGadgetShowIP);
    s.AutoStart = get_gadget_state(kGadgetAutoStart);
    store_temp_string(&s.AddToDisplay, get_gadget_text(kGadgetCustomText));
    if (s.AutoStart == 1) install_autostart(); else remove_autostart();
    if (s.TransAmount < 100) apply_transparency(kLabelWindow, s.TransAmount);
    else place_label_window(s.LabelPos);
    render_label();
    set_gadget_focus(kGadgetOuterFrame);
}

void save_settings() {
    // Settings that were never read whole from the file are not written over it.
    if (app.start_due) return;
    char* path = settings_path();
    create_preferences(path);
    scratch_rewind(path);
    const Settings& s = app.settings;
    for (const SettingRow& row : kSettingRows) {
        if (row.text) write_preference_text(row.key, s.*row.text);
        else write_preference_number(row.key, s.*row.number);
    }
    close_preferences();
}
