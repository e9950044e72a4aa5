// The running program's place among the others: the idle priority, and how
// its stored settings keep numbers.
#pragma once

namespace platform {

// Makes the calling worker thread run only when nothing else wants the
// processor, or undoes that: QThread's idle priority on Linux (undone with
// the thread), the process's idle priority class on Windows, which is what
// the system's tools show and what other programs yield to there.
void UseIdlePriority(bool idle);

// True where the settings store keeps every value as text (a file), so that
// a number stored as text is still a number; false where values have types
// (the registry), so that text stored for a number is of the wrong type.
bool SettingsKeepNumbersAsText();

}  // namespace platform
