// Loading and saving the preferences file so that no interruption loses it (see
// preferences_store.h). Every step names one file and uses only plain calls (open, read, write,
// cut, flush, close, delete), so nothing depends on how a system renames or replaces files, and
// links and other programs' handles keep leading to the same file.
#include "settings/preferences_store.h"

#include <string.h>

#include "runtime/base/heap.h"
#include "runtime/base/strings.h"

PreferencesFileCalls preferences_file_calls;

namespace {
PreferencesFileCalls& io = preferences_file_calls;

const char kCopySuffix[] = ".new";
// The copy's last line: the comment marker, a space and a stamp of lower-case hexadecimal digits
// and dots. The writer never makes a comment line, so a copy that ends with such a line (or with
// a lone marker, as earlier versions wrote it) was written to its end. The stamp tells this
// save's copy from every other, also from one holding the same text.
const unsigned long kLongestEndLine = 32;
// The line before a copy the file holds of its own: lookups end at a "[" line, so until the new
// text is in place they read the old one.
const char kStageLine[] = "\r\n[Norvane.ini.new]\r\n";
// Both lines are written in the text's own encoding: bytes, or UTF-16 units in the order its
// mark gives.
enum MarkForm { BytesForm, LittleEndianForm, BigEndianForm };
struct Mark {
    char bytes[2 * kLongestEndLine];
    unsigned long length;
};

MarkForm form_of(const char* text, unsigned long length) {
    if (length < 2) return BytesForm;
    const unsigned char first = static_cast<unsigned char>(text[0]), second = static_cast<unsigned char>(text[1]);
    return first == 0xFF && second == 0xFE ? LittleEndianForm : first == 0xFE && second == 0xFF ? BigEndianForm : BytesForm;
}

Mark mark(const char* line, MarkForm form) {
    Mark m = {{0}, 0};
    for (const char* c = line; *c; ++c) {
        if (form == BigEndianForm) m.bytes[m.length++] = 0;
        m.bytes[m.length++] = *c;
        if (form == LittleEndianForm) m.bytes[m.length++] = 0;
    }
    return m;
}

// The unit at a unit's index as a character: 0 when it is none of ASCII.
char unit_at(const char* text, unsigned long index, MarkForm form) {
    if (form == BytesForm) return text[index];
    const char low = text[2 * index + (form == BigEndianForm)], high = text[2 * index + (form == LittleEndianForm)];
    return high ? 0 : low;
}

bool stamp_character(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || c == '.'; }

// This save's end line: the process, the time and a count of this process's saves, so that no
// two copies ever share it (a number is used again only after its process ended, and the time
// comes round only after 49 days).
char end_line[kLongestEndLine];
unsigned long saves_made;

void put_hex(char** at, unsigned long value) {
    int shift = 28;
    while (shift > 0 && !(value >> shift)) shift -= 4;
    for (; shift >= 0; shift -= 4) *(*at)++ = "0123456789abcdef"[(value >> shift) & 15];
}

void stamp_end_line() {
    char* at = end_line;
    *at++ = ';';
    *at++ = ' ';
    put_hex(&at, io.process());
    *at++ = '.';
    put_hex(&at, io.ticks());
    *at++ = '.';
    put_hex(&at, ++saves_made);
    memcpy(at, "\r\n", 3);
}

// Its size plus the terminator must fit the heap's 32-bit sizes.
const unsigned long kLargestLoadedFile = 0x7FFFFFF0;
// Another program's brief hold of a file (a virus scanner, a backup, another instance saving)
// is waited out, half a second at most in all for one load or save.
const unsigned kBusyWaits[] = {50, 100, 150, 200};
const unsigned kLongestWait = 500;
unsigned waited;
const char kZeros[256] = {};
// The largest code unit of a text's encoding: a UTF-16 unit.
const unsigned long kUnitSize = 2;

enum TextState { TextAbsent, TextUnread, TextRead };
struct FileText {
    void* file;  // held open for reading, or null
    char* text;  // ended by a NUL, or null; a judged copy's text is ended by its end line instead
    unsigned long length;
    TextState state;
    unsigned long whole;  // the length as read, a copy's end line included
};
const FileText kNoText = {0, 0, 0, TextUnread, 0};

// A system that offers no flush (a network redirector, say) refuses it; the bytes are written
// all the same.
bool flush(void* file) { return io.flush(file) != FlushFailed; }

// Waits out a brief hold unless the caller holds the settings file meanwhile.
void* open_file(const char* path, FileOpening how, bool may_wait = true) {
    void* file = io.open(path, how);
    for (unsigned pause : kBusyWaits) {
        if (!may_wait) break;
        if (file || io.failure() != FileBusy || waited + pause > kLongestWait) break;
        io.wait(pause);
        waited += pause;
        file = io.open(path, how);
    }
    return file;
}

// The whole text of a file open for reading. Unread when it is larger than the limit or could
// not all be read into memory: a text that stopped early would read as another file.
FileText read_open(void* file, unsigned long limit) {
    FileText t = kNoText;
    t.file = file;
    unsigned long size = 0;
    char* block = 0;
    if (io.size(file, &size) && size <= limit) block = static_cast<char*>(heap_alloc(runtime_heap, size + 2, false));
    if (block && io.read(file, block, size)) {
        block[size] = 0;
        t.text = block;
        t.length = t.whole = size;
        t.state = TextRead;
    } else if (block) {
        heap_free(runtime_heap, block);
    }
    return t;
}

// A file's whole text, unread also when the file exists but did not open.
FileText read_text(const char* path, FileOpening how, unsigned long limit, bool may_wait = true) {
    void* file = path ? open_file(path, how, may_wait) : 0;
    if (!file) {
        FileText t = kNoText;
        if (path && io.failure() == FileMissing) t.state = TextAbsent;
        return t;
    }
    FileText t = read_open(file, limit);
    io.close(file);
    t.file = 0;
    return t;
}

void release_text(FileText* t) {
    if (t->file) io.close(t->file);
    if (t->text) heap_free(runtime_heap, t->text);
    *t = kNoText;
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

// Whether text[length] was written to its end: it ends with an end line, in its own form,
// right after a line end. Its length then leaves the end line out.
bool written_to_end(const char* text, unsigned long* length) {
    if (!text) return false;
    const MarkForm form = form_of(text, *length);
    const unsigned long unit = form == BytesForm ? 1 : 2, units = *length / unit;
    if (*length % unit || units < 3 || unit_at(text, units - 1, form) != '\n' || unit_at(text, units - 2, form) != '\r')
        return false;
    unsigned long at = units - 2;
    while (at > 0 && units - at < kLongestEndLine && stamp_character(unit_at(text, at - 1, form))) --at;
    if (at < units - 2 && (at == 0 || unit_at(text, --at, form) != ' ')) return false;
    if (at == 0 || unit_at(text, --at, form) != ';' || (at > 0 && unit_at(text, at - 1, form) != '\n')) return false;
    *length = at * unit;
    return true;
}

// Whether the file is the copy's text on its way: missing, or no longer than the copy and
// holding its bytes, with NUL bytes where a power loss lost what was written, but not all of it.
bool on_its_way(const FileText& file, const char* copy, unsigned long copy_length) {
    if (file.state == TextAbsent) return true;
    if (file.state != TextRead || file.length > copy_length) return false;
    bool whole = file.length == copy_length;
    for (unsigned long i = 0; i < file.length; ++i) {
        if (file.text[i] == copy[i]) continue;
        if (file.text[i] != 0) return false;
        whole = false;
    }
    return !whole;
}

// The copy a file holds of its own, when it was written to its end: its start, or null. Its
// stage line may be in any form, as another instance may have saved the file in another
// encoding since it was read.
const char* staged_text(const FileText& file, unsigned long* length) {
    if (file.state != TextRead) return 0;
    static const MarkForm kForms[] = {BytesForm, LittleEndianForm, BigEndianForm};
    for (MarkForm form : kForms) {
        const Mark stage = mark(kStageLine, form);
        if (file.length < stage.length) continue;
        for (unsigned long at = file.length - stage.length + 1; at-- > 0;) {
            if (memcmp(file.text + at, stage.bytes, stage.length) != 0) continue;
            const char* staged = file.text + at + stage.length;
            *length = file.length - at - stage.length;
            if (form_of(staged, *length) == form && written_to_end(staged, length)) return staged;
            break;
        }
    }
    return 0;
}

enum WriteOutcome { Untouched, Damaged, Written };

// Writes the text as the file's whole content, flushed before the file is cut behind it, so
// that a power loss cannot take the text away with what stood behind it.
WriteOutcome write_once(const char* path, FileOpening how, const char* text, unsigned long length) {
    void* file = open_file(path, how);
    if (!file) return Untouched;
    bool done = io.write(file, 0, text, length) && flush(file);
    if (done && how == OpenToOverwrite) done = io.cut(file, length) && flush(file);
    if (!io.close(file)) done = false;
    return done ? Written : Damaged;
}

// A second attempt outlasts a passing write error. Damaged when an attempt changed the file
// and none completed.
WriteOutcome write_file(const char* path, FileOpening how, const char* text, unsigned long length) {
    const WriteOutcome first = write_once(path, how, text, length);
    if (first == Written) return Written;
    const WriteOutcome second = write_once(path, how, text, length);
    return second == Untouched ? first : second;
}

// Deletes a copy this instance holds open, through that handle: until it is let go no other
// instance can open the copy to write, so the delete cannot reach another instance's copy.
void discard(const char* path, void* held) {
    io.discard(held, path);
    io.close(held);
}

// Whether the file open for retiring still holds the very bytes of the copy judged, text[length]
// and then the end line when one is given: another instance may have written a copy of its own
// by that name since, even one with the same text, but never with the same stamp.
bool still_the_copy(void* file, const char* text, unsigned long length, const Mark* end) {
    FileText now = read_open(file, kLargestCopy);
    now.file = 0;
    const unsigned long tail = end ? end->length : 0;
    const bool same = now.state == TextRead && now.length == length + tail && memcmp(now.text, text, length) == 0 &&
                      (!end || memcmp(now.text + length, end->bytes, tail) == 0);
    release_text(&now);
    return same;
}

// A copy no longer needed is emptied, through the save's own handle when it has one, so that
// it can never be taken again, and deleted through the same handle. Otherwise it is opened anew
// and goes only while it still holds the very bytes it was written or judged with. A copy that
// cannot be opened so (held by another program, or by another instance in the middle of its
// save) stays, and the next load or save tries again.
void retire_copy(const char* path, void* held, const char* text, unsigned long length, const Mark* end) {
    if (held && !io.cut(held, 0)) {
        io.close(held);
        held = 0;
    }
    if (!held) {
        held = open_file(path, OpenToRetire);
        if (!held) return;
        if (!still_the_copy(held, text, length, end) || !io.cut(held, 0)) {
            io.close(held);
            return;
        }
    }
    discard(path, held);
}

// What the file and the copy beside it hold after a save that may have been cut short.
enum Verdict {
    FileStands,   // the file's own text, and no complete copy
    FileWins,     // the file's own text: a complete copy beside it is stale
    CopyTaken,    // the file is on its way to the complete copy, whose text is taken
    StagedTaken,  // the file holds a complete copy of its own, moved to its start
};

Verdict judge(FileText* file, FileText* copy) {
    unsigned long length = copy->length;
    const bool complete = written_to_end(copy->text, &length);
    if (complete) copy->length = length;
    if (complete && on_its_way(*file, copy->text, length)) return CopyTaken;
    const char* staged = staged_text(*file, &length);
    if (!staged) return complete ? FileWins : FileStands;
    // The old text is not needed any more: a save wrote the new one behind it.
    memmove(file->text, staged, length);
    file->text[length] = 0;
    file->length = length;
    return StagedTaken;
}

// Writes the text over the file through a handle open to read and write, flushed before the
// file is cut behind it. A second attempt outlasts a passing write error.
bool write_through(void* file, const char* text, unsigned long length) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (io.write(file, 0, text, length) && flush(file) && io.cut(file, length) && flush(file)) return true;
    }
    return false;
}

// Mending decides again under a handle that keeps other writers out, reading the file and the
// copy anew, so that a save another instance landed since the first look is never undone. The
// copy is read without waiting, as the file is held meanwhile. The text found replaces *file.
bool mend_file(const char* path, const char* copy_path, FileText* file) {
    void* handle = open_file(path, OpenToMend);
    if (!handle) return false;
    FileText now = read_open(handle, kLargestLoadedFile);
    now.file = 0;  // closed below, after the writes
    FileText copy = read_text(copy_path, OpenSharedToRead, kLargestCopy, false);
    // Only what was read whole decides.
    if (now.state == TextUnread || copy.state == TextUnread) {
        io.close(handle);
        release_text(&now);
        release_text(&copy);
        return false;
    }
    const Verdict verdict = judge(&now, &copy);
    bool mended = true;
    if (verdict == CopyTaken) mended = write_through(handle, copy.text, copy.length);
    else if (verdict == StagedTaken) mended = write_through(handle, now.text, now.length);
    if (!io.close(handle)) mended = false;
    // The copy stays until the file holds its text; a stale one goes at once.
    if ((verdict == CopyTaken && mended) || verdict == FileWins) retire_copy(copy_path, 0, copy.text, copy.whole, 0);
    release_text(file);
    if (verdict == CopyTaken) {
        copy.text[copy.length] = 0;
        *file = copy;
        release_text(&now);
    } else {
        *file = now;
        release_text(&copy);
    }
    return mended;
}

// Where the whole text lies after a save that was cut short: a complete copy beside the file or
// inside it. The text found (from the runtime heap) replaces the file's; mending writes it back
// into the file, the copy beside it staying until that is done. False when the text was found
// but could not be put back. The file is not held while the copy is read or retired, as that
// may wait for another instance that needs the file to finish its save.
bool settle_file(const char* path, const char* copy_path, FileText* file, FileText* copy) {
    if (file->state == TextUnread) return true;
    Verdict verdict = judge(file, copy);
    if (verdict == FileStands) {
        // A copy that came while the file was read may be another instance's save cut short.
        release_text(copy);
        *copy = read_text(copy_path, OpenSharedToRead, kLargestCopy);
        verdict = judge(file, copy);
    }
    if (verdict == FileStands) return true;
    // A second attempt outlasts a passing error.
    if (mend_file(path, copy_path, file) || mend_file(path, copy_path, file)) return true;
    // Not put back: the text found is loaded all the same, and the next load tries again.
    if (verdict == CopyTaken) {
        release_text(file);
        copy->text[copy->length] = 0;
        *file = *copy;
        *copy = kNoText;
    }
    return verdict == FileWins;
}

// The file and the copy beside it as a load or save first sees them, the copy read first: a
// save that lands between the two reads leaves its text in the file.
FileText read_file_and_copy(const char* path, const char* copy_path, FileOpening how, FileText* copy) {
    *copy = read_text(copy_path, OpenSharedToRead, kLargestCopy);
    return read_text(path, how, kLargestLoadedFile);
}

// Without a copy beside it the file holds its own: the new text goes behind the old one (NUL
// bytes between them end every lookup in the old text, and the stage line ends lookups after a
// power loss too), then over it from the start, and the file is cut behind it. Untouched when
// the old text stands as it was: the file did not open, or could not grow to hold the copy.
WriteOutcome write_staged(const char* path, const FileText& old, const char* text, unsigned long length) {
    void* file = open_file(path, OpenToOverwrite);
    if (!file) return Untouched;
    // At least one NUL unit ends the old text whatever its encoding, and the stage line starts
    // on a unit's boundary.
    unsigned long stage = old.length + kUnitSize > length ? old.length + kUnitSize : length;
    stage += stage % kUnitSize;
    const MarkForm form = form_of(text, length);
    const Mark line = mark(kStageLine, form), end = mark(end_line, form);
    bool staged = true;
    for (unsigned long at = old.length; staged && at < stage;) {
        const unsigned long piece = stage - at < sizeof kZeros ? stage - at : sizeof kZeros;
        staged = io.write(file, at, kZeros, piece);
        at += piece;
    }
    staged = staged && io.write(file, stage, line.bytes, line.length) &&
             io.write(file, stage + line.length, text, length) &&
             io.write(file, stage + line.length + length, end.bytes, end.length) && flush(file);
    if (!staged) {
        const bool cut = io.cut(file, old.length) && flush(file);
        io.close(file);
        return cut ? Untouched : Damaged;
    }
    bool done = io.write(file, 0, text, length) && flush(file) && io.cut(file, length) && flush(file);
    if (!io.close(file)) done = false;
    return done ? Written : Damaged;
}

// The file written over in place, the last road: its old text put back, or the file removed
// when there was none, if that fails.
bool write_over(const char* path, const FileText& old, const char* text, unsigned long length) {
    const WriteOutcome outcome = write_file(path, OpenToOverwrite, text, length);
    if (outcome == Damaged) {
        if (old.state == TextRead) write_file(path, OpenToOverwrite, old.text, old.length);
        else if (old.state == TextAbsent) io.remove(path);
    }
    return outcome == Written;
}
}  // namespace

PreferencesText load_preferences_file(const char* path) {
    PreferencesText loaded = {0, 0, 0};
    if (!path) return loaded;
    waited = 0;
    String copy_path = copy_name(path);
    FileText copy = kNoText;
    FileText file = read_file_and_copy(path, copy_path, OpenToRead, &copy);
    if (copy_path) settle_file(path, copy_path, &file, &copy);
    release_text(&copy);
    free_string(&copy_path);
    // A load holds the file it read; it is taken only now, so that no wait above holds it.
    if (file.state == TextRead) file.file = open_file(path, OpenToRead);
    loaded.file = file.file;
    loaded.text = file.text;
    loaded.length = file.length;
    return loaded;
}

bool save_preferences_file(const char* path, const char* text, unsigned long length) {
    waited = 0;
    String copy_path = copy_name(path);
    FileText found = kNoText;
    FileText old = read_file_and_copy(path, copy_path, OpenSharedToRead, &found);
    // What a save cut short left is put in order first: the copy about to be written anew may
    // hold the one whole text.
    const bool settled = !copy_path || settle_file(path, copy_path, &old, &found);
    release_text(&found);
    if (!settled) {
        release_text(&old);
        free_string(&copy_path);
        return false;
    }
    // The copy is held open until the file has its new text, so that no other instance of the
    // program empties or deletes it meanwhile.
    stamp_end_line();
    void* copy = copy_path ? open_file(copy_path, OpenToCopy) : 0;
    const Mark end = mark(end_line, form_of(text, length));
    const bool copied = copy && io.write(copy, 0, text, length) && io.write(copy, length, end.bytes, end.length) &&
                        flush(copy);
    // Only a copy this save damaged is deleted.
    if (copy && !copied) discard(copy_path, copy);
    bool landed;
    if (copied) {
        const WriteOutcome outcome = write_file(path, OpenToRewrite, text, length);
        landed = outcome == Written;
        // A file this save left damaged is mended from the copy at the next load.
        if (outcome == Damaged) io.close(copy);
        else retire_copy(copy_path, copy, text, length, &end);
    } else {
        WriteOutcome staged = old.state == TextRead ? write_staged(path, old, text, length) : Untouched;
        landed = staged == Written || (staged == Untouched && write_over(path, old, text, length));
    }
    release_text(&old);
    free_string(&copy_path);
    return landed;
}
