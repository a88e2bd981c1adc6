// LD_PRELOAD shim that fails one kind of file call from its Nth use on, as a
// full disk, a failing device or a signal would. VULCONV_FAULT="CALL N WHAT
// [once]": CALL is create (an open with O_CREAT), write (and pwrite), pread,
// close (descriptors above 2), rename, syncfs, fsync, unlink, or all (from the
// Nth write on, every one of them fails: a pulled stick); WHAT is an errno
// name, returned by that call and, unless "once", by every later one, or a
// signal name raised at that call.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static char call[16];
static int nth, err, sig, once, seen;

static const struct { const char* name; int value; } kNames[] = {
    {"EIO", EIO},         {"ENOSPC", ENOSPC},   {"EDQUOT", EDQUOT},
    {"EFBIG", EFBIG},     {"EACCES", EACCES},   {"ENAMETOOLONG", ENAMETOOLONG},
    {"EISDIR", EISDIR},   {"SIGTERM", -SIGTERM}, {"SIGINT", -SIGINT},
    {"SIGHUP", -SIGHUP},  {"SIGKILL", -SIGKILL}};

__attribute__((constructor)) static void ReadFault(void) {
  const char* fault = getenv("VULCONV_FAULT");
  char what[16] = "", mode[8] = "";
  if (!fault || sscanf(fault, "%15s %d %15s %7s", call, &nth, what, mode) < 3) return;
  for (size_t i = 0; i < sizeof kNames / sizeof kNames[0]; ++i)
    if (strcmp(what, kNames[i].name) == 0) {
      if (kNames[i].value < 0) sig = -kNames[i].value; else err = kNames[i].value;
    }
  once = strcmp(mode, "once") == 0;
}

// True when this use of kind is to fail (errno set then).
static int Fails(const char* kind) {
  int all = strcmp(call, "all") == 0;
  int counted = strcmp(call, kind) == 0 || (all && strcmp(kind, "write") == 0);
  if (counted && ++seen == nth && sig) raise(sig);
  int fail = all ? seen >= nth : counted && (once ? seen == nth : seen >= nth);
  if (fail && err) errno = err;
  return fail && err;
}

#define REAL(name) ((__typeof__(&name))dlsym(RTLD_NEXT, #name))

int open(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  // An unnamed file (O_TMPFILE) takes a mode as a created one does.
  int needs_mode = (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE;
  mode_t mode = needs_mode ? va_arg(args, mode_t) : 0;
  va_end(args);
  if ((flags & O_CREAT) && Fails("create")) return -1;
  return REAL(open)(path, flags, mode);
}
ssize_t write(int fd, const void* data, size_t size) {
  return fd > 2 && Fails("write") ? -1 : REAL(write)(fd, data, size);
}
ssize_t pwrite(int fd, const void* data, size_t size, off_t offset) {
  return fd > 2 && Fails("write") ? -1 : REAL(pwrite)(fd, data, size, offset);
}
ssize_t pread(int fd, void* data, size_t size, off_t offset) {
  return Fails("pread") ? -1 : REAL(pread)(fd, data, size, offset);
}
int close(int fd) {
  if (fd > 2 && Fails("close")) {
    REAL(close)(fd);
    return -1;
  }
  return REAL(close)(fd);
}
int rename(const char* from, const char* to) {
  return Fails("rename") ? -1 : REAL(rename)(from, to);
}
int syncfs(int fd) { return Fails("syncfs") ? -1 : REAL(syncfs)(fd); }
int fsync(int fd) { return Fails("fsync") ? -1 : REAL(fsync)(fd); }
int unlink(const char* path) { return Fails("unlink") ? -1 : REAL(unlink)(path); }
