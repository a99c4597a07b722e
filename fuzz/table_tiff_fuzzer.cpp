// Fuzzes the reader of emulation-table files (baseline TIFF images) from memory,
// for both table sizes, into buffers of exactly the table's size. Each input is read
// as it is and, once more, as the head of a file that continues with zero bytes up
// to 1 MiB, so that a directory alone can describe strips the reader then finds.
#include <cstdint>
#include <cstring>
#include <vector>

#include "api/table_image.h"
#include "fuzz_support.h"

namespace {

struct Memory {
  const uint8_t* data;
  size_t size;  // the bytes there are; the source may be longer (zeros)
};

int32_t ReadMemory(void* context, uint64_t offset, void* buffer, size_t count) {
  const auto* m = static_cast<const Memory*>(context);
  auto* out = static_cast<uint8_t*>(buffer);
  const size_t present = offset >= m->size ? 0 : static_cast<size_t>(std::min<uint64_t>(count, m->size - offset));
  if (present != 0) std::memcpy(out, m->data + offset, present);
  std::memset(out + present, 0, count - present);
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // CMYK to RGB: 17^4 nodes of 3 bytes; the Lab tables: 33^3 nodes and 489 unused bytes.
  static constexpr size_t kKinds[][2] = {{250563, 250563}, {108300, 107811}};
  Memory memory{data, size};
  for (const uint64_t length : {uint64_t{size}, uint64_t{1} << 20}) {
    if (length < size) continue;
    const qclr::ByteSource source{length, ReadMemory, &memory};
    for (const auto& kind : kKinds) {
      std::vector<uint8_t> table(kind[0]);
      const int32_t status = qclr::ReadTableTiff(source, table.data(), kind[0], kind[1]);
      QCLR_FUZZ_CHECK(status == CLR_OK || status == CLR_ERR_TABLE_FORMAT);
    }
  }
  return 0;
}
