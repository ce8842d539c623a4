#pragma once
// The temporary file a save writes beside its target before renaming it over
// the target: ".NAME.saving-XXXXXX". Its writer holds an exclusive lock on it
// while writing, so a live temporary can be told from one that an
// interrupted save left behind. Those left behind are removed at the next
// save of the same target; the ones being written when SIGINT, SIGTERM or
// SIGHUP ends the program are removed by the interrupt cleanup.

#include <filesystem>

namespace vexora {

struct SaveTemporary {
    int fd = -1;  // open for writing and locked; -1 when not created (errno says why)
    std::filesystem::path path;
    int slot = -1;  // its entry in the interrupt cleanup's list, -1 when not listed
};

// Creates the temporary beside `target` with the permissions a new file gets
// (0666 less the umask) and lists it for the interrupt cleanup.
SaveTemporary createSaveTemporary(const std::filesystem::path& target);

// Takes the temporary off the interrupt cleanup's list once it has been
// renamed or removed; its descriptor must already be closed.
void forgetSaveTemporary(SaveTemporary& temporary);

// Removes the temporaries of `target` that no save is writing: nobody holds
// their lock and they have not changed for a minute (the lock is taken just
// after the file is made and dropped just before the rename).
void removeStaleSaveTemporaries(const std::filesystem::path& target);

// Makes SIGINT, SIGTERM and SIGHUP remove the temporaries being written
// before the program ends as the signal asks. A signal the program already
// ignores or handles itself is left to it. Called early in main.
void installSaveInterruptCleanup();

}  // namespace vexora
