// The help texts and argument handling that several commands share.
#include <cstdio>

#include "commands.h"
#include "exit_codes.h"
#include "messages.h"
#include "space_names.h"

namespace qclr_tool {

std::string SpacesHelp() {
  std::string text = "SPACE is one of:";
  for (const SpaceInfo& s : AllSpaces()) text += std::string(" ") + s.name;
  return text +
         "\n(case does not matter). In PAM files RGB and CMYK are the standard tuple types;\n"
         "the others are QCLR_<SPACE>, one tuple per pixel group (YUY2, UYVY: 2 pixels;\n"
         "Y41P: 8 pixels; YVU9: a 4 x 4 block in the library's planar byte order). Lab\n"
         "files say their encoding: QCLR_LAB_SIGNED (a, b signed bytes: the built-in\n"
         "formulas and emulation tables) or QCLR_LAB_ICC (a + 128, b + 128: the ICC\n"
         "methods); a file of the other encoding is converted on reading, and plain\n"
         "QCLR_LAB is taken to be what the method expects.\n";
}

const char* ExitCodesHelp() {
  return "Exit status: 0 success; 1 out of memory or an unexpected failure; 2 usage error;\n"
         "3 an input cannot be read; 4 a space, format, method or profile that cannot\n"
         "work together; 5 the library refused with another status; 6 an output cannot\n"
         "be written. A batch exits with the status of its first failed file.\n";
}

bool NameArguments(const std::vector<std::string>& args, const char* command, const char* help,
                   std::vector<std::string>* names, int* exitCode) {
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") {
      std::printf("%s%s", help, ExitCodesHelp());
      *exitCode = kExitOk;
      return false;
    }
    if (a.size() > 1 && a[0] == '-') {
      *exitCode = Report(Fails(kExitUsage, "unknown option '" + a + "' (see qclr " + command + " --help)"));
      return false;
    }
    names->push_back(a);
  }
  return true;
}

}  // namespace qclr_tool
