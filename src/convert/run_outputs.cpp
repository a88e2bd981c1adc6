#include "convert/run_outputs.h"

#include <cmath>

#include "input/file_names.h"
#include "output/shared/number_text.h"
#include "output/qdoas/qdoas_file.h"
#include "output/std/std_format.h"

namespace vulconv {

namespace {

SpectrumFacts FactsOf(const OutputRecord& r, SunHours& sun) {
  SpectrumFacts facts;
  facts.has_date = ParseDateText(r.info.date, facts.date);
  facts.has_time = ParseTimeText(r.info.time, facts.time);
  facts.has_solar = r.has_position && facts.has_date && facts.has_time;
  if (facts.has_solar) {
    facts.solar = SolarPositionNear(sun, facts.date, facts.time, r.info.latitude,
                                    r.info.longitude, r.info.altitude);
  }
  return facts;
}

bool HasNonFinite(const SpectrumRecord& record) {
  bool any = false;
  for (float v : record.pixels) any |= !std::isfinite(v);
  return any;
}

}  // namespace

void BeginRunOutputs(RunOutputs& outputs, std::int64_t count) {
  if (outputs.plan.choice.overview) {
    StartOverview(outputs.write.overview, *outputs.writer, outputs.plan.output.folder,
                  outputs.plan.scan_file_name, count);
  }
}

void BeginBinaryFile(RunOutputs& outputs, const std::string& std_prefix, std::int64_t count) {
  outputs.format.std_prefix = std_prefix;
  WriteState& w = outputs.write;
  w.count = count;
  w.written = 0;
  if (outputs.plan.choice.qdoas) w.qdoas_path = std_prefix + "asc";
}

void FormatRecord(FileWriter& writer, const OutputPlan& plan, FormatState& state,
                  const OutputRecord& record, RecordTexts& texts) {
  SetStdFileName(texts.std_name, state.std_prefix, record.info.index);
  std::size_t bound = StdFileSizeBound(record.info);
  if (texts.std_room < bound) {
    texts.std_text.reset(new char[bound]);
    texts.std_room = bound;
  }
  char* begin = texts.std_text.get();
  char* pixels_end = nullptr;
  char* end = FormatStdFile(record.kind, record.record, record.info, begin, &pixels_end);
  texts.std_size = static_cast<std::size_t>(end - begin);
  texts.std_temp = MakeTempAhead(writer, texts.std_name);
  if (!plan.choice.qdoas && !plan.choice.overview) return;
  SpectrumFacts facts = FactsOf(record, state.sun);
  if (plan.choice.qdoas) {
    std::string_view pixel_lines(begin + kStdHeadSize,
                                 static_cast<std::size_t>(pixels_end - begin) - kStdHeadSize);
    texts.qdoas.clear();
    // Room for the keys and the longest pixel lines at once: a string that
    // grew in steps would keep the steps' memory in every slot.
    texts.qdoas.reserve(kPixelCount * (kMaxFloatText + 3) + 1024);
    AppendQdoasRecord(texts.qdoas, record.info, record.has_position, record.has_angles, facts,
                      pixel_lines, HasNonFinite(record.record));
  }
  if (plan.choice.overview) {
    std::string_view own_name = std::string_view(texts.std_name).substr(plan.output.folder.size());
    FormatOverview(state.overview, record, own_name, facts, texts.overview);
  }
}

void WriteRecord(RunOutputs& outputs, const OutputRecord& record, RecordTexts& texts) {
  WriteWholeFile(*outputs.writer, texts.std_name, texts.std_temp, texts.std_text.get(),
                 texts.std_size);
  WriteState& w = outputs.write;
  // Opened only now, after the binary file's first STD file, so that a run
  // that cannot write says so of that file, with the options or without.
  // A binary file without records gets no QDOAS file, as it gets no STD file.
  if (outputs.plan.choice.qdoas && w.written == 0) {
    std::string head;
    std::size_t count_at = 0;
    AppendQdoasHeader(head, w.count, count_at);
    w.qdoas = OpenStreamFile(*outputs.writer, w.qdoas_path);
    w.qdoas_count_at = static_cast<std::int64_t>(count_at);
    AppendStreamFile(w.qdoas, head);
    w.qdoas_open = true;
  }
  if (w.qdoas_open) AppendStreamFile(w.qdoas, texts.qdoas);
  if (outputs.plan.choice.overview) WriteOverview(w.overview, record, texts.overview);
  ++w.written;
}

void EndBinaryFile(RunOutputs& outputs) {
  WriteState& w = outputs.write;
  if (!w.qdoas_open) return;
  w.qdoas_open = false;
  if (w.written == 0) {
    DiscardStreamFile(w.qdoas);
    return;
  }
  // A file that shrank while it was read: the header's count, written
  // again over the first one, fewer digits padded with blanks.
  if (w.written != w.count) {
    std::string was = std::to_string(w.count), now = std::to_string(w.written);
    now.resize(was.size(), ' ');
    OverwriteStreamFile(w.qdoas, w.qdoas_count_at, now);
  }
  CloseStreamFile(w.qdoas);
}

bool EndScanOutputs(RunOutputs& outputs) {
  return !outputs.plan.choice.overview || EndOverviewTrack(outputs.write.overview);
}

void EndRunOutputs(RunOutputs& outputs, std::string_view date, std::string_view time) {
  if (outputs.plan.choice.overview) {
    FinishOverview(outputs.write.overview, date, time);
  }
}

}  // namespace vulconv
