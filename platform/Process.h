// The running program's place among the others: the idle priority, the
// memory it holds, and how its stored settings keep numbers.
#pragma once

namespace platform {

// Makes the calling worker thread run only when nothing else wants the
// processor, or undoes that: QThread's idle priority on Linux (undone with
// the thread), the process's idle priority class on Windows, which is what
// the system's tools show and what other programs yield to there.
void UseIdlePriority(bool idle);

// Gives the memory that the program has freed back to the system. Probing
// the clips decodes a few pictures on the window's thread; the allocator
// would otherwise keep those megabytes for that thread all through the run,
// which converts on a thread of its own.
void ReturnFreedMemory();

// True where the settings store keeps every value as text (a file), so that
// a number stored as text is still a number; false where values have types
// (the registry), so that text stored for a number is of the wrong type.
bool SettingsKeepNumbersAsText();

}  // namespace platform
