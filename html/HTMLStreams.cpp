#include "html/HTMLStreams.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/Files.h"

void TStream::ReadBuffer(void* buffer, size_t count)
{
  if (count != 0 && Read(buffer, count) != count)
    throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, size_t count)
{
  if (count != 0 && Write(buffer, count) != count)
    throw EStreamError("Stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count)
{
  if (count <= 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  uint8_t buffer[65536];
  int64_t done = 0;
  while (done < count) {
    size_t n = static_cast<size_t>(std::min<int64_t>(count - done, sizeof buffer));
    source.ReadBuffer(buffer, n);
    WriteBuffer(buffer, n);
    done += static_cast<int64_t>(n);
  }
  return done;
}

TByteStream::TByteStream(const void* data, size_t size)
    : FBytes(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size)
{}

size_t TByteStream::Read(void* buffer, size_t count)
{
  size_t n = std::min(count, Remaining());
  if (n != 0)
    std::memcpy(buffer, FBytes.data() + FPos, n);
  FPos += n;
  return n;
}

size_t TByteStream::Write(const void* buffer, size_t count)
{
  if (count == 0 || count > SIZE_MAX - FPos)
    return 0;
  if (FPos + count > FBytes.size())
    FBytes.resize(FPos + count);
  std::memcpy(FBytes.data() + FPos, buffer, count);
  FPos += count;
  return count;
}

int64_t TByteStream::Seek(int64_t offset, TSeekOrigin origin)
{
  int64_t base = origin == TSeekOrigin::soBeginning ? 0
                 : origin == TSeekOrigin::soCurrent ? static_cast<int64_t>(FPos)
                                                    : static_cast<int64_t>(FBytes.size());
  // Offsets come from lengths in files; the sum saturates rather than wrapping round.
  int64_t p = 0;
  if (__builtin_add_overflow(base, offset, &p))
    p = offset > 0 ? INT64_MAX : 0;
  if (p < 0)
    p = 0;
  // Beyond the end is allowed (a later write fills the gap), as with memory streams.
  FPos = static_cast<size_t>(p);
  return p;
}

void TByteStream::SetSize(size_t size)
{
  FBytes.resize(size);
  if (FPos > size)
    FPos = size;
}

void TByteStream::LoadFromFile(const std::string& fileName)
{
  // A name from a page may lead to a device that never ends or a folder: only regular files
  // of a sensible size are read.
  Clear();
  FBytes = ReadFileBytes(fileName, MaxFileBytes);
}
