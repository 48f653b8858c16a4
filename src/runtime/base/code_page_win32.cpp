// The system's ANSI code page behind code_page.h. Every 32-bit Windows, Windows 95 included,
// has these calls.
#include <windows.h>

#include "runtime/base/code_page.h"

namespace {
static_assert(sizeof(WCHAR) == sizeof(WideUnit), "a UTF-16 unit is two bytes");

int ansi_to_wide(const char* bytes, int length, WideUnit* wide, int room) {
    return MultiByteToWideChar(CP_ACP, 0, bytes, length, reinterpret_cast<LPWSTR>(wide), room);
}

int wide_to_ansi(const WideUnit* wide, int length, char* bytes, int room) {
    return WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWSTR>(wide), length, bytes, room, 0, 0);
}

bool lead_byte(unsigned char byte) { return IsDBCSLeadByte(byte) != 0; }
}  // namespace

CodePageCalls code_page_calls = {ansi_to_wide, wide_to_ansi, lead_byte};
