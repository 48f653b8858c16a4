// The preferences store against a disk held in memory: every sequence of loads and up to three
// saves, each completing or cut short at any file call in any way (the call refused or busy, a
// write short, the process ended, a power loss turning unflushed bytes to zeros or taking them
// away, another instance saving at once), from the states a user can make, checked after every
// step against what was saved: nothing lost, and the user's own file wins.
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
// lives on for them.
struct Node {
    std::string bytes, durable, dirty;
};
struct Handle {
    std::shared_ptr<Node> node;
    bool write;
    int share;  // 1 read, 2 write
    int owner;  // which instance of the program opened it
    bool copy;  // the copy beside the settings file
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
    std::string key() const {
        std::string k = folder_closed ? "closed;" : ";";
        for (const auto& f : files) {
            const std::string& b = f.second->bytes;
            bool ended = false;
            for (const std::string& end : {std::string(";\r\n"), std::string(";\0\r\0\n\0", 6), std::string("\0;\0\r\0\n", 6)})
                ended = ended || (b.size() >= end.size() && b.compare(b.size() - end.size(), end.size(), end) == 0);
            const bool incomplete_copy = f.first == kCopyPath && !ended;
            k += f.first + "=" + (incomplete_copy ? "(incomplete)" : b) + "|";
        }
        return k;
    }
    void put(const std::string& path, const std::string& bytes) {
        files[path] = std::make_shared<Node>(Node{bytes, bytes, std::string(bytes.size(), 0)});
    }
};

enum FaultKind {
    Refused, Busy, ShortHalf, ShortAllButOne, FlushNotOffered_, ProcessEnds, PowerZeros, PowerGone, OtherSave,
    OtherSave95, OtherCutShort95, kFaultKinds
};
const char* const kFaultNames[] = {"refused", "busy", "short by half", "short by one byte", "flush not offered",
                                   "process ended", "power lost (zeros)", "power lost (gone)",
                                   "another instance saving at once", "another instance saving at once on Windows 95",
                                   "another instance's save cut short while rewriting the file on Windows 95"};
enum CallKind { OpenCall, WriteCall, FlushCall, OtherCall };

// The calls of one instance of the program in one step: the fault to play, and what happened.
struct Player {
    Disk* disk = nullptr;
    int id = 0;
    int fault_at = 0;
    FaultKind fault = Refused;
    int calls = 0;
    bool hit = false, misfit = false, dead = false;
    FileFailure failure = FileMissing;
    const std::string* other_text = nullptr;  // what another instance saves at once
    bool other_landed = false;
    bool dies_at_file_write = false;  // another instance cut short once it writes the file
    unsigned clock = 0;      // milliseconds waited
    unsigned held_until = 0; // another program holds the file until then
};
Player* player;
// What the calls saw that no save may do, for the step to report.
std::string misdeed;

bool save_text(const std::string& text);

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
    if (f == OtherSave || f == OtherSave95 || f == OtherCutShort95) {
        Player* const first = player;
        Player other;
        other.disk = first->disk;
        other.id = first->id + 1;
        other.dies_at_file_write = f == OtherCutShort95;
        player = &other;
        first->other_landed = save_text(*first->other_text) && !other.dead;
        // A process's handles end with it.
        for (auto h = first->disk->handles.begin(); h != first->disk->handles.end();)
            h = h->second.owner == other.id ? first->disk->handles.erase(h) : std::next(h);
        player = first;
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
        bool creates, empties, existing;
    } kHow[] = {{false, 1, false, false, true},   // OpenToRead
                {false, 3, false, false, true},   // OpenSharedToRead
                {true, 1, true, true, false},     // OpenToRewrite
                {true, 1, true, false, false},    // OpenToOverwrite
                {true, 0, false, false, true},    // OpenToRetire
                {true, 1, true, false, false}};   // OpenToMend
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
    if (found != disk.files.end())
        for (const auto& h : disk.handles)
            if (h.second.node == found->second && conflicts(h.second, o.write, o.share)) {
                player->failure = FileBusy;
                return nullptr;
            }
    if (found == disk.files.end()) {
        disk.put(path, "");
        found = disk.files.find(path);
    }
    if (o.empties) *found->second = Node();
    const long n = disk.next_handle++;
    disk.handles[n] = Handle{found->second, o.write, o.share, player->id, strcmp(path, kCopyPath) == 0};
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
    if (player->dies_at_file_write && !player->dead && handle_of(file) && !handle_of(file)->copy) player->dead = true;
    bool short_write = false;
    if (!go(WriteCall, &short_write) && !short_write) return false;
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
    if (!go(OtherCall)) return false;
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
    if (!player->dead && handle_of(file)) player->disk->handles.erase(reinterpret_cast<long>(file));
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
    player->disk->files.erase(found);
    return true;
}

FileStanding m_standing(const char* path) { return player->disk->files.count(path) ? FileWritable : PathFree; }

void m_wait(unsigned milliseconds) {
    const auto file = player->disk->files.find(kPath);
    for (const auto& h : player->disk->handles)
        if (file != player->disk->files.end() && h.second.owner == player->id && h.second.node == file->second)
            misdeed = "held the settings file while waiting";
    player->clock += milliseconds;
}

const PreferencesFileCalls kModelCalls = {m_open,  m_failure, m_size,   m_read,     m_write, m_cut,
                                          m_flush, m_close,   m_remove, m_standing, m_wait,  false};

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

const std::string kHandText = "LabelPos = 2\r\nFontName = Courier New\r\n";

// What the explorer knows: the summaries a load may give, and whether a save was cut short since
// the last load that went through (only then may a copy be taken over the file).
struct World {
    Disk disk;
    std::set<std::string> allowed;
    bool window_open;
    TextEncoding encoding = EncodingAnsi;  // what the program saves in, as it read the file in it
};

enum Outcome { Played, NotReached, Misfit };

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
        }
        ADD_FAILURE() << road << ": " << what;
    }

    // Plays one step on a world with one fault, or none (at 0), and updates what may be loaded.
    Outcome play(World* w, bool is_save, const std::string& text, int at, FaultKind fault) {
        Player p;
        p.disk = &w->disk;
        p.fault_at = at;
        p.fault = fault;
        p.other_text = &settings_text(5 + depth_, w->encoding);
        player = &p;
        // The Windows 95 family deletes a file another program holds open: only another
        // instance's save can meet that.
        const bool other = at && (fault == OtherSave || fault == OtherSave95 || fault == OtherCutShort95);
        w->disk.deletes_open_files = preferences_file_calls.deletes_open_files =
            at && (fault == OtherSave95 || fault == OtherCutShort95);
        const bool landed = is_save && save_text(text);
        const std::string loaded = is_save ? "" : load_summary(p);
        w->disk.deletes_open_files = preferences_file_calls.deletes_open_files = false;
        if (at && !p.hit) return NotReached;
        if (at && p.misfit) return Misfit;
        if (!misdeed.empty()) fail(misdeed);
        misdeed.clear();
        ++steps_;
        bool left_open = false;
        for (auto h = w->disk.handles.begin(); h != w->disk.handles.end();) {
            left_open = left_open || (!p.dead && h->second.owner == p.id);
            h = w->disk.handles.erase(h);  // a process's handles end with it
        }
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
        if (is_save) {
            if ((!at || fault == FlushNotOffered_) && !landed && !(w->disk.folder_closed && !w->disk.files.count(kPath)))
                fail("a save without a fault did not land");
            if (landed) w->allowed.clear();
            w->allowed.insert(summary_of(text));
            if (other) w->allowed.insert(summary_of(*p.other_text));
            w->window_open = (cut && p.dead) || (other && !p.other_landed);
        } else if (!cut) {
            // Another instance's save may land before the load reads the file or after it.
            if (!w->allowed.count(loaded) && !(other && loaded == summary_of(*p.other_text))) fail("the load gives " + loaded);
            w->allowed = {loaded};
            if (other && p.other_landed) w->allowed = {summary_of(*p.other_text)};
            else if (other) w->allowed.insert(summary_of(*p.other_text));
            w->window_open = other && !p.other_landed;
        }
        return Played;
    }

    // Every way of playing the steps from `depth` on: load, save, load, save, load, save.
    void explore(const World& w, int depth) {
        const bool is_save = depth % 2 == 1;
        if (depth == depth_limit_) return;
        const std::string& text = settings_text(depth / 2 + 1, w.encoding);
        for (int kind = -1; kind < kFaultKinds; ++kind) {
            for (int at = kind < 0 ? 0 : 1;; ++at) {
                World next = w;
                next.disk = w.disk.copy();
                road_.push_back(Step{depth, kind, at});
                depth_ = depth;
                const Outcome played = play(&next, is_save, text, at, static_cast<FaultKind>(kind < 0 ? 0 : kind));
                // A state met before, by another road, is checked and explored once.
                if (played == Played && seen_.insert(canonical(std::to_string(depth) + next.disk.key() + allowed_key(next))).second) {
                    check(next);
                    explore(next, depth + 1);
                }
                road_.pop_back();
                if (played == NotReached) break;
                if (kind < 0) break;
            }
        }
    }
    static std::string allowed_key(const World& w) {
        std::string s = w.window_open ? "open:" : "closed:";
        for (const std::string& a : w.allowed) s += a + "/";
        return s;
    }

    struct Step {
        int depth, kind, at;
    };
    std::string start_;
    std::vector<Step> road_;
    PreferencesFileCalls saved_calls_;
    std::set<std::string> seen_;
    long steps_ = 0;
    int depth_ = 0;
    int depth_limit_ = 6;
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
        d.handles[d.next_handle++] = Handle{d.files[kCopyPath], true, 1, 2, true};
        d.deletes_open_files = preferences_file_calls.deletes_open_files = windows_95;
        Player p;
        p.disk = &d;
        EXPECT_EQ(summary_of(settings_text(0)), load_summary(p));
        EXPECT_EQ("", misdeed) << (windows_95 ? "Windows 95 family" : "Windows NT family");
        misdeed.clear();
        preferences_file_calls.deletes_open_files = false;
    }
}
}  // namespace
