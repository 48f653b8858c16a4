// Placeholder until this module is built.
#include "runtime/graphics/images.h"

ObjectTable image_table;
void init_images() {}
ObjectNumber create_image(ObjectNumber, int, int) { return 0; }
ObjectNumber decode_embedded_image(ObjectNumber, const void*) { return 0; }
HANDLE image_handle(ObjectNumber) { return 0; }
OutputTarget* image_output() { return 0; }
void end_image_drawing() {}
void free_image(ObjectNumber) {}
void free_all_images() {}
const unsigned char logo_bitmap[] = {0};
const unsigned long logo_bitmap_size = 0;
