// Numbered images (bitmaps or icons): created black, decoded from bitmap or icon files held in
// memory, used as drawing surfaces.
#pragma once

#include <windows.h>

#include "runtime/graphics/drawing.h"
#include "runtime/base/object_table.h"

extern ObjectTable image_table;

void init_images();
ObjectNumber create_image(ObjectNumber number, int width, int height);
// A size the caller cannot give: a bitmap file is then bounded by its own size field.
const unsigned long kUnknownImageSize = 0xffffffffUL;
// Decodes a bitmap file or an icon file of `size` bytes. Headers, tables and pixels that would
// lie outside the data make it fail with 0, leaving any image under the number in place.
ObjectNumber decode_embedded_image(ObjectNumber number, const void* data, unsigned long size = kUnknownImageSize);
HANDLE image_handle(ObjectNumber number);
// Width, height and bits per pixel of the image that image_handle or a creation touched last.
int image_width();
int image_height();
int image_depth();
OutputTarget* image_output();
void end_image_drawing();
void free_image(ObjectNumber number);
void free_all_images();

