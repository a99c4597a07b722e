// qclr: converts images between colour spaces with the qclr library.
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "commands.h"
#include "exit_codes.h"
#include "messages.h"
#include "qclr/qclr.h"
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

namespace {

const char* Version() {
#ifdef QCLR_VERSION_MAJOR
#define QCLR_TOOL_TEXT(x) #x
#define QCLR_TOOL_VERSION_TEXT(a, b, c) QCLR_TOOL_TEXT(a) "." QCLR_TOOL_TEXT(b) "." QCLR_TOOL_TEXT(c)
  return QCLR_TOOL_VERSION_TEXT(QCLR_VERSION_MAJOR, QCLR_VERSION_MINOR, QCLR_VERSION_PATCH);
#else
  return QCLR_TOOL_VERSION;
#endif
}

void PrintHelp() {
  std::printf(
      "usage: qclr COMMAND [options]\n"
      "\n"
      "Commands:\n"
      "  convert   convert images between colour spaces (qclr convert --help)\n"
      "  info      describe an image or an ICC profile (qclr info --help)\n"
      "  demo      render a colour chart through every space and method (qclr demo --help)\n"
      "\n"
      "  qclr --help      this text\n"
      "  qclr --version   the version of qclr\n"
      "\n%s\n%s",
      SpacesHelp().c_str(), ExitCodesHelp());
}

int Run(int argc, char** argv) {
  const std::vector<std::string> args(argv + (argc > 1 ? 2 : 1), argv + argc);
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "convert") return RunConvert(args);
  if (command == "info") return RunInfo(args);
  if (command == "demo") return RunDemo(args);
  if (command == "--help" || command == "-h" || command == "help") {
    PrintHelp();
    return kExitOk;
  }
  if (command == "--version") {
    std::printf("qclr %s\n", Version());
    return kExitOk;
  }
  if (command.empty()) {
    PrintHelp();
    return kExitUsage;
  }
  return Report(Fails(kExitUsage, "unknown command '" + command + "' (try qclr --help)"));
}

}  // namespace
}  // namespace qclr_tool

int main(int argc, char** argv) {
  try {
    return qclr_tool::Run(argc, argv);
  } catch (const std::bad_alloc&) {
    return qclr_tool::Report(qclr_tool::Fails(qclr_tool::kExitOther, "out of memory"));
  } catch (const std::exception& e) {
    return qclr_tool::Report(qclr_tool::Fails(qclr_tool::kExitOther, e.what()));
  }
}
