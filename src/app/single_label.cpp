// One label per logon session. The first start holds a named mutex for its whole life; the
// system frees it with the process, however that ends. A plain name lives in the session's own
// namespace where the system has sessions (Terminal Services, fast user switching, Remote
// Desktop) and in the machine's one namespace on Windows 95, 98, Me and NT 4. Earlier versions
// of the program made no mutex, so their label window counts as well.
#include "app/single_label.h"

namespace {
const char kLabelMutex[] = "Norvane.Label";
const char kShowLabel[] = "Norvane.ShowLabel";
// The label window's class and title: window number 3's class, as every version has named it.
const char kLabelClass[] = "WindowClass_3";
const char kLabelTitle[] = "Norvane";

HANDLE label_mutex;  // held until the process ends
}  // namespace

UINT show_label_message;

bool claim_single_label() {
    show_label_message = RegisterWindowMessageA(kShowLabel);
    label_mutex = CreateMutexA(0, FALSE, kLabelMutex);
    const bool held_elsewhere = label_mutex && GetLastError() == ERROR_ALREADY_EXISTS;
    // A start that is still on its way to its label renders it anyway; a running one is asked
    // to, so that starting the program again brings back a label that was covered or lost.
    HWND running = FindWindowA(kLabelClass, kLabelTitle);
    if (!held_elsewhere && !running) return true;
    if (running && show_label_message) PostMessageA(running, show_label_message, 0, 0);
    return false;
}
