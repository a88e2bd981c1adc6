// Records formatted on a second thread while the calling thread writes the
// ones before them. Everything a user sees (console lines, files, their
// order, failures) happens on the calling thread, in record order; the
// second thread only reads input and formats.
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

/// Calls produce on a second thread until it returns false (no job filled)
/// and consume on this thread with each filled job, in order. produce may
/// run a few jobs ahead of consume and touches nothing consume does.
void RunRecordPipeline(const std::function<bool(RecordJob&)>& produce,
                       const std::function<void(RecordJob&)>& consume);

}  // namespace vulconv

#endif  // VULCONV_CONVERT_RECORD_PIPELINE_H_
