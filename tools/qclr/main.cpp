// qclr: converts images between colour spaces with the qclr library.
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "handle_options.h"
#include "space_names.h"

namespace qclr_tool {

int Fail(const std::string& message) {
  std::fprintf(stderr, "qclr: %s\n", message.c_str());
  return 1;
}

namespace {

void PrintHelp() {
  std::printf(
      "usage:\n"
      "  qclr convert [--from SPACE] --to SPACE IN OUT   convert an image file\n"
      "  qclr demo [FOLDER]                             colour chart through every pair\n"
      "\n"
      "Images are PPM (P6, RGB) or PAM (P7) files. PAM files hold any space: TUPLTYPE RGB\n"
      "or CMYK, or QCLR_<SPACE> with one tuple per pixel group (YUY2, UYVY: 2 pixels;\n"
      "Y41P: 8 pixels; YVU9: a 4 x 4 block, bytes in the library's planar order).\n"
      "\nSPACE is one of:");
  for (const SpaceInfo& s : AllSpaces()) std::printf(" %s", s.name);
  std::printf("\n\n%s", HandleOptionsHelp());
}

}  // namespace
}  // namespace qclr_tool

int main(int argc, char** argv) {
  using namespace qclr_tool;
  const std::vector<std::string> args(argv + (argc > 1 ? 2 : 1), argv + argc);
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "convert") return RunConvert(args);
  if (command == "demo") return RunDemo(args);
  if (command == "--help" || command == "-h" || command == "help") {
    PrintHelp();
    return 0;
  }
  if (command.empty()) {
    PrintHelp();
    return 1;
  }
  return Fail("unknown command '" + command + "' (try qclr --help)");
}
