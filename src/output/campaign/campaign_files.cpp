#include "output/campaign/campaign_files.h"

namespace vulconv {

// Written by the campaign overview's own change; nothing yet.
void WriteCampaignFiles(const std::vector<CampaignScan>&) {}

}  // namespace vulconv
