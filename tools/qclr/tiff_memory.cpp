#include "tiff_memory.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace qclr_tool {
namespace {

thread_local std::string lastError;

void OnError(const char*, const char* format, va_list args) {
  char text[256];
  std::vsnprintf(text, sizeof text, format, args);
  lastError = text;
}

void OnWarning(const char*, const char*, va_list) {}

TiffMemory* Memory(thandle_t handle) { return static_cast<TiffMemory*>(handle); }

tmsize_t Read(thandle_t handle, void* data, tmsize_t size) {
  TiffMemory* m = Memory(handle);
  const uint64_t available = m->position < m->bytes->size() ? m->bytes->size() - m->position : 0;
  const uint64_t count = std::min<uint64_t>(available, static_cast<uint64_t>(size));
  std::memcpy(data, m->bytes->data() + m->position, count);
  m->position += count;
  return static_cast<tmsize_t>(count);
}

tmsize_t Write(thandle_t handle, void* data, tmsize_t size) {
  TiffMemory* m = Memory(handle);
  const uint64_t end = m->position + static_cast<uint64_t>(size);
  if (end > m->bytes->size()) m->bytes->resize(end);
  std::memcpy(m->bytes->data() + m->position, data, static_cast<size_t>(size));
  m->position = end;
  return size;
}

toff_t Seek(thandle_t handle, toff_t offset, int whence) {
  TiffMemory* m = Memory(handle);
  const uint64_t base = whence == SEEK_CUR ? m->position : whence == SEEK_END ? m->bytes->size() : 0;
  m->position = base + offset;
  return m->position;
}

int Close(thandle_t) { return 0; }

toff_t Size(thandle_t handle) { return Memory(handle)->bytes->size(); }

int Map(thandle_t, void**, toff_t*) { return 0; }

void Unmap(thandle_t, void*, toff_t) {}

}  // namespace

TIFF* OpenTiffInMemory(TiffMemory* memory, const char* mode) {
  static std::once_flag handlers;
  std::call_once(handlers, [] {
    TIFFSetErrorHandler(OnError);
    TIFFSetWarningHandler(OnWarning);
  });
  memory->position = 0;
  // "m": no memory mapping (the procedures above cannot map).
  const std::string fullMode = std::string(mode) + "m";
  return TIFFClientOpen("memory", fullMode.c_str(), memory, Read, Write, Seek, Close, Size, Map, Unmap);
}

std::string TakeTiffError() {
  std::string text;
  text.swap(lastError);
  return text;
}

}  // namespace qclr_tool
