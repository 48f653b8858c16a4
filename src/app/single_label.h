// One label per logon session: a second start asks the running program to show its label anew
// and ends.
#pragma once

#include <windows.h>

// The message by which a second start asks the running program to place and render its label
// anew; 0 where it could not be registered.
extern UINT show_label_message;

// Claims the session's one label. false when another start holds it (this one or any other
// version of the program, under any file name): the running program has then been asked to
// show its label, and this start is to end.
bool claim_single_label();
