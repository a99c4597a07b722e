#include "icc/icc_profile.h"

#include <cstring>
#include <utility>

#include "base/owned.h"
#include "icc/icc_signatures.h"
#include "platform/platform.h"

namespace qclr {
namespace {

// Header bytes 0..127, then the tag count at 128 and 12-byte directory entries.
constexpr size_t kDirectoryStart = kIccHeaderSize + 4;
constexpr size_t kDirectoryEntrySize = 12;

// The header fields (fields[i] is the 32-bit value at offset 4 * i) and the tag
// count of a block that can be a profile.
struct Header {
  uint32_t fields[20];
  uint32_t tagCount;
  uint32_t size() const { return fields[0]; }  // the profile's size as declared
};

// The largest profile file read: far beyond any real profile, and it keeps a file
// whose header declares gigabytes from being read into memory.
constexpr uint64_t kMaxProfileFileBytes = uint64_t{256} << 20;

// Parses the header and the tag count from the `bytes` bytes at `data`, the start
// of a source of `available` bytes. kNone unless the header and count are there,
// the signature is 'acsp', and the size the header declares holds the header and
// the directory and is no larger than the source (a longer source is fine: the
// profile ends where its header says).
IccOpenFailure ParseHeader(const uint8_t* data, size_t bytes, uint64_t available, Header* header) {
  IccByteReader reader(data, bytes);
  for (uint32_t& f : header->fields) {
    if (!reader.ReadU32(&f)) return IccOpenFailure::kNotAProfile;
  }
  IccByteReader countReader(data, bytes, kIccHeaderSize);
  if (header->fields[9] != kIccMagic || !countReader.ReadU32(&header->tagCount)) {
    return IccOpenFailure::kNotAProfile;
  }
  const uint64_t directoryEnd = kDirectoryStart + uint64_t{header->tagCount} * kDirectoryEntrySize;
  const bool fits = directoryEnd <= header->size() && header->size() <= available;
  return fits ? IccOpenFailure::kNone : IccOpenFailure::kBadSize;
}

// A profile over `block` (size bytes, parsed into `header`), which it takes over;
// null when memory runs out.
OwnedProfile MakeProfile(MemPtr<uint8_t> block, size_t size, const Header& header) {
  auto profile = CallocRecord<OwnedProfile>();
  MemPtr<IccTagEntry> tags = AllocOwned<IccTagEntry>(header.tagCount * sizeof(IccTagEntry));
  if (profile == nullptr || tags == nullptr) return nullptr;
  const uint32_t* fields = header.fields;
  profile->version = fields[2];
  profile->deviceClass = fields[3];
  profile->colorSpace = fields[4];
  profile->connectionSpace = fields[5];
  profile->renderingIntent = fields[16];
  for (int i = 0; i < 3; ++i) profile->illuminant[i] = S15Fixed16ToDouble(static_cast<int32_t>(fields[17 + i]));
  IccByteReader directory(block.get(), size, kDirectoryStart);
  for (uint32_t i = 0; i < header.tagCount; ++i) {
    IccTagEntry& tag = tags.get()[i];
    directory.ReadU32(&tag.signature);  // within the directory checked by ParseHeader
    directory.ReadU32(&tag.offset);
    directory.ReadU32(&tag.size);
  }
  profile->tagCount = static_cast<int32_t>(header.tagCount);
  profile->tags = tags.release();
  profile->fromMemory = 1;
  profile->data = block.release();
  profile->size = size;
  return profile;
}

// Reads the profile at the start of the file (as many bytes as its header
// declares) into a block from MemAlloc; null, with the reason in `error`, when the
// file cannot be read or holds no profile. The file is closed on return.
MemPtr<uint8_t> ReadProfileFile(const char* path, Header* header, IccOpenError* error) {
  platform::ReadOnlyFile file;
  const int32_t openError = platform::OpenReadOnlyFile(path, &file);
  if (openError != platform::kErrorSuccess) {
    *error = {IccOpenFailure::kUnreadable, openError};
    return nullptr;
  }
  MemPtr<uint8_t> block;
  uint64_t fileSize = 0;
  uint8_t head[kDirectoryStart];
  int32_t readError = platform::ReadOnlyFileSize(file, &fileSize);
  if (readError == platform::kErrorSuccess && fileSize < sizeof head) {
    *error = {IccOpenFailure::kNotAProfile, 0};
  } else if (readError == platform::kErrorSuccess &&
             (readError = platform::ReadOnlyFileAt(file, 0, head, sizeof head)) == platform::kErrorSuccess) {
    const IccOpenFailure parsed = ParseHeader(head, sizeof head, fileSize, header);
    if (parsed != IccOpenFailure::kNone) {
      *error = {parsed, 0};
    } else if (header->size() > kMaxProfileFileBytes) {
      *error = {IccOpenFailure::kTooLarge, 0};
    } else if ((block = AllocOwned(header->size())) == nullptr) {
      *error = {IccOpenFailure::kNoMemory, 0};
    } else {
      readError = platform::ReadOnlyFileAt(file, 0, block.get(), header->size());
    }
  }
  if (readError != platform::kErrorSuccess) {
    *error = {IccOpenFailure::kUnreadable, readError};
    return nullptr;
  }
  return block;
}

}  // namespace

IccProfile* IccOpenProfileFromMem(const void* data, size_t size) {
  Header header;
  if (data == nullptr ||
      ParseHeader(static_cast<const uint8_t*>(data), size, size, &header) != IccOpenFailure::kNone) {
    return nullptr;
  }
  MemPtr<uint8_t> block = AllocOwned(header.size());
  if (block == nullptr) return nullptr;
  std::memcpy(block.get(), data, header.size());
  return MakeProfile(std::move(block), header.size(), header).release();
}

IccProfile* IccOpenProfileFromFile(const char* path) { return IccOpenProfileFromFileWithError(path, nullptr); }

IccProfile* IccOpenProfileFromFileWithError(const char* path, IccOpenError* error) {
  IccOpenError ignored;
  if (error == nullptr) error = &ignored;
  *error = {IccOpenFailure::kNone, 0};
  if (path == nullptr) {
    *error = {IccOpenFailure::kUnreadable, platform::kErrorFileNotFound};
    return nullptr;
  }
  Header header;
  MemPtr<uint8_t> block = ReadProfileFile(path, &header, error);
  if (block == nullptr) return nullptr;
  OwnedProfile profile = MakeProfile(std::move(block), header.size(), header);
  if (profile == nullptr) {
    *error = {IccOpenFailure::kNoMemory, 0};
    return nullptr;
  }
  profile->fromMemory = 0;
  std::strncpy(profile->fileName, path, kIccFileNameSize - 1);
  profile->fileName[kIccFileNameSize - 1] = '\0';
  return profile.release();
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
uint32_t IccGetVersion(const IccProfile* profile) { return profile->version; }

void IccGetIlluminant(const IccProfile* profile, double xyz[3]) {
  for (int i = 0; i < 3; ++i) xyz[i] = profile->illuminant[i];
}

bool IccIsTag(const IccProfile* profile, uint32_t signature) {
  for (int32_t i = 0; i < profile->tagCount; ++i) {
    if (profile->tags[i].signature == signature) return true;
  }
  return false;
}

int32_t IccOpenTag(const IccProfile* profile, uint32_t signature, IccByteReader* reader, uint32_t* type) {
  const uint64_t directoryEnd = kDirectoryStart + uint64_t(profile->tagCount) * kDirectoryEntrySize;
  for (int32_t i = 0; i < profile->tagCount; ++i) {
    const IccTagEntry& tag = profile->tags[i];
    if (tag.signature != signature) continue;
    // The first entry decides. Its bytes must lie behind the directory and within
    // the profile, and it is read no further than its declared size.
    if (tag.offset < directoryEnd || tag.offset > profile->size || tag.size > profile->size - tag.offset) {
      return -1;
    }
    IccByteReader r(profile->data + tag.offset, tag.size);
    uint32_t reserved;
    if (!r.ReadU32(type) || !r.ReadU32(&reserved)) return -1;
    *reader = r;
    return 1;
  }
  return 0;
}

}  // namespace qclr
