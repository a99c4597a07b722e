// Build-time generator of the library's built-in ICC profiles:
//   qclr_make_profile display|cmy|press|lab OUTPUT
#include <cstdio>
#include <cstring>
#include <exception>

#include "profiles.h"
#include "write_file.h"

int main(int argc, char** argv) {
  using namespace qclr::resources;
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s display|cmy|press|lab OUTPUT\n", argv[0]);
    return 2;
  }
  const struct {
    const char* name;
    Bytes (*make)();
  } models[] = {{"display", MakeDisplayProfile}, {"cmy", MakeCmyProfile}, {"press", MakePressProfile},
                {"lab", MakeLabProfile}};
  for (const auto& model : models) {
    if (std::strcmp(argv[1], model.name) != 0) continue;
    try {
      if (!WriteFile(argv[2], model.make())) return 1;
    } catch (const std::exception& e) {
      std::fprintf(stderr, "%s: %s profile: %s\n", argv[0], model.name, e.what());
      return 1;
    }
    return 0;
  }
  std::fprintf(stderr, "%s: unknown profile %s\n", argv[0], argv[1]);
  return 2;
}
