// Loading and saving the preferences file so that no interruption loses it, over the file calls
// the shell hands in (preferences_file_calls), so that a test can play any of them.
//
// A save writes a complete copy beside the file (its name + ".new", ending in a line of ";", a
// space and a stamp that no other save writes: the process, the time and a count), holds it open
// while it rewrites the file, then empties it and deletes it through that handle. Where no
// copy can be made the file holds its own: the new text goes behind the old one, after a line
// "[Norvane.ini.new]" that ends every lookup, then over the old text, and the file is cut
// behind it. A load that finds the file cut short on its way there (missing, or holding part
// of the copy's text with NUL bytes where writes were lost) takes the copy and mends the file;
// any other file wins, and a copy it makes stale is emptied and deleted, so that it can never be
// taken later over a file the user edited or emptied, but only while the handle that reads it
// finds the very bytes judged, stamp included: never another instance's newer copy. Mending
// decides again under a handle that keeps other writers out. The texts are the file's bytes in
// any encoding: the copy's end line and the stage line are written as UTF-16 units where the
// text starts with a UTF-16 mark.
#pragma once

#include "runtime/base/strings.h"

enum FileOpening {
    OpenToRead,        // an existing file; others may read it but not write it
    OpenSharedToRead,  // an existing file, also while others write it
    OpenToRewrite,     // created or emptied, to write; others may read it
    OpenToOverwrite,   // opened or created without emptying, to write; others may read it
    OpenToRetire,      // an existing file, to read, write and delete while no one else has it open
    OpenToMend,        // opened or created without emptying, to read and write; others may read it
    OpenToCopy,        // created or emptied, to write and delete; others may read it
};
enum FileFailure { FileMissing, FileBusy, FileRefused };
enum FileStanding { PathFree, FolderMissing, FileWritable, FileUnwritable };
enum FlushResult { Flushed, FlushNotOffered, FlushFailed };

struct PreferencesFileCalls {
    void* (*open)(const char* path, FileOpening how);  // null when refused: see failure
    FileFailure (*failure)();                         // why the last open was refused
    bool (*size)(void* file, unsigned long* size);
    bool (*read)(void* file, char* bytes, unsigned long length);  // from the start; all or false
    bool (*write)(void* file, unsigned long at, const char* bytes, unsigned long length);  // all or false
    bool (*cut)(void* file, unsigned long length);  // the file ends there
    FlushResult (*flush)(void* file);
    bool (*close)(void* file);
    bool (*remove)(const char* path);
    // Deletes the file held open to retire or to copy, by that handle, before it is closed: the
    // name may lead to another file only once it is.
    bool (*discard)(void* file, const char* path);
    FileStanding (*standing)(const char* path);  // FileUnwritable: read-only, hidden, system, folder
    void (*wait)(unsigned milliseconds);
    unsigned long (*process)();  // this process's number
    unsigned long (*ticks)();    // milliseconds since the system started
};
extern PreferencesFileCalls preferences_file_calls;

// A loaded text, ended by a NUL, from the runtime heap (null when there is none), and the file
// held open for reading until the caller closes it (null when none is).
struct PreferencesText {
    void* file;
    char* text;
    unsigned long length;
};
PreferencesText load_preferences_file(const char* path);

// Makes text[length] the file's whole text. Returns whether it landed; a save that did not land
// leaves the file's old text (or the copy a save cut short left) where the next load finds it.
bool save_preferences_file(const char* path, const char* text, unsigned long length);

// The largest copy a load reads: two texts of scratch size and the lines around them, more
// than any save writes.
const unsigned long kLargestCopy = 2UL * kScratchSize + 1024;
