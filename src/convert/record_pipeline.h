// Records read and formatted on a second thread while the calling thread
// writes the ones before them, so that formatting overlaps the kernel's
// work on the files.
#ifndef VULCONV_CONVERT_RECORD_PIPELINE_H_
#define VULCONV_CONVERT_RECORD_PIPELINE_H_

#include <functional>
#include <string>

#include "convert/run_outputs.h"

namespace vulconv {

/// One record between its reading and its writing.
struct RecordJob {
  std::string notice;       // a console line printed before the record's files
  bool has_record = false;  // false: the binary file came short here
  OutputRecord record;
  RecordTexts texts;
};

/// Calls produce on a second thread until it returns false, and consume on
/// the calling thread with each job produce filled, once, in the order they
/// were filled. Returns when consume has returned for the last of them and
/// the second thread has ended.
///
/// produce reads the input and formats. It may create files (it makes the
/// STD files' temporaries ahead), but it never renames a file, prints or
/// ends the run: everything a user sees (console lines, file names, their
/// order, failures and exit statuses) happens in consume, on the calling
/// thread, exactly as a run on one thread would do it. The signals that end
/// a run are taken there too (the second thread blocks them; on Windows
/// their handler has a thread of its own), so their cleanup never
/// interrupts produce. consume may end the process while produce is still
/// running: whatever produce calls must be safe against that, as
/// MakeTempAhead is.
///
/// produce runs at most 16 jobs ahead: a job is produce's until it returns
/// true, then consume's until consume returns, then produce's again for a
/// later record. A job keeps what it last held (buffers are reused), so
/// produce sets every field that consume reads. produce returning false
/// means done: no more records; the job it was handed is not consumed, and
/// produce is not called again.
void RunRecordPipeline(const std::function<bool(RecordJob&)>& produce,
                       const std::function<void(RecordJob&)>& consume);

}  // namespace vulconv

#endif  // VULCONV_CONVERT_RECORD_PIPELINE_H_
