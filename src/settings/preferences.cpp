// The preferences file: one file open at a time, either loaded whole for lookups or written
// afresh as a whole. Owns the open handle, the loaded text and the lines of a save in the
// making; lookups and the line format live in preferences_text.cpp.
//
// A save renames nothing, so it works wherever a plain write into the file works: through hard
// and symbolic links, past other programs that share the file for writing, in a folder that
// takes no new files, under file virtualization. The lines are gathered in memory; the close
// writes them to a complete copy beside the file, then into the file itself, and deletes the
// copy. Whichever step fails or is cut short, one complete text, old or new, is left where the
// next load finds it.
#include "settings/preferences.h"

#include <string.h>

#include "runtime/base/heap.h"
#include "runtime/base/strings.h"
#include "settings/preferences_text.h"

PreferencesFileCalls preferences_file_calls;

namespace {
// A text block larger than this is not attempted: its size plus the terminator must fit the
// heap's 32-bit sizes, and such a file is no settings file anyway.
const DWORD kLargestLoadedFile = 0x7FFFFFF0;
const char kCopySuffix[] = ".new";
// The copy's last line. The writer never makes a line of a lone comment marker, so a copy that
// ends with this line was written to its end.
const char kCopyEnd[] = ";\r\n";
const DWORD kCopyEndLength = sizeof kCopyEnd - 1;
const DWORD kBlockSlack = 512;
// What the system's own rewrite (CREATE_ALWAYS) refuses is left as it is: a read-only, hidden
// or system file, or a folder.
const DWORD kUnwritable =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;

PreferencesFileCalls& calls = preferences_file_calls;

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

// A file's whole text, ended by a NUL. The text is null when the file did not open (missing
// says whether it does not exist) or its bytes could not all be read into memory.
struct FileText {
    HANDLE file;  // INVALID_HANDLE_VALUE when not open
    char* text;
    DWORD length;
    bool missing;
};

FileText read_file_text(const char* path, DWORD share) {
    FileText t = {calls.CreateFileA(path, GENERIC_READ, share, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0), 0, 0, false};
    if (t.file == INVALID_HANDLE_VALUE) {
        t.missing = GetLastError() == ERROR_FILE_NOT_FOUND;
        return t;
    }
    DWORD high = 0;
    const DWORD size = calls.GetFileSize(t.file, &high);
    if (high || size == INVALID_FILE_SIZE || size > kLargestLoadedFile) return t;
    char* block = static_cast<char*>(heap_alloc(runtime_heap, size + 2, false));
    if (!block) return t;
    DWORD read = 0;
    // A text that stopped early would read as another file: a short read counts as none.
    if (!calls.ReadFile(t.file, block, size, &read, 0) || read != size) {
        heap_free(runtime_heap, block);
        return t;
    }
    block[size] = 0;
    t.text = block;
    t.length = size;
    return t;
}

void release_file_text(FileText* t) {
    if (t->file != INVALID_HANDLE_VALUE) calls.CloseHandle(t->file);
    t->file = INVALID_HANDLE_VALUE;
    if (t->text) heap_free(runtime_heap, t->text);
    t->text = 0;
}

// The copy's name, the file's name followed by ".new"; null when the heap has no room.
String copy_name(const char* path) {
    const unsigned length = text_length(path);
    String name = static_cast<char*>(heap_alloc(runtime_heap, length + sizeof kCopySuffix, false));
    if (!name) return 0;
    memcpy(name, path, length);
    memcpy(name + length, kCopySuffix, sizeof kCopySuffix);
    return name;
}

// A copy written to its end keeps its text without the end line; any other is not taken.
bool complete_copy(FileText* copy) {
    const DWORD n = copy->length;
    if (!copy->text || n < kCopyEndLength || memcmp(copy->text + n - kCopyEndLength, kCopyEnd, kCopyEndLength) != 0)
        return false;
    if (n > kCopyEndLength && copy->text[n - kCopyEndLength - 1] != '\n') return false;
    copy->length = n - kCopyEndLength;
    copy->text[copy->length] = 0;
    return true;
}

// A save empties the file before its new text goes in, so one cut short leaves the file
// missing or holding the first part of its complete copy's text; then the copy is loaded. Any
// other file, a hand-edited one included, wins over a copy.
void prefer_unfinished_copy(const char* path, FileText* file) {
    if (!file->missing && !file->text) return;
    String name = copy_name(path);
    if (!name) return;
    FileText copy = read_file_text(name, FILE_SHARE_READ);
    free_string(&name);
    if (complete_copy(&copy) &&
        (file->missing || (file->length < copy.length && memcmp(file->text, copy.text, file->length) == 0))) {
        release_file_text(file);
        *file = copy;
    } else {
        release_file_text(&copy);
    }
}

void gather_bytes(void*, const char* bytes, unsigned length) {
    if (prefs.write_failed) return;
    if (length > kLargestLoadedFile - prefs.length) {
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

enum WriteOutcome { Untouched, Damaged, Written };

// Writes the bytes as the file's whole content. CREATE_ALWAYS empties the file first;
// OPEN_ALWAYS writes over the old bytes and then cuts off what is left of them.
WriteOutcome write_file_once(const char* path, DWORD disposition, const char* bytes, DWORD length) {
    HANDLE file = calls.CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, 0, disposition, FILE_ATTRIBUTE_NORMAL, 0);
    if (file == INVALID_HANDLE_VALUE) return Untouched;
    DWORD written = 0;
    bool done = calls.WriteFile(file, bytes, length, &written, 0) && written == length;
    if (done && disposition == OPEN_ALWAYS) done = calls.SetEndOfFile(file) != 0;
    if (done) done = calls.FlushFileBuffers(file) != 0;
    if (!calls.CloseHandle(file)) done = false;
    return done ? Written : Damaged;
}

// A second attempt outlasts another program's brief hold (a virus scanner, a backup) or a
// passing write error. Damaged when an attempt changed the file and none completed.
WriteOutcome write_file(const char* path, DWORD disposition, const char* bytes, DWORD length) {
    const WriteOutcome first = write_file_once(path, disposition, bytes, length);
    if (first == Written) return Written;
    const WriteOutcome second = write_file_once(path, disposition, bytes, length);
    return second == Untouched ? first : second;
}

// Without a copy the file is written over rather than emptied: until the write it holds its old
// text, after it the new text, followed until the cut at most by the rest of the old one, which
// lookups of the keys in the new text never reach. A failed write puts back the old bytes, when
// they could be read, or removes a file that was not there before.
void write_without_copy(const char* path, DWORD length) {
    FileText old = read_file_text(path, FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (old.file != INVALID_HANDLE_VALUE) calls.CloseHandle(old.file);
    if (write_file(path, OPEN_ALWAYS, prefs.buffer, length) == Damaged) {
        if (old.text) write_file(path, OPEN_ALWAYS, old.text, old.length);
        else if (old.missing) calls.DeleteFileA(path);
    }
    if (old.text) heap_free(runtime_heap, old.text);
}

// The copy gets the lines and its end line. With the copy complete the file may be emptied
// and rewritten: until its new text is in, a load takes the copy, which therefore stays when
// the file was left damaged.
void commit_save() {
    const DWORD length = prefs.length;
    gather_bytes(0, kCopyEnd, kCopyEndLength);
    if (prefs.write_failed) return;
    const char* path = prefs.target_path;
    String copy = copy_name(path);
    if (copy && write_file_once(copy, CREATE_ALWAYS, prefs.buffer, length + kCopyEndLength) == Written) {
        if (write_file(path, CREATE_ALWAYS, prefs.buffer, length) != Damaged) calls.DeleteFileA(copy);
    } else {
        // A copy cut short is never loaded; it is deleted where it can be.
        if (copy) calls.DeleteFileA(copy);
        write_without_copy(path, length);
    }
    free_string(&copy);
}

bool text_loaded() { return prefs.file_handle && !prefs.writing && prefs.buffer; }

char comment_character() { return prefs.comment_marker ? prefs.comment_marker[0] : 0; }
}  // namespace

void init_preferences() {
    prefs.comment_marker = ";";
    prefs.buffer = 0;
    calls.CreateFileA = CreateFileA;
    calls.GetFileAttributesA = GetFileAttributesA;
    calls.GetFileSize = GetFileSize;
    calls.ReadFile = ReadFile;
    calls.WriteFile = WriteFile;
    calls.SetEndOfFile = SetEndOfFile;
    calls.FlushFileBuffers = FlushFileBuffers;
    calls.CloseHandle = CloseHandle;
    calls.DeleteFileA = DeleteFileA;
}

void* open_preferences(const char* path) {
    close_preferences();
    if (!path) return 0;
    FileText file = read_file_text(path, FILE_SHARE_READ);
    prefer_unfinished_copy(path, &file);
    if (file.file == INVALID_HANDLE_VALUE) return 0;
    prefs.file_handle = file.file;
    prefs.writing = 0;
    prefs.buffer = file.text;
    prefs.scan_start = file.text;
    return file.file;
}

void* create_preferences(const char* path) {
    close_preferences();
    if (!path || !*path) return 0;
    const DWORD attributes = calls.GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() == ERROR_PATH_NOT_FOUND : (attributes & kUnwritable) != 0)
        return 0;
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
    if (prefs.writing && !prefs.write_failed) commit_save();
    if (prefs.file_handle) calls.CloseHandle(prefs.file_handle);
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
