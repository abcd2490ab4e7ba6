#include "html/ZlibStreams.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

struct TZStreamState {
  z_stream S{};
};

static const char* const SInvalidOperation = "Invalid ZStream operation!";

static std::string ZMessage(int code)
{
  const char* m = zError(code);
  return m ? m : "zlib error";
}

TCustomZStream::TCustomZStream(TStream& stream)
    : FStream(stream), FStreamPos(stream.Position()), FZ(std::make_unique<TZStreamState>()),
      FBuffer(new uint8_t[BufferSize])
{}

TCustomZStream::~TCustomZStream() = default;

// Compression

TZCompressionStream::TZCompressionStream(TStream& dest, TZCompressionLevel level) : TCustomZStream(dest)
{
  FZ->S.next_out = FBuffer.get();
  FZ->S.avail_out = BufferSize;
  int r = deflateInit(&FZ->S, static_cast<int>(level));
  if (r < 0)
    throw EZCompressionError(ZMessage(r));
}

TZCompressionStream::~TZCompressionStream()
{
  try {
    Finish();
  } catch (...) {}
  deflateEnd(&FZ->S);
}

void TZCompressionStream::Finish()
{
  if (FFinished)
    return;
  FFinished = true;
  FZ->S.next_in = nullptr;
  FZ->S.avail_in = 0;
  for (;;) {
    int r = deflate(&FZ->S, Z_FINISH);
    if (r < 0 && r != Z_BUF_ERROR)
      throw EZCompressionError(ZMessage(r));
    size_t have = BufferSize - FZ->S.avail_out;
    if (have != 0) {
      FStream.WriteBuffer(FBuffer.get(), have);
      FZ->S.next_out = FBuffer.get();
      FZ->S.avail_out = BufferSize;
    }
    if (r == Z_STREAM_END)
      break;
  }
}

size_t TZCompressionStream::Read(void*, size_t) { throw EZCompressionError(SInvalidOperation); }

size_t TZCompressionStream::Write(const void* buffer, size_t count)
{
  if (FFinished)
    throw EZCompressionError(SInvalidOperation);
  const uint8_t* p = static_cast<const uint8_t*>(buffer);
  size_t left = count;
  while (left != 0) {
    uInt chunk = static_cast<uInt>(std::min<size_t>(left, 1u << 30));
    FZ->S.next_in = const_cast<Bytef*>(p);
    FZ->S.avail_in = chunk;
    while (FZ->S.avail_in != 0) {
      int r = deflate(&FZ->S, Z_NO_FLUSH);
      if (r < 0)
        throw EZCompressionError(ZMessage(r));
      if (FZ->S.avail_out == 0) {
        FStream.WriteBuffer(FBuffer.get(), BufferSize);
        FZ->S.next_out = FBuffer.get();
        FZ->S.avail_out = BufferSize;
        if (OnProgress)
          OnProgress();
      }
    }
    p += chunk;
    left -= chunk;
  }
  return count;
}

int64_t TZCompressionStream::Seek(int64_t offset, TSeekOrigin origin)
{
  if (offset == 0 && origin == TSeekOrigin::soCurrent)
    return static_cast<int64_t>(FZ->S.total_in);
  throw EZCompressionError(SInvalidOperation);
}

// Decompression

TZDecompressionStream::TZDecompressionStream(TStream& source) : TCustomZStream(source)
{
  FZ->S.next_in = FBuffer.get();
  FZ->S.avail_in = 0;
  int r = inflateInit(&FZ->S);
  if (r < 0)
    throw EZDecompressionError(ZMessage(r));
}

TZDecompressionStream::~TZDecompressionStream() { inflateEnd(&FZ->S); }

size_t TZDecompressionStream::Read(void* buffer, size_t count)
{
  uint8_t* out = static_cast<uint8_t*>(buffer);
  size_t done = 0;
  while (done < count && !FEnded) {
    if (FZ->S.avail_in == 0) {
      size_t n = FStream.Read(FBuffer.get(), BufferSize);
      if (n == 0)
        break;   // source exhausted: a short read tells the caller the data are truncated
      FZ->S.next_in = FBuffer.get();
      FZ->S.avail_in = static_cast<uInt>(n);
      if (n == BufferSize && OnProgress)
        OnProgress();
    }
    uInt want = static_cast<uInt>(std::min<size_t>(count - done, 1u << 30));
    FZ->S.next_out = out + done;
    FZ->S.avail_out = want;
    int r = inflate(&FZ->S, Z_NO_FLUSH);
    size_t produced = want - FZ->S.avail_out;
    done += produced;
    if (r == Z_STREAM_END) {
      FEnded = true;
    } else if (r == Z_NEED_DICT) {
      // A preset dictionary is never available here; without this check the loop would spin.
      throw EZDecompressionError(ZMessage(Z_NEED_DICT));
    } else if (r == Z_BUF_ERROR) {
      // No progress possible: only acceptable when more input is needed, which the next
      // turn supplies (or finds the source exhausted).
      if (FZ->S.avail_in != 0 && produced == 0)
        throw EZDecompressionError(ZMessage(r));
    } else if (r < 0) {
      throw EZDecompressionError(ZMessage(r));
    }
  }
  return done;
}

size_t TZDecompressionStream::Write(const void*, size_t) { throw EZDecompressionError(SInvalidOperation); }

int64_t TZDecompressionStream::Seek(int64_t offset, TSeekOrigin origin)
{
  if (offset == 0 && origin == TSeekOrigin::soBeginning) {
    int r = inflateReset(&FZ->S);
    if (r < 0)
      throw EZDecompressionError(ZMessage(r));
    FZ->S.next_in = FBuffer.get();
    FZ->S.avail_in = 0;
    FEnded = false;
    FStream.SetPosition(FStreamPos);
    return 0;
  }
  if (origin == TSeekOrigin::soCurrent && offset >= 0) {
    uint8_t discard[8192];
    int64_t left = offset;
    while (left > 0) {
      size_t n = Read(discard, static_cast<size_t>(std::min<int64_t>(left, sizeof discard)));
      if (n == 0)
        break;
      left -= static_cast<int64_t>(n);
    }
    return static_cast<int64_t>(FZ->S.total_out);
  }
  throw EZDecompressionError(SInvalidOperation);
}
