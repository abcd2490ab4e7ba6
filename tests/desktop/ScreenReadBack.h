// Reading a desktop's display server from the test's own connection, for what must be
// caught quicker than a tool started per look can catch it (a splash window that lives a
// fraction of a second): the window manager's list of managed windows, their owners'
// process ids, places and frames, and the pixels on the screen.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/desktop/DesktopSupport.h"

namespace desktop {

// Pixels of a part of the screen, 8-bit red, green and blue each.
struct TPixels {
  int Width = 0, Height = 0;
  std::vector<uint8_t> Rgb;
  const uint8_t* At(int x, int y) const { return &Rgb[(size_t(y) * Width + x) * 3]; }
  int Luminance(int x, int y) const
  {
    const uint8_t* p = At(x, y);
    return (p[0] * 299 + p[1] * 587 + p[2] * 114) / 1000;
  }
};

// A picture file's pixels, decoded by ImageMagick (empty when it cannot be read).
inline TPixels PictureFile(const std::string& file)
{
  TPixels p;
  std::string size = Output("identify -format '%w %h' " + Quoted(file) + " 2>/dev/null");
  if (std::sscanf(size.c_str(), "%d %d", &p.Width, &p.Height) != 2)
    return {};
  std::string raw = Output("convert " + Quoted(file) + " -depth 8 rgb:- 2>/dev/null");
  if (raw.size() != size_t(p.Width) * p.Height * 3)
    return {};
  p.Rgb.assign(raw.begin(), raw.end());
  return p;
}

// The mean difference per colour channel of two pictures of one size (256 when they differ
// in size).
inline double MeanDifference(const TPixels& a, const TPixels& b)
{
  if (a.Width != b.Width || a.Height != b.Height || a.Rgb.empty())
    return 256;
  double sum = 0;
  for (size_t i = 0; i < a.Rgb.size(); ++i)
    sum += std::abs(int(a.Rgb[i]) - int(b.Rgb[i]));
  return sum / double(a.Rgb.size());
}

// The window's outer edge, its frame included, is the area's (a place whose X, Y, Width and
// Height give it), and it has a frame.
inline void ExpectFrameCovers(const TWindowPlace& w, const TWindowPlace& area)
{
  EXPECT_GT(w.FrameTop, 0) << "no frame";
  EXPECT_EQ(w.OuterLeft(), area.X);
  EXPECT_EQ(w.OuterTop(), area.Y) << "the title bar is off its place";
  EXPECT_EQ(w.OuterRight(), area.X + area.Width);
  EXPECT_EQ(w.OuterBottom(), area.Y + area.Height);
}

// The test window's two buttons answer real clicks where the window stands now (after the
// program moved it, too): "Print" opens its preview (closed again by Escape), "Close" closes it.
inline void ExpectTestWindowButtonsWork(const TDesktop& desk, const std::string& test, const std::string& shot)
{
  const TWindowPlace t = desk.Place(test);
  desk.Click(t.X + 20, t.Y + 12);
  const std::string preview = desk.WaitWindow("^Print preview$", 15000);
  desk.Screenshot(shot);
  EXPECT_FALSE(preview.empty()) << "the test window's Print opened no preview";
  if (!preview.empty()) {
    desk.Keys("Escape");
    ASSERT_TRUE(WaitFor([&] { return desk.WindowsNamed("^Print preview$").empty(); })) << "the preview stayed";
  }
  desk.Click(t.X + 72, t.Y + 12);
  EXPECT_TRUE(WaitFor([&] { return desk.WindowsNamed("^Test$").empty(); })) << "the test window's Close left it up";
}

// A managed window as the window manager lists it.
struct TManagedWindow {
  unsigned long Id = 0;
  pid_t Pid = 0;
  TWindowPlace Place;
  bool Viewable = false;
  bool KeptAbove = false;   // it asks to be kept above every window (_NET_WM_STATE_ABOVE)
  bool Transient = false;   // it belongs to another window (WM_TRANSIENT_FOR)
};

class TXConnection {
public:
  explicit TXConnection(const std::string& display);
  ~TXConnection();
  TXConnection(const TXConnection&) = delete;
  TXConnection& operator=(const TXConnection&) = delete;
  bool Open() const { return FDisplay != nullptr; }

  // The windows the window manager manages now, bottom to top.
  std::vector<TManagedWindow> ManagedWindows();
  // The screen's pixels in a rectangle.
  TPixels Grab(int x, int y, int width, int height);
  // Whether this client can grab the pointer now (no other client holds it); let go at once.
  bool PointerGrabbable();
  // Watches the screen for windows that come up, and waits, with a bound, until the window
  // manager has framed one on it since the watching began (menus and tips, which it does not
  // frame, do not count).
  void WatchFramesShown();
  bool WaitFrameShown(int timeoutMs);

private:
  std::vector<unsigned long> Cardinals(unsigned long window, const char* name, unsigned long type);
  void* FDisplay;   // Display*; the display library's names stay out of the tests' sources
};

}   // namespace desktop
