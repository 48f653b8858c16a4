// A single-byte code page for the host build (each byte is the UTF-16 unit of the same value,
// others become "?"); tests put other code pages in its place.
#include "runtime/base/code_page.h"

namespace {
int latin1_to_wide(const char* bytes, int length, WideUnit* wide, int room) {
    if (!room) return length;
    if (room < length) return 0;
    for (int i = 0; i < length; ++i) wide[i] = static_cast<unsigned char>(bytes[i]);
    return length;
}

int wide_to_latin1(const WideUnit* wide, int length, char* bytes, int room) {
    if (!room) return length;
    if (room < length) return 0;
    for (int i = 0; i < length; ++i) bytes[i] = wide[i] < 0x100 ? static_cast<char>(wide[i]) : '?';
    return length;
}

bool no_lead_bytes(unsigned char) { return false; }
}  // namespace

CodePageCalls code_page_calls = {latin1_to_wide, wide_to_latin1, no_lead_bytes};
