// Test programs report a fault on their own output and end at once, under every Wine: the
// system's own report goes with starting a debugger, which the test prefixes do not have.
#pragma once

#include <windows.h>

#include <cstdio>

inline LONG WINAPI report_crash(EXCEPTION_POINTERS* exception) {
    const EXCEPTION_RECORD& e = *exception->ExceptionRecord;
    if (e.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && e.NumberParameters >= 2) {
        const char* const kinds[] = {"reading", "writing"};
        std::fprintf(stderr, "crash: page fault %s %p at address %p\n",
                     e.ExceptionInformation[0] < 2 ? kinds[e.ExceptionInformation[0]] : "executing",
                     reinterpret_cast<void*>(e.ExceptionInformation[1]), e.ExceptionAddress);
    } else {
        std::fprintf(stderr, "crash: exception %08lx at address %p\n", static_cast<unsigned long>(e.ExceptionCode),
                     e.ExceptionAddress);
    }
    std::fflush(stderr);
    return EXCEPTION_EXECUTE_HANDLER;
}

inline bool report_crashes() { return SetUnhandledExceptionFilter(report_crash), true; }
