// AppState: the one application-wide record, zeroed at start-up and alive until the end.
#pragma once

#include "identity/identity.h"
#include "runtime/base/heap.h"
#include "runtime/base/strings.h"
#include "settings/settings.h"

struct WorkArea {
    long left;
    long top;
    long right;
    long bottom;
};

struct AppState {
    HeapHandle heap;
    void* instance;
    String about_text;
    IdentityInfo identity;
    String windows_dir;
    int os_code;
    Settings settings;
    String label_text;
    int label_width;
    int label_height;
    int event;
    int quit;
    WorkArea work_area;
    int work_area_bottom;
    // 1 while the last rendering could not complete, or while start-up has not yet had room
    // for every value the label and the settings file need: the loop tries again.
    int label_due;
    int start_due;
};

extern AppState app;

// The product's web page, opened by the About dialog's link.
extern const char kProductPage[];

void build_about_text();
// Scratch texts for the configuration dialog: " Arial, Size: 8" and "Off" / "55%".
char* font_description(const char* font_name, int font_size);
char* transparency_text(int trans_amount);
