// Faults planted into the program's own file calls, for vulconv_faults: as
// the LD_PRELOAD shim (fault_shim.c) fails the C library's calls on POSIX,
// this fails them on any platform, Windows included. VULCONV_FAULT="CALL N
// WHAT [once]": CALL is create, write, pread, close, rename, unlink, fsync,
// syncfs, or all (from the Nth write on, every call fails); WHAT is ENOSPC,
// EDQUOT, EFBIG (no room), EIO (a device error), another errno name, or a
// signal name raised at that call.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "system/planted_faults.h"

namespace vulconv {

namespace {

struct Fault {
  char call[16] = "";
  int nth = 0;
  PlantedError error = PlantedError::None;
  int signal = 0;
  bool once = false;
};

Fault ReadFault() {
  Fault fault;
  const char* text = std::getenv("VULCONV_FAULT");
  char what[16] = "", mode[8] = "";
  if (!text || std::sscanf(text, "%15s %d %15s %7s", fault.call, &fault.nth, what, mode) < 3)
    return fault;
  static const struct { const char* name; int signal; } kSignals[] = {
      {"SIGINT", SIGINT}, {"SIGTERM", SIGTERM},
#ifdef SIGHUP
      {"SIGHUP", SIGHUP},
#endif
  };
  for (const auto& known : kSignals) {
    if (std::strcmp(what, known.name) == 0) fault.signal = known.signal;
  }
  if (!fault.signal) {
    bool no_room = !std::strcmp(what, "ENOSPC") || !std::strcmp(what, "EDQUOT") ||
                   !std::strcmp(what, "EFBIG");
    fault.error = no_room ? PlantedError::NoRoom
                  : !std::strcmp(what, "EIO") ? PlantedError::Device : PlantedError::Other;
  }
  fault.once = std::strcmp(mode, "once") == 0;
  return fault;
}

const char* CallName(FileCall call) {
  switch (call) {
    case FileCall::Create: return "create";
    case FileCall::Write: return "write";
    case FileCall::Read: return "pread";
    case FileCall::Close: return "close";
    case FileCall::Rename: return "rename";
    case FileCall::Remove: return "unlink";
    case FileCall::FlushFile: return "fsync";
    case FileCall::FlushFileSystem: return "syncfs";
  }
  return "";
}

}  // namespace

PlantedError PlantedFault(FileCall call) {
  static const Fault fault = ReadFault();
  static std::atomic<int> seen{0};
  if (fault.nth == 0) return PlantedError::None;
  bool all = std::strcmp(fault.call, "all") == 0;
  bool counted = std::strcmp(fault.call, CallName(call)) == 0 || (all && call == FileCall::Write);
  int count = counted ? seen.fetch_add(1) + 1 : seen.load();
  if (counted && count == fault.nth && fault.signal) std::raise(fault.signal);
  bool fails = all ? count >= fault.nth : counted && (fault.once ? count == fault.nth
                                                                  : count >= fault.nth);
  return fails ? fault.error : PlantedError::None;
}

}  // namespace vulconv
