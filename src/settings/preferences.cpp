// The preferences file: one file open at a time, either loaded whole for lookups or written
// afresh as a whole when a save is closed. Owns the open handle, the loaded text, the lines of
// a save in the making and the encoding of the file loaded last, and gives the store
// (preferences_store.cpp), which decides how the file is read and written safely, its file
// calls on Win32. Lookups and the line format live in preferences_text.cpp, the encodings in
// preferences_encoding.cpp.
#include "settings/preferences.h"

#include <string.h>

#include <winternl.h>

#include "identity/os_family.h"
#include "runtime/base/heap.h"
#include "runtime/base/strings.h"
#include "runtime/base/system_library.h"
#include "settings/preferences_encoding.h"
#include "settings/preferences_store.h"
#include "settings/preferences_text.h"

namespace {
const DWORD kLargestGathered = 0x7FFFFFF0;
const DWORD kBlockSlack = 512;

struct PreferencesFile {
    HANDLE file_handle;  // the file being read; 0 = none
    char* buffer;        // reading: the loaded text, ended by a NUL; writing: the lines so far
    const char* scan_start;
    int writing;
    const char* comment_marker;
    String target_path;  // writing: the file the lines are for
    DWORD length;        // writing: the bytes gathered in buffer, and its size
    DWORD capacity;
    int write_failed;    // writing: a line found no room in memory, so nothing is written
};

PreferencesFile prefs = {0, 0, 0, 0, ";", 0, 0, 0, 0};

// The last file loaded in another encoding than ANSI: a save of the same path writes that
// encoding, and values the user left as they were keep the file's own characters.
struct LoadedEncoding {
    TextEncoding encoding;
    String path;
    char* bytes;  // the file as it was read
    unsigned long length;
};
LoadedEncoding loaded = {EncodingAnsi, 0, 0, 0};

void forget_encoding() {
    free_string(&loaded.path);
    if (loaded.bytes) heap_free(runtime_heap, loaded.bytes);
    loaded.bytes = 0;
    loaded.length = 0;
    loaded.encoding = EncodingAnsi;
}

// The text lookups read: the file's own bytes when they are ANSI, else their text in ANSI,
// the bytes being kept for the save. Null (so every lookup gives its default) when there is
// no room for either.
char* take_loaded_text(const char* path, char* bytes, unsigned long length) {
    forget_encoding();
    const TextEncoding encoding = recognise_encoding(bytes, length);
    if (encoding == EncodingAnsi) return bytes;
    unsigned long text_length = 0;
    char* text = decode_preferences(bytes, length, encoding, &text_length);
    init_string(&loaded.path, path);
    if (!text || !loaded.path) {
        heap_free(runtime_heap, bytes);
        free_string(&loaded.path);
        return text;
    }
    loaded.encoding = encoding;
    loaded.bytes = bytes;
    loaded.length = length;
    return text;
}

// A save of the file loaded last goes in its encoding. False when there was no room to turn
// the text into it, so that nothing is saved rather than the file's characters lost.
bool save_gathered() {
    if (loaded.encoding == EncodingAnsi || !strings_equal(loaded.path, prefs.target_path))
        return save_preferences_file(prefs.target_path, prefs.buffer, prefs.length);
    unsigned long length = 0;
    char* bytes = encode_preferences(prefs.buffer, prefs.length, loaded.encoding, loaded.bytes, loaded.length, &length);
    if (!bytes) return false;
    const bool landed = save_preferences_file(prefs.target_path, bytes, length);
    heap_free(runtime_heap, bytes);
    return landed;
}

// The store's file calls on Win32. Every file is opened with the sharing its road needs; a
// failure keeps the system's error for failure().
DWORD last_error;
// The Windows 95 family deletes a file by name while its handle is held, and knows neither
// delete access nor delete sharing. The NT family deletes a held file only through a handle
// opened for deleting, so a copy is opened for that there, and readers let it.
bool windows_95_family;

void* open_file(const char* path, FileOpening how) {
    static const struct {
        DWORD access, share, disposition;
    } kOpenings[] = {
        {GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING},                           // OpenToRead
        {GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING},        // OpenSharedToRead
        {GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS},                          // OpenToRewrite
        {GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS},                            // OpenToOverwrite
        {GENERIC_READ | GENERIC_WRITE | DELETE, 0, OPEN_EXISTING},                // OpenToRetire
        {GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS},             // OpenToMend
        {GENERIC_WRITE | DELETE, FILE_SHARE_READ, CREATE_ALWAYS},                 // OpenToCopy
    };
    const auto& o = kOpenings[how];
    DWORD access = o.access, share = o.share;
    if (windows_95_family) access &= ~DELETE;
    else if (how == OpenSharedToRead) share |= FILE_SHARE_DELETE;
    HANDLE file = CreateFileA(path, access, share, 0, o.disposition, FILE_ATTRIBUTE_NORMAL, 0);
    // Where deleting is not granted, or another program holds the copy without letting it be
    // deleted, the copy is still written; it is then only emptied.
    const DWORD refusal = file == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    if ((access & DELETE) && (refusal == ERROR_ACCESS_DENIED || refusal == ERROR_SHARING_VIOLATION))
        file = CreateFileA(path, access & ~DELETE, share, 0, o.disposition, FILE_ATTRIBUTE_NORMAL, 0);
    if (file != INVALID_HANDLE_VALUE) return file;
    last_error = GetLastError();
    return 0;
}

FileFailure open_failure() {
    if (last_error == ERROR_FILE_NOT_FOUND || last_error == ERROR_PATH_NOT_FOUND) return FileMissing;
    if (last_error == ERROR_SHARING_VIOLATION || last_error == ERROR_LOCK_VIOLATION) return FileBusy;
    return FileRefused;
}

bool file_size(void* file, unsigned long* size) {
    DWORD high = 0;
    const DWORD low = GetFileSize(file, &high);
    *size = low;
    return !high && low != INVALID_FILE_SIZE;
}

bool read_bytes(void* file, char* bytes, unsigned long length) {
    DWORD read = 0;
    return SetFilePointer(file, 0, 0, FILE_BEGIN) == 0 && ReadFile(file, bytes, length, &read, 0) && read == length;
}

bool write_bytes(void* file, unsigned long at, const char* bytes, unsigned long length) {
    DWORD written = 0;
    return SetFilePointer(file, static_cast<LONG>(at), 0, FILE_BEGIN) == at &&
           WriteFile(file, bytes, length, &written, 0) && written == length;
}

bool cut_file(void* file, unsigned long length) {
    return SetFilePointer(file, static_cast<LONG>(length), 0, FILE_BEGIN) == length && SetEndOfFile(file);
}

FlushResult flush_file(void* file) {
    if (FlushFileBuffers(file)) return Flushed;
    const DWORD error = GetLastError();
    return error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED ? FlushNotOffered : FlushFailed;
}

bool close_file(void* file) { return CloseHandle(file) != 0; }

bool remove_file(const char* path) { return DeleteFileA(path) != 0; }

// The NT family marks the file held for deleting, through the handle, as its own DeleteFile
// does through a handle of its own; the file goes when the handle is closed. Every NT system
// has the call, and a handle without delete access is refused it.
bool discard_file(void* file, const char* path) {
    if (windows_95_family) return DeleteFileA(path) != 0;
    typedef NTSTATUS(NTAPI * SetInformationFile)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, FILE_INFORMATION_CLASS);
    const SetInformationFile set_information = system_function_as<SetInformationFile>("ntdll.dll", "NtSetInformationFile");
    IO_STATUS_BLOCK status;
    BOOLEAN delete_file = TRUE;  // the whole of the disposition the call takes
    return set_information &&
           set_information(file, &status, &delete_file, sizeof delete_file, FileDispositionInformation) >= 0;
}

unsigned long process_number() { return GetCurrentProcessId(); }

unsigned long ticks_now() { return GetTickCount(); }

// What the system's own rewrite refuses, or what is not a file, is left as it is: a read-only,
// hidden or system file, or a folder.
FileStanding file_standing(const char* path) {
    const DWORD kUnwritable =
        FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_PATH_NOT_FOUND ? FolderMissing : PathFree;
    return attributes & kUnwritable ? FileUnwritable : FileWritable;
}

void wait_a_while(unsigned milliseconds) { Sleep(milliseconds); }

void gather_bytes(void*, const char* bytes, unsigned length) {
    if (prefs.write_failed) return;
    if (length > kLargestGathered - prefs.length) {
        prefs.write_failed = 1;
        return;
    }
    const DWORD needed = prefs.length + length;
    if (needed > prefs.capacity) {
        char* block = static_cast<char*>(heap_realloc(runtime_heap, prefs.buffer, needed + kBlockSlack, false));
        if (!block) {
            prefs.write_failed = 1;
            return;
        }
        prefs.buffer = block;
        prefs.capacity = needed + kBlockSlack;
    }
    memcpy(prefs.buffer + prefs.length, bytes, length);
    prefs.length = needed;
}

bool text_loaded() { return !prefs.writing && prefs.buffer; }

char comment_character() { return prefs.comment_marker ? prefs.comment_marker[0] : 0; }
}  // namespace

void init_preferences() {
    prefs.comment_marker = ";";
    prefs.buffer = 0;
    windows_95_family = is_windows95_family(classify_windows_version());
    const PreferencesFileCalls system = {open_file,    open_failure,  file_size,    read_bytes,     write_bytes,
                                         cut_file,     flush_file,    close_file,   remove_file,    discard_file,
                                         file_standing, wait_a_while, process_number, ticks_now};
    preferences_file_calls = system;
}

void* open_preferences(const char* path) {
    close_preferences();
    const PreferencesText file = load_preferences_file(path);
    char* text = file.text ? take_loaded_text(path, file.text, file.length) : 0;
    if (!file.text) forget_encoding();
    prefs.file_handle = file.file;
    prefs.writing = 0;
    prefs.buffer = text;
    prefs.scan_start = text;
    return file.file;
}

void* create_preferences(const char* path) {
    close_preferences();
    if (!path || !*path) return 0;
    const FileStanding standing = preferences_file_calls.standing(path);
    if (standing == FolderMissing || standing == FileUnwritable) return 0;
    char* block = static_cast<char*>(heap_alloc(runtime_heap, kBlockSlack, false));
    if (!block) return 0;
    init_string(&prefs.target_path, path);
    if (!prefs.target_path) {
        heap_free(runtime_heap, block);
        return 0;
    }
    prefs.buffer = block;
    prefs.capacity = kBlockSlack;
    prefs.length = 0;
    prefs.writing = 1;
    prefs.write_failed = 0;
    return block;
}

void close_preferences() {
    if (prefs.writing && !prefs.write_failed) save_gathered();
    if (prefs.file_handle) preferences_file_calls.close(prefs.file_handle);
    prefs.file_handle = 0;
    prefs.writing = 0;
    free_string(&prefs.target_path);
    if (prefs.buffer) heap_free(runtime_heap, prefs.buffer);
    prefs.buffer = 0;
    prefs.scan_start = 0;
    prefs.length = 0;
    prefs.capacity = 0;
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
    if (prefs.writing) put_preference_number(gather_bytes, 0, key, static_cast<int>(value));
}

void write_preference_text(const char* key, const char* value) {
    if (prefs.writing) put_preference_text(gather_bytes, 0, key, value);
}
