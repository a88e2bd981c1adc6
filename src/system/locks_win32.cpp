// Locks on Windows: a file held open without sharing, which the system
// closes with the process; another run that can open it knows its maker
// ended.
#include "system/locks.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace vulconv {

namespace {

HANDLE AsHandle(LockHandle lock) { return reinterpret_cast<HANDLE>(lock); }

}  // namespace

// Opened without sharing but for deletion: no other run can open it while
// this one lives, and this one's cleanup can still remove its name.
LockHandle CreateLockFile(const std::string&, const std::string& name) {
  HANDLE lock = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_DELETE,
                            nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  return lock == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<LockHandle>(lock);
}

LockOwner ProbeLockFile(const std::string& name, LockHandle& ended) {
  ended = -1;
  HANDLE lock = CreateFileA(name.c_str(), GENERIC_READ | DELETE, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (lock != INVALID_HANDLE_VALUE) {
    ended = reinterpret_cast<LockHandle>(lock);
    return LockOwner::Ended;
  }
  DWORD error = GetLastError();
  if (error == ERROR_SHARING_VIOLATION) return LockOwner::Running;
  return error == ERROR_FILE_NOT_FOUND ? LockOwner::Ended : LockOwner::Unknown;
}

void RemoveEndedLock(LockHandle ended, const std::string&) {
  if (ended != -1) CloseHandle(AsHandle(ended));  // opened to be deleted on close
}

void RemoveOwnLock(LockHandle own, const std::string& name) {
  DeleteFileA(name.c_str());
  CloseHandle(AsHandle(own));
}

}  // namespace vulconv
