// The GL surface: a control that owns an OpenGL context (compatibility profile, so that
// immediate mode and display lists work), makes it current, presents frames, looks up GL
// entry points, and passes paint, size, mouse, wheel and key events to its handlers. A
// shown window surface draws into its own native GL window and presents the frame itself,
// with no toolkit composing in between; otherwise frames go to a framebuffer of the
// surface's own, where they can be read back (pictures, snapshots, tests).
// No toolkit type shows here; Window() hands the toolkit's window to platform code that
// embeds the surface in a window.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/SysUtils.h"
#include "platform/Types.h"

struct TGLSurfaceImpl;

// Starts loading the system's GL driver libraries on a thread, so that the first context,
// made later on the GUI thread, finds them loaded: a software renderer's take tens of
// milliseconds. Call once the application exists.
void PrepareGLDriver();

class TGLSurface : public TObject {
public:
  enum TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };
  // Shift state bits of an event.
  enum : uint32_t { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64 };
  using TShift = uint32_t;

  enum class TKind : uint8_t { Window, Offscreen };
  // A window surface is a native window (hidden until shown or embedded); an offscreen
  // surface renders into a framebuffer of the given size and is never shown.
  explicit TGLSurface(TKind kind = TKind::Window, int32_t width = 320, int32_t height = 240);
  ~TGLSurface() override;
  TGLSurface(const TGLSurface&) = delete;
  TGLSurface& operator=(const TGLSurface&) = delete;

  TKind Kind() const { return FKind; }
  // Creates the context now if it is not there yet (a window surface does so when first
  // shown or painted). False when no context can be had.
  bool CreateContext();
  bool HasContext() const;
  // Makes the context current with the surface's framebuffer (not the screen's) bound.
  // False without context.
  bool MakeCurrent();
  void DoneCurrent();
  // Presents the frame (a window surface presents on its own after OnPaint; an offscreen
  // one only flushes).
  void SwapBuffers();
  // An entry point of the current context's GL, or null.
  void* GetProcAddress(const char* name) const;

  // Logical size (what mouse coordinates use) and the framebuffer's size in pixels.
  int32_t Width() const;
  int32_t Height() const;
  int32_t FramebufferWidth() const;
  int32_t FramebufferHeight() const;
  void SetSize(int32_t width, int32_t height);

  void Show();
  void Hide();
  bool Visible() const;
  // Asks for a paint from the message loop (coalesced) when the surface is on the screen,
  // and notes that the framebuffer is stale.
  void Invalidate();
  // Paints now: calls OnPaint with the context current; a shown window surface draws on
  // the screen and presents the frame, anything else draws into the framebuffer.
  void Repaint();
  // Paints a frame into the framebuffer, never on the screen, and leaves it bound: for
  // reading a frame back.
  void PaintToFramebuffer();
  // Whether the framebuffer lags behind: the latest frame went to the screen only, or the
  // surface was invalidated since the framebuffer's frame.
  bool FramebufferStale() const;
  void SetFocus();
  bool Focused() const;
  // The pointer shown over the surface: the hand for the 3D view.
  void SetHandCursor(bool hand);
  void SetHint(const std::string& hint);

  // The toolkit's window (QWindow*) for platform code that lays the surface out; null for
  // an offscreen surface.
  void* Window() const;
  // Platform code that embeds the surface: the toolkit widget (QWidget*) that takes the
  // surface's mouse and wheel input instead of the handlers here, or null.
  void SetInputWidget(void* widget);
  // Platform code that embeds the surface: called first thing when the surface goes, so
  // that its host lets go of it. One host at a time.
  void SetHostRelease(std::function<void()> release) { FHostRelease = std::move(release); }

  // Handlers. OnPaint runs with the context current and the framebuffer bound.
  std::function<void()> OnContextCreated;      // context current
  std::function<void()> OnContextDestroying;   // context current, about to go
  std::function<void()> OnPaint;
  std::function<void(int32_t width, int32_t height)> OnResize;
  std::function<void(TMouseButton button, TShift shift, int32_t x, int32_t y)> OnMouseDown;
  std::function<void(TMouseButton button, TShift shift, int32_t x, int32_t y)> OnMouseUp;
  std::function<void(TShift shift, int32_t x, int32_t y)> OnMouseMove;
  // delta: 120 per notch, positive when the wheel turns away from the user.
  std::function<void(TShift shift, int32_t delta, int32_t x, int32_t y, bool& handled)> OnMouseWheel;
  std::function<void()> OnClick;
  std::function<void()> OnDblClick;
  // key: the virtual-key code (letters and digits as their capitals, arrows 0x25..0x28...).
  std::function<void(uint16_t& key, TShift shift)> OnKeyDown;
  std::function<void(uint16_t& key, TShift shift)> OnKeyUp;

private:
  friend struct TGLSurfaceImpl;
  TKind FKind;
  std::unique_ptr<TGLSurfaceImpl> FImpl;
  std::function<void()> FHostRelease;
};
