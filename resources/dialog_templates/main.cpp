// Writes the binary templates of the colour settings dialogs into the folder named
// on the command line: dialog114_cmyk_settings.bin and dialog128_lab_settings.bin
// (the numbers are the templates' resource ids).
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "settings_dialogs.h"
#include "template_writer.h"
#include "write_file.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "/";
  using namespace qclr::resources;
  try {
    const bool ok =
        WriteFile(folder + "dialog114_cmyk_settings.bin", WriteDialogTemplate(CmykSettingsDialog())) &&
        WriteFile(folder + "dialog128_lab_settings.bin", WriteDialogTemplate(LabSettingsDialog()));
    return ok ? 0 : 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
    return 1;
  }
}
