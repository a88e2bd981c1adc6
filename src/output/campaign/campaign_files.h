// The campaign overview of a batch: after all its scans ended, four files
// in the working folder made from the overview files of the scans' runs:
// every table row (campaign.csv), every track (campaign.kml and
// campaign.geojson) and one self-contained page with a map of the tracks
// and a table of the scans (campaign.html).
//
// The scans' tables are streamed, once for each file that needs them, and
// the rows written while later scans still run: memory does not grow with
// the number of spectra.
#ifndef VULCONV_OUTPUT_CAMPAIGN_CAMPAIGN_FILES_H_
#define VULCONV_OUTPUT_CAMPAIGN_CAMPAIGN_FILES_H_

#include <string>
#include <vector>

#include "output/campaign/campaign_map.h"
#include "output/campaign/campaign_summary.h"
#include "system/stream_file.h"
#include "system/write_batch.h"

namespace vulconv {

struct CampaignScan {
  std::string name;           // the scan file name its run was given
  std::string output_folder;  // its output folder, with separator
  bool converted = false;     // its run completed (status 1)
  std::string failure;        // when not: its last console line
};

/// A file being written and the text that waits for it.
struct CampaignOutput {
  StreamFile file;
  std::string text;
};

/// The three files that take the scans' rows and points.
struct CampaignRowFiles {
  CampaignOutput csv, kml, geojson;
  std::vector<std::string> header;  // of the first table read: campaign.csv's after "scan"
  bool any_feature = false;
};

/// The campaign while its scans are added, one by one as their runs end.
struct CampaignFiles {
  bool open = false;
  std::string unmade;  // a file that could not be made: the campaign ends there
  CampaignRowFiles rows;
  std::vector<CampaignScan> scans;
  std::vector<ScanSummary> summaries;  // a fixed size each
  MapExtent extent;                    // of every track so far
  int colours = 0;                     // tracks given a colour so far
};

/// Adds the next scan, in the order of the names, once its run ended: its
/// rows and track join campaign.csv, campaign.kml and campaign.geojson,
/// written through writer into the working folder.
void AddCampaignScan(CampaignFiles& campaign, FileWriter& writer, const CampaignScan& scan);

/// After the last scan: ends those three files, writes campaign.html and
/// commits the four. Ends the run with -1 after "Could not create NAME"
/// when one of them could not be made.
void EndCampaignFiles(CampaignFiles& campaign, FileWriter& writer);

}  // namespace vulconv

#endif  // VULCONV_OUTPUT_CAMPAIGN_CAMPAIGN_FILES_H_
