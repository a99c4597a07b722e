// What every throughput benchmark shares: the frame sizes, the source frames and
// the registration of one conversion at every frame size beside a memcpy of the
// same bytes.
//
// Names are "<kind>/<variant>/<FROM>-><TO>/<W>x<H>" (kind direct, handle or peer)
// and "memcpy/<bytes>". Each conversion reports pixels per second (items) and the
// counter memcpy_bytes, the length of the memcpy whose memory traffic equals the
// conversion's: (source bytes + destination bytes) / 2. bench/compare.py divides
// the two times.
#pragma once

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace bench {

struct FrameSize {
  int32_t width;
  int32_t height;
};

inline constexpr FrameSize kFrameSizes[] = {{1920, 1080}, {3840, 2160}};

// Converts one frame; false when the converter reported a failure.
using ConvertFrame = std::function<bool(const uint8_t* src, uint8_t* dst, FrameSize size)>;

// Prepares what a frame size needs (a handle, a scaler context) and returns the
// converter; an empty function when the preparation failed.
using Prepare = std::function<ConvertFrame(FrameSize size)>;

enum class Source {
  kBytes,        // random bytes
  kUnitDoubles,  // random doubles in [0, 1): XYZ pixels
};

struct Conversion {
  std::string name;  // without the frame size
  double srcBytesPerPixel;
  double dstBytesPerPixel;
  Prepare prepare;
  std::string label = {};  // what a peer calls, shown beside its result
  Source source = Source::kBytes;
};

// Registers `c` at every frame size, and the memcpy benchmark of its bytes.
void Register(const Conversion& c);

// Random bytes, or random doubles in [0, 1), at least `bytes` long, shared
// read-only by every benchmark. Valid until the next call asks for more.
const uint8_t* SourceFrame(Source kind, size_t bytes);

// A converter that needs no preparation.
Prepare Always(ConvertFrame convert);

}  // namespace bench
