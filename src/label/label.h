// The label window (window 3): placement in a corner, transparency, measuring and rendering.
#pragma once

// False when the window, its text gadget or its font could not be made.
bool place_label_window(int corner);
void apply_transparency(int window_number, int amount);
// Composes, measures, places and fills the label. False (and app.label_due set) when the
// rendering could not complete for want of room; the label shown before then stays if it can.
bool render_label();
int measure_text_width(const char* face_name, int size, const char* text);
int measure_font_height(const char* face_name, int size);
int text_metrics_height(void* device_context);
