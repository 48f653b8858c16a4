// Loaded into a running Norvane.exe by the end-to-end driver: sets that process's view of the
// desktop work area. Wine keeps the work area per process, so another process cannot move the
// task bar edge for it the way the system's shell does on Windows.
#include <windows.h>

// No change notice is broadcast: the program reads the work area on every turn of its loop,
// and a broadcast sent from this thread waits on every top-level window, the program's own
// among them while it re-creates them; under load that stalled the benchmark (seen twice).
extern "C" __declspec(dllexport) DWORD WINAPI set_work_area(void* rect) {
    return SystemParametersInfoA(SPI_SETWORKAREA, 0, rect, 0);
}
