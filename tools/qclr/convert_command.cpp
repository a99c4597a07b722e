// qclr convert [--from SPACE] --to SPACE [handle options] IN OUT
#include <cstdio>
#include <fstream>
#include <iterator>

#include "commands.h"
#include "handle_options.h"
#include "image_file.h"
#include "qclr/qclr.h"
#include "space_names.h"

namespace qclr_tool {
namespace {

// A raw file holding a YUV source in a caller-described layout.
bool ReadRaw(const std::string& path, const HandleOptions& o, Image* image, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot open '" + path + "'";
    return false;
  }
  image->bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  image->space = FindSpace(CSP_YUV);
  image->width = o.rawWidth;
  image->height = o.rawHeight;
  if (image->width == 0) {
    *error = "--yuv-layout needs --size WxH";
    return false;
  }
  return true;
}

int32_t ConvertThroughHandle(const Image& in, Image* out, HandleOptions* o) {
  FinishHandleOptions(o);
  ClrHandle* handle = nullptr;
  int32_t status = Q_ClrInit(&handle, in.space->code, out->space->code, &o->params);
  if (status != CLR_OK) return status;
  status = Q_ClrConvert(handle, in.bytes.data(), out->bytes.data(), in.width, in.height, 0, 0);
  Q_ClrFree(handle);
  return status;
}

}  // namespace

int RunConvert(const std::vector<std::string>& args) {
  const SpaceInfo* from = nullptr;
  const SpaceInfo* to = nullptr;
  HandleOptions handle;
  std::vector<std::string> files;
  std::string error;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    bool taken = false;
    if (!ParseHandleOption(args, &i, &handle, &taken, &error)) return Fail(error);
    if (taken) continue;
    if (a == "--from" || a == "--to") {
      if (i + 1 == args.size()) return Fail(a + " needs a colour space");
      const SpaceInfo* space = FindSpace(args[++i]);
      if (space == nullptr) return Fail("unknown colour space '" + args[i] + "' (see qclr --help)");
      (a == "--from" ? from : to) = space;
    } else if (a.rfind("--", 0) == 0) {
      return Fail("unknown option '" + a + "'");
    } else {
      files.push_back(a);
    }
  }
  if (files.size() != 2 || to == nullptr) return Fail("usage: qclr convert [--from SPACE] --to SPACE IN OUT");

  Image in;
  const bool raw = handle.hasYuv;
  if (!(raw ? ReadRaw(files[0], handle, &in, &error) : ReadImage(files[0], &in, &error))) return Fail(error);
  if (from != nullptr && from != in.space) {
    return Fail("'" + files[0] + "' holds " + in.space->name + ", not " + from->name);
  }
  Image out;
  out.space = to;
  out.width = in.width;
  out.height = in.height;
  if (!FitsGroups(*to, in.width, in.height)) {
    return Fail(std::string(to->name) + " needs a width multiple of " + std::to_string(to->groupWidth) +
                " and a height multiple of " + std::to_string(to->groupHeight));
  }
  out.bytes.resize(PackedBytes(*to, out.width, out.height));
  const int32_t status =
      handle.used ? ConvertThroughHandle(in, &out, &handle)
                  : Q_ClrConvertDirect(in.space->code, to->code, in.bytes.data(), out.bytes.data(),
                                       in.width, in.height, 0, 0);
  if (status != CLR_OK) {
    return Fail(std::string("conversion ") + in.space->name + " -> " + to->name + " failed with status " +
                std::to_string(status));
  }
  if (!WriteImage(files[1], out, &error)) return Fail(error);
  return 0;
}

}  // namespace qclr_tool
