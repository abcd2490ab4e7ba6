// More controls of the main window: the splitter that resizes the pane beside it, and the
// host that places a GL surface inside the control tree.
#pragma once

#include "platform/Controls.h"

class TGLSurface;

// A bar between two aligned controls; dragging it resizes the control it follows (the one
// aligned to the same side just before it), keeping that control and the room left for the
// rest at least MinSize wide.
class TSplitter : public TGraphicControl {
public:
  TSplitter();
  Integer MinSize() const { return FMinSize; }
  void SetMinSize(Integer v) { FMinSize = v < 1 ? 1 : v; }
  bool Beveled() const { return FBeveled; }
  void SetBeveled(bool v)
  {
    FBeveled = v;
    Invalidate();
  }
  // The control the splitter resizes, or nullptr.
  TControl* FindControl() const;
  // Sets the resized control's size as a drag to that size would: clamped by MinSize.
  void MoveTo(Integer size);
  TNotifyEvent OnMoved;

protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void MouseMove(TShiftState shift, Integer x, Integer y) override;
  void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) override;

private:
  bool Horizontal() const { return Align() == alLeft || Align() == alRight; }
  Integer FMinSize = 30;
  bool FBeveled = false;
  bool FDragging = false;
  Integer FDownAt = 0;
  Integer FStartSize = 0;
};

// Shows a GL surface's window over its whole client area. The surface stays the caller's;
// the host only lends it a place. Input over the surface comes to the host as to any
// control, so the host's mouse, wheel, click and key events are the 3D view's.
class TGLHost : public TCustomControl {
public:
  TGLHost();
  ~TGLHost() override;
  TGLSurface* Surface() const { return FSurface; }
  void SetSurface(TGLSurface* surface);

protected:
  void HandleCreated() override;
  void DestroyingHandle() override;
  void Resize() override;
  void EraseBackground(TCanvas& canvas) override {}

private:
  void Attach();
  void Detach();
  TGLSurface* FSurface = nullptr;
  void* FContainer = nullptr;   // the toolkit widget that holds the surface's window
};
