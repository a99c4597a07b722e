// qclr: converts images between colour spaces with the qclr library.
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "commands.h"
#include "exit_codes.h"
#include "messages.h"

namespace qclr_tool {
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
