#include "engine/GLViewer.h"

#include "engine/GLContext.h"
#include "platform/Application.h"

// Tells the buffer when its camera is freed, so it never renders through a dangling one.
class TGLSceneBuffer::TCameraLink : public TGLBaseSceneObject {
public:
  explicit TCameraLink(TGLSceneBuffer* b) : Buffer(b) {}
  ~TCameraLink() override { Watch(Target, nullptr); }
  void Set(TGLCamera* c) { Watch(Target, c); }
  TGLSceneBuffer* Buffer;
  TGLBaseSceneObject* Target = nullptr;

protected:
  void ReferenceFreed(TGLBaseSceneObject* obj) override
  {
    if (obj == Target) {
      Target = nullptr;
      Buffer->FCamera = nullptr;
    }
  }
};

TGLSceneBuffer::TGLSceneBuffer(TGLSurface* surface)
    : FSurface(surface), FCameraLink(std::make_unique<TCameraLink>(this))
{}

TGLSceneBuffer::~TGLSceneBuffer() = default;

void TGLSceneBuffer::SetCamera(TGLCamera* camera)
{
  FCamera = camera;
  FCameraLink->Set(camera);
  if (FSurface)
    FSurface->Invalidate();
}

void TGLSceneBuffer::SetBackgroundColor(TColor c)
{
  if (c == FBackgroundColor)
    return;
  FBackgroundColor = c;
  if (FSurface)
    FSurface->Invalidate();
}

int32_t TGLSceneBuffer::Width() const { return FSurface ? FSurface->FramebufferWidth() : 0; }
int32_t TGLSceneBuffer::Height() const { return FSurface ? FSurface->FramebufferHeight() : 0; }

void TGLSceneBuffer::ContextCreated()
{
  FContext = std::make_shared<TGLContextNames>();
  InitOpenGL();
  PinGLDriver();
  if (FSurface)
    ReadExtensions([](const char* name, void* user) { return static_cast<TGLSurface*>(user)->GetProcAddress(name); },
                   FSurface);
}

void TGLSceneBuffer::ContextDestroying()
{
  // Lists and textures die with the context; the objects notice their context is gone and
  // build anew in the next one.
  FContext.reset();
}

void TGLSceneBuffer::Render()
{
  if (!FContext)
    ContextCreated();
  int32_t w = Width(), h = Height();
  glViewport(0, 0, w, h);
  TVector bg = ConvertWinColor(FBackgroundColor, 1);
  glClearColor(bg[0], bg[1], bg[2], 1);
  // Stencil is cleared with depth though nothing draws into it: the two share one word per
  // pixel, and clearing depth alone makes the software renderer keep the stencil bits of
  // every pixel, a read-modify-write of the whole buffer each frame.
  glClearStencil(0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  glDepthMask(GL_TRUE);
  glEnable(GL_LIGHTING);
  // Parts may pass normals of any length.
  glEnable(GL_NORMALIZE);
  glShadeModel(GL_SMOOTH);
  // Faces are drawn from both sides: a part wound the other way must not vanish. Closed
  // solids switch culling on for themselves (TGLBaseSceneObject::IsClosedSolid).
  glDisable(GL_CULL_FACE);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  const GLfloat ambient[4] = {0.2f, 0.2f, 0.2f, 1};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 0);
  if (FCamera) {
    FCamera->Apply(w, h);
    if (TGLScene* scene = FCamera->GetScene()) {
      TRenderContextInfo rci;
      rci.Context = FContext;
      rci.Scene = scene;
      rci.Camera = FCamera;
      rci.Buffer = this;
      rci.ViewportWidth = w;
      rci.ViewportHeight = h;
      scene->RenderScene(rci);
    }
  }
  glFlush();
  ++FFrameCount;
  if (OnAfterRender)
    OnAfterRender();
}

std::unique_ptr<TGLBitmap32> TGLSceneBuffer::CreateSnapshot()
{
  int32_t w = std::max(0, Width()), h = std::max(0, Height());
  auto bmp = std::make_unique<TGLBitmap32>(w, h);
  if (!FSurface || !FSurface->CreateContext() || !OpenGLLoaded()) {
    bmp->Fill(FBackgroundColor);
    return bmp;
  }
  // A shown view presents its frames without keeping them: draw this one for reading.
  if (FFrameCount == 0 || FSurface->FramebufferStale())
    FSurface->PaintToFramebuffer();
  if (!FSurface->MakeCurrent()) {
    bmp->Fill(FBackgroundColor);
    return bmp;
  }
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, w, h, GL_BGRA, GL_UNSIGNED_BYTE, bmp->Data());
  return bmp;
}

// --- TGLSceneViewer ----------------------------------------------------------------------

TGLSceneViewer::TGLSceneViewer(TObject*, TGLSurface::TKind kind)
    : FSurface(std::make_unique<TGLSurface>(kind)), FBuffer(std::make_unique<TGLSceneBuffer>(FSurface.get())),
      FRepaintCell(std::make_shared<TGLSurface*>(FSurface.get()))
{
  TGLSceneBuffer* buffer = FBuffer.get();
  FSurface->OnContextCreated = [buffer] { buffer->ContextCreated(); };
  FSurface->OnContextDestroying = [buffer] { buffer->ContextDestroying(); };
  FSurface->OnPaint = [buffer] { buffer->Render(); };
  FSurface->SetHandCursor(true);
}

TGLSceneViewer::~TGLSceneViewer()
{
  *FRepaintCell = nullptr;
  FSurface->OnContextCreated = nullptr;
  FSurface->OnContextDestroying = nullptr;
  FSurface->OnPaint = nullptr;
  FBuffer.reset();
  FSurface.reset();
}

void TGLSceneViewer::SetCamera(TGLCamera* camera)
{
  FBuffer->SetCamera(camera);
  TGLScene* scene = camera ? camera->GetScene() : nullptr;
  if (scene && scene != FListening) {
    // The cell outlives the viewer, so a scene that outlives it calls nothing stale.
    std::shared_ptr<TGLSurface*> cell = FRepaintCell;
    scene->AddChangeListener(this, [cell] {
      if (*cell)
        (*cell)->Invalidate();
    });
    FListening = scene;
  }
}
