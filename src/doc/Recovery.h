#pragma once

// Copies of unsaved work, so that a program killed, a session ended without
// its questions, or a machine that lost power gives the work back.
//
// Each run of the program keeps its copies in a folder of its own inside the
// recovery folder, and holds a lock on it for as long as it runs. A folder
// whose lock nobody holds belongs to a run that ended without cleaning up:
// its copies are left behind. Two programs started at once never take each
// other's copies. A clean end removes the run's folder.

#include "doc/DocKind.h"
#include "sys/FileIo.h"

#include <optional>
#include <string>
#include <vector>

namespace tessel {

// One document's unsaved work, exactly as the editor held it.
struct RecoveryCopy {
    DocKind kind = DocKind::Basic;
    std::string path;  // the file it came from or was saved to; empty when untitled
    std::string title; // the window's title
    bool lineNumOutput = true;
    int fileLineEnd = 2; // the EndOfLineCode its file's lines end with (2: CR LF)
    // Its file is kept in UTF-8 (the bytes are code page 932 all the same),
    // with a byte order mark or without.
    bool utf8 = false;
    bool byteOrderMark = false;
    std::string bytes;
};

// The copy as a file holds it, and back; nullopt for anything that is not
// a whole copy (a file cut short, another format).
std::string EncodeRecoveryCopy(const RecoveryCopy& copy);
std::optional<RecoveryCopy> DecodeRecoveryCopy(const std::string& stored);

// The copies of one run.
class RecoveryStore {
public:
    // Takes a folder of its own inside `recoveryFolder` (made when needed)
    // and locks it. Nothing is written before the first copy.
    explicit RecoveryStore(std::string recoveryFolder);
    ~RecoveryStore();
    RecoveryStore(const RecoveryStore&) = delete;
    RecoveryStore& operator=(const RecoveryStore&) = delete;

    // Keeps (or replaces) the copy named `id` (a window's own number).
    FileError Write(unsigned id, const RecoveryCopy& copy);
    // Removes the copy named `id`, if there is one.
    void Remove(unsigned id);
    // The end of a clean run: every copy and the run's folder go.
    void RemoveAll();

    // A copy that a run which did not end cleanly left behind.
    struct LeftBehind {
        std::string file; // where it is kept
        RecoveryCopy copy;
    };
    // The copies of every other run that is not running now, oldest first.
    // Their runs' locks are taken and kept by this store, so that a program
    // started at the same moment does not offer them too.
    std::vector<LeftBehind> FindLeftBehind();
    // Removes a copy found by FindLeftBehind (restored or discarded), and
    // its run's folder once that is empty.
    static void Discard(const LeftBehind& left);

private:
    FileError Claim();

    std::string m_folder;       // the recovery folder
    std::string m_run;          // this run's folder, empty until claimed
    int m_lock = -1;            // the lock on this run's folder
    std::vector<int> m_claimed; // the locks of dead runs whose copies were found
};

} // namespace tessel
