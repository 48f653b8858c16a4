// The application state record and the texts built from it.
#include "app/app_state.h"

AppState app;

const char kProductPage[] = "http://www.example.org/software/norvane/";

void build_about_text() {
    char* start = append_text("Helps to quickly identify the current\n");
    append_text("computer at a glance.  Helpful in\n");
    append_text("multi-computer setups where one monitor\n");
    append_text("might be connected to a KVM switch.\n");
    append_text(" \n");
    // One line that fits the About dialog's text box without wrapping.
    append_text("Norvane team, norvane@example.org");
    store_temp_string(&app.about_text, start);
}

char* font_description(const char* font_name, int font_size) {
    char* start = append_text(" ");
    append_text(font_name);
    append_text(", Size: ");
    number_text(font_size);
    return start;
}

char* transparency_text(int trans_amount) {
    if (trans_amount >= 100) return append_text("Off");
    char* start = number_text(trans_amount);
    append_text("%");
    return start;
}
