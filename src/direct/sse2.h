// One place that decides whether the packed rows may use SSE2 intrinsics: on
// compilers that target it (x86-64 always, 32-bit x86 when enabled). Without it the
// packed rows do the same lane arithmetic one pixel at a time. Building with
// -DQCLR_HAVE_SSE2=0 forces that fallback, so it can be tested on any machine.
#pragma once

#ifndef QCLR_HAVE_SSE2
#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#define QCLR_HAVE_SSE2 1
#else
#define QCLR_HAVE_SSE2 0
#endif
#endif

#if QCLR_HAVE_SSE2
#include <emmintrin.h>
#endif
