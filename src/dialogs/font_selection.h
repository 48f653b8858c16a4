// The label font chosen with the system's font requester; the program's other windows are
// disabled while it is open.
#pragma once

int choose_font(const char* name, int size, unsigned long flags, long colour = -1);
char* selected_font_name();
int selected_font_size();
void disable_thread_windows();
void enable_thread_windows();
