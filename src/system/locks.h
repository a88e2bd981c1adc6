// Locks that the system drops when their process ends, on files: how a run
// tells others, wherever they run, that it still lives. Part of the platform
// seam; locks_posix.cpp and locks_win32.cpp define it.
#ifndef VULCONV_SYSTEM_LOCKS_H_
#define VULCONV_SYSTEM_LOCKS_H_

#include <cstdint>
#include <string>

namespace vulconv {

/// A lock file's handle; -1 for none.
using LockHandle = std::intptr_t;

/// Creates the file name, in folder, holding a lock that lasts while this
/// process keeps the handle; -1 when none can be had. Where the system
/// allows it, the file appears already locked.
LockHandle CreateLockFile(const std::string& folder, const std::string& name);

/// What a lock file tells of the process that made it.
enum class LockOwner { Running, Ended, Unknown };

/// Running while a process holds name's lock. Ended when none does: the
/// lock is then taken into ended, until RemoveEndedLock. Unknown where
/// locks cannot be tested there.
LockOwner ProbeLockFile(const std::string& name, LockHandle& ended);

/// Removes the lock file of an ended process, taken by ProbeLockFile.
void RemoveEndedLock(LockHandle ended, const std::string& name);

/// Ends this process's own lock: removes its name, then its handle.
void RemoveOwnLock(LockHandle own, const std::string& name);

}  // namespace vulconv

#endif  // VULCONV_SYSTEM_LOCKS_H_
