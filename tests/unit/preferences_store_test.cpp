// The preferences store against a disk held in memory: every sequence of loads and up to three
// saves, each completing or cut short at any file call in any way (the call refused or busy, a
// write short, the process ended, a power loss turning unflushed bytes to zeros or taking them
// away), or another instance of the program running at that call (in the first load and save,
// its start, its save, or its save of the text already there, whole or ended before each of its
// own changes to the disk; later, its save; on the NT and on the Windows 95 family), from the
// states a user can make, checked after every step against what was saved: nothing lost, and
// the user's own file wins.
#include <cctype>
#include <chrono>
#include <cstring>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "settings/preferences_encoding.h"
#include "settings/preferences_store.h"
#include "settings/preferences_text.h"
#include "settings/settings_table.h"
#include "unit_support.h"
#include "../file_encodings.h"

namespace {
const char kPath[] = "C:\\WINDOWS\\Norvane.ini";
const char kCopyPath[] = "C:\\WINDOWS\\Norvane.ini.new";

// A file: its bytes, what of them a power loss keeps, and which were written since the last
// flush. Handles hold the file, so a file deleted while open (the Windows 95 family allows it)
// lives on for them. On the NT family a file deleted through a handle keeps its name, refusing
// every open, until no handle holds it.
struct Node {
    std::string bytes, durable, dirty;
    bool deleting = false;
};
struct Handle {
    std::shared_ptr<Node> node;
    bool write;
    int share;  // 1 read, 2 write
    int owner;  // which instance of the program opened it
    bool copy;  // the copy beside the settings file
    bool deletes;  // opened to delete
};
struct Disk {
    std::map<std::string, std::shared_ptr<Node>, std::less<>> files;
    std::map<long, Handle> handles;
    long next_handle = 1;
    bool folder_closed = false;       // the folder takes no new files
    bool deletes_open_files = false;  // the Windows 95 family
    Disk copy() const {
        Disk d = *this;
        for (auto& f : d.files) f.second = std::make_shared<Node>(*f.second);
        return d;
    }
    // What tells states apart. A copy without its end line (in any encoding) is never taken,
    // whatever it holds.
    std::string key() const;
    void put(const std::string& path, const std::string& bytes) {
        files[path] = std::make_shared<Node>(Node{bytes, bytes, std::string(bytes.size(), 0)});
    }
    // Lets go of the handles of one instance (all for -1, none for -2); a file deleted through one
    // of them goes with the last.
    void let_go(int owner) {
        for (auto h = handles.begin(); h != handles.end();)
            h = owner == -1 || h->second.owner == owner ? handles.erase(h) : std::next(h);
        for (auto f = files.begin(); f != files.end();) {
            bool held = false;
            for (const auto& h : handles) held = held || h.second.node == f->second;
            f = f->second->deleting && !held ? files.erase(f) : std::next(f);
        }
    }
};

// Where the end line of a copy written to its end starts: a line of ";" alone, or of "; " and
// a stamp, in the copy's own encoding. npos when there is none.
size_t end_line_at(const std::string& b) {
    const unsigned char m0 = b.size() >= 2 ? b[0] : 0, m1 = b.size() >= 2 ? b[1] : 0;
    const size_t size = (m0 == 0xFF && m1 == 0xFE) || (m0 == 0xFE && m1 == 0xFF) ? 2 : 1;
    if (b.size() % size) return std::string::npos;
    auto unit = [&](size_t i) -> int {
        if (size == 1) return static_cast<unsigned char>(b[i]);
        const unsigned char low = b[2 * i + (m0 == 0xFE)], high = b[2 * i + (m0 != 0xFE)];
        return high ? -1 : low;
    };
    auto stamp_char = [](int c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || c == '.'; };
    const size_t n = b.size() / size;
    if (n < 3 || unit(n - 1) != '\n' || unit(n - 2) != '\r') return std::string::npos;
    size_t i = n - 2;
    while (i > 0 && stamp_char(unit(i - 1))) --i;
    if (i < n - 2 && (i == 0 || unit(--i) != ' ')) return std::string::npos;
    if (i == 0 || unit(--i) != ';' || (i > 0 && unit(i - 1) != '\n')) return std::string::npos;
    return i * size;
}

std::string Disk::key() const {
    std::string k = folder_closed ? "closed;" : ";";
    for (const auto& f : files) {
        // A stamp tells copies apart only while an instance holds what it judged, never between
        // steps, as every save stamps its copy anew.
        const std::string& b = f.second->bytes;
        const size_t end = end_line_at(b);
        const std::string shown = end != std::string::npos ? b.substr(0, end) + "(end)" : f.first == kCopyPath ? "(incomplete)" : b;
        k += f.first + "=" + shown + "|";
    }
    return k;
}

enum FaultKind { Refused, Busy, ShortHalf, ShortAllButOne, FlushNotOffered_, ProcessEnds, PowerZeros, PowerGone, Other, kFaultKinds };
const char* const kFaultNames[] = {"refused", "busy", "short by half", "short by one byte", "flush not offered",
                                   "process ended", "power lost (zeros)", "power lost (gone)", "another instance"};
enum CallKind { OpenCall, WriteCall, FlushCall, OtherCall };

// What another instance of the program does at one call of ours: its start, its save of a new
// text, or its save of the text already there (Close pressed with nothing changed), on one
// family, whole or ended just before the given one of its changes to the disk.
enum OtherAction { OtherStarts, OtherSaves, OtherSavesSame, kOtherActions };
const char* const kOtherActions_[] = {"start", "save", "save of the same text"};
struct OtherRun {
    OtherAction action;
    bool windows_95;
    int end;  // 0: whole; kAtFileWrite: just before its first write into the settings file
};
const int kAtFileWrite = -1;
const OtherRun kNoOther = {OtherStarts, false, 0};

// The calls of one instance of the program in one step: the fault to play, and what happened.
struct Player {
    Disk* disk = nullptr;
    int id = 0;
    int fault_at = 0;
    FaultKind fault = Refused;
    int calls = 0;
    bool hit = false, misfit = false, dead = false;
    FileFailure failure = FileMissing;
    int end_at = 0;     // another instance: ended before this change to the disk, 0 never
    int changes = 0;
    OtherRun other = {OtherStarts, false, 0};
    const std::string* other_text = nullptr;  // what another instance saves as a new text
    std::string same_text;                     // what it saves as the text already there
    const std::string* other_saved = nullptr;  // what it saved, if it saved
    bool other_landed = false, other_reached = false, other_skipped = false;
    unsigned clock = 0;      // milliseconds waited
    unsigned held_until = 0; // another program holds the file until then
};
Player* player;
// What the calls saw that no save may do, for the step to report.
std::string misdeed;

bool save_text(const std::string& text);
const std::set<std::string>& saved_texts();
void load_and_close();

// A call that changes the disk goes ahead unless another instance ends just before it.
bool change() {
    if (player->dead) return false;
    if (++player->changes != player->end_at) return true;
    player->dead = true;
    return false;
}

// Another instance runs whole, or until it ends, within one call of ours.
void run_other() {
    Player* const first = player;
    Player other;
    other.disk = first->disk;
    other.id = first->id + 1;
    other.end_at = first->other.end;
    const std::string* text = first->other_text;
    if (first->other.action == OtherSavesSame) {
        // The text a complete copy holds, else the file's when it is a whole text as saves write it.
        const auto copy = first->disk->files.find(kCopyPath), file = first->disk->files.find(kPath);
        const size_t end = copy == first->disk->files.end() ? std::string::npos : end_line_at(copy->second->bytes);
        if (end != std::string::npos) first->same_text = copy->second->bytes.substr(0, end);
        else if (file != first->disk->files.end() && saved_texts().count(file->second->bytes))
            first->same_text = file->second->bytes;
        else {
            first->other_skipped = true;
            return;
        }
        text = &first->same_text;
    }
    player = &other;
    bool landed = false;
    if (first->other.action == OtherStarts) load_and_close();
    else landed = save_text(*text);
    first->other_saved = first->other.action == OtherStarts ? nullptr : text;
    first->other_landed = landed && !other.dead;
    first->other_reached = !other.end_at || other.dead;
    first->disk->let_go(other.id);  // a process's handles end with it
    player = first;
}

// Whether the call goes ahead: false for the fault's call and, once the process has ended, for
// every later one. Another instance saving at once saves whole before the call goes ahead.
bool go(CallKind kind, bool* short_write = nullptr) {
    if (player->dead) return false;
    if (++player->calls != player->fault_at) return true;
    player->hit = true;
    const FaultKind f = player->fault;
    const bool fits = f == Busy              ? kind == OpenCall
                      : f == FlushNotOffered_ ? kind == FlushCall
                      : f == ShortHalf || f == ShortAllButOne ? kind == WriteCall
                                                              : true;
    if (!fits) {
        player->misfit = true;
        return true;
    }
    if (f == Other) {
        run_other();
        return true;
    }
    if (f == FlushNotOffered_) return false;
    if (f == ProcessEnds || f == PowerZeros || f == PowerGone) {
        // A power loss with nothing unflushed is the process ending, played already.
        bool unflushed = false;
        for (const auto& file : player->disk->files) unflushed = unflushed || file.second->dirty.find('\1') != std::string::npos;
        if (f != ProcessEnds && !unflushed) player->misfit = true;
        player->dead = true;
        return false;
    }
    if (short_write) *short_write = true;
    player->failure = f == Busy ? FileBusy : FileRefused;
    return false;
}

bool conflicts(const Handle& h, bool write, int share) {
    return (write ? !(h.share & 2) : !(h.share & 1)) || (h.write ? !(share & 2) : !(share & 1));
}

void* m_open(const char* path, FileOpening how) {
    if (!go(OpenCall)) {
        if (player->dead) player->failure = FileRefused;
        return nullptr;
    }
    static const struct {
        bool write;
        int share;
        bool creates, empties, existing, deletes;
    } kHow[] = {{false, 1, false, false, true, false},  // OpenToRead
                {false, 3, false, false, true, false},  // OpenSharedToRead
                {true, 1, true, true, false, false},    // OpenToRewrite
                {true, 1, true, false, false, false},   // OpenToOverwrite
                {true, 0, false, false, true, true},    // OpenToRetire
                {true, 1, true, false, false, false},   // OpenToMend
                {true, 1, true, true, false, true}};    // OpenToCopy
    const auto& o = kHow[how];
    Disk& disk = *player->disk;
    if (player->clock < player->held_until && path == std::string(kPath)) {
        player->failure = FileBusy;
        return nullptr;
    }
    auto found = disk.files.find(path);
    if (found == disk.files.end() && (o.existing || disk.folder_closed)) {
        player->failure = o.existing ? FileMissing : FileRefused;
        return nullptr;
    }
    if (found != disk.files.end() && found->second->deleting) {
        player->failure = FileRefused;
        return nullptr;
    }
    if (found != disk.files.end())
        for (const auto& h : disk.handles)
            if (h.second.node == found->second && conflicts(h.second, o.write, o.share)) {
                player->failure = FileBusy;
                return nullptr;
            }
    if ((found == disk.files.end() || (o.empties && !found->second->bytes.empty())) && !change()) {
        player->failure = FileRefused;
        return nullptr;
    }
    if (found == disk.files.end()) {
        disk.put(path, "");
        found = disk.files.find(path);
    }
    if (o.empties) *found->second = Node();
    const long n = disk.next_handle++;
    disk.handles[n] = Handle{found->second, o.write, o.share, player->id, strcmp(path, kCopyPath) == 0, o.deletes};
    return reinterpret_cast<void*>(n);
}

Handle* handle_of(void* file) {
    auto h = player->disk->handles.find(reinterpret_cast<long>(file));
    EXPECT_TRUE(h != player->disk->handles.end() && h->second.owner == player->id) << "a call on a handle not open";
    return h == player->disk->handles.end() ? nullptr : &h->second;
}

FileFailure m_failure() { return player->failure; }

bool m_size(void* file, unsigned long* size) {
    if (!go(OtherCall) || !handle_of(file)) return false;
    *size = handle_of(file)->node->bytes.size();
    return true;
}

bool m_read(void* file, char* bytes, unsigned long length) {
    if (!go(OtherCall)) return false;
    if (handle_of(file)->copy && length > kLargestCopy) misdeed = "read a copy larger than any save writes";
    const std::string& b = handle_of(file)->node->bytes;
    if (b.size() != length) return false;
    b.copy(bytes, length);
    return true;
}

bool m_write(void* file, unsigned long at, const char* bytes, unsigned long length) {
    if (player->end_at == kAtFileWrite && handle_of(file) && !handle_of(file)->copy) player->dead = true;
    bool short_write = false;
    if (!go(WriteCall, &short_write) && !short_write) return false;
    if (!change()) return false;
    Handle* h = handle_of(file);
    EXPECT_TRUE(h && h->write) << "a write through a handle opened for reading";
    const unsigned long part = !short_write ? length : player->fault == ShortHalf ? length / 2 : length ? length - 1 : 0;
    Node& n = *h->node;
    if (n.bytes.size() < at + part) {
        n.bytes.resize(at + part, 0);
        n.dirty.resize(at + part, 0);
    }
    n.bytes.replace(at, part, bytes, part);
    n.dirty.replace(at, part, part, 1);
    return !short_write;
}

bool m_cut(void* file, unsigned long length) {
    if (!go(OtherCall) || !change()) return false;
    Node& n = *handle_of(file)->node;
    n.bytes.resize(length, 0);
    n.durable.resize(length, 0);
    n.dirty.resize(length, 0);
    return true;
}

FlushResult m_flush(void* file) {
    if (!go(FlushCall)) return player->fault == FlushNotOffered_ && !player->dead ? FlushNotOffered : FlushFailed;
    Node& n = *handle_of(file)->node;
    n.durable = n.bytes;
    n.dirty.assign(n.bytes.size(), 0);
    return Flushed;
}

bool m_close(void* file) {
    const bool going = go(OtherCall);
    if (!player->dead && handle_of(file)) {
        player->disk->handles.erase(reinterpret_cast<long>(file));
        player->disk->let_go(-2);
    }
    return going;
}

bool m_remove(const char* path) {
    if (!go(OtherCall)) return false;
    auto found = player->disk->files.find(path);
    if (found == player->disk->files.end()) return false;
    for (const auto& h : player->disk->handles) {
        if (h.second.node != found->second) continue;
        if (!player->disk->deletes_open_files) return false;
        if (h.second.owner != player->id && h.second.write)
            misdeed = std::string("deleted ") + path + ", which another instance is writing";
    }
    if (!change()) return false;
    player->disk->files.erase(found);
    return true;
}

bool m_discard(void* file, const char* path) {
    if (!go(OtherCall)) return false;
    Handle* h = handle_of(file);
    auto found = player->disk->files.find(path);
    if (!h || !h->deletes) misdeed = "deleted through a handle not opened to delete";
    if (!h || !h->deletes || found == player->disk->files.end() || found->second != h->node || h->node->deleting)
        return false;
    if (!change()) return false;
    // The Windows 95 family deletes by name, the NT family marks the file held.
    if (player->disk->deletes_open_files) player->disk->files.erase(found);
    else h->node->deleting = true;
    return true;
}

// Every save stamps its copy with another moment.
unsigned long m_process() { return static_cast<unsigned long>(player->id); }
unsigned long m_ticks() {
    static unsigned long ticks;
    return ++ticks;
}

FileStanding m_standing(const char* path) { return player->disk->files.count(path) ? FileWritable : PathFree; }

void m_wait(unsigned milliseconds) {
    const auto file = player->disk->files.find(kPath);
    for (const auto& h : player->disk->handles)
        if (file != player->disk->files.end() && h.second.owner == player->id && h.second.node == file->second)
            misdeed = "held the settings file while waiting";
    player->clock += milliseconds;
}

const PreferencesFileCalls kModelCalls = {m_open,  m_failure, m_size,    m_read,     m_write, m_cut,     m_flush,
                                          m_close, m_remove,  m_discard, m_standing, m_wait,  m_process, m_ticks};

bool save_text(const std::string& text) { return save_preferences_file(kPath, text.data(), text.size()); }

// The ten values a loaded text gives, as one line.
std::string summary(const char* text) {
    std::string s;
    for (const SettingRow& row : kSettingRows) {
        if (row.text) {
            char* value = lookup_preference_text(text ? text : "", row.key, ';', row.default_text);
            s += value;
            scratch_rewind(value);
        } else {
            s += std::to_string(lookup_preference_number(text ? text : "", row.key, ';', row.default_number));
        }
        s += "|";
    }
    return s;
}

// The same of file bytes in any encoding, as the program reads them.
std::string summary(const std::string& bytes) {
    const TextEncoding encoding = recognise_encoding(bytes.data(), bytes.size());
    if (encoding == EncodingAnsi) return summary(bytes.c_str());
    unsigned long length = 0;
    char* text = decode_preferences(bytes.data(), bytes.size(), encoding, &length);
    const std::string s = summary(text);
    heap_free(runtime_heap, text);
    return s;
}

std::string load_summary(Player& p) {
    player = &p;
    const PreferencesText loaded = load_preferences_file(kPath);
    const std::string s = loaded.text ? summary(std::string(loaded.text, loaded.length)) : summary("");
    if (loaded.file) m_close(loaded.file);
    if (loaded.text) heap_free(runtime_heap, loaded.text);
    return s;
}

// A start of the current player, its text let go.
void load_and_close() {
    const PreferencesText loaded = load_preferences_file(kPath);
    if (loaded.file) m_close(loaded.file);
    if (loaded.text) heap_free(runtime_heap, loaded.text);
}

// The summary of a text saved, worked out once.
const std::string& summary_of(const std::string& text) {
    static std::map<std::string, std::string> known;
    auto found = known.find(text);
    if (found == known.end()) found = known.emplace(text, summary(text)).first;
    return found->second;
}

// Latin-1 text (the host's code page) in another encoding, mark first.
std::string encoded(const std::string& text, TextEncoding encoding) { return in_encoding(text, kFileEncodings[encoding]); }

// A ten-line settings file whose every value tells which one it is: numbers 2n, texts "...#n",
// in the encoding given.
const std::string& settings_text(int n, TextEncoding encoding = EncodingAnsi) {
    static std::map<int, std::string> made;
    std::string& t = made[n * 8 + encoding];
    if (t.empty()) {
        std::string plain;
        for (const SettingRow& row : kSettingRows) {
            if (row.text) put_preference_text(collect, &plain, row.key, (row.key + std::string("#") + char('0' + n)).c_str());
            else put_preference_number(collect, &plain, row.key, 20 + n);
        }
        t = encoded(plain, encoding);
    }
    return t;
}

// States that differ only in which of the texts stands where have the same futures, as every
// save writes a text not seen before: the texts are renamed in the order they first appear.
std::string canonical(std::string k) {
    std::map<char, char> names;
    for (size_t i = 2; i + 1 < k.size(); ++i) {
        if (!isdigit(static_cast<unsigned char>(k[i]))) continue;
        const bool text_mark = k[i - 1] == '#';
        const bool number = k[i - 1] == '2' && strchr(" |:/", k[i - 2]) && (k[i + 1] == '\r' || k[i + 1] == '|');
        if (!text_mark && !number) continue;
        const auto name = names.emplace(k[i], static_cast<char>('a' + names.size())).first;
        k[i] = name->second;
    }
    return k;
}

// Every text a save of the explorer writes, in every encoding.
const std::set<std::string>& saved_texts() {
    static std::set<std::string> texts;
    for (int n = 0; texts.empty() && n <= 10; ++n)
        for (int encoding = EncodingAnsi; encoding <= EncodingUtf16Be; ++encoding)
            texts.insert(settings_text(n, static_cast<TextEncoding>(encoding)));
    return texts;
}

const std::string kHandText = "LabelPos = 2\r\nFontName = Courier New\r\n";

// What the explorer knows: the summaries a load may give, and whether a save was cut short since
// the last load that went through (only then may a copy be taken over the file).
struct World {
    Disk disk;
    std::set<std::string> allowed;
    bool window_open;
    TextEncoding encoding = EncodingAnsi;  // what the program saves in, as it read the file in it
};

enum Outcome { Played, NotReached, Misfit, OtherNotReached };

class StoreExplorer : public RuntimeTest {
protected:
    void SetUp() override {
        RuntimeTest::SetUp();
        saved_calls_ = preferences_file_calls;
        preferences_file_calls = kModelCalls;
    }
    void TearDown() override {
        preferences_file_calls = saved_calls_;
        RuntimeTest::TearDown();
    }

    // A clean load of a copy of the disk: what the next start gives.
    static std::string probe(const Disk& disk) {
        Disk d = disk.copy();
        Player p;
        p.disk = &d;
        return load_summary(p);
    }

    // Nothing was lost and, unless a save was cut short since the last load, the user's edits
    // of the file win over any copy.
    void check(const World& w) {
        const std::string got = probe(w.disk);
        if (!w.allowed.count(got)) fail("the next start gives " + got + ", not a text that was saved");
        if (w.window_open) return;
        const std::string file = w.disk.files.count(kPath) ? w.disk.files.at(kPath)->bytes : "";
        const std::string first_line = file.substr(0, file.find('\n') == std::string::npos ? 0 : file.find('\n') + 1);
        const struct {
            const char* what;
            bool remove;
            std::string text;
        } edits[] = {{"emptied", false, ""}, {"deleted", true, ""}, {"edited", false, kHandText}, {"cut to its first line", false, first_line}};
        for (const auto& e : edits) {
            Disk d = w.disk.copy();
            if (e.remove) d.files.erase(kPath);
            else d.put(kPath, e.text);
            const std::string after = probe(d);
            if (after != summary(e.text)) fail(std::string("the file ") + e.what + " by the user loads as " + after);
        }
    }

    // The road is told only when something fails: the start, then each step and its fault.
    void fail(const std::string& what) {
        if (++failures_ > 10) return;
        std::string road = start_;
        for (const Step& step : road_) {
            road += step.depth % 2 ? " > save " + std::to_string(step.depth / 2 + 1) : " > load";
            if (step.kind >= 0) road += ", call " + std::to_string(step.at) + " " + kFaultNames[step.kind];
            if (step.kind == Other)
                road += std::string("'s ") + kOtherActions_[step.other.action] + (step.other.windows_95 ? " on Windows 95" : "") +
                        (step.other.end == kAtFileWrite ? ", ended at its first write into the file"
                         : step.other.end           ? ", ended before its change " + std::to_string(step.other.end)
                                                    : "");
        }
        ADD_FAILURE() << road << ": " << what;
    }

    // Plays one step on a world with one fault, or none (at 0), and updates what may be loaded.
    Outcome play(World* w, bool is_save, const std::string& text, int at, FaultKind fault, OtherRun run = kNoOther) {
        Player p;
        p.disk = &w->disk;
        p.fault_at = at;
        p.fault = fault;
        p.other = run;
        p.other_text = &settings_text(5 + depth_, w->encoding);
        player = &p;
        const bool other = at && fault == Other;
        // The Windows 95 family deletes a file another program holds open: only another
        // instance can meet that.
        w->disk.deletes_open_files = other && run.windows_95;
        const bool landed = is_save && save_text(text);
        const std::string loaded = is_save ? "" : load_summary(p);
        w->disk.deletes_open_files = false;
        if (at && !p.hit) return NotReached;
        if (at && p.misfit) return Misfit;
        if (other && (p.other_skipped || !p.other_reached)) return OtherNotReached;
        if (!misdeed.empty()) fail(misdeed);
        misdeed.clear();
        ++steps_;
        bool left_open = false;
        for (const auto& h : w->disk.handles) left_open = left_open || (!p.dead && h.second.owner == p.id);
        w->disk.let_go(-1);  // a process's handles end with it
        if (left_open) fail("a handle was left open");
        for (auto& f : w->disk.files) {
            Node& n = *f.second;
            if (p.dead && fault == PowerGone) n.bytes = n.durable;
            if (p.dead && fault == PowerZeros)
                for (size_t i = 0; i < n.bytes.size(); ++i)
                    if (n.dirty[i]) n.bytes[i] = 0;
            // What a step left in the system's cache reaches the disk before the next one.
            n.durable = n.bytes;
            n.dirty.assign(n.bytes.size(), 0);
        }
        const bool cut = at && !other && fault != FlushNotOffered_;
        const std::string* other_saved = other ? p.other_saved : nullptr;
        if (is_save) {
            if ((!at || fault == FlushNotOffered_) && !landed && !(w->disk.folder_closed && !w->disk.files.count(kPath)))
                fail("a save without a fault did not land");
            if (landed) w->allowed.clear();
            w->allowed.insert(summary_of(text));
            if (other_saved) w->allowed.insert(summary_of(*other_saved));
            w->window_open = (cut && p.dead) || (other_saved && !p.other_landed);
        } else if (!cut) {
            // Another instance's save may land before the load reads the file or after it.
            if (!w->allowed.count(loaded) && !(other_saved && loaded == summary_of(*other_saved))) fail("the load gives " + loaded);
            w->allowed = {loaded};
            if (other_saved && p.other_landed) w->allowed = {summary_of(*other_saved)};
            else if (other_saved) w->allowed.insert(summary_of(*other_saved));
            w->window_open = other_saved && !p.other_landed;
        }
        return Played;
    }

    // Plays one step and, for a state not met before by another road, checks it and explores on.
    Outcome step(const World& w, int depth, int kind, int at, OtherRun run) {
        World next = w;
        next.disk = w.disk.copy();
        road_.push_back(Step{depth, kind, at, run});
        depth_ = depth;
        const bool is_save = depth % 2 == 1;
        const Outcome played = play(&next, is_save, settings_text(depth / 2 + 1, w.encoding), at,
                                    static_cast<FaultKind>(kind < 0 ? 0 : kind), run);
        if (played == Played && seen_.insert(canonical(std::to_string(depth) + next.disk.key() + allowed_key(next))).second) {
            check(next);
            explore(next, depth + 1);
        }
        road_.pop_back();
        return played;
    }

    // Every way of playing the steps from `depth` on: load, save, load, save, load, save.
    void explore(const World& w, int depth) {
        if (depth == depth_limit_) return;
        step(w, depth, -1, 0, kNoOther);
        for (int kind = 0; kind < Other; ++kind)
            for (int at = 1; step(w, depth, kind, at, kNoOther) != NotReached; ++at) {
            }
        // Every run of another instance is played in the first load and save of every start;
        // later only its save, whole on both families, and on Windows 95 also ended at its first
        // write into the file: that keeps the run within two minutes under the sanitizers.
        const bool every_run = depth < kEveryRunDepth;
        for (int at = 1;; ++at) {
            bool reached = true;
            for (int action = 0; reached && action < kOtherActions; ++action)
                for (bool windows_95 : {false, true}) {
                    if (!every_run && action != OtherSaves) continue;
                    for (int end = 0; reached && (end == 0 || every_run || windows_95); ++end) {
                        const OtherRun run = {static_cast<OtherAction>(action), windows_95, end && !every_run ? kAtFileWrite : end};
                        const Outcome played = step(w, depth, Other, at, run);
                        reached = played != NotReached;
                        if (played == OtherNotReached || run.end == kAtFileWrite) break;
                    }
                }
            if (!reached) break;
        }
    }
    // One step with another instance run at each call of ours, whole and ended before each of its
    // own changes to the disk, each checked.
    void meet_at_every_call(const World& start, int depth, OtherAction action, bool windows_95) {
        for (int at = 1;; ++at) {
            Outcome played = Played;
            for (int end = 0; played == Played; ++end) {
                World w = start;
                w.disk = start.disk.copy();
                const OtherRun run = {action, windows_95, end};
                road_.assign(1, Step{depth, Other, at, run});
                depth_ = depth;
                played = play(&w, depth % 2 == 1, settings_text(depth / 2 + 1, w.encoding), at, Other, run);
                if (played == Played) check(w);
            }
            if (played == NotReached) break;
        }
    }
    World world(const std::map<std::string, std::string>& files, const std::string& allowed, bool window_open) {
        World w;
        for (const auto& f : files) w.disk.put(f.first, f.second);
        w.allowed = {summary(allowed)};
        w.window_open = window_open;
        return w;
    }

    static std::string allowed_key(const World& w) {
        std::string s = w.window_open ? "open:" : "closed:";
        for (const std::string& a : w.allowed) s += a + "/";
        return s;
    }

    struct Step {
        int depth, kind, at;
        OtherRun other;
    };
    std::string start_;
    std::vector<Step> road_;
    PreferencesFileCalls saved_calls_;
    std::set<std::string> seen_;
    long steps_ = 0;
    int depth_ = 0;
    int depth_limit_ = 6;
    static const int kEveryRunDepth = 2;
    int failures_ = 0;
};

TEST_F(StoreExplorer, NoSequenceOfInterruptionsLosesTheSettingsAndTheUsersFileWins) {
    const std::string old_text = settings_text(0);
    const std::string copy = old_text + ";\r\n";
    const std::string utf8 = settings_text(0, EncodingUtf8Marked), utf16 = settings_text(0, EncodingUtf16Le);
    const std::string utf16be = settings_text(0, EncodingUtf16Be), utf16_copy = utf16 + std::string(";\0\r\0\n\0", 6);
    const std::string utf8_cut = encoded(old_text + "Note = \xFC\xFC", EncodingUtf8).substr(0, old_text.size() + 10);
    struct Start {
        const char* what;
        std::map<std::string, std::string> files;
        std::string allowed;
        bool window_open;
        TextEncoding encoding = EncodingAnsi;
    } starts[] = {
        {"no file", {}, "", false},
        {"an empty file", {{kPath, ""}}, "", false},
        {"a hand-edited file", {{kPath, kHandText}}, kHandText, false},
        {"a stale complete copy", {{kPath, old_text}, {kCopyPath, copy}}, old_text, true},
        {"a stale copy beside a hand-edited file", {{kPath, kHandText}, {kCopyPath, copy}}, kHandText, true},
        {"a truncated copy", {{kPath, old_text}, {kCopyPath, copy.substr(0, copy.size() - 2)}}, old_text, false},
        {"a NUL-filled file beside a complete copy", {{kPath, std::string(old_text.size(), '\0')}, {kCopyPath, copy}}, old_text, true},
        {"a NUL-filled file", {{kPath, std::string(old_text.size(), '\0')}}, "", false},
        {"a UTF-8 file with a mark", {{kPath, utf8}}, utf8, false, EncodingUtf8Marked},
        {"a UTF-16 file", {{kPath, utf16}}, utf16, false, EncodingUtf16Le},
        {"a big-endian UTF-16 file", {{kPath, utf16be}}, utf16be, false, EncodingUtf16Be},
        {"a NUL-filled file beside a complete UTF-16 copy", {{kPath, std::string(utf16.size(), '\0')}, {kCopyPath, utf16_copy}},
         utf16, true, EncodingUtf16Le},
        {"a UTF-16 file cut in the middle of a unit", {{kPath, utf16.substr(0, utf16.size() - 1)}},
         utf16.substr(0, utf16.size() - 1), false, EncodingUtf16Le},
        {"a UTF-8 file cut in the middle of a sequence", {{kPath, utf8_cut}}, utf8_cut, false, EncodingUtf8},
    };
    const auto begin = std::chrono::steady_clock::now();
    for (bool folder_closed : {false, true}) {
        for (const Start& s : starts) {
            World w;
            for (const auto& f : s.files) w.disk.put(f.first, f.second);
            w.disk.folder_closed = folder_closed;
            w.allowed = {summary(s.allowed)};
            w.window_open = s.window_open;
            w.encoding = s.encoding;
            start_ = std::string(folder_closed ? "folder takes no new files, " : "") + s.what;
            // Other encodings change only the bytes: a load, a save and a load again show it.
            depth_limit_ = s.encoding == EncodingAnsi ? 6 : 3;
            check(w);
            explore(w, 0);
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    std::printf("explored %ld steps, %zu distinct states, in %.1f s\n", steps_, seen_.size(), seconds);
}
// A copy is deleted only while this instance still holds the very copy it judged. On the NT
// family a copy was once deleted by name after its handle was let go; another instance's save
// could meanwhile write its own complete copy, empty the file and be cut short, and the delete
// then took its only whole text: in a save retiring its own copy, a start retiring a stale copy,
// and a start after a repair.
TEST_F(StoreExplorer, ADeleteNeverTakesAnotherInstancesCopy) {
    const std::string old_text = settings_text(0), copy = old_text + ";\r\n";
    start_ = "a file, saved";
    meet_at_every_call(world({{kPath, old_text}}, old_text, false), 1, OtherSaves, false);
    start_ = "a stale copy beside a hand-edited file, loaded";
    meet_at_every_call(world({{kPath, kHandText}, {kCopyPath, copy}}, kHandText, true), 0, OtherSaves, false);
    start_ = "a NUL-filled file beside a complete copy, loaded";
    meet_at_every_call(world({{kPath, std::string(old_text.size(), '\0')}, {kCopyPath, copy}}, old_text, true), 0, OtherSaves, false);
}
// A stale copy is emptied only while it is the very copy judged, never another instance's newer
// one that holds the same text (Close pressed there with nothing changed) and whose save was cut
// short after emptying the file.
TEST_F(StoreExplorer, AStaleCopyIsNeverTakenForANewerOneWithTheSameText) {
    const std::string copy = settings_text(0) + ";\r\n";
    for (bool windows_95 : {false, true}) {
        start_ = std::string("a stale copy beside a hand-edited file, loaded") + (windows_95 ? " on Windows 95" : "");
        meet_at_every_call(world({{kPath, kHandText}, {kCopyPath, copy}}, kHandText, true), 0, OtherSavesSame, windows_95);
    }
}
// Another program holding the file for a while (a virus scanner, a backup) is waited out, for
// half a second at most in all; a longer hold leaves the old text whole.
TEST_F(StoreExplorer, BriefHoldsAreWaitedOutAndLongOnesLeaveTheOldText) {
    for (unsigned hold : {0u, 50u, 300u, 450u, 600u, 5000u}) {
        Disk d;
        d.put(kPath, settings_text(0));
        Player p;
        p.disk = &d;
        p.held_until = hold;
        player = &p;
        const bool landed = save_text(settings_text(1));
        EXPECT_EQ(hold <= 450, landed) << "held for " << hold << " ms";
        EXPECT_LE(p.clock, 500u) << "held for " << hold << " ms";
        EXPECT_EQ(summary(settings_text(landed ? 1 : 0).c_str()), probe(d)) << "held for " << hold << " ms";
        EXPECT_EQ(0u, d.files.count(kCopyPath)) << "held for " << hold << " ms";
    }
}
// A file by the copy's name larger than any save writes is never read: the file wins, an emptied
// file gives the defaults, and the next save replaces it.
TEST_F(StoreExplorer, ALargeStrayCopyIsNeverRead) {
    World w;
    w.disk.put(kPath, settings_text(0));
    w.disk.put(kCopyPath, std::string(kLargestCopy, 'x') + settings_text(1) + ";\r\n");
    w.allowed = {summary_of(settings_text(0))};
    w.window_open = false;
    check(w);
    EXPECT_EQ(Played, play(&w, true, settings_text(2), 0, Refused));
    EXPECT_EQ(0u, w.disk.files.count(kCopyPath));
    EXPECT_EQ(summary_of(settings_text(2)), probe(w.disk));
    EXPECT_EQ("", misdeed);
}
// A load that finds another instance holding a stale copy does not hold the settings file while
// it waits for the copy: that instance's save needs the file to finish.
TEST_F(StoreExplorer, ALoadHoldsNoFileWhileItWaitsForAHeldCopy) {
    for (bool windows_95 : {false, true}) {
        Disk d;
        d.put(kPath, settings_text(0));
        d.put(kCopyPath, settings_text(1) + ";\r\n");
        d.handles[d.next_handle++] = Handle{d.files[kCopyPath], true, 1, 2, true, true};
        d.deletes_open_files = windows_95;
        Player p;
        p.disk = &d;
        EXPECT_EQ(summary_of(settings_text(0)), load_summary(p));
        EXPECT_EQ("", misdeed) << (windows_95 ? "Windows 95 family" : "Windows NT family");
        misdeed.clear();
    }
}
}  // namespace
