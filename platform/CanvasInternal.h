// Helpers shared by the canvas sources and its backends; not for use above platform/.
#pragma once

#include <cstdint>
#include <utility>

#include "platform/Graphics.h"

// Value of the ternary raster operation rop (its boolean table in bits 16..23) applied
// bitwise to pattern, source and destination words.
inline uint32_t ApplyRop3(uint32_t rop, uint32_t p, uint32_t s, uint32_t d)
{
  uint32_t table = (rop >> 16) & 0xFF;
  switch (table) {   // the common ones directly
  case 0xCC: return s;
  case 0x88: return s & d;
  case 0xEE: return s | d;
  case 0x66: return s ^ d;
  case 0x33: return ~s;
  case 0xBB: return ~s | d;
  case 0xF0: return p;
  case 0x5A: return p ^ d;
  case 0x55: return ~d;
  case 0x00: return 0;
  case 0xFF: return ~0u;
  case 0xAA: return d;
  default: break;
  }
  uint32_t r = 0;
  for (int i = 0; i < 8; ++i)
    if (table & (1u << i))
      r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
  return r;
}

// Whether the raster operation reads the source, the pattern or the destination.
inline bool RopUsesSource(uint32_t rop)
{
  uint32_t t = (rop >> 16) & 0xFF;
  return ((t >> 2) & 0x33) != (t & 0x33);
}
inline bool RopUsesPattern(uint32_t rop)
{
  uint32_t t = (rop >> 16) & 0xFF;
  return ((t >> 4) & 0x0F) != (t & 0x0F);
}

inline TRect NormalizedRect(TRect r)
{
  if (r.Left > r.Right)
    std::swap(r.Left, r.Right);
  if (r.Top > r.Bottom)
    std::swap(r.Top, r.Bottom);
  return r;
}

// Device height of a font of logical height h (negative: character height).
inline Integer FontDeviceHeight(Integer h)
{
  if (h == 0)
    return -12;
  return h;
}

// The binary raster operation of a pen mode applied to pen colour p and destination d.
uint32_t ApplyPenMode(TPenMode mode, uint32_t p, uint32_t d);

// Colour of a brush pattern pixel at device position (x, y).
TColor BrushPixel(const TDeviceBrush& brush, Integer x, Integer y, bool& transparent);
