// Dotted decimal text of an IPv4 address as it lies in memory (first byte lowest).
#pragma once

#include <stdint.h>

// Writes into the string scratch buffer and returns the text's start.
char* format_ipv4(uint32_t address);
