// The handle routes of the exhaustive check: ICC transforms between the built-in
// profiles, fixed-point Lab, emulation tables, YCCK and described YUV layouts.
#pragma once

#include <cstdint>

namespace exhaustive {

// Converts every `step`-th input of each route through a handle, once at every
// instruction set the processor has, compares each with the portable bytes and
// prints one checksum a route on standard output. Returns the number of failed
// checks (each also printed as a FAIL line).
int CheckHandleRoutes(uint32_t step);

}  // namespace exhaustive
