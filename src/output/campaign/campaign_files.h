// The campaign overview of a batch: every scan's overview in one set of
// files in the working folder.
#ifndef VULCONV_OUTPUT_CAMPAIGN_CAMPAIGN_FILES_H_
#define VULCONV_OUTPUT_CAMPAIGN_CAMPAIGN_FILES_H_

#include <string>
#include <vector>

namespace vulconv {

struct CampaignScan {
  std::string name;
  std::string output_folder;  // with separator
  bool converted;
  std::string failure;        // last console line
};

/// Writes the campaign files of scans, in their order, into the working
/// folder.
void WriteCampaignFiles(const std::vector<CampaignScan>& scans);

}  // namespace vulconv

#endif  // VULCONV_OUTPUT_CAMPAIGN_CAMPAIGN_FILES_H_
