// QDOAS's "column extended" ASCII file: a header, then per record its key
// lines and its pixel values, one a line.
#ifndef VULCONV_OUTPUT_QDOAS_QDOAS_FILE_H_
#define VULCONV_OUTPUT_QDOAS_QDOAS_FILE_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "output/shared/output_record.h"

namespace vulconv {

/// The detector size and the number of records, the two comments QDOAS
/// trusts. count_at is set to the offset of the count within out.
void AppendQdoasHeader(std::string& out, std::int64_t records, std::size_t& count_at);

/// One record: the keys whose values are known, in a fixed order, then the
/// pixel lines of its STD file (pixel_lines), with NaN and infinities
/// signed where non_finite says there are any.
void AppendQdoasRecord(std::string& out, const StdSpectrumInfo& info, bool has_position,
                       bool has_angles, const SpectrumFacts& facts,
                       std::string_view pixel_lines, bool non_finite);

}  // namespace vulconv

#endif  // VULCONV_OUTPUT_QDOAS_QDOAS_FILE_H_
