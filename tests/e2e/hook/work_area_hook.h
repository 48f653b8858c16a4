// What the end-to-end driver and the work-area hook inside the program share: the names of a
// mapping that holds the request and of two events, one set of each per process.
#pragma once

#include <windows.h>

#include <stdio.h>

enum WorkAreaName { WorkAreaMapping, WorkAreaRequest, WorkAreaDone };

// What a request asks of the hook. Besides the work area it can stand in for two things of a
// real desktop that Wine under a virtual X display does not show: a screen that changes its
// size, and the clock tick that rounds short sleeps up. Both redirect the program's own imports.
enum HookRequest { HookWorkArea, HookScreenSize, HookClockTick, HookFault };

// The mapping's content. With renderings 0 the area is set once. Otherwise the area's bottom
// edge is moved up and back that many times, each time waiting until the program shows its
// label window afresh on the new edge, all inside the program, so that what is measured there
// is the program's own road and not the driver's traffic; rendered says how many came.
struct WorkAreaRequestData {
    RECT area;
    long renderings;
    long rendered;
    HookRequest request;
    // HookScreenSize: the screen size the program is to see (0 x 0: the real one again).
    SIZE screen;
    // HookClockTick: the shortest sleep or message wait the program is to get, in ms, as a
    // Windows clock tick makes 1 ms last about 16 (0: Wine's own clock again).
    long clock_tick;
    // HookFault: the program's calls that make windows, fonts, device contexts, bitmaps and heap
    // blocks are counted afresh from now, and the one of this number fails once, as on a system
    // out of room (0: none). The answer, in rendered, is how many came since the last count
    // began (at the library's loading, or the last HookFault request).
    long fail_call;
};

// A fault for start-up: the variable of this name in the program's environment holds the
// number of the counted call to fail, counted from the library's loading.
const char kStartFaultVariable[] = "NORVANE_FAIL_CALL";

inline void work_area_name(WorkAreaName which, DWORD process_id, char (&name)[64]) {
    static const char* const kinds[] = {"Mapping", "Request", "Done"};
    sprintf(name, "NorvaneTestWorkArea%s-%lu", kinds[which], static_cast<unsigned long>(process_id));
}
