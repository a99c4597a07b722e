// What the library does when a process loads and unloads it. The platform layer's
// entry point (a constructor/destructor pair on POSIX, DllMain on Windows) calls
// these.
#pragma once

namespace qclr {

// Builds the library-wide conversion tables before any export can run.
void OnProcessAttach();

// Releases every handle still live, oldest first.
void OnProcessDetach();

}  // namespace qclr
