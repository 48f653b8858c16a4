// Arbitrary file bytes and keys through the preferences lookups and writer, and through the
// encodings (marked UTF-8, UTF-16 in either order, cut anywhere). Besides running clean under
// the sanitizers, a key and value the writer accepts must read back as written, and a file
// saved in its own encoding must read back as it was read.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "settings/preferences_encoding.h"
#include "settings/preferences_text.h"
#include "unit_support.h"

namespace {
void check(bool condition) {
    if (!condition) abort();
}

// A key that survives the reader's own trimming and line rules.
bool readable_key(const std::string& key) {
    if (!preference_key_writable(key.c_str()) || key.size() != strlen(key.c_str())) return false;
    return key[0] != ' ' && key[0] != '[' && key[0] != ';' && key.back() != ' ';
}

void check_round_trip(const std::string& key, const std::string& value, int number) {
    if (!readable_key(key) || value.find('\0') != std::string::npos) return;
    std::string file;
    put_preference_text(collect, &file, key.c_str(), value.c_str());
    put_preference_number(collect, &file, key.c_str(), number);
    std::string expected = value.substr(0, preference_text_length(value.c_str()));
    expected.erase(0, expected.find_first_not_of(' ') == std::string::npos ? expected.size() : expected.find_first_not_of(' '));
    char* start = scratch_position;
    const char* read = lookup_preference_text(file.c_str(), key.c_str(), ';', "default");
    check(expected == read);
    scratch_rewind(start);
    // The number line comes second, so it is only seen through a key of its own.
    std::string number_file;
    put_preference_number(collect, &number_file, key.c_str(), number);
    check(lookup_preference_number(number_file.c_str(), key.c_str(), ';', 0) == number);
}
// The text of file bytes in another encoding, saved in that encoding over the same file, reads
// back as the same text.
void check_encoding(const std::string& file) {
    const TextEncoding encoding = recognise_encoding(file.data(), file.size());
    if (encoding == EncodingAnsi) return;
    unsigned long length = 0, saved_length = 0, again_length = 0;
    char* text = decode_preferences(file.data(), file.size(), encoding, &length);
    check(text && strlen(text) == length);
    char* saved = encode_preferences(text, length, encoding, file.data(), file.size(), &saved_length);
    check(saved != 0);
    const TextEncoding saved_encoding = recognise_encoding(saved, saved_length);
    char* again = saved_encoding == EncodingAnsi ? 0 : decode_preferences(saved, saved_length, saved_encoding, &again_length);
    check(again ? std::string(again, again_length) == text : std::string(saved, saved_length) == text);
    heap_free(runtime_heap, text);
    heap_free(runtime_heap, saved);
    if (again) heap_free(runtime_heap, again);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = false;
    if (!ready) {
        start_host_runtime();
        ready = true;
    }
    if (size < 1) return 0;
    // First byte: the key's length; then the key; the rest is the file.
    const size_t key_length = data[0] % 24 < size - 1 ? data[0] % 24 : size - 1;
    const std::string key(reinterpret_cast<const char*>(data + 1), key_length);
    const std::string file(reinterpret_cast<const char*>(data + 1 + key_length), size - 1 - key_length);

    char* start = scratch_position;
    for (LookupKind kind : {NumberLookup, TextLookup}) {
        const char* value = find_preference_value(file.c_str(), key.c_str(), ';', kind);
        check(!value || (value >= file.c_str() && value <= file.c_str() + strlen(file.c_str())));
    }
    lookup_preference_number(file.c_str(), key.c_str(), ';', 5);
    char* text = lookup_preference_text(file.c_str(), key.c_str(), ';', "default");
    check(text == start && strlen(text) == static_cast<size_t>(scratch_position - text));
    scratch_rewind(start);

    int number = 0;
    memcpy(&number, data + 1, key_length < sizeof number ? key_length : sizeof number);
    check_round_trip(key, file, number);
    // Every input also as each marked encoding: an odd length is a file cut within a UTF-16 unit.
    for (const char* mark : {"", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"}) check_encoding(mark + file);
    return 0;
}
