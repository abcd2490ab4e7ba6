#include "platform/Graphics.h"

#include <algorithm>

namespace {

// The screen's logical resolution, which tests may change: one screen, so one for the process.
// NOLINTNEXTLINE(cppcoreguidelines-avoid-non-const-global-variables): the screen's, as above.
Integer GPixelsPerInch = 96;

// The classic Windows scheme, fixed so that drawings do not depend on the desktop theme.
constexpr TColor SysColors[COLOR_ENDCOLORS] = {
    RGBColor(192, 192, 192),   // scroll bar
    RGBColor(0, 128, 128),     // background
    RGBColor(0, 0, 128),       // active caption
    RGBColor(128, 128, 128),   // inactive caption
    RGBColor(192, 192, 192),   // menu
    RGBColor(255, 255, 255),   // window
    RGBColor(0, 0, 0),         // window frame
    RGBColor(0, 0, 0),         // menu text
    RGBColor(0, 0, 0),         // window text
    RGBColor(255, 255, 255),   // caption text
    RGBColor(192, 192, 192),   // active border
    RGBColor(192, 192, 192),   // inactive border
    RGBColor(128, 128, 128),   // application workspace
    RGBColor(0, 0, 128),       // highlight
    RGBColor(255, 255, 255),   // highlight text
    RGBColor(192, 192, 192),   // button face
    RGBColor(128, 128, 128),   // button shadow
    RGBColor(128, 128, 128),   // grey text
    RGBColor(0, 0, 0),         // button text
    RGBColor(192, 192, 192),   // inactive caption text
    RGBColor(255, 255, 255),   // button highlight
    RGBColor(0, 0, 0),         // 3-D dark shadow
    RGBColor(192, 192, 192),   // 3-D light
    RGBColor(0, 0, 0),         // info text
    RGBColor(255, 255, 225),   // info background
    RGBColor(181, 181, 181),   // (unused slot)
    RGBColor(0, 0, 255),       // hot light
    RGBColor(16, 132, 208),    // gradient active caption
    RGBColor(181, 181, 181),   // gradient inactive caption
    RGBColor(0, 0, 128),       // menu highlight
    RGBColor(192, 192, 192),   // menu bar
};

}   // namespace

TColor GetSysColor(int index)
{
  if (index < 0 || index >= COLOR_ENDCOLORS)
    return clBlack;
  return SysColors[index];
}

TColor ColorToRGB(TColor c)
{
  if (c == clNone || c == clDefault)
    return c;
  if (IsSystemColor(c))
    return GetSysColor(static_cast<int>(static_cast<uint32_t>(c) & 0xFF));
  return c & 0xFFFFFF;
}

Integer ScreenPixelsPerInch() { return GPixelsPerInch; }
void SetScreenPixelsPerInch(Integer ppi) { GPixelsPerInch = ppi > 0 ? ppi : 96; }

// ---------------------------------------------------------------------------------------

TFont::TFont() : FPixelsPerInch(ScreenPixelsPerInch()) { FHeight = -MulDiv(8, FPixelsPerInch, 72); }

TFont::TFont(const TFont& other)
    : FName(other.FName), FHeight(other.FHeight), FStyle(other.FStyle), FColor(other.FColor), FCharset(other.FCharset),
      FPitch(other.FPitch), FOrientation(other.FOrientation), FPixelsPerInch(other.FPixelsPerInch)
{}

TFont& TFont::operator=(const TFont& other)
{
  Assign(other);
  return *this;
}

void TFont::Assign(const TFont& s)
{
  if (&s == this)
    return;
  FName = s.FName;
  FHeight = s.FHeight;
  FStyle = s.FStyle;
  FColor = s.FColor;
  FCharset = s.FCharset;
  FPitch = s.FPitch;
  FOrientation = s.FOrientation;
  FPixelsPerInch = s.FPixelsPerInch;
  Changed();
}

void TFont::Changed()
{
  if (OnChange)
    OnChange(this);
}

void TFont::SetName(const std::string& name)
{
  if (name.empty() || name == FName)
    return;
  FName = name;
  Changed();
}

Integer TFont::Size() const { return -MulDiv(FHeight, 72, FPixelsPerInch); }

void TFont::SetSize(Integer points)
{
  // Sizes beyond any sane page are clamped so heights stay far from overflow.
  points = std::clamp(points, -3000, 3000);
  SetHeight(-MulDiv(points, FPixelsPerInch, 72));
}

void TFont::SetHeight(Integer height)
{
  height = std::clamp(height, -30000, 30000);
  if (height == FHeight)
    return;
  FHeight = height;
  Changed();
}

void TFont::SetStyle(TFontStyles style)
{
  style &= fsBold | fsItalic | fsUnderline | fsStrikeOut;
  if (style == FStyle)
    return;
  FStyle = style;
  Changed();
}

void TFont::SetColor(TColor color)
{
  if (color == FColor)
    return;
  FColor = color;
  Changed();
}

void TFont::SetCharset(TFontCharset charset)
{
  if (charset == FCharset)
    return;
  FCharset = charset;
  Changed();
}

void TFont::SetPitch(TFontPitch pitch)
{
  if (pitch == FPitch)
    return;
  FPitch = pitch;
  Changed();
}

void TFont::SetOrientation(Integer tenths)
{
  tenths %= 3600;
  if (tenths < 0)
    tenths += 3600;
  if (tenths == FOrientation)
    return;
  FOrientation = tenths;
  Changed();
}

bool TFont::SameFace(const TFont& o) const
{
  return FName == o.FName && FHeight == o.FHeight && FStyle == o.FStyle && FCharset == o.FCharset && FPitch == o.FPitch
         && FOrientation == o.FOrientation;
}

void TBrush::SetColor(TColor c)
{
  FColor = c;
  // A colour given for a clear brush makes it solid: whoever sets a colour wants it drawn.
  if (FStyle == bsClear)
    FStyle = bsSolid;
  Changed();
}
