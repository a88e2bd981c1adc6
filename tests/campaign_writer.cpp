// The campaign files of scans converted by single runs, as a batch writes
// them after its scans:
//   campaign_writer NAME:FOLDER:ok|NAME:FOLDER:fail:LINE ...
// NAME and FOLDER hold no colon; LINE is the failed run's last console line.
#include <string>
#include <vector>

#include "output/campaign/campaign_files.h"
#include "system/cleanup.h"
#include "system/write_batch.h"

int main(int argc, char** argv) {
  std::vector<vulconv::CampaignScan> scans;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    std::size_t folder = arg.find(':') + 1, state = arg.find(':', folder) + 1;
    vulconv::CampaignScan scan;
    scan.name = arg.substr(0, folder - 1);
    scan.output_folder = arg.substr(folder, state - folder - 1);
    scan.converted = arg.compare(state, std::string::npos, "ok") == 0;
    if (!scan.converted) scan.failure = arg.substr(state + 5);
    scans.push_back(scan);
  }
  vulconv::InstallSignalCleanup();
  vulconv::FileWriter writer;
  vulconv::WriteCampaignFiles(writer, scans);
  vulconv::EndFileWriter(writer);
  return 0;
}
