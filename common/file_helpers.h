#pragma once
// Small helpers for names and files that every part of the engine uses.

#include <cstdint>
#include <string>
#include <string_view>

namespace pw {

// The text up to its first NUL character.
std::string_view TrimNull(std::string_view text);

// True when the path names an existing regular file (links are not followed).
bool FileExists(const std::string& fullPath);

// The per-user data folder of the freedesktop.org base directory rules: $XDG_DATA_HOME
// when it is an absolute path (a relative one is ignored, as the rules ask), else
// ~/.local/share, with HOME or, when HOME is no absolute path, the home folder of the
// user database. Empty when neither gives a home folder.
std::string dataHomeFolder();

// Grows the process's descriptor table in one step, beside the open descriptor `fd`, to
// hold `more` descriptors above it. Left to itself the kernel doubles the table as
// descriptors are opened, and in a process with several threads each doubling waits for
// an RCU grace period, milliseconds each: call it before threads that keep many
// descriptors open start. The table never shrinks; it is not grown past the descriptor
// limit.
void reserveDescriptors(int fd, std::int64_t more);

// Gives the calling thread a descriptor table of its own, a copy of the process's table.
// On a table that no other thread shares, the kernel skips the locking and the reference
// counting that every open, read and close pays otherwise; a thread that opens and closes
// many files of its own spends noticeably less time in the kernel. Descriptors open now
// stay usable in the copy; those the thread opens later are its own, and those other
// threads open later it cannot see. What the copy holds stays open until the thread ends,
// even where another thread closes it (a socket or pipe then sees no end until then): only
// for a thread started for such work and ending with it, never for one that hands
// descriptors on. Returns false, with nothing changed, where the system refuses (a sandbox
// may).
bool takeOwnDescriptorTable();

} // namespace pw
