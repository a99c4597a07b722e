#include "messages.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "qclr/qclr.h"

namespace qclr_tool {
namespace {

std::atomic<bool> silent{false};
std::mutex lineMutex;
std::string statusLine;  // guarded by lineMutex

// Prints a line above the status line.
void PrintLine(const std::string& line) {
  std::lock_guard<std::mutex> lock(lineMutex);
  if (!statusLine.empty()) std::fputs("\r\033[K", stderr);
  std::fprintf(stderr, "%s\n", line.c_str());
  if (!statusLine.empty()) std::fputs(statusLine.c_str(), stderr);
  std::fflush(stderr);
}

}  // namespace

int Report(const Failure& failure) {
  PrintLine("qclr: " + failure.message);
  return failure.code;
}

void Warn(const std::string& message) {
  if (!silent) PrintLine("qclr: warning: " + message);
}

void ShowStatusLine(const std::string& text) {
  std::lock_guard<std::mutex> lock(lineMutex);
  std::fputs(text.empty() ? "\r\033[K" : ("\r" + text).c_str(), stderr);
  std::fflush(stderr);
  statusLine = text;
}

void SilenceWarnings(bool value) { silent = value; }

std::string StatusText(int32_t status) {
  char name[64], text[256];
  Q_ClrStatusText(status, name, sizeof name, text, sizeof text);
  if (status > CLR_OK) return std::string(name) + " " + std::to_string(status) + " (" + text + ")";
  return std::string(name) + " (" + text + ")";
}

std::string StatusName(int32_t status) {
  char name[64] = "";
  Q_ClrStatusText(status, name, sizeof name, nullptr, 0);
  return name;
}

int ExitForStatus(int32_t status) {
  switch (status) {
    case CLR_ERR_COLORSPACE:
    case CLR_ERR_METHOD:
    case CLR_ERR_PROFILE_OPEN:
    case CLR_ERR_PROFILE_MISMATCH:
      return kExitUnsupported;
    default:
      return kExitLibrary;
  }
}

std::string CannotOpen(const std::string& path, int err) {
  return "cannot open " + ShownName(path) + ": " + std::strerror(err);
}

std::string ShownName(const std::string& path, bool output) {
  if (path == "-") return output ? "standard output" : "standard input";
  return "'" + path + "'";
}

}  // namespace qclr_tool
