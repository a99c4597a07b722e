// POSIX counterpart of the Windows entry point: the loader runs the constructor
// when the library (or a program linking it statically) is loaded and the
// destructor when it is unloaded.
#include "platform/platform.h"

namespace qclr::platform {
extern const char kLibraryEntry = 0;
}

namespace {

__attribute__((constructor)) void AttachLibrary() { qclr::OnProcessAttach(); }

__attribute__((destructor)) void DetachLibrary() { qclr::OnProcessDetach(); }

}  // namespace
