// The names a run must remove however it ends early: by a failure that
// ends the process, by exit, or by SIGINT, SIGTERM or SIGHUP.
//
// This is the program's one global state, and it has to be: a signal
// handler reaches nothing but globals. Everything else of the write path
// is a value its conversion owns. Each name (a temporary, a lock file)
// sits in a slot while it must be removed; a slot's text is set only
// while the slot is not live, so the handler reads stable names.
#ifndef VULCONV_SYSTEM_CLEANUP_H_
#define VULCONV_SYSTEM_CLEANUP_H_

#include <functional>
#include <string>
#include <thread>

namespace vulconv {

/// Ignores SIGXFSZ, so that a file-size limit fails a write instead of
/// killing the process, and has SIGINT, SIGTERM and SIGHUP (Ctrl-C and
/// Ctrl-Break on Windows) and exit remove the live names before the
/// process ends as it would have.
void InstallSignalCleanup();

/// Starts body on a thread of its own that never runs the cleanup on
/// those signals: their handler interrupts a thread that may be stopped
/// mid-call without leaving a file behind.
std::thread StartThreadWithoutSignals(std::function<void()> body);

/// Takes a slot and makes name live in it: from now on the cleanup
/// removes it. -1 when every slot is taken.
int AddCleanupName(const std::string& name);

/// The name in a live slot.
const std::string& CleanupName(int slot);

/// The name is no longer the cleanup's (it was renamed or removed).
void DropCleanupName(int slot);

/// Brackets the making of a file on a thread that takes no signals: false
/// when the run is ending, and nothing may be made any more. The cleanup
/// waits for a file being made, then removes it.
bool BeginMaking();
void EndMaking();

/// Removes every live name, once. Safe in a signal handler.
void RemoveCleanupNames();

/// The handler of the signals that end a run: removes the live names, then
/// ends the process as the signal would have.
void CleanUpAndRaise(int sig);

}  // namespace vulconv

#endif  // VULCONV_SYSTEM_CLEANUP_H_
