// Built Lab records for the tests of the records and of the fixed-point converters.
#pragma once

#include <cstdint>
#include <memory>

#include "handle/lab_records.h"
#include "qclr/qclr.h"

namespace qclr::test {

inline LabOptions LabEncoding(int32_t lOffset, int32_t lRange, int32_t aOffset, int32_t aRange,
                              int32_t bOffset, int32_t bRange) {
  return {static_cast<uint32_t>(sizeof(LabOptions)), 0, lOffset, lRange, aOffset, aRange,
          bOffset, bRange};
}

// The default byte encoding: L 0..100, a -85..85 around 128, b -75..125 around 96.
inline const LabOptions kDefaultLabEncoding = LabEncoding(0, 100, 128, 170, 96, 200);

struct LabRecords {
  std::unique_ptr<LabDecodeTable> decode = std::make_unique<LabDecodeTable>();
  std::unique_ptr<LabEncodeTable> encode = std::make_unique<LabEncodeTable>();
};

// Both records as handle initialisation builds them for `options`.
inline LabRecords BuildLabRecords(const LabOptions& options) {
  LabRecords r;
  SetLabParametersFromOptions(*r.decode, *r.encode, options);
  BuildLabDecode(*r.decode, 45);
  BuildLabEncode(*r.encode, 45);
  return r;
}

}  // namespace qclr::test
