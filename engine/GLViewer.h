// The 3D view: TGLSceneBuffer renders the camera's scene into a GL surface and reads frames
// back; TGLSceneViewer is the control that shows it.
#pragma once

#include <memory>

#include "engine/GLGraphics.h"
#include "engine/GLScene.h"
#include "platform/GLSurface.h"

class TGLSceneBuffer : public TObject {
public:
  // The surface is not owned; it must outlive the buffer.
  explicit TGLSceneBuffer(TGLSurface* surface);
  ~TGLSceneBuffer() override;

  TGLCamera* GetCamera() const { return FCamera; }
  // Renders the scene the camera belongs to, seen through it. Freeing the camera unsets it.
  void SetCamera(TGLCamera* camera);
  TColor GetBackgroundColor() const { return FBackgroundColor; }
  // Any TColor, system colours included.
  void SetBackgroundColor(TColor c);

  // Renders a frame into the surface (call with its context current, as OnPaint is).
  void Render();
  // A new picture of the viewport holding the last rendered frame (one is rendered first
  // when there was none). Without GL it is the background colour.
  std::unique_ptr<TGLBitmap32> CreateSnapshot();
  int32_t FrameCount() const { return FFrameCount; }
  int32_t Width() const;
  int32_t Height() const;
  // Called with the scene whenever a frame has been rendered.
  std::function<void()> OnAfterRender;

  // The surface's context came or goes.
  void ContextCreated();
  void ContextDestroying();

private:
  class TCameraLink;
  TGLSurface* FSurface;
  TGLCamera* FCamera = nullptr;
  std::unique_ptr<TCameraLink> FCameraLink;
  TColor FBackgroundColor = clBtnFace;
  std::shared_ptr<TGLContextNames> FContext;   // the names of the surface's context, while there is one
  int32_t FFrameCount = 0;
};

class TGLSceneViewer : public TObject {
public:
  explicit TGLSceneViewer(TObject* AOwner = nullptr, TGLSurface::TKind kind = TGLSurface::TKind::Window);
  ~TGLSceneViewer() override;

  TGLSceneBuffer* GetBuffer() const { return FBuffer.get(); }
  TGLSurface* GetSurface() const { return FSurface.get(); }
  TGLCamera* GetCamera() const { return FBuffer->GetCamera(); }
  // The view repaints whenever an object of the camera's scene changes.
  void SetCamera(TGLCamera* camera);
  void Invalidate() { FSurface->Invalidate(); }
  void SetFocus() { FSurface->SetFocus(); }
  int32_t Width() const { return FSurface->Width(); }
  int32_t Height() const { return FSurface->Height(); }

private:
  std::unique_ptr<TGLSurface> FSurface;
  std::unique_ptr<TGLSceneBuffer> FBuffer;
  std::shared_ptr<TGLSurface*> FRepaintCell;   // cleared when the viewer goes
  TGLScene* FListening = nullptr;
};
