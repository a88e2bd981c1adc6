// What differs between Windows and POSIX in names: which characters
// separate folders.
//
// Standard output is left as the C runtime opens it. On Windows that is
// text mode, so every line break reaches a console or a redirected file as
// CR LF, and the "\r\n" that ends the "Could not open" lines as CR CR LF:
// what Windows users and their scripts have always been given.
#ifndef VULCONV_SYSTEM_PLATFORM_H_
#define VULCONV_SYSTEM_PLATFORM_H_

namespace vulconv {

#ifdef _WIN32
inline constexpr bool kWindowsNames = true;
#else
inline constexpr bool kWindowsNames = false;
#endif

/// True for a character that separates folders in a file name: the
/// backslash on Windows; the backslash and the slash elsewhere.
constexpr bool IsFolderSeparator(char c) {
  return c == '\\' || (!kWindowsNames && c == '/');
}

/// The separator put between the output folder and every STD file name.
inline constexpr char kFolderSeparator = kWindowsNames ? '\\' : '/';

/// True for a character that must not stand in a folder name read from a
/// file, as it could lead out of the folder the name is put in: a slash or
/// backslash (the Windows file system takes both), a NUL (which would end
/// the name early), and on Windows the colon, as "D:name" names a folder in
/// drive D's own working folder.
constexpr bool LeadsOutOfFolder(char c) {
  return c == '\\' || c == '/' || c == '\0' || (kWindowsNames && c == ':');
}

}  // namespace vulconv

#endif  // VULCONV_SYSTEM_PLATFORM_H_
