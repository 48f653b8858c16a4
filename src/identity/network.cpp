// The Winsock 1.1 layer: start, resolve the local host name, step through its addresses, stop.
// WSOCK32.DLL is loaded only here, when the network is probed: a Windows 95 without networking
// has no such library, and a static import of it would keep the program from starting at all.
// Where it is missing, the start fails as a failed Winsock start does, and no address is shown.
#include "identity/network.h"

#include <winsock.h>

#include "runtime/base/system_library.h"

namespace {
const int kHostNameBuffer = 255;

typedef int(PASCAL* WSAStartupFunction)(WORD, WSADATA*);
typedef int(PASCAL* WSACleanupFunction)();
typedef int(PASCAL* GethostnameFunction)(char*, int);
typedef hostent*(PASCAL* GethostbynameFunction)(const char*);

struct Winsock {
    WSAStartupFunction startup;
    WSACleanupFunction cleanup;
    GethostnameFunction host_name;
    GethostbynameFunction host_by_name;
};

struct HostLookup {
    short started;
    hostent entry;  // shallow copy: the address list stays in the system's storage
    char** address_list;
    int address_index;
};

Winsock winsock;
HostLookup lookup;

template <typename Function>
bool bind_winsock(Function* function, const char* name) {
    *function = system_function_as<Function>("wsock32.dll", name);
    return *function != 0;
}

// All four functions or none: a partial library counts as missing.
bool winsock_bound() {
    if (winsock.startup) return true;
    Winsock found = {};
    if (!bind_winsock(&found.startup, "WSAStartup") || !bind_winsock(&found.cleanup, "WSACleanup") ||
        !bind_winsock(&found.host_name, "gethostname") || !bind_winsock(&found.host_by_name, "gethostbyname"))
        return false;
    winsock = found;
    return true;
}
}  // namespace

int network_start() {
    WSADATA data;
    lookup.started = winsock_bound() && winsock.startup(MAKEWORD(1, 1), &data) == 0 ? 1 : 0;
    return lookup.started;
}

int lookup_host_addresses() {
    lookup.address_index = 0;
    lookup.address_list = 0;
    if (lookup.started != 1) return 0;
    char name[kHostNameBuffer + 1] = {};
    if (winsock.host_name(name, kHostNameBuffer) != 0) return 0;
    hostent* host = winsock.host_by_name(name);
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
    if (lookup.started == 1) winsock.cleanup();
    lookup.started = 0;
}
