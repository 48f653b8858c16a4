// The label keeps to the bottom edge of the work area while the program runs.
#include <gtest/gtest.h>

#include <windows.h>

#include <tlhelp32.h>

#include <cstdlib>
#include <cstring>

#include "driver.h"

namespace {
// Runs a routine in the target process and waits for it.
bool run_remote(HANDLE process, void* routine, void* argument) {
    HANDLE thread = CreateRemoteThread(process, 0, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(routine),
                                       argument, 0, 0);
    if (!thread) return false;
    WaitForSingleObject(thread, 10000);
    CloseHandle(thread);
    return true;
}

// Sets the work area as seen by the Norvane process, through the hook library.
bool set_remote_work_area(DWORD process_id, RECT area) {
    const std::string hook = windows_path(getenv("NORVANE_WORK_AREA_HOOK"));
    HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, process_id);
    if (!process) return false;
    void* memory = VirtualAllocEx(process, 0, 4096, MEM_COMMIT, PAGE_READWRITE);
    WriteProcessMemory(process, memory, hook.c_str(), hook.size() + 1, 0);
    bool ok = run_remote(process, reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA")), memory);
    // The library's base in the target, found by name; the routine sits at the same offset there.
    HMODULE local = LoadLibraryA(hook.c_str());
    char* routine = reinterpret_cast<char*>(GetProcAddress(local, "set_work_area"));
    BYTE* remote_base = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, process_id);
    MODULEENTRY32 module;
    module.dwSize = sizeof module;
    for (BOOL more = Module32First(snapshot, &module); more; more = Module32Next(snapshot, &module))
        if (_stricmp(module.szModule, "work_area_hook.dll") == 0) remote_base = module.modBaseAddr;
    CloseHandle(snapshot);
    ok = ok && remote_base && routine;
    if (ok) {
        WriteProcessMemory(process, memory, &area, sizeof area, 0);
        ok = run_remote(process, remote_base + (routine - reinterpret_cast<char*>(local)), memory);
    }
    FreeLibrary(local);
    VirtualFreeEx(process, memory, 0, MEM_RELEASE);
    CloseHandle(process);
    return ok;
}

RECT rect_of(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return r;
}

TEST(WorkArea, RaisingTheBottomEdgeMovesTheLabelUpAndSideEdgesDoNot) {
    remove_settings();
    NorvaneProcess norvane;
    HWND label = norvane.wait_label();
    ASSERT_TRUE(label);
    RECT area;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    const RECT before = rect_of(label);
    ASSERT_EQ(area.bottom, before.bottom);

    RECT raised = area;
    raised.bottom -= 40;
    ASSERT_TRUE(set_remote_work_area(norvane.id(), raised));
    HWND moved = 0;
    ASSERT_TRUE(eventually([&] {
        moved = norvane.wait_label(100);
        return moved && rect_of(moved).bottom == raised.bottom;
    }, 1000)) << "the label follows within a fraction of a second";
    EXPECT_EQ(before.right, rect_of(moved).right);
    EXPECT_EQ(before.bottom - 40, rect_of(moved).bottom);

    // Only the left and right edges change: the same window stays where it is.
    RECT narrowed = raised;
    narrowed.left += 100;
    narrowed.right -= 100;
    ASSERT_TRUE(set_remote_work_area(norvane.id(), narrowed));
    settle(500);
    EXPECT_TRUE(IsWindow(moved));
    EXPECT_EQ(moved, norvane.wait_label(100));
    EXPECT_EQ(raised.bottom, rect_of(moved).bottom);
}
}  // namespace
