// ReadTableImage on a file, through the platform's file reading.
#include "api/table_image.h"
#include "platform/platform.h"
#include "qclr/qclr.h"

namespace qclr {

int32_t ReadTableImage(const char* fileName, uint8_t* buffer, size_t bufferSize, size_t usedBytes) {
  platform::ReadOnlyFile file;
  int32_t error = platform::OpenReadOnlyFile(fileName, &file);
  if (error != platform::kErrorSuccess) return error;
  uint64_t size = 0;
  error = platform::ReadOnlyFileSize(file, &size);
  if (error != platform::kErrorSuccess) return error;
  const ByteSource source{size,
                          [](void* context, uint64_t offset, void* out, size_t count) -> int32_t {
                            const auto* f = static_cast<const platform::ReadOnlyFile*>(context);
                            const int32_t e = platform::ReadOnlyFileAt(*f, offset, out, count);
                            if (e == platform::kErrorHandleEof) return -1;  // file ends early
                            return e;
                          },
                          &file};
  return ReadTableTiff(source, buffer, bufferSize, usedBytes);  // the file closes itself
}

}  // namespace qclr
