#include "bench_frames.h"

#include <cstring>
#include <set>
#include <vector>

namespace bench {
namespace {

size_t Bytes(double bytesPerPixel, FrameSize size) {
  return static_cast<size_t>(bytesPerPixel * size.width * size.height);
}

std::string SizeName(FrameSize size) {
  return std::to_string(size.width) + "x" + std::to_string(size.height);
}

void RunConversion(benchmark::State& state, const Conversion& c, FrameSize size) {
  const size_t srcBytes = Bytes(c.srcBytesPerPixel, size);
  const size_t dstBytes = Bytes(c.dstBytesPerPixel, size);
  const uint8_t* src = SourceFrame(c.source, srcBytes);
  std::vector<uint8_t> dst(dstBytes);  // zero-filled: its pages are mapped before timing
  const ConvertFrame convert = c.prepare(size);
  if (!convert) {
    state.SkipWithError("preparation failed");
    return;
  }
  convert(src, dst.data(), size);  // untimed: lazily built tables, warm caches
  for (auto _ : state) {
    if (!convert(src, dst.data(), size)) {
      state.SkipWithError("conversion failed");
      break;
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * int64_t{size.width} * size.height);
  state.counters["memcpy_bytes"] = static_cast<double>((srcBytes + dstBytes) / 2);
  if (!c.label.empty()) state.SetLabel(c.label);
}

void RunMemcpy(benchmark::State& state, size_t bytes) {
  const uint8_t* src = SourceFrame(Source::kBytes, bytes);
  std::vector<uint8_t> dst(bytes);
  for (auto _ : state) {
    std::memcpy(dst.data(), src, bytes);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}

void RegisterMemcpy(size_t bytes) {
  static std::set<size_t> registered;  // one memcpy benchmark per length
  if (!registered.insert(bytes).second) return;
  benchmark::RegisterBenchmark(("memcpy/" + std::to_string(bytes)).c_str(),
                               [bytes](benchmark::State& st) { RunMemcpy(st, bytes); })
      ->Unit(benchmark::kMillisecond);
}

}  // namespace

void Register(const Conversion& c) {
  for (const FrameSize size : kFrameSizes) {
    benchmark::RegisterBenchmark((c.name + "/" + SizeName(size)).c_str(),
                                 [c, size](benchmark::State& st) { RunConversion(st, c, size); })
        ->Unit(benchmark::kMillisecond);
    RegisterMemcpy((Bytes(c.srcBytesPerPixel, size) + Bytes(c.dstBytesPerPixel, size)) / 2);
  }
}

const uint8_t* SourceFrame(Source kind, size_t bytes) {
  static std::vector<uint8_t> frames[2];
  std::vector<uint8_t>& frame = frames[kind == Source::kBytes ? 0 : 1];
  if (frame.size() >= bytes) return frame.data();
  frame.resize(bytes + 8);
  uint64_t state = 0x9E3779B97F4A7C15u;  // xorshift64: fixed, so every run sees the same frames
  auto next = [&state] {
    state ^= state << 13, state ^= state >> 7, state ^= state << 17;
    return state;
  };
  if (kind == Source::kBytes) {
    for (size_t i = 0; i < bytes; i += 8) {
      const uint64_t v = next();
      std::memcpy(&frame[i], &v, 8);
    }
  } else {
    for (size_t i = 0; i + 8 <= frame.size(); i += 8) {
      const double v = static_cast<double>(next() >> 11) * 0x1p-53;
      std::memcpy(&frame[i], &v, 8);
    }
  }
  return frame.data();
}

Prepare Always(ConvertFrame convert) {
  return [convert](FrameSize) { return convert; };
}

}  // namespace bench
