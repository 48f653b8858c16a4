// The ten persisted options as one table: each key with its field in Settings and its default,
// in the file's order. Loading, saving and their tests all walk it.
#pragma once

#include "settings/settings.h"

// A row names either a number field or a text field; the other one is null.
struct SettingRow {
    const char* key;
    int Settings::*number;
    String Settings::*text;
    int default_number;
    const char* default_text;  // null: the empty text
};

enum { kSettingCount = 10 };
extern const SettingRow kSettingRows[kSettingCount];
