// The small Winsock 1.1 layer that finds the primary IPv4 address: start and stop Winsock,
// resolve the local host name, step through its addresses.
#pragma once

#include <stdint.h>

int network_start();
int lookup_host_addresses();
uint32_t next_host_address();
void network_stop();
