// The encodings of a preferences file (see preferences_encoding.h). UTF-8 and UTF-16 are
// turned into each other here; the ANSI code page is reached through the system's conversions
// (code_page.h), which every 32-bit Windows has for it.
#include "settings/preferences_encoding.h"

#include <string.h>

#include "runtime/base/heap.h"
#include "settings/preferences_text.h"

namespace {
const unsigned char kUtf8Mark[] = {0xEF, 0xBB, 0xBF};
const WideUnit kReplacement = 0xFFFD;
// Texts are handed to the system's conversions with int lengths.
const unsigned long kLargestText = 0x3FFFFFF0;

struct WideText {
    WideUnit* units;  // ended by a 0 unit once finished
    unsigned long length, capacity;
    bool failed;
};

// Room for more units and the terminator; once there was none, the text stays failed.
bool wide_room(WideText* w, unsigned long more) {
    if (!w->failed && more <= kLargestText - w->length && w->length + more + 1 > w->capacity) {
        const unsigned long capacity = w->length + more + 1 + (w->length + more) / 2;
        void* block = heap_realloc(runtime_heap, w->units, capacity * sizeof(WideUnit), false);
        if (block) {
            w->units = static_cast<WideUnit*>(block);
            w->capacity = capacity;
        }
    }
    if (w->failed || more > kLargestText - w->length || w->length + more + 1 > w->capacity) w->failed = true;
    return !w->failed;
}

void wide_put(WideText* w, const WideUnit* units, unsigned long count) {
    if (!count || !wide_room(w, count)) return;
    memcpy(w->units + w->length, units, count * sizeof(WideUnit));
    w->length += count;
    w->units[w->length] = 0;
}

void wide_put_unit(WideText* w, unsigned long unit) {
    const WideUnit u = static_cast<WideUnit>(unit);
    wide_put(w, &u, 1);
}

void wide_put_ansi(WideText* w, const char* bytes, unsigned long count) {
    if (!count) return;
    const int needed = count > kLargestText ? 0 : code_page_calls.to_wide(bytes, static_cast<int>(count), 0, 0);
    if (needed <= 0 || !wide_room(w, static_cast<unsigned long>(needed))) {
        w->failed = true;
        return;
    }
    w->length += code_page_calls.to_wide(bytes, static_cast<int>(count), w->units + w->length, needed);
    w->units[w->length] = 0;
}

void wide_free(WideText* w) {
    if (w->units) heap_free(runtime_heap, w->units);
    w->units = 0;
}

// The UTF-8 sequence at p (left bytes remain): its length and code point, or 0 when it is not
// one; *cut when it would be one but ends beyond left.
unsigned utf8_sequence(const unsigned char* p, unsigned long left, unsigned long* code, bool* cut) {
    const unsigned char b = p[0];
    *cut = false;
    *code = b;
    if (b < 0x80) return 1;
    unsigned length;
    unsigned char low = 0x80, high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
        *code = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        *code = b & 0x0F;
        if (b == 0xE0) low = 0xA0;
        if (b == 0xED) high = 0x9F;  // no surrogates
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        *code = b & 0x07;
        if (b == 0xF0) low = 0x90;
        if (b == 0xF4) high = 0x8F;  // nothing beyond U+10FFFF
    } else {
        return 0;
    }
    for (unsigned i = 1; i < length; ++i) {
        if (i >= left) {
            *cut = true;
            return 0;
        }
        if (p[i] < low || p[i] > high) return 0;
        low = 0x80;
        high = 0xBF;
        *code = *code << 6 | (p[i] & 0x3F);
    }
    return length;
}

bool marked(const char* bytes, unsigned long length, const unsigned char* mark, unsigned long mark_length) {
    return length >= mark_length && memcmp(bytes, mark, mark_length) == 0;
}

unsigned long mark_length(TextEncoding encoding) {
    return encoding == EncodingUtf8Marked ? 3 : encoding == EncodingUtf16Le || encoding == EncodingUtf16Be ? 2 : 0;
}

void decode_utf8(WideText* w, const unsigned char* p, unsigned long length) {
    for (unsigned long at = 0; at < length && p[at];) {
        unsigned long code;
        bool cut;
        const unsigned n = utf8_sequence(p + at, length - at, &code, &cut);
        if (cut) break;
        if (!n) {
            wide_put_unit(w, kReplacement);
            ++at;
            continue;
        }
        if (code >= 0x10000) {
            wide_put_unit(w, 0xD800 + ((code - 0x10000) >> 10));
            code = 0xDC00 + (code & 0x3FF);
        }
        wide_put_unit(w, code);
        at += n;
    }
}

// The file's text as UTF-16 units, up to its first NUL; a last byte of half a unit is left out.
WideText decode_to_wide(const char* bytes, unsigned long length, TextEncoding encoding) {
    WideText w = {0, 0, 0, false};
    // Never more units than bytes.
    wide_room(&w, length);
    if (w.failed) return w;
    w.units[0] = 0;
    const unsigned long skip = mark_length(encoding);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes) + skip;
    length -= skip;
    if (encoding != EncodingUtf16Le && encoding != EncodingUtf16Be) {
        decode_utf8(&w, p, length);
        return w;
    }
    const int high = encoding == EncodingUtf16Be ? 0 : 1;
    for (unsigned long at = 0; at + 1 < length; at += 2) {
        const unsigned long unit = static_cast<unsigned long>(p[at + high]) << 8 | p[at + 1 - high];
        if (!unit) break;
        wide_put_unit(&w, unit);
    }
    return w;
}

// units[count] in the ANSI code page: a heap block ended by a NUL, or null.
char* wide_to_ansi(const WideUnit* units, unsigned long count, unsigned long* length) {
    const int needed = count ? code_page_calls.to_ansi(units, static_cast<int>(count), 0, 0) : 0;
    char* text = count && needed <= 0 ? 0 : static_cast<char*>(heap_alloc(runtime_heap, needed + 2UL, false));
    if (!text) return 0;
    *length = needed ? static_cast<unsigned long>(code_page_calls.to_ansi(units, static_cast<int>(count), text, needed)) : 0;
    text[*length] = 0;
    return text;
}

// Whether the old value (count units) reads in the ANSI code page as value[length].
bool reads_as(const WideUnit* old, unsigned long count, const char* value, unsigned long length) {
    unsigned long old_length = 0;
    char* ansi = wide_to_ansi(old, count, &old_length);
    const bool same = ansi && old_length == length && memcmp(ansi, value, length) == 0;
    if (ansi) heap_free(runtime_heap, ansi);
    return same;
}

// One line of a save, with its value taken from the old text when it reads the same.
void put_line(WideText* w, const char* line, unsigned long length, const WideUnit* old) {
    const char* equals = static_cast<const char*>(memchr(line, '=', length));
    if (equals && old) {
        unsigned long key_length = static_cast<unsigned long>(equals - line);
        while (key_length && line[key_length - 1] == ' ') --key_length;
        char key[64];
        const WideUnit* old_value = 0;
        if (key_length && key_length < sizeof key) {
            memcpy(key, line, key_length);
            key[key_length] = 0;
            old_value = find_preference_value_wide(old, key, ';');
        }
        const char* value = equals + 1;
        while (value < line + length && *value == ' ') ++value;
        const char* value_end = value;
        while (value_end < line + length && *value_end != '\r' && *value_end != '\n') ++value_end;
        unsigned long old_count = 0;
        while (old_value && old_value[old_count] && old_value[old_count] != '\r' && old_value[old_count] != '\n') ++old_count;
        if (old_value && reads_as(old_value, old_count, value, static_cast<unsigned long>(value_end - value))) {
            wide_put_ansi(w, line, static_cast<unsigned long>(value - line));
            wide_put(w, old_value, old_count);
            wide_put_ansi(w, value_end, static_cast<unsigned long>(line + length - value_end));
            return;
        }
    }
    wide_put_ansi(w, line, length);
}

unsigned long utf8_length(unsigned long code) { return code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4; }

// The units in the file's encoding, mark first. A surrogate without its partner, which UTF-8
// cannot hold, becomes the replacement character there.
char* encode_wide(const WideText& w, TextEncoding encoding, unsigned long* encoded_length) {
    const bool utf16 = encoding == EncodingUtf16Le || encoding == EncodingUtf16Be;
    const unsigned long size = mark_length(encoding) + w.length * (utf16 ? 2 : 3);
    unsigned char* out = static_cast<unsigned char*>(heap_alloc(runtime_heap, size + 1, false));
    if (!out) return 0;
    unsigned long n = 0;
    if (encoding == EncodingUtf8Marked) memcpy(out, kUtf8Mark, n = 3);
    if (utf16) {
        out[n++] = encoding == EncodingUtf16Le ? 0xFF : 0xFE;
        out[n++] = encoding == EncodingUtf16Le ? 0xFE : 0xFF;
    }
    for (unsigned long i = 0; i < w.length; ++i) {
        unsigned long code = w.units[i];
        if (utf16) {
            out[n + (encoding == EncodingUtf16Le)] = static_cast<unsigned char>(code >> 8);
            out[n + (encoding != EncodingUtf16Le)] = static_cast<unsigned char>(code);
            n += 2;
            continue;
        }
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < w.length && w.units[i + 1] >= 0xDC00 && w.units[i + 1] <= 0xDFFF)
            code = 0x10000 + ((code - 0xD800) << 10) + (w.units[++i] - 0xDC00);
        else if (code >= 0xD800 && code <= 0xDFFF)
            code = kReplacement;
        const unsigned long count = utf8_length(code);
        static const unsigned char kLead[] = {0, 0, 0xC0, 0xE0, 0xF0};
        for (unsigned long k = count; k-- > 1; code >>= 6) out[n + k] = static_cast<unsigned char>(0x80 | (code & 0x3F));
        out[n] = static_cast<unsigned char>(kLead[count] | code);
        n += count;
    }
    *encoded_length = n;
    return reinterpret_cast<char*>(out);
}
}  // namespace

TextEncoding recognise_encoding(const char* bytes, unsigned long length) {
    static const unsigned char kLittle[] = {0xFF, 0xFE}, kBig[] = {0xFE, 0xFF};
    if (!bytes) return EncodingAnsi;
    if (marked(bytes, length, kUtf8Mark, 3)) return EncodingUtf8Marked;
    if (marked(bytes, length, kLittle, 2)) return EncodingUtf16Le;
    if (marked(bytes, length, kBig, 2)) return EncodingUtf16Be;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes);
    const unsigned char* nul = static_cast<const unsigned char*>(memchr(p, 0, length));
    const unsigned long end = nul ? static_cast<unsigned long>(nul - p) : length;
    bool multi_byte = false;
    for (unsigned long at = 0; at < end;) {
        unsigned long code;
        bool cut;
        const unsigned n = utf8_sequence(p + at, end - at, &code, &cut);
        if (!n) return cut && multi_byte ? EncodingUtf8 : EncodingAnsi;
        multi_byte = multi_byte || n > 1;
        at += n;
    }
    return multi_byte ? EncodingUtf8 : EncodingAnsi;
}

char* decode_preferences(const char* bytes, unsigned long length, TextEncoding encoding, unsigned long* text_length) {
    WideText w = decode_to_wide(bytes, length, encoding);
    char* text = w.failed ? 0 : wide_to_ansi(w.units, w.length, text_length);
    wide_free(&w);
    return text;
}

char* encode_preferences(const char* text, unsigned long length, TextEncoding encoding, const char* old,
                         unsigned long old_length, unsigned long* encoded_length) {
    WideText before = {0, 0, 0, false};
    if (old) before = decode_to_wide(old, old_length, recognise_encoding(old, old_length));
    WideText after = {0, 0, 0, false};
    wide_room(&after, length);
    for (unsigned long at = 0; at < length;) {
        const char* lf = static_cast<const char*>(memchr(text + at, '\n', length - at));
        const unsigned long end = lf ? static_cast<unsigned long>(lf - text) + 1 : length;
        put_line(&after, text + at, end - at, before.failed ? 0 : before.units);
        at = end;
    }
    char* encoded = after.failed ? 0 : encode_wide(after, encoding, encoded_length);
    wide_free(&before);
    wide_free(&after);
    return encoded;
}
