#include "system/temporaries.h"

#include <map>
#include <vector>

#include "system/files.h"
#include "system/locks.h"

namespace vulconv {

namespace {

constexpr std::string_view kStart = ".vulconv-";
constexpr std::string_view kTemporaryEnd = ".tmp";
constexpr std::string_view kLockEnd = ".lock";
constexpr std::size_t kRunDigits = 16;

bool IsRunText(std::string_view text) {
  if (text.size() != kRunDigits) return false;
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

// Takes the digits at the front of text; false without any.
bool TakeDigits(std::string_view& text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  text.remove_prefix(i);
  return i > 0;
}

}  // namespace

RunIdentity NewRunIdentity() {
  static const char kHex[] = "0123456789abcdef";
  std::uint64_t bits = RandomBits();
  RunIdentity run;
  for (std::size_t i = 0; i < kRunDigits; ++i, bits >>= 4) run.text += kHex[bits & 15];
  return run;
}

std::string TemporaryName(std::string_view folder, const RunIdentity& run, std::uint64_t n) {
  std::string name(folder);
  name.append(kStart).append(run.text).append("-").append(std::to_string(n));
  return name.append(kTemporaryEnd);
}

std::string LockFileName(std::string_view folder, const RunIdentity& run) {
  std::string name(folder);
  return name.append(kStart).append(run.text).append(kLockEnd);
}

NameKind KindOfName(std::string_view name) {
  NameKind kind;
  if (!name.starts_with(kStart)) return kind;
  name.remove_prefix(kStart.size());
  std::string_view run = name.substr(0, kRunDigits);
  if (IsRunText(run)) {
    std::string_view rest = name.substr(kRunDigits);
    if (rest == kLockEnd) return {NameKind::Lock, run};
    if (rest.starts_with("-")) {
      rest.remove_prefix(1);
      if (TakeDigits(rest) && rest == kTemporaryEnd) return {NameKind::Temporary, run};
    }
    return kind;
  }
  // ".vulconv-<pid>.tmp" and ".vulconv-<pid>-<n>.tmp"
  if (!TakeDigits(name)) return kind;
  if (name.starts_with("-")) {
    name.remove_prefix(1);
    if (!TakeDigits(name)) return kind;
  }
  if (name == kTemporaryEnd) kind.kind = NameKind::OldTemporary;
  return kind;
}

void RemoveEndedRunsTemporaries(const std::string& folder, const RunIdentity& own) {
  std::vector<std::string> temporaries;
  std::map<std::string, LockOwner> owners;  // by run, from the lock files
  std::map<std::string, LockHandle> ended;
  ForEachFileName(folder, [&](const char* name) {
    NameKind kind = KindOfName(name);
    if (kind.kind == NameKind::Lock && kind.run != own.text) owners[std::string(kind.run)];
    if (kind.kind == NameKind::Temporary || kind.kind == NameKind::OldTemporary)
      temporaries.emplace_back(name);
  });
  for (auto& [run, owner] : owners) {
    LockHandle handle = -1;
    owner = ProbeLockFile(folder + LockFileName("", {run}), handle);
    if (owner == LockOwner::Ended) ended[run] = handle;
  }
  for (const std::string& name : temporaries) {
    NameKind kind = KindOfName(name);
    if (kind.run == own.text) continue;
    auto owner = owners.find(std::string(kind.run));
    bool known = owner != owners.end() && owner->second != LockOwner::Unknown;
    bool gone = known ? owner->second == LockOwner::Ended
                      : OlderThan(folder + name, kLongestRunSeconds);
    if (gone) RemoveName(folder + name);
  }
  // A lock file goes after its temporaries: should this run stop in
  // between, the next one still finds the run ended.
  for (const auto& [run, handle] : ended) RemoveEndedLock(handle, folder + LockFileName("", {run}));
  for (const auto& [run, owner] : owners) {
    std::string lock = folder + LockFileName("", {run});
    if (owner == LockOwner::Unknown && OlderThan(lock, kLongestRunSeconds)) RemoveName(lock);
  }
}

}  // namespace vulconv
