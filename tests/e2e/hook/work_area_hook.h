// What the end-to-end driver and the work-area hook inside the program share: the names of a
// mapping that holds the request and of two events, one set of each per process.
#pragma once

#include <windows.h>

#include <stdio.h>

enum WorkAreaName { WorkAreaMapping, WorkAreaRequest, WorkAreaDone };

// The mapping's content. With renderings 0 the area is set once. Otherwise the area's bottom
// edge is moved up and back that many times, each time waiting until the program shows its
// label window afresh on the new edge, all inside the program, so that what is measured there
// is the program's own road and not the driver's traffic; rendered says how many came.
struct WorkAreaRequestData {
    RECT area;
    long renderings;
    long rendered;
};

inline void work_area_name(WorkAreaName which, DWORD process_id, char (&name)[64]) {
    static const char* const kinds[] = {"Mapping", "Request", "Done"};
    sprintf(name, "NorvaneTestWorkArea%s-%lu", kinds[which], static_cast<unsigned long>(process_id));
}
