// Splitting a file name into its folder part and its own name.
#ifndef VULCONV_INPUT_FILE_NAMES_H_
#define VULCONV_INPUT_FILE_NAMES_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace vulconv {

/// Position of the last folder separator in name, or npos.
std::size_t LastSeparator(std::string_view name);

/// The name up to and including its last separator; empty when it has none.
std::string FolderPart(std::string_view name);

/// The name after its last separator; the whole name when it has none.
std::string BareName(std::string_view name);

/// A record number as it stands in STD file names: at least six digits,
/// with leading zeros.
std::string RecordNumberText(std::int64_t index);

/// Appends RecordNumberText(index) to text, without a new string.
void AppendRecordNumber(std::string& text, std::int64_t index);

/// Sets name to an STD file name: prefix, the record number, ".std". The
/// string is reused from file to file.
void SetStdFileName(std::string& name, std::string_view prefix, std::int64_t index);

}  // namespace vulconv

#endif  // VULCONV_INPUT_FILE_NAMES_H_
