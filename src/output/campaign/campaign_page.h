// The campaign page: one self-contained HTML file (inline CSS and SVG, no
// scripts, nothing from outside the working folder) with a title, a
// one-line summary, the map of the tracks with its legend, and a table of
// the scans with links to each scan's own files.
//
// Page: head, [map | no map], rest
#ifndef VULCONV_OUTPUT_CAMPAIGN_CAMPAIGN_PAGE_H_
#define VULCONV_OUTPUT_CAMPAIGN_CAMPAIGN_PAGE_H_

#include <string>
#include <string_view>
#include <vector>

#include "output/campaign/campaign_files.h"
#include "output/campaign/campaign_summary.h"

namespace vulconv {

/// True when an output folder (with its separator) lies inside the working
/// folder, where the page may link to it: relative, no ".." step, and on
/// Windows no drive.
bool IsInsideWorkingFolder(std::string_view folder);

/// Up to the map: the head with the styles, the title, the summary line.
void AppendPageHead(std::string& out, const std::vector<ScanSummary>& summaries);

/// In place of the map when no scan has a position.
void AppendNoMap(std::string& out);

/// After the map: its legend, the table of the scans, the end.
void AppendPageRest(std::string& out, const std::vector<CampaignScan>& scans,
                    const std::vector<ScanSummary>& summaries);

}  // namespace vulconv

#endif  // VULCONV_OUTPUT_CAMPAIGN_CAMPAIGN_PAGE_H_
