// The file an output is written to until it is complete. It lives in the
// output's folder under a short name of its own, ".k3gp-XXXXXX.part" (17
// bytes, so a final name the file system takes never makes it too long), and
// takes the final name by a rename only once the output is whole.
//
// While a process writes it, that process holds an exclusive lock on
// it. A file of that naming whose lock can be taken belongs to no live process:
// it was left by a program that was killed (SIGKILL, a power cut) and may be
// removed; one whose lock is held is being written and is left alone.
#pragma once

#include <string>
#include <string_view>

#include "LockedFile.h"

class TTemporaryOutputFile {
public:
    // Checks the final name (CheckDestination), then creates and locks a new
    // temporary file beside it. Throws TEngineError "Could not open destination
    // file" with the reason when either fails.
    explicit TTemporaryOutputFile(const std::string& finalPath);
    // Removes the file unless it was committed.
    ~TTemporaryOutputFile();
    TTemporaryOutputFile(const TTemporaryOutputFile&) = delete;
    TTemporaryOutputFile& operator=(const TTemporaryOutputFile&) = delete;

    const std::string& Path() const { return TemporaryPath; }

    // Gives the file its final name, replacing a file of that name unless that
    // one is write-protected. Throws TEngineError "Could not replace destination
    // file\n" with the reason; the temporary file then stays until destruction.
    void Commit();

private:
    std::string FinalPath;
    std::string TemporaryPath;
    platform::TLockedFile File;  // holds the lock
};

// A final name claimed by this process for the output it is about to write,
// before its temporary file exists: an empty, locked file of the temporary
// files' form for that name. Of two live processes that claim one name at the
// same moment, the one whose file came first holds it (an earlier file of the
// name that is held, a claim or an output being written, wins); the other
// takes the next name. The file goes with the claim.
class TOutputNameClaim {
public:
    explicit TOutputNameClaim(const std::string& finalPath);
    ~TOutputNameClaim();
    TOutputNameClaim(const TOutputNameClaim&) = delete;
    TOutputNameClaim& operator=(const TOutputNameClaim&) = delete;

    // False when another live process holds the name. A claim that could not
    // be made at all (a folder that cannot be written) holds: the output's
    // own opening then tells why.
    bool Holds() const { return Held; }
    // The claim's file; empty when none was made.
    const std::string& Path() const { return ClaimPath; }

private:
    std::string ClaimPath;
    platform::TLockedFile File;
    bool Held = true;
};

// Throws TEngineError "Could not open destination file" with the reason when
// the output cannot take this name: its file name is longer than the folder's
// file system allows, or a file of that name exists whose permission bits let
// nobody write to it (it is kept even when the program runs as root).
void CheckDestination(const std::string& finalPath);

// True while a live process (this one included) writes an output of that
// final name: another output then takes the next free name.
bool IsBeingWritten(const std::string& finalPath);

// True for a name of the temporary files' form.
bool IsTemporaryFileName(std::string_view name);

// Removes the temporary files in the folder that no live process holds (see
// above); other files, and temporary files being written, stay. Returns how
// many were removed.
int RemoveStaleTemporaryFiles(const std::string& folder);
