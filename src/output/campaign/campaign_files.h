// The campaign overview of a batch: after all its scans ended, four files
// in the working folder made from the overview files of the scans' runs:
// every table row (campaign.csv), every track (campaign.kml and
// campaign.geojson) and one self-contained page with a map of the tracks
// and a table of the scans (campaign.html).
//
// The scans' tables are streamed, once for each file that needs them:
// memory does not grow with the number of spectra.
#ifndef VULCONV_OUTPUT_CAMPAIGN_CAMPAIGN_FILES_H_
#define VULCONV_OUTPUT_CAMPAIGN_CAMPAIGN_FILES_H_

#include <string>
#include <vector>

#include "system/write_batch.h"

namespace vulconv {

struct CampaignScan {
  std::string name;           // the scan file name its run was given
  std::string output_folder;  // its output folder, with separator
  bool converted = false;     // its run completed (status 1)
  std::string failure;        // when not: its last console line
};

/// Writes campaign.csv, campaign.kml, campaign.geojson and campaign.html
/// into the working folder from the overview files of the scans' runs,
/// in the order given, and commits them.
void WriteCampaignFiles(FileWriter& writer, const std::vector<CampaignScan>& scans);

}  // namespace vulconv

#endif  // VULCONV_OUTPUT_CAMPAIGN_CAMPAIGN_FILES_H_
