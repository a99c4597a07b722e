// The command line of `qclr convert`.
#pragma once

#include <string>
#include <vector>

#include "exit_codes.h"
#include "handle_options.h"
#include "image_format.h"

namespace qclr_tool {

struct ConvertRequest {
  std::vector<std::string> inputs;
  std::string output;        // IN OUT form
  std::string outputFolder;  // -o DIR form (any number of inputs)
  const SpaceInfo* from = nullptr;
  const SpaceInfo* to = nullptr;
  bool raw = false;  // --size: the inputs are raw buffers of `from`
  RawLayout rawLayout;
  int32_t align = 0;  // row alignment of raw files, in and out
  bool hasFormat = false;
  FileFormat format = FileFormat::kPam;  // --format: the output format
  int jobs = 0;                          // threads; 0: every processor
  bool quiet = false;
  bool help = false;
  HandleOptions handle;
};

// Parses the arguments after "convert". A malformed line is kExitUsage.
Failure ParseConvertOptions(const std::vector<std::string>& args, ConvertRequest* request);

const char* ConvertHelp();

}  // namespace qclr_tool
