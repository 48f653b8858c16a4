// Numbered fonts. The font table owns every font the program creates: loading under a used
// number deletes the old font first, and free_all_fonts deletes whatever is left at the end.
#include "runtime/graphics/fonts.h"

ObjectTable font_table;

namespace {
const int kFontCapacity = 10;
const int kFontGrowth = 30;
const int kPointsPerInch = 72;
const int kNormalWeight = 400;
const int kBoldWeight = 700;
const int kProofQuality = 2;

struct FontRecord {
    HFONT handle;
};
static_assert(handle_first(offsetof(FontRecord, handle), sizeof(FontRecord::handle)), "the table finds the handle first");

// The style of the font being created; reset before every creation.
struct PendingStyle {
    int weight;
    DWORD italic;
    DWORD underline;
    DWORD strike_out;
    DWORD quality;
};

HFONT current = 0;

PendingStyle pending_style(int style) {
    PendingStyle s = {kNormalWeight, FALSE, FALSE, FALSE, DEFAULT_QUALITY};
    if (style & FontUnderline) s.underline = TRUE;
    if (style & FontStrikeOut) s.strike_out = TRUE;
    if (style & FontHighQuality) s.quality = kProofQuality;
    if (style & FontBold) s.weight = kBoldWeight;
    if (style & FontItalic) s.italic = TRUE;
    return s;
}

// Negative: a character height without internal leading of `size` points on the display.
// Without a display context the height is 0, which lets the system choose.
int font_height(int size) {
    int pixels_per_inch = 0;
    HDC screen = CreateDCA("DISPLAY", 0, 0, 0);
    if (screen) {
        pixels_per_inch = GetDeviceCaps(screen, LOGPIXELSY);
        DeleteDC(screen);
    }
    return -MulDiv(size, pixels_per_inch, kPointsPerInch);
}
}  // namespace

void init_fonts() {
    init_object_table(&font_table, sizeof(FontRecord), kFontCapacity, kFontGrowth);
    current = 0;
}

ObjectNumber load_font(ObjectNumber number, const char* face_name, int size, int style) {
    const PendingStyle s = pending_style(style);
    if (number != ANY_NUMBER) free_font(number);
    FontRecord* record = static_cast<FontRecord*>(reserve_slot(&font_table, number));
    if (!record) return 0;
    record->handle = CreateFontA(font_height(size), 0, 0, 0, s.weight, s.italic, s.underline, s.strike_out,
                                 DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, s.quality,
                                 DEFAULT_PITCH | FF_DONTCARE, face_name ? face_name : "");
    current = record->handle;
    if (number == ANY_NUMBER) return record_number(&font_table, record);
    return reinterpret_cast<ObjectNumber>(record->handle);
}

HFONT font_handle(ObjectNumber number) {
    FontRecord* record = static_cast<FontRecord*>(find_object(&font_table, number));
    current = record ? record->handle : 0;
    return current;
}

HFONT current_font() { return current; }

void free_font(ObjectNumber number) {
    FontRecord* record = static_cast<FontRecord*>(find_object(&font_table, number));
    if (record) {
        if (record->handle == current) current = 0;
        DeleteObject(record->handle);
        release_slot(&font_table, number);
    } else if (number != ANY_NUMBER && is_list_record(&font_table, number)) {
        // An ANY_NUMBER font the system refused has no handle, but its record must still go.
        release_slot(&font_table, number);
    }
}

void free_all_fonts() {
    while (font_table.any_list) free_font(record_number(&font_table, list_record(font_table.any_list)));
    for (int n = font_table.capacity - 1; n >= 0; --n) free_font(n);
}
