// Byte streams for the image codecs: a small stream interface and a memory stream that
// owns its bytes. The codecs read whole files into memory first, so this is all they need.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/SysUtils.h"

enum class TSeekOrigin : uint8_t { soBeginning, soCurrent, soEnd };

class EStreamError : public Exception {
  using Exception::Exception;
};

class TStream {
public:
  virtual ~TStream() = default;
  // Reads up to count bytes; gives the number read (fewer only at the end).
  virtual size_t Read(void* buffer, size_t count) = 0;
  virtual size_t Write(const void* buffer, size_t count) = 0;
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
  virtual int64_t Size() const = 0;

  int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(int64_t p) { Seek(p, TSeekOrigin::soBeginning); }
  // Reads exactly count bytes or raises EReadError.
  void ReadBuffer(void* buffer, size_t count);
  void WriteBuffer(const void* buffer, size_t count);
  // Copies count bytes (all that is left when 0) from source; gives the number copied.
  int64_t CopyFrom(TStream& source, int64_t count);
};

class TByteStream : public TStream {
public:
  TByteStream() = default;
  explicit TByteStream(std::vector<uint8_t> bytes) : FBytes(std::move(bytes)) {}
  TByteStream(const void* data, size_t size);

  size_t Read(void* buffer, size_t count) override;
  size_t Write(const void* buffer, size_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() const override { return static_cast<int64_t>(FBytes.size()); }

  void SetSize(size_t size);
  void Clear()
  {
    FBytes.clear();
    FPos = 0;
  }
  uint8_t* Memory() { return FBytes.data(); }
  const uint8_t* Memory() const { return FBytes.data(); }
  std::vector<uint8_t>& Bytes() { return FBytes; }
  const std::vector<uint8_t>& Bytes() const { return FBytes; }
  size_t Remaining() const { return FPos < FBytes.size() ? FBytes.size() - FPos : 0; }

  // No picture we show comes in a larger file.
  static constexpr size_t MaxFileBytes = size_t(128) << 20;
  // Reads the whole file (its name resolved without regard to letter case); raises
  // EFOpenError when it cannot be opened or is no regular file, EReadError when it is larger
  // than MaxFileBytes. The stream is left empty on failure.
  void LoadFromFile(const std::string& fileName);

private:
  std::vector<uint8_t> FBytes;
  size_t FPos = 0;
};
