// The Winsock 1.1 layer: start, resolve the local host name, step through its addresses, stop.
#include "identity/network.h"

#include <winsock.h>

namespace {
const int kHostNameBuffer = 255;

struct HostLookup {
    short started;
    hostent entry;  // shallow copy: the address list stays in the system's storage
    char** address_list;
    int address_index;
};

HostLookup lookup;
}  // namespace

int network_start() {
    WSADATA data;
    lookup.started = WSAStartup(MAKEWORD(1, 1), &data) == 0 ? 1 : 0;
    return lookup.started;
}

int lookup_host_addresses() {
    lookup.address_index = 0;
    lookup.address_list = 0;
    char name[kHostNameBuffer + 1] = {};
    if (gethostname(name, kHostNameBuffer) != 0) return 0;
    hostent* host = gethostbyname(name);
    if (!host) return 0;
    lookup.entry = *host;
    if (host->h_addrtype == AF_INET && host->h_length == 4) lookup.address_list = host->h_addr_list;
    return 1;
}

uint32_t next_host_address() {
    if (!lookup.address_list) return 0;
    char* element = lookup.address_list[lookup.address_index++];
    if (!element) {
        lookup.address_list = 0;
        return 0;
    }
    uint32_t address;
    memcpy(&address, element, sizeof(address));
    return address;
}

void network_stop() {
    if (lookup.started == 1) WSACleanup();
    lookup.started = 0;
}
