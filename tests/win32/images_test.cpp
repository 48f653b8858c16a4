// Numbered images against real GDI: the embedded logo, bitmap and icon files (uncompressed and
// run-length encoded) decoded from memory, ANY_NUMBER images, freeing, and malformed files that
// must fail without reading past their end.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "runtime/graphics/drawing.h"
#include "resource.h"
#include "runtime/graphics/images.h"
#include "win32_support.h"

// The logo's drawing as an uncompressed bitmap file, written beside the logo.
extern const unsigned char logo_drawing[];
extern const unsigned long logo_drawing_size;

namespace {
typedef std::vector<unsigned char> Bytes;

void put16(Bytes& b, size_t at, unsigned v) {
    b[at] = v & 0xff;
    b[at + 1] = (v >> 8) & 0xff;
}
void put32(Bytes& b, size_t at, unsigned long v) {
    for (int i = 0; i < 4; ++i) b[at + i] = (v >> (8 * i)) & 0xff;
}
unsigned long get32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<unsigned long>(p[3]) << 24; }
unsigned get16(const unsigned char* p) { return p[0] | p[1] << 8; }

// A 3 x 2 bitmap file with four colours (red, green, blue, white) and the given pixel data.
Bytes bitmap_file(unsigned bits, unsigned long compression, const Bytes& pixels) {
    const unsigned long offset = 14 + 40 + 4 * 4;
    Bytes b(offset, 0);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, offset + pixels.size());
    put32(b, 10, offset);
    put32(b, 14, 40);
    put32(b, 18, 3);
    put32(b, 22, 2);
    put16(b, 26, 1);
    put16(b, 28, bits);
    put32(b, 30, compression);
    put32(b, 34, pixels.size());
    put32(b, 46, 4);
    const unsigned char colours[4][4] = {{0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}, {255, 255, 255, 0}};
    memcpy(&b[54], colours, sizeof colours);
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

// Bottom row red green blue, top row white red red. Rows are stored bottom-up, each padded to 4
// bytes.
Bytes small_bitmap_file() { return bitmap_file(8, BI_RGB, {0, 1, 2, 0, 3, 0, 0, 0}); }

// The same pixels as runs: the bottom row as one absolute run (padded to 16 bits), an end of
// line, the top row as a run of white and a run of two reds, and the end of the image. At 4
// bits, the indices are packed two to a byte.
Bytes small_rle_file(unsigned bits) {
    if (bits == 4) return bitmap_file(4, BI_RLE4, {0, 3, 0x01, 0x20, 0, 0, 1, 0x30, 2, 0x00, 0, 1});
    return bitmap_file(8, BI_RLE8, {0, 3, 0, 1, 2, 0, 0, 0, 1, 3, 2, 0, 0, 1});
}

// A 16 x 16 icon file with one image of `bits` per pixel (1 or 4), a palette of black, white
// (and 14 greys for 4 bits), and a fully opaque mask.
Bytes icon_file(int bits) {
    const int colours = 1 << bits;
    const int xor_stride = ((16 * bits + 31) / 32) * 4;
    const int image = 40 + 4 * colours + 16 * xor_stride + 16 * 4;
    Bytes b(6 + 16 + image, 0);
    put16(b, 2, 1);
    put16(b, 4, 1);
    b[6] = 16;
    b[7] = 16;
    b[8] = bits == 1 ? 2 : 16;
    put16(b, 6 + 4, 1);
    put16(b, 6 + 6, bits);
    put32(b, 6 + 8, image);
    put32(b, 6 + 12, 22);
    put32(b, 22, 40);
    put32(b, 22 + 4, 16);
    put32(b, 22 + 8, 32);
    put16(b, 22 + 12, 1);
    put16(b, 22 + 14, bits);
    for (int i = 0; i < colours; ++i) {
        const unsigned char v = static_cast<unsigned char>(i * 255 / (colours - 1));
        b[62 + 4 * i] = b[62 + 4 * i + 1] = b[62 + 4 * i + 2] = v;
    }
    const int xor_start = 62 + 4 * colours;
    for (int i = 0; i < 16 * xor_stride; ++i) b[xor_start + i] = static_cast<unsigned char>(0x5a + i);
    return b;
}

// The bytes at the very end of a readable page with an unreadable page after it: a read past
// the end faults instead of going unnoticed.
class FencedData {
public:
    explicit FencedData(const Bytes& bytes) {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        const size_t page = info.dwPageSize;
        const size_t pages = (bytes.size() + page - 1) / page + 1;
        base_ = static_cast<unsigned char*>(VirtualAlloc(0, (pages + 1) * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old;
        VirtualProtect(base_ + pages * page, page, PAGE_NOACCESS, &old);
        data_ = base_ + pages * page - bytes.size();
        if (!bytes.empty()) memcpy(data_, bytes.data(), bytes.size());
    }
    ~FencedData() { VirtualFree(base_, 0, MEM_RELEASE); }
    const unsigned char* data() const { return data_; }

private:
    unsigned char* base_;
    unsigned char* data_;
};

int screen_depth() {
    HDC screen = CreateDCA("DISPLAY", 0, 0, 0);
    const int depth = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
    DeleteDC(screen);
    return depth;
}

COLORREF pixel_of(ObjectNumber image, int x, int y) {
    image_handle(image);
    HDC dc = start_drawing(image_output());
    const COLORREF colour = dc ? GetPixel(dc, x, y) : CLR_INVALID;
    stop_drawing();
    return colour;
}

bool is_live_bitmap(HANDLE handle) { return GetObjectType(handle) == OBJ_BITMAP; }

// Every pixel of an image as 32-bit colours (0x00RRGGBB), rows from the top.
std::vector<DWORD> pixels_of(ObjectNumber image) {
    HBITMAP bitmap = static_cast<HBITMAP>(image_handle(image));
    BITMAPINFO info;
    ZeroMemory(&info, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image_width();
    info.bmiHeader.biHeight = -image_height();
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<DWORD> pixels(image_width() * image_height());
    HDC screen = GetDC(0);
    EXPECT_EQ(image_height(), GetDIBits(screen, bitmap, 0, image_height(), pixels.data(), &info, DIB_RGB_COLORS));
    ReleaseDC(0, screen);
    return pixels;
}

class ImagesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        init_drawing();
        init_images();
    }
    void TearDown() override {
        stop_drawing();
        free_all_images();
        EXPECT_EQ(nullptr, image_table.any_list);
    }
};
}  // namespace

TEST_F(ImagesTest, TheLogoFileHasTheFixedHeader) {
    // Run-length encoded, with a colour table of only the colours it uses; the runs fill the rest
    // of the file. The drawing is flat: the file is far smaller than the uncompressed drawing.
    const unsigned char* b = logo_bitmap;
    const unsigned long colours = get32(b + 46);
    EXPECT_EQ("BM", std::string(reinterpret_cast<const char*>(b), 2));
    const struct { int at; int bytes; unsigned long value; } fields[] = {
        {2, 4, logo_bitmap_size}, {6, 2, 0}, {8, 2, 0}, {10, 4, 54 + 4 * colours}, {14, 4, 40},
        {18, 4, 157}, {22, 4, 75}, {26, 2, 1}, {28, 2, 8}, {30, 4, BI_RLE8},
        {34, 4, logo_bitmap_size - 54 - 4 * colours}, {38, 4, 18263}, {42, 4, 18263}, {50, 4, colours},
    };
    for (const auto& f : fields) {
        EXPECT_EQ(f.value, f.bytes == 2 ? get16(b + f.at) : get32(b + f.at)) << "byte " << f.at;
    }
    EXPECT_TRUE(colours >= 2 && colours <= 128) << colours;
    for (unsigned long i = 0; i < colours; ++i) EXPECT_EQ(0, b[54 + 4 * i + 3]) << "colour " << i;
    EXPECT_LT(logo_bitmap_size, logo_drawing_size / 4);
}

TEST_F(ImagesTest, TheLogoDecodesIntoAScreenCompatibleBitmapWithTheDrawingsPixels) {
    // The drawing, uncompressed, with its whole colour table: its own bytes say a few pixels.
    const ObjectNumber drawing = decode_embedded_image(ANY_NUMBER, logo_drawing, logo_drawing_size);
    ASSERT_NE(0, drawing);
    const struct { int x, y; } anchors[] = {{0, 0}, {156, 74}, {30, 30}, {64, 20}};
    for (const auto& a : anchors) {
        const unsigned char* entry = logo_drawing + 54 + 4 * logo_drawing[1078 + (74 - a.y) * 160 + a.x];
        EXPECT_EQ(RGB(entry[2], entry[1], entry[0]), pixel_of(drawing, a.x, a.y)) << a.x << "," << a.y;
    }
    const std::vector<DWORD> expected = pixels_of(drawing);
    for (unsigned long size : {logo_bitmap_size, kUnknownImageSize}) {
        HANDLE logo = reinterpret_cast<HANDLE>(decode_embedded_image(1, logo_bitmap, size));
        ASSERT_TRUE(is_live_bitmap(logo));
        EXPECT_EQ(logo, image_handle(1));
        EXPECT_EQ(157, image_width());
        EXPECT_EQ(75, image_height());
        EXPECT_EQ(screen_depth(), image_depth());
        const std::vector<DWORD> decoded = pixels_of(1);
        ASSERT_EQ(expected.size(), decoded.size());
        size_t differing = 0, first = 0;
        for (size_t i = decoded.size(); i-- > 0;) {
            if (decoded[i] != expected[i]) ++differing, first = i;
        }
        EXPECT_EQ(0u, differing) << "first at " << first % 157 << "," << first / 157 << ": "
                                 << std::hex << decoded[first] << " for " << expected[first];
    }
}

TEST_F(ImagesTest, BitmapFilesArePaintedBottomUpThroughTheColourTable) {
    const struct { const char* what; Bytes file; } files[] = {
        {"uncompressed", small_bitmap_file()}, {"8-bit runs", small_rle_file(8)}, {"4-bit runs", small_rle_file(4)},
    };
    const struct { int x, y; COLORREF colour; } expected[] = {
        {0, 1, RGB(255, 0, 0)}, {1, 1, RGB(0, 255, 0)}, {2, 1, RGB(0, 0, 255)},
        {0, 0, RGB(255, 255, 255)}, {1, 0, RGB(255, 0, 0)}, {2, 0, RGB(255, 0, 0)},
    };
    for (const auto& f : files) {
        FencedData fenced(f.file);
        const ObjectNumber image = decode_embedded_image(ANY_NUMBER, fenced.data(), f.file.size());
        ASSERT_NE(0, image) << f.what;
        for (const auto& e : expected) {
            EXPECT_EQ(e.colour, pixel_of(image, e.x, e.y)) << f.what << " " << e.x << "," << e.y;
        }
    }
}

TEST_F(ImagesTest, CreatedImagesAreBlackAndAnyNumberIdentitiesStayApart) {
    const ObjectNumber a = create_image(ANY_NUMBER, 600, 300);
    const ObjectNumber b = create_image(ANY_NUMBER, 600, 300);
    ASSERT_NE(0, a);
    ASSERT_NE(0, b);
    EXPECT_NE(a, b);
    for (ObjectNumber id : {a, b}) EXPECT_TRUE(id < 0 || id >= image_table.capacity) << id;
    EXPECT_EQ(RGB(0, 0, 0), pixel_of(b, 599, 299));
    HANDLE a_bitmap = image_handle(a);
    HANDLE b_bitmap = image_handle(b);
    free_image(a);
    EXPECT_FALSE(is_live_bitmap(a_bitmap));
    EXPECT_EQ(nullptr, image_handle(a));
    EXPECT_EQ(b_bitmap, image_handle(b));
    EXPECT_EQ(600, image_width());
    free_image(a);  // freeing twice does nothing
    free_image(7);  // nor does freeing a number without an image
    free_image(ANY_NUMBER);
    EXPECT_EQ(b_bitmap, image_handle(b));
}

TEST_F(ImagesTest, CreatingAUsedNumberDestroysItsBitmapAndNumbersBeyondTheCapacityGrowByTen) {
    HANDLE first = reinterpret_cast<HANDLE>(create_image(1, 10, 10));
    HANDLE second = reinterpret_cast<HANDLE>(create_image(1, 20, 5));
    ASSERT_TRUE(is_live_bitmap(second));
    EXPECT_TRUE(first == second || !is_live_bitmap(first));
    EXPECT_EQ(20, (image_handle(1), image_width()));
    EXPECT_EQ(10, image_table.capacity);
    HANDLE beyond = reinterpret_cast<HANDLE>(create_image(12, 4, 4));
    EXPECT_EQ(22, image_table.capacity);
    EXPECT_EQ(second, image_handle(1));
    free_all_images();
    EXPECT_FALSE(is_live_bitmap(second));
    EXPECT_FALSE(is_live_bitmap(beyond));
}

TEST_F(ImagesTest, SizesOutsideTheRecordFailAndLeaveTheNumberFree) {
    const struct { int width, height; } rows[] = {{0, 10}, {10, 0}, {-5, 10}, {32768, 1}, {1, 40000}};
    for (const auto& row : rows) {
        EXPECT_EQ(0, create_image(3, row.width, row.height)) << row.width << "x" << row.height;
        EXPECT_EQ(nullptr, image_handle(3));
        EXPECT_EQ(0, create_image(ANY_NUMBER, row.width, row.height));
        EXPECT_EQ(nullptr, image_table.any_list);
    }
}

TEST_F(ImagesTest, FreeingAnImageThatIsBeingDrawnOnEndsTheDrawingAndDeletesTheBitmap) {
    const ObjectNumber image = create_image(ANY_NUMBER, 8, 8);
    HANDLE bitmap = image_handle(image);
    ASSERT_NE(nullptr, start_drawing(image_output()));
    free_image(image);
    EXPECT_EQ(nullptr, drawing_context());
    EXPECT_FALSE(is_live_bitmap(bitmap));
}

TEST_F(ImagesTest, IconFilesDecodeToIconsThatAreNoDrawingSurface) {
    // The first directory entry is used whatever the entry count says: "0 bits" is the 4-bit
    // file with an entry count of 0.
    for (int bits : {4, 1, 0}) {
        Bytes file = icon_file(bits ? bits : 4);
        if (!bits) put16(file, 4, 0);
        FencedData fenced(file);
        HANDLE icon = reinterpret_cast<HANDLE>(decode_embedded_image(2, fenced.data(), file.size()));
        ASSERT_NE(nullptr, icon) << bits << " bits";
        ICONINFO parts;
        ASSERT_TRUE(GetIconInfo(static_cast<HICON>(icon), &parts));
        DeleteObject(parts.hbmMask);
        if (parts.hbmColor) DeleteObject(parts.hbmColor);
        EXPECT_EQ(icon, image_handle(2));
        EXPECT_EQ(16, image_width()) << bits << " bits";
        EXPECT_EQ(16, image_height()) << bits << " bits";
        EXPECT_EQ(nullptr, image_output());
        free_image(2);
        EXPECT_EQ(nullptr, image_handle(2));
        EXPECT_FALSE(GetIconInfo(static_cast<HICON>(icon), &parts));
    }
}

TEST_F(ImagesTest, TruncatedFilesFailWithoutReadingPastTheirEnd) {
    for (const Bytes& whole : {small_bitmap_file(), small_rle_file(8), small_rle_file(4), icon_file(4)}) {
        for (size_t size = 0; size < whole.size(); ++size) {
            const Bytes cut(whole.begin(), whole.begin() + size);
            FencedData fenced(cut);
            EXPECT_EQ(0, decode_embedded_image(ANY_NUMBER, fenced.data(), size)) << size << " bytes";
        }
    }
    EXPECT_EQ(0, decode_embedded_image(4, nullptr, 100));
}

// One field of a good file set to a bad value: the file is refused and the number keeps its image.
struct FieldFault {
    const char* what;
    size_t at;
    int bytes;
    unsigned long value;
};

template <size_t N>
void expect_refused(const FieldFault (&faults)[N], const Bytes& good, HANDLE kept) {
    for (const FieldFault& f : faults) {
        Bytes file = good;
        f.bytes == 2 ? put16(file, f.at, f.value) : put32(file, f.at, f.value);
        FencedData fenced(file);
        EXPECT_EQ(0, decode_embedded_image(5, fenced.data(), file.size())) << f.what;
        EXPECT_EQ(kept, image_handle(5)) << f.what;
    }
}

TEST_F(ImagesTest, MalformedHeadersFailAndLeaveTheNumbersImageInPlace) {
    HANDLE kept = reinterpret_cast<HANDLE>(create_image(5, 4, 4));
    const size_t info = 14;
    const FieldFault bitmap_faults[] = {
        {"top-down rows", info + 8, 4, static_cast<unsigned long>(-2)},
        {"zero width", info + 4, 4, 0},
        {"width beyond 16 bits", info + 4, 4, 40000},
        {"huge width", info + 4, 4, 0x7fffffff},
        {"two planes", info + 12, 2, 2},
        {"7 bits per pixel", info + 14, 2, 7},
        {"4-bit runs on 8-bit pixels", info + 16, 4, BI_RLE4},
        {"more colours than 8 bits hold", info + 32, 4, 300},
        {"short information header", info, 4, 12},
        {"information header past the end", info, 4, 0x10000},
        {"pixels past the end", 10, 4, 14 + 40 + 16 + 1},
        {"pixel offset far away", 10, 4, 0xfffffff0},
    };
    expect_refused(bitmap_faults, small_bitmap_file(), kept);
    const FieldFault icon_faults[] = {
        {"reserved field set", 0, 2, 1},
        {"cursor type", 2, 2, 2},
        {"image past the end", 6 + 8, 4, 0x1000},
        {"image offset past the end", 6 + 12, 4, 0x7ffffff0},
        {"image too small for a header", 6 + 8, 4, 20},
        {"huge header width", 22 + 4, 4, 0x7fffffff},
    };
    expect_refused(icon_faults, icon_file(4), kept);
    const char other[] = "GIF89a and then some more bytes to be safe";
    EXPECT_EQ(0, decode_embedded_image(5, other, sizeof other));
    EXPECT_EQ(kept, image_handle(5));
}

TEST_F(ImagesTest, RunsThatLeaveTheImageOrTheDataFailAndLeaveTheNumbersImageInPlace) {
    HANDLE kept = reinterpret_cast<HANDLE>(create_image(5, 4, 4));
    const size_t info = 14;
    const FieldFault header_faults[] = {
        {"top-down rows", info + 8, 4, static_cast<unsigned long>(-2)},
        {"8-bit runs on 4-bit pixels", info + 14, 2, 4},
        {"runs beyond the data", info + 20, 4, 15},
        {"no runs", info + 20, 4, 0},
        {"end mark beyond the runs' size", info + 20, 4, 12},
    };
    expect_refused(header_faults, small_rle_file(8), kept);
    const struct { const char* what; Bytes runs; } stream_faults[] = {
        {"a run past the row's end", {4, 3, 0, 1}},
        {"an absolute run past the row's end", {0, 4, 0, 1, 2, 3, 0, 1}},
        {"an absolute run cut off", {0, 3, 0, 1}},
        {"a row above the image", {0, 0, 0, 0, 1, 0, 0, 1}},
        {"a move above the image", {0, 2, 0, 3, 0, 1}},
        {"a move past the row's end", {0, 2, 4, 0, 0, 1}},
        {"a move cut off", {3, 0, 0, 2, 1}},
        {"no end mark", {3, 0, 0, 0, 3, 0}},
    };
    for (const auto& f : stream_faults) {
        const Bytes file = bitmap_file(8, BI_RLE8, f.runs);
        FencedData fenced(file);
        EXPECT_EQ(0, decode_embedded_image(5, fenced.data(), file.size())) << f.what;
        EXPECT_EQ(kept, image_handle(5)) << f.what;
    }
    // Every byte of the runs changed to each escape, short counts and the largest: whatever the
    // outcome, nothing is read past the data.
    const Bytes good = small_rle_file(8);
    for (size_t at = 14 + 40 + 16; at < good.size(); ++at) {
        for (unsigned char value : {0, 1, 2, 3, 4, 0xff}) {
            Bytes file = good;
            file[at] = value;
            FencedData fenced(file);
            decode_embedded_image(ANY_NUMBER, fenced.data(), file.size());
        }
    }
}

TEST_F(ImagesTest, WithoutACallerSizeTheBitmapsOwnSizeFieldBoundsIt) {
    Bytes file = small_bitmap_file();
    put32(file, 2, file.size() - 1);  // the file says the last pixel row is not its own
    FencedData fenced(file);
    EXPECT_EQ(0, decode_embedded_image(6, fenced.data()));
    put32(file, 2, file.size());
    FencedData whole(file);
    EXPECT_NE(0, decode_embedded_image(6, whole.data()));
}
