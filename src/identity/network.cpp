// The Winsock 1.1 layer: start, resolve the local host name, step through its addresses, stop.
// WSOCK32.DLL is loaded only here, when the network is probed: a Windows 95 without networking
// has no such library, and a static import of it would keep the program from starting at all.
// Where it is missing, the start fails as a failed Winsock start does, and no address is shown.
// Later lookups run in Winsock's own time and answer with a window message, so the label never
// waits for a resolver; at most one is under way.
#include "identity/network.h"

#include <winsock.h>

#include "runtime/base/system_library.h"

namespace {
const int kHostNameBuffer = 255;

typedef int(PASCAL* WSAStartupFunction)(WORD, WSADATA*);
typedef int(PASCAL* WSACleanupFunction)();
typedef int(PASCAL* GethostnameFunction)(char*, int);
typedef hostent*(PASCAL* GethostbynameFunction)(const char*);
typedef HANDLE(PASCAL* AsyncLookupFunction)(HWND, u_int, const char*, char*, int);
typedef int(PASCAL* CancelLookupFunction)(HANDLE);

struct Winsock {
    WSAStartupFunction startup;
    WSACleanupFunction cleanup;
    GethostnameFunction host_name;
    GethostbynameFunction host_by_name;
    AsyncLookupFunction async_host_by_name;
    CancelLookupFunction cancel_async;
};

struct HostLookup {
    short started;
    hostent entry;  // shallow copy: the address list stays in the system's storage
    char** address_list;
    int address_index;
};

// The asynchronous lookup under way: Winsock's handle for it, the window its answer goes to,
// and when it began. Its answer is written into `answer`, which lives as long as the program.
struct PendingLookup {
    HANDLE request;
    HWND window;
    DWORD started;
};

Winsock winsock;
HostLookup lookup;
PendingLookup pending;
char answer[MAXGETHOSTSTRUCT];

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
    // Only the later lookups need these two; without them the start-up address stays.
    bind_winsock(&found.async_host_by_name, "WSAAsyncGetHostByName");
    bind_winsock(&found.cancel_async, "WSACancelAsyncRequest");
    winsock = found;
    return true;
}
}  // namespace

int network_start() {
    WSADATA data;
    lookup.started = winsock_bound() && winsock.startup(MAKEWORD(1, 1), &data) == 0 ? 1 : 0;
    return lookup.started;
}

namespace {
bool read_host_name(char* name) {
    name[kHostNameBuffer] = 0;
    return winsock.host_name(name, kHostNameBuffer) == 0;
}

// Takes over a host entry found by either lookup: the cursor starts at its first address.
void take_host_entry(const hostent* host) {
    lookup.entry = *host;
    if (host->h_addrtype == AF_INET && host->h_length == 4) lookup.address_list = host->h_addr_list;
}

void forget_pending() {
    PendingLookup none = {};
    pending = none;
}
}  // namespace

int lookup_host_addresses() {
    lookup.address_index = 0;
    lookup.address_list = 0;
    if (lookup.started != 1) return 0;
    char name[kHostNameBuffer + 1];
    if (!read_host_name(name)) return 0;
    hostent* host = winsock.host_by_name(name);
    if (!host) return 0;
    take_host_entry(host);
    return 1;
}

int begin_host_lookup(HWND window, unsigned message) {
    if (lookup.started != 1 || !winsock.async_host_by_name || pending.request || !window) return 0;
    char name[kHostNameBuffer + 1];
    if (!read_host_name(name)) return 0;
    // Winsock copies the name before it returns.
    pending.request = winsock.async_host_by_name(window, message, name, answer, sizeof answer);
    if (!pending.request) return 0;
    pending.window = window;
    pending.started = GetTickCount();
    return 1;
}

int host_lookup_pending(HWND window, unsigned long patience) {
    if (!pending.request) return 0;
    // An answer to a window that is gone never comes; nor does one that Winsock has lost.
    if (pending.window == window && GetTickCount() - pending.started < patience) return 1;
    if (winsock.cancel_async) winsock.cancel_async(pending.request);
    forget_pending();
    return 0;
}

int finish_host_lookup(uintptr_t request, long outcome) {
    if (!pending.request || reinterpret_cast<uintptr_t>(pending.request) != request) return 0;  // an answer given up on
    forget_pending();
    lookup.address_index = 0;
    lookup.address_list = 0;
    if (WSAGETASYNCERROR(outcome) != 0) return 0;
    take_host_entry(reinterpret_cast<const hostent*>(answer));
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
    host_lookup_pending(0, 0);
    if (lookup.started == 1) winsock.cleanup();
    lookup.started = 0;
}
