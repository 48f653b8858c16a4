// The preferences file: one file open at a time, either loaded whole for lookups or written
// afresh one line per call. Owns the open handle, the loaded text and the pending new file.
//
// A save never puts the user's existing file at risk: the lines go to a file beside it, which
// replaces the old file only once every byte has been written. Lookups and the line format
// live in preferences_text.cpp.
#include "settings/preferences.h"

#include <windows.h>
#include <string.h>

#include "runtime/base/heap.h"
#include "runtime/base/strings.h"
#include "settings/preferences_text.h"

namespace {
// A text block larger than this is not attempted: its size plus the terminator must fit the
// heap's 32-bit sizes, and such a file is no settings file anyway.
const DWORD kLargestLoadedFile = 0x7FFFFFF0;
const char kNewFileSuffix[] = ".new";
// A file the system would not recreate empty over: read-only, a hidden or system file (whose
// attributes a plain new file would not match), or a folder.
const DWORD kUnreplaceable =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;

struct PreferencesFile {
    HANDLE file_handle;          // 0 = none
    char* buffer;                // the loaded text, ended by a NUL
    const char* scan_start;
    int writing;
    const char* comment_marker;
    // While writing: the file being replaced and the file beside it that receives the lines
    // (target_path is null when the lines go straight into the target).
    String target_path;
    String new_path;
    int write_failed;
};

PreferencesFile prefs = {0, 0, 0, 0, ";", 0, 0, 0};

typedef BOOL(WINAPI* MoveFileExProc)(LPCSTR, LPCSTR, DWORD);

// Puts the finished file in place of the target. Where the system can replace in one step it
// does; otherwise (the Windows 95 family) the old file is deleted and the new one renamed.
// Returns false when the target is untouched.
bool replace_target(const char* new_path, const char* target_path, bool* target_gone) {
    *target_gone = false;
    MoveFileExProc move_file_ex = reinterpret_cast<MoveFileExProc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("KERNEL32"), "MoveFileExA")));
    if (move_file_ex && move_file_ex(new_path, target_path, MOVEFILE_REPLACE_EXISTING)) return true;
    // A read-only or locked target cannot be deleted either, and then stays as it is.
    if (!DeleteFileA(target_path) && GetLastError() != ERROR_FILE_NOT_FOUND) return false;
    *target_gone = true;
    return MoveFileA(new_path, target_path) != 0;
}

void finish_writing() {
    if (!prefs.target_path) return;
    bool target_gone = false;
    bool replaced = !prefs.write_failed && replace_target(prefs.new_path, prefs.target_path, &target_gone);
    // When the old file is gone and the rename failed, the new file is the only copy left.
    if (!replaced && !target_gone) DeleteFileA(prefs.new_path);
}

void write_bytes(void*, const char* bytes, unsigned length) {
    DWORD written = 0;
    if (!WriteFile(prefs.file_handle, bytes, length, &written, 0) || written != length) prefs.write_failed = 1;
}

bool open_for_writing() { return prefs.file_handle && prefs.writing; }

bool text_loaded() { return prefs.file_handle && !prefs.writing && prefs.buffer; }

char comment_character() { return prefs.comment_marker ? prefs.comment_marker[0] : 0; }

HANDLE create_for_writing(const char* path) {
    return CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
}

// The target's name and the name of the file beside it that receives the lines.
bool copy_paths(const char* path) {
    const unsigned length = text_length(path);
    char* new_path = static_cast<char*>(heap_alloc(runtime_heap, length + sizeof kNewFileSuffix, false));
    if (!new_path) return false;
    memcpy(new_path, path, length);
    memcpy(new_path + length, kNewFileSuffix, sizeof kNewFileSuffix);
    prefs.new_path = new_path;
    init_string(&prefs.target_path, path);
    if (prefs.target_path) return true;
    free_string(&prefs.new_path);
    return false;
}

void load_text(HANDLE file) {
    DWORD high = 0;
    const DWORD size = GetFileSize(file, &high);
    if (high || size == INVALID_FILE_SIZE || size > kLargestLoadedFile) return;
    char* block = static_cast<char*>(heap_alloc(runtime_heap, size + 2, false));
    if (!block) return;  // the file counts as open but empty
    DWORD read = 0;
    if (!ReadFile(file, block, size, &read, 0) || read > size) read = 0;
    // The text ends where the read ended, so a short read never exposes unread bytes.
    block[read] = 0;
    prefs.buffer = block;
    prefs.scan_start = block;
}
}  // namespace

void init_preferences() {
    prefs.comment_marker = ";";
    prefs.buffer = 0;
}

void* open_preferences(const char* path) {
    close_preferences();
    if (!path) return 0;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    if (file == INVALID_HANDLE_VALUE) return 0;
    prefs.file_handle = file;
    prefs.writing = 0;
    load_text(file);
    return file;
}

void* create_preferences(const char* path) {
    close_preferences();
    if (!path || !*path) return 0;
    // What the system refuses to overwrite in place stays refused when replaced by renaming.
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & kUnreplaceable)) return 0;
    HANDLE file = INVALID_HANDLE_VALUE;
    if (copy_paths(path)) {
        file = create_for_writing(prefs.new_path);
        if (file == INVALID_HANDLE_VALUE) {
            // A folder that takes no new files may still hold a writable settings file: then
            // the lines can only go straight into it.
            const bool folder_closed = GetLastError() == ERROR_ACCESS_DENIED;
            free_string(&prefs.new_path);
            free_string(&prefs.target_path);
            if (folder_closed) file = create_for_writing(path);
        }
    }
    if (file == INVALID_HANDLE_VALUE) return 0;
    prefs.file_handle = file;
    prefs.writing = 1;
    prefs.write_failed = 0;
    return file;
}

void close_preferences() {
    if (prefs.file_handle) {
        if (prefs.writing && prefs.target_path && !FlushFileBuffers(prefs.file_handle)) prefs.write_failed = 1;
        CloseHandle(prefs.file_handle);
        if (prefs.writing) finish_writing();
    }
    prefs.file_handle = 0;
    prefs.writing = 0;
    free_string(&prefs.new_path);
    free_string(&prefs.target_path);
    if (prefs.buffer) heap_free(runtime_heap, prefs.buffer);
    prefs.buffer = 0;
    prefs.scan_start = 0;
}

long read_preference_number(const char* key, long default_value) {
    if (!text_loaded()) return default_value;
    return lookup_preference_number(prefs.scan_start, key, comment_character(), static_cast<int>(default_value));
}

char* read_preference_text(const char* key, const char* default_text) {
    if (!text_loaded()) return append_text(default_text);
    return lookup_preference_text(prefs.scan_start, key, comment_character(), default_text);
}

void write_preference_number(const char* key, long value) {
    if (open_for_writing()) put_preference_number(write_bytes, 0, key, static_cast<int>(value));
}

void write_preference_text(const char* key, const char* value) {
    if (open_for_writing()) put_preference_text(write_bytes, 0, key, value);
}
