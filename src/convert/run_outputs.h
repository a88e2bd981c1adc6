// Every output a run asked for, fed one record at a time: the STD files
// always, and beside them the files the options add.
//
// Each record is read once. Its texts are formatted first (FormatRecord,
// which changes nothing but the format state and makes the STD file's
// temporary) and written after (WriteRecord), so that the formatting of one
// record can go on while an earlier one is being written.
#ifndef VULCONV_CONVERT_RUN_OUTPUTS_H_
#define VULCONV_CONVERT_RUN_OUTPUTS_H_

#include <cstdint>
#include <memory>
#include <string>

#include "convert/output_plan.h"
#include "output/shared/output_record.h"
#include "output/overview/overview_files.h"
#include "system/stream_file.h"
#include "system/write_batch.h"

namespace vulconv {

/// The texts of one record, formatted and waiting to be written.
struct RecordTexts {
  std::string std_name;
  std::unique_ptr<char[]> std_text;  // std_size of std_room bytes used; kept from
  std::size_t std_room = 0;          // record to record, and not cleared, so that
  std::size_t std_size = 0;          // only the bytes written take memory
  AheadTemp std_temp;                // the STD file's temporary, made ahead
  std::string qdoas;           // the record in its binary file's QDOAS file
  OverviewTexts overview;
};

/// What formatting carries from record to record.
struct FormatState {
  std::string std_prefix;  // STD names of the current binary file up to the number
  OverviewFormat overview;
  SunHours sun;            // the sun's place near the last record's time
};

/// The files open across records.
struct WriteState {
  std::string qdoas_path;  // the binary file's, opened after its first STD file
  bool qdoas_open = false;
  StreamFile qdoas;
  std::int64_t qdoas_count_at = 0;  // offset of the header's record count
  std::int64_t count = 0;           // whole records of the current binary file
  std::int64_t written = 0;         // of which written
  OverviewFiles overview;
};

struct RunOutputs {
  FileWriter* writer = nullptr;  // the conversion's
  OutputPlan plan;
  FormatState format;
  WriteState write;
};

/// Starts the outputs that span the run, for a scan of count records.
void BeginRunOutputs(RunOutputs& outputs, std::int64_t count);

/// Starts the outputs of one binary file whose STD names begin with
/// std_prefix and which holds count whole records.
void BeginBinaryFile(RunOutputs& outputs, const std::string& std_prefix, std::int64_t count);

/// Formats every text of the record, and makes its STD file's temporary.
void FormatRecord(FileWriter& writer, const OutputPlan& plan, FormatState& state,
                  const OutputRecord& record, RecordTexts& texts);

/// Prints the notice and writes the texts, in the order of the records.
void WriteRecord(RunOutputs& outputs, const OutputRecord& record, RecordTexts& texts);

/// Ends the outputs of the binary file: its files take their names with the
/// next commit.
void EndBinaryFile(RunOutputs& outputs);

/// After the scan's records: ends the outputs of the scan alone. False when
/// the track was asked for and no record had a position.
bool EndScanOutputs(RunOutputs& outputs);

/// After the last record: ends the outputs that span the run, whose
/// picture carries the date and time of the scan's first spectrum.
void EndRunOutputs(RunOutputs& outputs, std::string_view date, std::string_view time);

}  // namespace vulconv

#endif  // VULCONV_CONVERT_RUN_OUTPUTS_H_
