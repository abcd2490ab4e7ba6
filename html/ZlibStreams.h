// Deflate and inflate streams over another stream, on zlib.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "html/HTMLStreams.h"

class EZLibError : public Exception {
  using Exception::Exception;
};
class EZCompressionError : public EZLibError {
  using EZLibError::EZLibError;
};
class EZDecompressionError : public EZLibError {
  using EZLibError::EZLibError;
};

enum class TZCompressionLevel : int8_t { zcNone = 0, zcFastest = 1, zcDefault = -1, zcMax = 9 };

struct TZStreamState;

class TCustomZStream : public TStream {
public:
  static constexpr size_t BufferSize = 65536;
  ~TCustomZStream() override;
  int64_t Size() const override { return -1; }
  // Called after each full buffer.
  std::function<void()> OnProgress;

protected:
  explicit TCustomZStream(TStream& stream);
  TStream& FStream;
  int64_t FStreamPos;
  std::unique_ptr<TZStreamState> FZ;
  std::unique_ptr<uint8_t[]> FBuffer;
};

class TZCompressionStream : public TCustomZStream {
public:
  TZCompressionStream(TStream& dest, TZCompressionLevel level = TZCompressionLevel::zcDefault);
  // Finishes the deflate stream and writes the rest (errors here are swallowed; call Finish
  // first to see them).
  ~TZCompressionStream() override;
  size_t Read(void* buffer, size_t count) override;
  size_t Write(const void* buffer, size_t count) override;
  // Only Seek(0, soCurrent): the number of bytes taken in.
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  void Finish();

private:
  bool FFinished = false;
};

class TZDecompressionStream : public TCustomZStream {
public:
  explicit TZDecompressionStream(TStream& source);
  ~TZDecompressionStream() override;
  size_t Read(void* buffer, size_t count) override;
  size_t Write(const void* buffer, size_t count) override;
  // Seek(0, soBeginning) restarts; a forward seek from the current position reads and discards.
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  // True once zlib has seen the end of the compressed data.
  bool AtEnd() const { return FEnded; }

private:
  bool FEnded = false;
};
