// Loaded into a running Norvane.exe by the end-to-end driver: sets that process's view of the
// desktop work area. Wine keeps the work area per process, so another process cannot move the
// task bar edge for it the way the system's shell does on Windows.
#include <windows.h>

extern "C" __declspec(dllexport) DWORD WINAPI set_work_area(void* rect) {
    return SystemParametersInfoA(SPI_SETWORKAREA, 0, rect, SPIF_SENDCHANGE);
}
