// Writes the three built-in emulation tables into the folder named on the command
// line: et111_cmyk_to_rgb.bin, et112_lab_to_rgb.bin and et113_rgb_to_lab.bin (the
// numbers are the tables' resource ids).
#include <cstdio>
#include <string>
#include <vector>

#include "cmyk_to_rgb_table.h"
#include "lab_tables.h"
#include "write_file.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "/";
  using namespace qclr::tables;
  using qclr::resources::WriteFile;
  const bool ok = WriteFile(folder + "et111_cmyk_to_rgb.bin", MakeCmykToRgbTable()) &&
                  WriteFile(folder + "et112_lab_to_rgb.bin", MakeLabToRgbTable()) &&
                  WriteFile(folder + "et113_rgb_to_lab.bin", MakeRgbToLabTable());
  return ok ? 0 : 1;
}
