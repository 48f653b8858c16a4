// Numbered fonts created from a face name, a size in points and style flags.
#pragma once

#include <windows.h>

#include "runtime/base/object_table.h"

enum FontStyle {
    FontUnderline = 4,
    FontStrikeOut = 8,
    FontHighQuality = 16,
    FontBold = 256,
    FontItalic = 512,
};

extern ObjectTable font_table;

void init_fonts();
// A table number gives the font handle (0 when refused); ANY_NUMBER gives the new identity.
ObjectNumber load_font(ObjectNumber number, const char* face_name, int size, int style = 0);
HFONT font_handle(ObjectNumber number);
HFONT current_font();
void free_font(ObjectNumber number);
void free_all_fonts();
