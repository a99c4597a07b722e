#include "file_bytes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "messages.h"

namespace qclr_tool {
namespace {

struct CloseFile {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, CloseFile>;

// Standard input and output carry bytes unchanged (no line-end translation).
std::FILE* Binary(std::FILE* stream) {
#ifdef _WIN32
  _setmode(_fileno(stream), _O_BINARY);
#endif
  return stream;
}

bool ReadAll(std::FILE* f, std::vector<uint8_t>* bytes) {
  bytes->clear();
  uint8_t chunk[1 << 16];
  for (;;) {
    const size_t got = std::fread(chunk, 1, sizeof chunk, f);
    bytes->insert(bytes->end(), chunk, chunk + got);
    if (got < sizeof chunk) return std::ferror(f) == 0;
  }
}

bool WriteAll(std::FILE* f, const std::vector<uint8_t>& bytes) {
  return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() && std::fflush(f) == 0;
}

Failure WriteFailure(const std::string& path, int err) {
  return Fails(kExitWrite, "cannot write " + ShownName(path, true) + ": " + std::strerror(err));
}

// A new file beside `path` under a name of its own ("PATH.qclr-XXXXXX"), created
// exclusively so that no other file is ever overwritten; its mode is that of any
// new file (the umask applies).
File CreateBeside(const std::string& path, std::string* name) {
  static thread_local std::mt19937 random{std::random_device{}()};
  static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  for (int attempt = 0; attempt < 100; ++attempt) {
    *name = path + ".qclr-";
    for (int i = 0; i < 6; ++i) name->push_back(kDigits[random() % 36]);
    errno = 0;
    File f(std::fopen(name->c_str(), "wbx"));
    if (f != nullptr || errno != EEXIST) return f;
  }
  return nullptr;
}

}  // namespace

Failure ReadFileBytes(const std::string& path, std::vector<uint8_t>* bytes) {
  if (path == "-") {
    if (!ReadAll(Binary(stdin), bytes)) return Fails(kExitInput, CannotOpen(path, errno));
    return {};
  }
  if (IsFolder(path)) return Fails(kExitInput, "cannot read " + ShownName(path) + ": it is a folder");
  errno = 0;
  const File f(std::fopen(path.c_str(), "rb"));
  if (f == nullptr) return Fails(kExitInput, CannotOpen(path, errno));
  if (!ReadAll(f.get(), bytes)) {
    return Fails(kExitInput, "cannot read " + ShownName(path) + ": " + std::strerror(errno));
  }
  return {};
}

Failure WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  if (path == "-") {
    if (!WriteAll(Binary(stdout), bytes)) return WriteFailure(path, errno);
    return {};
  }
  if (IsFolder(path)) return Fails(kExitWrite, "cannot write " + ShownName(path) + ": it is a folder");
  std::string temporary;
  File f = CreateBeside(path, &temporary);
  if (f == nullptr) return WriteFailure(path, errno);
  bool ok = WriteAll(f.get(), bytes);
  int err = errno;
  if (std::fclose(f.release()) != 0 && ok) {
    ok = false;
    err = errno;
  }
  std::error_code renamed;
  if (ok) std::filesystem::rename(temporary, path, renamed);
  if (!ok || renamed) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    return ok ? Fails(kExitWrite, "cannot write " + ShownName(path, true) + ": " + renamed.message())
              : WriteFailure(path, err);
  }
  return {};
}

Failure MakeFolder(const std::string& folder) {
  if (IsFolder(folder)) return {};
  std::error_code error;
  if (!std::filesystem::create_directories(folder, error) && error) {
    return Fails(kExitWrite, "cannot create the folder '" + folder + "': " + error.message());
  }
  return {};
}

bool IsFolder(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::is_directory(path, ignored);
}

}  // namespace qclr_tool
