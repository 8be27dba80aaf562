// The private file that holds the last downloaded page for one run: created new, for the
// user alone, in the user's runtime folder or the temporary folder, never beside the
// program, and removed when the run ends.
#pragma once

#include <string>

class ScratchPageFile {
public:
    // Creates the file in `folder` (with its "/") under a name no one else can guess,
    // with O_CREAT|O_EXCL|O_NOFOLLOW and mode 0600, so a file or link planted there is
    // never opened. Raises EFileStreamError naming the folder and the cause.
    explicit ScratchPageFile(const std::string& folder);
    ~ScratchPageFile();
    ScratchPageFile(const ScratchPageFile&) = delete;
    ScratchPageFile& operator=(const ScratchPageFile&) = delete;

    const std::string& Name() const { return FName; }

private:
    std::string FName;
};

// $XDG_RUNTIME_DIR when it names an existing absolute folder, else $TMPDIR when it does,
// else "/tmp/"; with its "/".
std::string ScratchFolderOfThisRun();

// Removes the run's scratch files when the run is ended by SIGINT, SIGTERM, SIGHUP or
// SIGQUIT, then ends it as the signal would have. Installed once, by the program entry.
void RemoveScratchFilesOnSignals();
