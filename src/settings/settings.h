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

void load_settings();
void apply_settings();
void save_settings();
