// Dotted decimal text of an IPv4 address.
#include "identity/ipv4.h"

#include "runtime/base/strings.h"

char* format_ipv4(uint32_t address) {
    char* start = number_text(address & 0xff);
    for (int shift = 8; shift < 32; shift += 8) {
        append_text(".");
        number_text((address >> shift) & 0xff);
    }
    return start;
}
