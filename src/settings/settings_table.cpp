// The ten persisted options, their fields and their defaults, in the order of the file.
#include "settings/settings_table.h"

const SettingRow kSettingRows[kSettingCount] = {
    {"TransAmount", &Settings::TransAmount, 0, 100, 0},
    {"AutoStart", &Settings::AutoStart, 0, 0, 0},
    {"LabelPos", &Settings::LabelPos, 0, 4, 0},
    {"ShowComputerName", &Settings::ShowComputerName, 0, 1, 0},
    {"ShowDomainName", &Settings::ShowDomainName, 0, 0, 0},
    {"ShowUserID", &Settings::ShowUserID, 0, 0, 0},
    {"ShowIP", &Settings::ShowIP, 0, 0, 0},
    {"AddToDisplay", 0, &Settings::AddToDisplay, 0, 0},
    {"FontName", 0, &Settings::FontName, 0, "Arial"},
    {"FontSize", &Settings::FontSize, 0, 8, 0},
};
