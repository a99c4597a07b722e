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

namespace qclr_tool {
namespace {

// The header's version, which the tool was built with, and the version of the
// library actually loaded when that differs (another copy found at run time).
std::string Version() {
  const std::string built = std::to_string(QCLR_VERSION_MAJOR) + "." + std::to_string(QCLR_VERSION_MINOR) + "." +
                            std::to_string(QCLR_VERSION_PATCH);
  int32_t major = 0, minor = 0, patch = 0;
  if (Q_ClrGetVersion(&major, &minor, &patch) != CLR_OK) return built + " (the loaded library gives no version)";
  const std::string loaded = std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(patch);
  return loaded == built ? built : built + " (library " + loaded + " loaded)";
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
      "  qclr --version   the version of qclr and, if another, of the loaded library\n"
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
    std::printf("qclr %s\n", Version().c_str());
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
