#include "platform/ImageSave.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QString>
#include <cstring>
#include <vector>

#include "platform/Files.h"
#include "platform/SysUtils.h"

void SavePixelsToPng(const std::string& fileName, int32_t width, int32_t height, const uint8_t* bgra, bool bottomUp)
{
  // QImage keeps its own sizes in int; refuse what it cannot hold rather than overflow.
  constexpr int32_t MaxSide = 32768;
  if (!bgra || width <= 0 || height <= 0 || width > MaxSide || height > MaxSide)
    throw EFCreateError("Cannot create file \"" + fileName + "\". Not a picture's size");
  QImage image(width, height, QImage::Format_RGB32);
  if (image.isNull())
    throw EFCreateError("Cannot create file \"" + fileName + "\". Out of memory");
  const size_t row = size_t(width) * 4;
  for (int32_t y = 0; y < height; ++y) {
    int32_t source = bottomUp ? height - 1 - y : y;
    std::memcpy(image.scanLine(y), bgra + size_t(source) * row, row);
  }
  QByteArray encoded;
  QBuffer buffer(&encoded);
  if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
    throw EFCreateError("Cannot create file \"" + fileName + "\". The picture cannot be encoded");
  // Through the one writer that never leaves half a file behind.
  const auto* bytes = reinterpret_cast<const uint8_t*>(encoded.constData());
  WriteFileBytes(fileName, std::vector<uint8_t>(bytes, bytes + encoded.size()));
}
