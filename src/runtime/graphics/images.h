// Numbered images (bitmaps or icons): created black, decoded from bitmap or icon files held in
// memory, used as drawing surfaces.
#pragma once

#include <windows.h>

#include "runtime/graphics/drawing.h"
#include "runtime/gui/object_table.h"

extern ObjectTable image_table;

void init_images();
ObjectNumber create_image(ObjectNumber number, int width, int height);
ObjectNumber decode_embedded_image(ObjectNumber number, const void* data);
HANDLE image_handle(ObjectNumber number);
OutputTarget* image_output();
void end_image_drawing();
void free_image(ObjectNumber number);
void free_all_images();

// The logo bitmap file stored in the program's data.
extern const unsigned char logo_bitmap[];
extern const unsigned long logo_bitmap_size;
