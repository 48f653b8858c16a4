// The small Winsock 1.1 layer that finds the primary IPv4 address: start and stop Winsock,
// resolve the local host name (at once, or in the background with a window message as the
// answer), step through its addresses.
#pragma once

#include <stdint.h>
#include <windows.h>

int network_start();
int lookup_host_addresses();
// Starts resolving the local host name in the background; Winsock posts `message` to `window`
// when it is done, with the request in wParam and the outcome in lParam. 1 when a lookup has
// begun; 0 without a started Winsock, while another lookup is under way, or when it cannot begin.
int begin_host_lookup(HWND window, unsigned message);
// 1 while a lookup is under way whose answer can still come: it was sent to `window` (the
// window may have been re-created since) and began less than `patience` ms ago. Otherwise the
// lookup is given up, and 0 lets the next one begin.
int host_lookup_pending(HWND window, unsigned long patience);
// Takes the answer of the lookup under way: 1 when it resolved, and next_host_address then
// steps through its addresses; 0 when it failed or is an answer no longer waited for.
int finish_host_lookup(uintptr_t request, long outcome);
uint32_t next_host_address();
void network_stop();
