// The label window (window 3): placement in a corner, transparency, measuring and rendering.
#pragma once

void place_label_window(int corner);
void apply_transparency(int window_number, int amount);
void render_label();
int measure_text_width(const char* face_name, int size, const char* text);
int measure_font_height(const char* face_name, int size);
int text_metrics_height(void* device_context);
