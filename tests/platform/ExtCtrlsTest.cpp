// The GL host: a surface's native window placed in a form. Frames can be read back while it
// is on the screen, its size follows the host, a context made ahead on a thread draws its
// first frame, it outlives hosts in either order, and the real pointer over it reaches the
// host as over any control.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <link.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ExtCtrls.h"
#include "platform/SysSettings.h"
#include "platform/Forms.h"
#include "platform/GLSurface.h"
#include "platform/StdCtrls.h"

namespace {

void PinDriver();

using TClearColor = void (*)(float, float, float, float);
using TClear = void (*)(uint32_t);
using TReadPixels = void (*)(int32_t, int32_t, int32_t, int32_t, uint32_t, uint32_t, void*);
constexpr uint32_t kColorBufferBit = 0x4000;
constexpr uint32_t kRgba = 0x1908;
constexpr uint32_t kUnsignedByte = 0x1401;

// A surface that clears its frame to one colour (0..255 per channel) and counts frames.
struct TClearingSurface {
  TGLSurface Surface{TGLSurface::TKind::Window, 200, 150};
  uint8_t Colour[3] = {40, 200, 90};
  int Frames = 0;
  int OwnMouse = 0;
  TClearingSurface()
  {
    Surface.OnContextCreated = [] { PinDriver(); };
    Surface.OnPaint = [this] {
      auto clearColor = reinterpret_cast<TClearColor>(Surface.GetProcAddress("glClearColor"));
      auto clear = reinterpret_cast<TClear>(Surface.GetProcAddress("glClear"));
      if (clearColor && clear) {
        clearColor(Colour[0] / 255.0f, Colour[1] / 255.0f, Colour[2] / 255.0f, 1);
        clear(kColorBufferBit);
      }
      ++Frames;
    };
    Surface.OnMouseDown = [this](TGLSurface::TMouseButton, TGLSurface::TShift, int32_t, int32_t) { ++OwnMouse; };
    Surface.OnMouseWheel = [this](TGLSurface::TShift, int32_t, int32_t, int32_t, bool&) { ++OwnMouse; };
  }
  // The frame's pixel at (x, y) from the bottom left, as snapshots read it.
  std::vector<uint8_t> Pixel(int32_t x, int32_t y)
  {
    std::vector<uint8_t> p(4, 0);
    if (!Surface.MakeCurrent())
      return {};
    auto read = reinterpret_cast<TReadPixels>(Surface.GetProcAddress("glReadPixels"));
    if (!read)
      return {};
    read(x, y, 1, 1, kRgba, kUnsignedByte, p.data());
    p.resize(3);
    return p;
  }
};

// The display's driver would be unloaded at exit, its allocations left without names for
// the leak report (whose suppressions go by library name): keep it loaded.
void PinDriver()
{
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void*) {
        std::string name = info->dlpi_name ? info->dlpi_name : "";
        if (name.find("_dri.so") != std::string::npos || name.find("libgallium") != std::string::npos)
          dlopen(name.c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
        return 0;
      },
      nullptr);
}

bool WaitUntil(const std::function<bool()>& cond, Cardinal timeoutMs)
{
  TTimer ticker;
  ticker.SetInterval(10);
  ticker.SetOnTimer([](TObject*) {});
  Cardinal start = GetTickCount();
  while (!cond() && GetTickCount() - start <= timeoutMs)
    Application->HandleMessage();
  return cond();
}

// A form with a panel beside the host, as the main window has.
struct THostedView {
  TForm Form;
  TPanel Side;
  std::unique_ptr<TGLHost> Host = std::make_unique<TGLHost>();
  explicit THostedView(TGLSurface& surface)
  {
    Form.SetBounds(100, 80, 400, 300);
    Side.SetParent(&Form);
    Side.SetAlign(alLeft);
    Side.SetWidth(80);
    Host->SetParent(&Form);
    Host->SetAlign(alClient);
    Host->SetSurface(&surface);
    Form.Show();
    WaitUntil([&] { return surface.Visible(); }, 2000);
  }
  // Until the window system exposes the window, frames go to the framebuffer; exposing it
  // paints a frame.
  static void WaitForScreen(TClearingSurface& s)
  {
    WaitUntil([&] { return s.Frames > 0; }, 2000);
  }
  ~THostedView() { Form.Hide(); }
};

}   // namespace

TEST(GLHost, ShownFrameReadsBackAndFollowsTheHostsSize)
{
  TClearingSurface s;
  THostedView view(s.Surface);
  if (!s.Surface.CreateContext())
    GTEST_SKIP() << "no OpenGL context on this display";
  THostedView::WaitForScreen(s);
  ASSERT_TRUE(s.Surface.Visible());
  EXPECT_EQ(s.Surface.Width(), view.Host->ClientWidth());
  EXPECT_EQ(s.Surface.Height(), view.Host->ClientHeight());
  // On the screen a frame is presented, not kept: the framebuffer says it is stale, and a
  // frame drawn for reading holds the latest colour.
  s.Surface.Repaint();
  EXPECT_TRUE(s.Surface.FramebufferStale());
  s.Surface.PaintToFramebuffer();
  EXPECT_FALSE(s.Surface.FramebufferStale());
  EXPECT_EQ(s.Pixel(5, 5), (std::vector<uint8_t>{40, 200, 90}));
  s.Colour[0] = 220;
  s.Surface.Repaint();
  EXPECT_TRUE(s.Surface.FramebufferStale());
  s.Surface.PaintToFramebuffer();
  EXPECT_EQ(s.Pixel(s.Surface.FramebufferWidth() - 1, s.Surface.FramebufferHeight() - 1),
            (std::vector<uint8_t>{220, 200, 90}));

  view.Form.SetBounds(100, 80, 500, 360);
  WaitUntil([&] { return s.Surface.Width() == view.Host->ClientWidth(); }, 2000);
  EXPECT_EQ(s.Surface.Width(), view.Host->ClientWidth());
  EXPECT_EQ(s.Surface.Height(), view.Host->ClientHeight());
  s.Surface.PaintToFramebuffer();
  EXPECT_EQ(s.Surface.FramebufferWidth(), view.Host->ClientWidth());
  EXPECT_EQ(s.Pixel(s.Surface.FramebufferWidth() - 1, s.Surface.FramebufferHeight() - 1),
            (std::vector<uint8_t>{220, 200, 90}));
}

// The program loads the GL driver's libraries on a thread while it builds its windows; the
// first surface then makes its context on the GUI thread and draws with it.
TEST(GLHost, DriverLoadedAheadOnAThreadServesTheFirstContext)
{
  PrepareGLDriver();
  TClearingSurface s;
  THostedView view(s.Surface);
  if (!s.Surface.CreateContext())
    GTEST_SKIP() << "no OpenGL context on this display";
  THostedView::WaitForScreen(s);
  s.Surface.PaintToFramebuffer();
  EXPECT_EQ(s.Pixel(5, 5), (std::vector<uint8_t>{40, 200, 90}));
  TClearingSurface other;
  ASSERT_TRUE(other.Surface.CreateContext());
  other.Surface.PaintToFramebuffer();
  EXPECT_EQ(other.Pixel(5, 5), (std::vector<uint8_t>{40, 200, 90}));
}

TEST(GLHost, SurfaceOutlivesItsHostAndTheOtherWayRound)
{
  auto s = std::make_unique<TClearingSurface>();
  {
    THostedView first(s->Surface);
    if (!s->Surface.CreateContext())
      GTEST_SKIP() << "no OpenGL context on this display";
    s->Surface.Repaint();
    first.Host.reset();   // the host goes first: the surface is the viewer's, it stays
  }
  EXPECT_TRUE(s->Surface.HasContext());
  EXPECT_FALSE(s->Surface.Visible());
  s->Colour[1] = 10;
  s->Surface.Repaint();   // not shown: into the framebuffer
  EXPECT_FALSE(s->Surface.FramebufferStale());
  EXPECT_EQ(s->Pixel(1, 1), (std::vector<uint8_t>{40, 10, 90}));

  // Placed again, in another form; then the surface goes while its host still stands.
  THostedView second(s->Surface);
  EXPECT_TRUE(s->Surface.Visible());
  const int before = s->Frames;
  s->Surface.Repaint();
  EXPECT_GT(s->Frames, before);
  second.Host->SetSurface(nullptr);
  EXPECT_FALSE(s->Surface.Visible());
  second.Host->SetSurface(&s->Surface);
  s.reset();
  EXPECT_EQ(second.Host->Surface(), nullptr);
  second.Host->SetBounds(0, 0, 100, 100);   // lays out no window that is gone
}

// The real pointer, moved by the X test extension: it must reach the host control under it,
// not stop at the surface's window.
TEST(GLHost, PointerOverTheViewReachesTheHost)
{
  if (std::system("command -v xdotool > /dev/null 2>&1") != 0)
    GTEST_SKIP() << "xdotool is not installed";
  TClearingSurface s;
  THostedView view(s.Surface);
  std::vector<std::string> log;
  view.Host->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState, Integer x, Integer y) {
    log.push_back("down " + std::to_string(int(b)) + " " + std::to_string(x) + "," + std::to_string(y));
  };
  view.Host->OnMouseUp = [&](TObject*, TMouseButton b, TShiftState, Integer x, Integer y) {
    log.push_back("up " + std::to_string(int(b)) + " " + std::to_string(x) + "," + std::to_string(y));
  };
  view.Host->OnMouseWheel = [&](TObject*, TShiftState, Integer delta, TPoint, bool& handled) {
    log.push_back("wheel " + std::to_string(delta));
    handled = true;
  };
  WaitUntil([] { return false; }, 200);
  TPoint a = view.Host->ClientToScreen({30, 40});
  TPoint b = view.Host->ClientToScreen({90, 70});
  std::string cmd = "xdotool mousemove " + std::to_string(a.X) + " " + std::to_string(a.Y) + " mousedown 1 mousemove "
                    + std::to_string(b.X) + " " + std::to_string(b.Y) + " mouseup 1 click 4";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  WaitUntil([&] { return log.size() >= 3; }, 3000);
  EXPECT_EQ(log, (std::vector<std::string>{"down 0 30,40", "up 0 90,70", "wheel 120"}));
  EXPECT_EQ(s.OwnMouse, 0);
  // The real pointer goes out of the way of the windows of the tests that follow.
  TSize screen = GetScreenSize();
  std::system(("xdotool mousemove " + std::to_string(screen.cx - 1) + " " + std::to_string(screen.cy - 1)).c_str());
}
