// What the label says (see label_text.h). The label's size is its text's size, so the spaces
// added at both ends are its only margins.
#include "label/label_text.h"

namespace {
// A display option counts only when it is exactly 1; 0, 2 or -1 from the file all mean "hide".
bool shown(int option) { return option == 1; }

bool is_empty(const char* text) { return strings_equal(text, "") == 1; }
}  // namespace

char* compose_label_text(const Settings& settings, const IdentityInfo& identity) {
    // The opening space goes first; it is taken back when nothing follows it.
    char* start = append_text(" ");
    char* body = scratch_position;
    // The custom text comes first, exactly as typed, and brings its own separating space.
    if (!is_empty(settings.AddToDisplay)) {
        append_text(settings.AddToDisplay);
        append_text(" ");
    }
    if (shown(settings.ShowComputerName)) append_text(identity.computer_name);
    const bool domain = shown(settings.ShowDomainName);
    const bool user = shown(settings.ShowUserID);
    if (domain || user) {
        append_text(" <");
        if (domain) append_text(identity.domain_name);
        if (domain && user) append_text("\\");
        if (user) append_text(identity.user_name);
        append_text(">");
    }
    if (shown(settings.ShowIP)) {
        append_text(" ");
        append_text(identity.ip_address);
    }
    if (scratch_position == body) {
        scratch_rewind(start);
        return append_text("Please select display options...");
    }
    append_text(" ");
    return start;
}
