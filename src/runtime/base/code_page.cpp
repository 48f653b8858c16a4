// Cutting texts between characters of the ANSI code page (see code_page.h).
#include "runtime/base/code_page.h"

unsigned whole_characters(const char* text, unsigned length) {
    if (!text || !code_page_calls.is_lead_byte) return length;
    // A trail byte can look like a lead byte, so characters are only told apart from the start.
    unsigned at = 0;
    while (at < length) {
        if (!code_page_calls.is_lead_byte(static_cast<unsigned char>(text[at]))) {
            ++at;
        } else if (at + 1 == length) {
            break;
        } else {
            at += text[at + 1] ? 2 : 1;
        }
    }
    return at;
}
