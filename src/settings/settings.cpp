// The ten persisted options: loaded from Norvane.ini in the Windows directory at start-up,
// taken over from the configuration dialog on apply, and written back whole on save.
#include "settings/settings.h"

#include "app/app_state.h"
#include "dialogs/config_dialog.h"
#include "label/label.h"
#include "resource.h"
#include "runtime/gui/gadgets.h"
#include "settings/autostart.h"
#include "settings/preferences.h"

namespace {
const char kSettingsFileName[] = "\\Norvane.ini";

// The path is built afresh each time, so a changed Windows directory is followed.
char* settings_path() {
    char* start = append_text(app.windows_dir);
    append_text(kSettingsFileName);
    return scratch_argument(start);
}
}  // namespace

void load_settings() {
    char* path = settings_path();
    open_preferences(path);
    scratch_rewind(path);
    Settings& s = app.settings;
    s.TransAmount = read_preference_number("TransAmount", 100);
    s.AutoStart = read_preference_number("AutoStart", 0);
    s.LabelPos = read_preference_number("LabelPos", 4);
    s.ShowComputerName = read_preference_number("ShowComputerName", 1);
    s.ShowDomainName = read_preference_number("ShowDomainName", 0);
    s.ShowUserID = read_preference_number("ShowUserID", 0);
    s.ShowIP = read_preference_number("ShowIP", 0);
    store_temp_string(&s.AddToDisplay, read_preference_text("AddToDisplay", 0));
    store_temp_string(&s.FontName, read_preference_text("FontName", "Arial"));
    s.FontSize = read_preference_number("FontSize", 8);
    close_preferences();
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
    char* path = settings_path();
    create_preferences(path);
    scratch_rewind(path);
    const Settings& s = app.settings;
    write_preference_number("TransAmount", s.TransAmount);
    write_preference_number("AutoStart", s.AutoStart);
    write_preference_number("LabelPos", s.LabelPos);
    write_preference_number("ShowComputerName", s.ShowComputerName);
    write_preference_number("ShowDomainName", s.ShowDomainName);
    write_preference_number("ShowUserID", s.ShowUserID);
    write_preference_number("ShowIP", s.ShowIP);
    write_preference_text("AddToDisplay", s.AddToDisplay);
    write_preference_text("FontName", s.FontName);
    write_preference_number("FontSize", s.FontSize);
    close_preferences();
}
