// Locks on POSIX systems: flock, which the kernel drops with the process,
// works across process-id namespaces, and on NFSv4 across machines.
#include "system/locks.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace vulconv {

namespace {

const char* FolderOrDot(const std::string& folder) {
  return folder.empty() ? "." : folder.c_str();
}

}  // namespace

LockHandle CreateLockFile(const std::string& folder, const std::string& name) {
#if defined(__linux__) && defined(O_TMPFILE)
  // Locked while it has no name yet, then named: no other run ever finds
  // it unlocked while this one lives.
  int fd = open(FolderOrDot(folder), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
  if (fd >= 0) {
    char path[48];
    std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
    if (flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        (linkat(AT_FDCWD, path, AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0 ||
         linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0))
      return fd;
    close(fd);
  }
#else
  (void)folder;
#endif
  // Named, then locked: another run that looks in between takes this run
  // for ended and removes the name, which leaves this run's temporaries to
  // the age rule. Never to a wrong removal.
  int named = open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (named < 0) return -1;
  if (flock(named, LOCK_EX | LOCK_NB) != 0) {
    unlink(name.c_str());
    close(named);
    return -1;
  }
  return named;
}

LockOwner ProbeLockFile(const std::string& name, LockHandle& ended) {
  ended = -1;
  int fd = open(name.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? LockOwner::Ended : LockOwner::Unknown;
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
    ended = fd;
    return LockOwner::Ended;
  }
  LockOwner owner = errno == EWOULDBLOCK ? LockOwner::Running : LockOwner::Unknown;
  close(fd);
  return owner;
}

void RemoveEndedLock(LockHandle ended, const std::string& name) {
  unlink(name.c_str());
  if (ended >= 0) close(static_cast<int>(ended));
}

void RemoveOwnLock(LockHandle own, const std::string& name) {
  unlink(name.c_str());
  close(static_cast<int>(own));
}

}  // namespace vulconv
