#include "platform/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include "platform/CanvasQt.h"
#include "platform/CodePages.h"
#include "platform/Fonts.h"

namespace {

QClipboard* Board()
{
  EnsureGuiApplication();
  return QGuiApplication::clipboard();
}

}   // namespace

TClipboard Clipboard() { return {}; }

void TClipboard::Clear() { Board()->clear(); }

bool TClipboard::HasFormat(uint32_t format) const
{
  const QMimeData* data = Board()->mimeData();
  if (!data)
    return false;
  switch (format) {
  case CF_TEXT:
  case CF_UNICODETEXT: return data->hasText();
  case CF_BITMAP: return data->hasImage();
  default: return false;
  }
}

void TClipboard::SetAsTextW(const std::u16string& text)
{
  Board()->setText(QString::fromUtf16(text.data(), qsizetype(text.size())));
}

std::u16string TClipboard::AsTextW() const
{
  QString s = Board()->text();
  return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), size_t(s.size()));
}

void TClipboard::SetAsText(const std::string& text) { SetAsTextW(AnsiToWide(text)); }

std::string TClipboard::AsText() const { return WideToAnsi(AsTextW()); }

void TClipboard::Assign(const TBitmap& picture)
{
  if (picture.Empty())
    return;
  Board()->setImage(BitmapToQImage(picture));
}

std::unique_ptr<TBitmap> TClipboard::GetBitmap() const
{
  QImage img = Board()->image();
  if (img.isNull() || img.width() > TBitmap::MaxSide || img.height() > TBitmap::MaxSide)
    return nullptr;
  try {
    return std::make_unique<TBitmap>(QImageToBitmap(img));
  } catch (const EOutOfResources&) {
    return nullptr;
  }
}
