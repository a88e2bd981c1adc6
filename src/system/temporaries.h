// The names of a run's temporary files and lock files, and the removal of
// those that ended runs left behind.
//
// A temporary is named ".vulconv-<run>-<n>.tmp" in the folder of the file
// it becomes: it starts with a dot and does not end in ".std", so no reader
// takes it for a spectrum, and its length does not grow with the file's
// name. <run> is 64 random bits from the operating system, so no two runs
// share a name, whether they run on one machine, in containers that each
// see their own process ids, or on machines that share a network folder.
// While a run has temporaries in a folder it holds a lock on its file
// ".vulconv-<run>.lock" there, which the system drops when the process ends.
#ifndef VULCONV_SYSTEM_TEMPORARIES_H_
#define VULCONV_SYSTEM_TEMPORARIES_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace vulconv {

/// A run's part of its files' names: 16 lower-case hexadecimal digits.
struct RunIdentity {
  std::string text;
};

/// A new identity from the system's random source.
RunIdentity NewRunIdentity();

/// The temporary number n of the run in folder (which ends with a
/// separator, or is empty for the working folder).
std::string TemporaryName(std::string_view folder, const RunIdentity& run, std::uint64_t n);

/// The run's lock file in folder.
std::string LockFileName(std::string_view folder, const RunIdentity& run);

/// What a file's own name is to the cleanup.
struct NameKind {
  enum Kind { Other, Temporary, Lock, OldTemporary } kind = Other;
  std::string_view run;  // the identity in a Temporary's or Lock's name
};

/// Temporary and Lock by the names above; OldTemporary for an earlier
/// version's ".vulconv-<pid>.tmp" and ".vulconv-<pid>-<n>.tmp"; Other for
/// anything else.
NameKind KindOfName(std::string_view name);

/// How long a run may take, at most: a temporary without a lock that
/// tells whether its run still lives is removed only when older.
inline constexpr std::int64_t kLongestRunSeconds = 24 * 60 * 60;

/// Removes from folder the temporaries of runs known to have ended (their
/// lock is free) and their lock files; where no lock tells, those older
/// than kLongestRunSeconds. Never own's, nor a running one's.
void RemoveEndedRunsTemporaries(const std::string& folder, const RunIdentity& own);

}  // namespace vulconv

#endif  // VULCONV_SYSTEM_TEMPORARIES_H_
