// The ten persisted options and their load, apply and save through the preferences file
// Norvane.ini in the Windows directory; their keys and defaults are in settings_table.h.
#pragma once

#include "runtime/base/strings.h"

// Fields bear the names of their keys; the order is the file's order.
struct Settings {
    int TransAmount;
    int AutoStart;
    int LabelPos;
    int ShowComputerName;
    int ShowDomainName;
    int ShowUserID;
    int ShowIP;
    String AddToDisplay;
    String FontName;
    int FontSize;
};

// False when the file, or a text of it, could not be taken for want of room (or the Windows
// directory is not known yet): the fields not taken keep what they held.
bool load_settings();
void apply_settings();
void save_settings();
