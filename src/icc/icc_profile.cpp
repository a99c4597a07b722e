#include "icc/icc_profile.h"

#include <cstring>

#include "api/memory.h"
#include "icc/icc_signatures.h"
#include "platform/platform.h"

namespace qclr {
namespace {

// Header bytes 0..127, then the tag count at 128 and 12-byte directory entries.
constexpr size_t kDirectoryStart = kIccHeaderSize + 4;
constexpr size_t kDirectoryEntrySize = 12;

// Takes ownership of `block` (size bytes from MemAlloc): parses the header and the
// directory into a new profile, or frees the block and returns null.
IccProfile* OpenOwnedBlock(uint8_t* block, size_t size) {
  IccByteReader header(block, size);
  uint32_t fields[20];
  for (uint32_t& f : fields) {
    if (!header.ReadU32(&f)) {
      MemFree(block);
      return nullptr;
    }
  }
  // fields[i] is the 32-bit value at offset 4 * i.
  uint32_t tagCount = 0;
  IccByteReader countReader(block, size, kIccHeaderSize);
  if (fields[9] != kIccMagic || !countReader.ReadU32(&tagCount)) {
    MemFree(block);
    return nullptr;
  }
  // The directory must fit in the profile; this also bounds the count.
  if (tagCount > (size - kDirectoryStart) / kDirectoryEntrySize) {
    MemFree(block);
    return nullptr;
  }

  auto* profile = static_cast<IccProfile*>(MemCalloc(1, sizeof(IccProfile)));
  auto* tags = static_cast<IccTagEntry*>(MemAlloc(tagCount * sizeof(IccTagEntry)));
  if (profile == nullptr || tags == nullptr) {
    MemFree(profile);
    MemFree(tags);
    MemFree(block);
    return nullptr;
  }
  profile->deviceClass = fields[3];
  profile->colorSpace = fields[4];
  profile->connectionSpace = fields[5];
  profile->renderingIntent = fields[16];
  for (int i = 0; i < 3; ++i) profile->illuminant[i] = S15Fixed16ToDouble(static_cast<int32_t>(fields[17 + i]));
  for (uint32_t i = 0; i < tagCount; ++i) {
    countReader.ReadU32(&tags[i].signature);  // within the directory checked above
    countReader.ReadU32(&tags[i].offset);
    countReader.ReadU32(&tags[i].size);
  }
  profile->tagCount = static_cast<int32_t>(tagCount);
  profile->tags = tags;
  profile->fromMemory = 1;
  profile->data = block;
  profile->size = size;
  return profile;
}

// Reads the whole file into a block from MemAlloc; null when it cannot be read
// or cannot be a profile (shorter than the header, no 'acsp' signature).
uint8_t* ReadProfileFile(const char* path, size_t* size) {
  platform::ReadOnlyFile file;
  if (platform::OpenReadOnlyFile(path, &file) != platform::kErrorSuccess) return nullptr;
  uint8_t* block = nullptr;
  uint64_t fileSize = 0;
  uint8_t header[kIccHeaderSize];
  // Look at the header first, so that a large file that is no profile is not
  // read whole.
  if (platform::ReadOnlyFileSize(file, &fileSize) == platform::kErrorSuccess && fileSize >= kDirectoryStart &&
      static_cast<size_t>(fileSize) == fileSize &&
      platform::ReadOnlyFileAt(file, 0, header, sizeof header) == platform::kErrorSuccess) {
    uint32_t magic = 0;
    IccByteReader(header, sizeof header, 36).ReadU32(&magic);
    if (magic == kIccMagic) {
      block = static_cast<uint8_t*>(MemAlloc(static_cast<size_t>(fileSize)));
      if (block != nullptr &&
          platform::ReadOnlyFileAt(file, 0, block, static_cast<size_t>(fileSize)) != platform::kErrorSuccess) {
        MemFree(block);
        block = nullptr;
      }
    }
  }
  platform::CloseReadOnlyFile(&file);
  *size = static_cast<size_t>(fileSize);
  return block;
}

}  // namespace

IccProfile* IccOpenProfileFromMem(const void* data, size_t size) {
  if (data == nullptr || size < kDirectoryStart) return nullptr;
  auto* block = static_cast<uint8_t*>(MemAlloc(size));
  if (block == nullptr) return nullptr;
  std::memcpy(block, data, size);
  return OpenOwnedBlock(block, size);
}

IccProfile* IccOpenProfileFromFile(const char* path) {
  if (path == nullptr) return nullptr;
  size_t size = 0;
  uint8_t* block = ReadProfileFile(path, &size);
  if (block == nullptr) return nullptr;
  IccProfile* profile = OpenOwnedBlock(block, size);
  if (profile == nullptr) return nullptr;
  profile->fromMemory = 0;
  std::strncpy(profile->fileName, path, kIccFileNameSize - 1);
  profile->fileName[kIccFileNameSize - 1] = '\0';
  return profile;
}

int32_t IccCloseProfile(IccProfile* profile) {
  if (profile == nullptr) return 0;
  MemFree(profile->data);
  MemFree(profile->tags);
  MemFree(profile);
  return 1;
}

uint32_t IccGetColorSpace(const IccProfile* profile) { return profile->colorSpace; }
uint32_t IccGetConnectionSpace(const IccProfile* profile) { return profile->connectionSpace; }
uint32_t IccGetDeviceClass(const IccProfile* profile) { return profile->deviceClass; }
uint32_t IccGetRenderingIntent(const IccProfile* profile) { return profile->renderingIntent; }

void IccGetIlluminant(const IccProfile* profile, double xyz[3]) {
  for (int i = 0; i < 3; ++i) xyz[i] = profile->illuminant[i];
}

bool IccIsTag(const IccProfile* profile, uint32_t signature) {
  for (int32_t i = 0; i < profile->tagCount; ++i) {
    if (profile->tags[i].signature == signature) return true;
  }
  return false;
}

bool IccOpenTag(const IccProfile* profile, uint32_t signature, IccByteReader* reader, uint32_t* type) {
  for (int32_t i = 0; i < profile->tagCount; ++i) {
    const IccTagEntry& tag = profile->tags[i];
    if (tag.signature != signature) continue;
    // The first entry decides; a tag whose extent leaves the profile is refused.
    if (tag.offset > profile->size || tag.size > profile->size - tag.offset) return false;
    IccByteReader r(profile->data, profile->size, tag.offset);
    uint32_t reserved;
    if (!r.ReadU32(type) || !r.ReadU32(&reserved)) return false;
    *reader = r;
    return true;
  }
  return false;
}

}  // namespace qclr
