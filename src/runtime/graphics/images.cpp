// Numbered images: screen-compatible bitmaps (created black or decoded from a bitmap file held
// in memory) and icons (decoded from an icon file). The image table owns them; an image is the
// surface of at most one drawing at a time, through the module's one memory context.
#include "runtime/graphics/images.h"

#include <string.h>

ObjectTable image_table;

namespace {
const int kImageCapacity = 10;
const int kImageGrowth = 10;
const long kLargestSide = 32767;  // width and height are kept as 16-bit numbers
const int kImageTarget = 2;
const DWORD kIconFormatVersion = 0x30000;
const unsigned long kFileHeaderSize = 14;
const unsigned long kInfoHeaderSize = 40;
// A bitmap file's info header is handed to the system as it lies in the data.
static_assert(sizeof(BITMAPINFOHEADER) == kInfoHeaderSize, "the info header has the file's layout");
const unsigned long kIconDirectorySize = 6;
const unsigned long kIconEntrySize = 16;

struct ImageRecord {
    HANDLE handle;
    short width;
    short height;
    short depth;
};
static_assert(handle_first(offsetof(ImageRecord, handle), sizeof(ImageRecord::handle)), "the table finds the handle first");

// The current image is remembered by number: a record's address changes when the table grows.
ObjectNumber current_number = 0;
bool has_current = false;
HDC image_dc = 0;
HANDLE image_dc_bitmap = 0;  // the image selected into image_dc
OutputTarget image_target;

unsigned read16(const unsigned char* p) { return p[0] | (p[1] << 8); }
unsigned long read32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (static_cast<unsigned long>(p[2]) << 16) | (static_cast<unsigned long>(p[3]) << 24);
}
long read_signed32(const unsigned char* p) { return static_cast<long>(static_cast<int>(read32(p))); }

bool fits_record(long width, long height) {
    return width >= 1 && height >= 1 && width <= kLargestSide && height <= kLargestSide;
}

ImageRecord* current_record() {
    return has_current ? static_cast<ImageRecord*>(find_object(&image_table, current_number)) : 0;
}

// The record for a new image under n (or a new identity), emptied of any image it held, made
// the current image.
ImageRecord* reserve_image(ObjectNumber n, ObjectNumber* number) {
    void* record = reserve_slot(&image_table, n);
    if (!record) return 0;
    *number = record_number(&image_table, record);
    free_image(*number);
    current_number = *number;
    has_current = true;
    return static_cast<ImageRecord*>(record);
}

// A reserved record that received no image: its number is free again.
void abandon_image(ObjectNumber number) {
    release_slot(&image_table, number);
    if (has_current && current_number == number) has_current = false;
}

ObjectNumber created_image(ObjectNumber requested, ObjectNumber number, ImageRecord* record,
                           HANDLE handle, const BITMAP& info, long height) {
    record->handle = handle;
    record->width = static_cast<short>(info.bmWidth);
    record->height = static_cast<short>(height);
    record->depth = static_cast<short>(info.bmBitsPixel);
    return requested == ANY_NUMBER ? number : reinterpret_cast<ObjectNumber>(handle);
}

void fill_black(HDC screen, HBITMAP bitmap, int width, int height) {
    // A private context, so that a drawing open on another image keeps its own.
    HDC dc = CreateCompatibleDC(screen);
    if (!dc) return;
    HGDIOBJ previous = SelectObject(dc, bitmap);
    if (previous) {
        RECT all = {0, 0, width, height};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        SelectObject(dc, previous);
    }
    DeleteDC(dc);
}

// Ends the drawing on the module's context, through the drawing module when it holds it.
void close_image_dc() {
    if (image_dc && drawing_context() == image_dc) stop_drawing();
    end_image_drawing();
}

// Where a bitmap file's parts lie, once every part is known to lie inside the data.
struct BitmapFile {
    long width;
    long height;
    const BITMAPINFO* format;
    const void* pixels;
};

unsigned long colour_table_bytes(unsigned long header_size, unsigned bits, unsigned long compression,
                                 unsigned long colours_used) {
    if (bits <= 8) return 4 * (colours_used ? colours_used : 1UL << bits);
    unsigned long bytes = 4 * colours_used;
    if (compression == BI_BITFIELDS && header_size == kInfoHeaderSize) bytes += 12;  // the three masks
    return bytes;
}

// Walks a run-length stream of `bytes` bytes without drawing it: it is sound when every run
// stays inside its row, every row inside the image, and the end mark lies inside the stream.
// The system's decoder reads up to the end mark, so it then reads nothing beyond the data.
bool runs_fit(const unsigned char* p, unsigned long bytes, unsigned bits, long width, long height) {
    const unsigned char* const end = p + bytes;
    long x = 0, y = 0;
    while (end - p >= 2) {
        const unsigned count = p[0], code = p[1];
        p += 2;
        if (count) {
            x += count;  // one index (or, at 4 bits, a pair of them) repeated
        } else if (code == 0) {
            x = 0;  // end of the row
            ++y;
        } else if (code == 1) {
            return true;  // end of the image
        } else if (code == 2) {
            // A move right and up by the two bytes that follow.
            if (end - p < 2) return false;
            x += p[0];
            y += p[1];
            p += 2;
        } else {
            // `code` indices follow as they are, filled up to a whole number of 16-bit words.
            const unsigned stored = (code * bits + 15) / 16 * 2;
            if (stored > static_cast<unsigned long>(end - p)) return false;
            p += stored;
            x += code;
        }
        // Past the last row only the end mark may follow.
        if (x > width || y > height || (y == height && x)) return false;
    }
    return false;
}

// Reads a bitmap file of at most `limit` bytes. Uncompressed (or bit-field) and run-length
// encoded bottom-up images are accepted when their headers, colour table and pixels all lie
// inside the data, and the runs inside the image.
bool read_bitmap_file(const unsigned char* data, unsigned long limit, BitmapFile* file) {
    if (limit < kFileHeaderSize + kInfoHeaderSize) return false;
    const unsigned char* info = data + kFileHeaderSize;
    const unsigned long header_size = read32(info);
    const unsigned bits = read16(info + 14);
    const unsigned long compression = read32(info + 16);
    const unsigned long colours_used = read32(info + 32);
    file->width = read_signed32(info + 4);
    file->height = read_signed32(info + 8);
    if (header_size < kInfoHeaderSize || header_size > limit - kFileHeaderSize) return false;
    if (!fits_record(file->width, file->height) || read16(info + 12) != 1) return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    const bool runs = (compression == BI_RLE8 && bits == 8) || (compression == BI_RLE4 && bits == 4);
    if (compression != BI_RGB && !runs && !(compression == BI_BITFIELDS && (bits == 16 || bits == 32))) return false;
    if (colours_used > (bits <= 8 ? 1UL << bits : 256UL)) return false;
    const unsigned long table = colour_table_bytes(header_size, bits, compression, colours_used);
    if (table > limit - kFileHeaderSize - header_size) return false;
    const unsigned long long stride = ((static_cast<unsigned long long>(file->width) * bits + 31) / 32) * 4;
    // Runs take the size the header gives them (the image size field); rows take their stride.
    const unsigned long long pixel_bytes = runs ? read32(info + 20) : stride * static_cast<unsigned long long>(file->height);
    const unsigned long offset = read32(data + 10);
    if (offset > limit || pixel_bytes > limit - offset) return false;
    if (runs && !runs_fit(data + offset, static_cast<unsigned long>(pixel_bytes), bits, file->width, file->height)) return false;
    file->format = reinterpret_cast<const BITMAPINFO*>(info);
    file->pixels = data + offset;
    return true;
}

ObjectNumber decode_bitmap_file(ObjectNumber n, const unsigned char* data, unsigned long size) {
    // Without a size from the caller, the file's own size field is the bound.
    const unsigned long limit = size != kUnknownImageSize ? size : read32(data + 2);
    BitmapFile file;
    if (!read_bitmap_file(data, limit, &file)) return 0;
    const ObjectNumber result = create_image(n, file.width, file.height);
    if (!result) return 0;
    HDC dc = CreateCompatibleDC(0);
    if (!dc) return result;  // the image stays black
    SetDIBits(dc, static_cast<HBITMAP>(current_record()->handle), 0, static_cast<UINT>(file.height),
              file.pixels, file.format, DIB_RGB_COLORS);
    DeleteDC(dc);
    return result;
}

HICON create_icon(const unsigned char* image, unsigned long bytes) {
    const long width = read_signed32(image + 4);
    const long height = read_signed32(image + 8) / 2;  // colour rows and mask rows
    if (!fits_record(width, height)) return 0;
    HGLOBAL copy = GlobalAlloc(GMEM_FIXED, bytes);
    if (!copy) return 0;
    BYTE* bits = static_cast<BYTE*>(copy);
    memcpy(bits, image, bytes);
    HICON icon = CreateIconFromResourceEx(bits, bytes, TRUE, kIconFormatVersion, width, height, 0);
    if (!icon && read16(image + 14) != 16) icon = CreateIconFromResource(bits, bytes, TRUE, kIconFormatVersion);
    GlobalFree(copy);
    return icon;
}

ObjectNumber decode_icon_file(ObjectNumber n, const unsigned char* data, unsigned long size) {
    if (size < kIconDirectorySize + kIconEntrySize) return 0;
    if (read16(data) != 0 || read16(data + 2) != 1) return 0;
    // Only the first image is used, whatever the entry count says: its place is fixed, and its
    // size and offset are checked against the data below.
    const unsigned char* entry = data + kIconDirectorySize;
    const unsigned long bytes = read32(entry + 8);
    const unsigned long offset = read32(entry + 12);
    if (bytes < kInfoHeaderSize) return 0;
    if (size != kUnknownImageSize && (offset > size || bytes > size - offset)) return 0;
    HICON icon = create_icon(data + offset, bytes);
    if (!icon) return 0;

    ObjectNumber number;
    ImageRecord* record = reserve_image(n, &number);
    ICONINFO parts;
    if (!record || !GetIconInfo(icon, &parts)) {
        DestroyIcon(icon);
        if (record) abandon_image(number);
        return 0;
    }
    // A two-colour icon has no colour bitmap: its mask holds the image above the mask.
    BITMAP info;
    ZeroMemory(&info, sizeof info);
    GetObjectA(parts.hbmColor ? parts.hbmColor : parts.hbmMask, sizeof info, &info);
    const long height = parts.hbmColor ? info.bmHeight : info.bmHeight / 2;
    if (parts.hbmMask) DeleteObject(parts.hbmMask);
    if (parts.hbmColor) DeleteObject(parts.hbmColor);
    return created_image(n, number, record, icon, info, height);
}
}  // namespace

void init_images() {
    init_object_table(&image_table, sizeof(ImageRecord), kImageCapacity, kImageGrowth);
    has_current = false;
    image_dc = 0;
    image_dc_bitmap = 0;
}

ObjectNumber create_image(ObjectNumber n, int width, int height) {
    ObjectNumber number;
    ImageRecord* record = reserve_image(n, &number);
    if (!record) return 0;
    HDC screen = fits_record(width, height) ? CreateDCA("DISPLAY", 0, 0, 0) : 0;
    HBITMAP bitmap = screen ? CreateCompatibleBitmap(screen, width, height) : 0;
    BITMAP info;
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) {
        if (bitmap) DeleteObject(bitmap);
        if (screen) DeleteDC(screen);
        abandon_image(number);
        return 0;
    }
    fill_black(screen, bitmap, width, height);
    DeleteDC(screen);
    return created_image(n, number, record, bitmap, info, info.bmHeight);
}

ObjectNumber decode_embedded_image(ObjectNumber n, const void* data, unsigned long size) {
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    if (!bytes || size < 2) return 0;
    if (bytes[0] == 'B' && bytes[1] == 'M') return decode_bitmap_file(n, bytes, size);
    return decode_icon_file(n, bytes, size);
}

HANDLE image_handle(ObjectNumber number) {
    ImageRecord* record = static_cast<ImageRecord*>(find_object(&image_table, number));
    current_number = number;
    has_current = record != 0;
    return record ? record->handle : 0;
}

int image_width() {
    ImageRecord* record = current_record();
    return record ? record->width : 0;
}

int image_height() {
    ImageRecord* record = current_record();
    return record ? record->height : 0;
}

int image_depth() {
    ImageRecord* record = current_record();
    return record ? record->depth : 0;
}

OutputTarget* image_output() {
    close_image_dc();
    ImageRecord* record = current_record();
    if (!record) return 0;
    image_dc = CreateCompatibleDC(0);
    if (!image_dc) return 0;
    // An icon cannot be selected: it is no drawing surface.
    if (!SelectObject(image_dc, record->handle)) {
        end_image_drawing();
        return 0;
    }
    image_dc_bitmap = record->handle;
    image_target.kind = kImageTarget;
    image_target.window = 0;
    image_target.device_context = image_dc;
    image_target.release = end_image_drawing;
    return &image_target;
}

void end_image_drawing() {
    if (image_dc) DeleteDC(image_dc);
    image_dc = 0;
    image_dc_bitmap = 0;
}

void free_image(ObjectNumber number) {
    if (number == ANY_NUMBER) return;
    ImageRecord* record = static_cast<ImageRecord*>(find_object(&image_table, number));
    if (!record) return;
    // A bitmap still selected into a context cannot be deleted.
    if (image_dc && image_dc_bitmap == record->handle) close_image_dc();
    if (GetObjectType(record->handle) == OBJ_BITMAP) {
        DeleteObject(record->handle);
    } else {
        DestroyIcon(static_cast<HICON>(record->handle));
    }
    release_slot(&image_table, number);
    if (has_current && current_number == number) has_current = false;
}

void free_all_images() {
    while (ListNode* head = image_table.any_list) {
        const ObjectNumber number = record_number(&image_table, list_record(head));
        free_image(number);
        if (image_table.any_list == head) release_slot(&image_table, number);  // a record without image
    }
    for (int n = 0; n < image_table.capacity; ++n) free_image(n);
}
