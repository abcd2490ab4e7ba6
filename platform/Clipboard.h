// The system clipboard: text (as Unicode) and pictures.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Bitmap.h"

enum : uint32_t { CF_TEXT = 1, CF_BITMAP = 2, CF_UNICODETEXT = 13 };

// A view of the system's clipboard, which holds everything itself: any two views see the same.
class TClipboard {
public:
  void Clear();
  // CF_TEXT and CF_UNICODETEXT both ask for text; CF_BITMAP for a picture.
  bool HasFormat(uint32_t format) const;
  void SetAsTextW(const std::u16string& text);
  std::u16string AsTextW() const;
  // 8-bit text in the system code page (1252); characters it lacks become "?".
  void SetAsText(const std::string& text);
  std::string AsText() const;
  void Assign(const TBitmap& picture);
  // The picture on the clipboard as a 24-bit bitmap, or nullptr when there is none.
  std::unique_ptr<TBitmap> GetBitmap() const;
};

TClipboard Clipboard();
