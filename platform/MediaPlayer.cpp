#include "platform/MediaPlayer.h"

#include <dlfcn.h>

#include <QImage>

#include "platform/Application.h"
#include "platform/CanvasQt.h"
#include "platform/Files.h"
#include "platform/Fonts.h"
#include "platform/MediaBackEnd.h"

namespace {

// The picture, painted stretched over the display rectangle.
class TVideoSurface : public TCustomControl {
public:
  TVideoSurface()
  {
    SetColor(clBlack);
    SetControlStyle(ControlStyle() | csOpaque);
  }
  TBitmap Frame;

protected:
  void Paint() override
  {
    TRect r = ClientRect();
    if (Frame.Empty())
      Canvas().FillRect(r, clBlack);
    else
      Canvas().StretchDraw(r, Frame);
  }
};

// The media back end, loaded from beside the program the first time a clip is needed and
// kept for the rest of the run; null where the module or the media libraries it needs
// cannot be loaded, and then there is no driver to play with.
TMediaBackEnd* BackEnd()
{
  EnsureGuiApplication();
  // NOLINTNEXTLINE(cppcoreguidelines-avoid-non-const-global-variables): one module per process, as above.
  static TMediaBackEnd* const backEnd = []() -> TMediaBackEnd* {
    const std::string path = ExeFolder() + MediaBackEndFile;
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module)
      return nullptr;
    auto entry = reinterpret_cast<decltype(&OrreloMediaBackEnd)>(dlsym(module, MediaBackEndEntry));
    return entry ? entry() : nullptr;
  }();
  return backEnd;
}

}   // namespace

struct TMediaPlayerImpl {
  explicit TMediaPlayerImpl(TMediaPlayer& owner) : Owner(owner)
  {
    TMediaBackEnd* backEnd = BackEnd();
    if (!backEnd)
      return;
    Clip = backEnd->NewClip();
    Clip->OnFrame = [this](const QImage& image) {
      Surface->Frame = QImageToBitmap(image);
      Surface->Invalidate();
    };
    Clip->OnEnd = [this] { GuardedCall([this] { Owner.Finished(nvSuccessful); }); };
    Clip->OnError = [this] {
      if (Opened)
        GuardedCall([this] { Owner.Finished(nvFailure); });
    };
  }

  TMediaPlayer& Owner;
  std::unique_ptr<TVideoSurface> Surface = std::make_unique<TVideoSurface>();
  // Null without a back end: nothing opens then. Goes before the surface it shows frames on.
  std::unique_ptr<TMediaClip> Clip;
  bool Opened = false;
};

TMediaPlayer::TMediaPlayer() : FImpl(std::make_unique<TMediaPlayerImpl>(*this)) { FImpl->Surface->SetVisible(false); }

TMediaPlayer::~TMediaPlayer()
{
  if (FDisplay)
    FDisplay->RemoveFreeNotification(this);
}

bool TMediaPlayer::Available()
{
  TMediaBackEnd* backEnd = BackEnd();
  return backEnd && backEnd->Available();
}

void TMediaPlayer::Open()
{
  Close();
  if (!Available())
    throw EMCIDeviceError("There is no driver installed on your system.");
  std::string path = ResolveFileName(FFileName);
  if (FFileName.empty() || !FileExists(path))
    throw EMCIDeviceError("Cannot find the specified file. Make sure the path and filename are correct.");
  TMediaClip& clip = *FImpl->Clip;
  if (!clip.Load(path))
    throw EMCIDeviceError(
        "The specified file cannot be played on the specified MCI device. The file may be corrupt, or not in the "
        "correct format.");
  FClipWidth = clip.PictureWidth();
  FClipHeight = clip.PictureHeight();
  FImpl->Opened = true;
  FImpl->Surface->Frame = TBitmap();
  SetDisplayRect({0, 0, FClipWidth, FClipHeight});
}

void TMediaPlayer::Close()
{
  if (!FImpl->Opened)
    return;
  FImpl->Opened = false;
  FImpl->Clip->Unload();
  FImpl->Surface->SetVisible(false);
}

bool TMediaPlayer::IsOpen() const { return FImpl->Opened; }

void TMediaPlayer::Play()
{
  if (!FImpl->Opened)
    throw EMCIDeviceError("Not open");
  FImpl->Clip->Play();
}

void TMediaPlayer::Pause()
{
  if (FImpl->Opened)
    FImpl->Clip->Pause();
}

void TMediaPlayer::Rewind()
{
  if (!FImpl->Opened)
    return;
  FImpl->Clip->Pause();
  FImpl->Clip->SetPosition(0);
}

bool TMediaPlayer::Playing() const { return FImpl->Opened && FImpl->Clip->Playing(); }

Integer TMediaPlayer::Length() const { return FImpl->Opened ? static_cast<Integer>(FImpl->Clip->Length()) : 0; }

Integer TMediaPlayer::Position() const { return FImpl->Opened ? static_cast<Integer>(FImpl->Clip->Position()) : 0; }

void TMediaPlayer::SetPosition(Integer ms)
{
  if (FImpl->Opened)
    FImpl->Clip->SetPosition(ms < 0 ? 0 : ms);
}

void TMediaPlayer::SetDisplay(TWinControl* display)
{
  if (display == FDisplay)
    return;
  if (FDisplay)
    FDisplay->RemoveFreeNotification(this);
  FDisplay = display;
  if (FDisplay)
    FDisplay->FreeNotification(this);
  PlaceSurface();
}

void TMediaPlayer::SetDisplayRect(const TRect& r)
{
  FDisplayRect = r;
  PlaceSurface();
}

const TBitmap& TMediaPlayer::Frame() const { return FImpl->Surface->Frame; }

void TMediaPlayer::PlaceSurface()
{
  TVideoSurface& s = *FImpl->Surface;
  if (!FDisplay) {
    s.SetVisible(false);
    s.SetParent(nullptr);
    return;
  }
  s.SetParent(FDisplay);
  s.SetBoundsRect(FDisplayRect);
  s.SetVisible(FImpl->Opened);
}

void TMediaPlayer::Notification(TComponent* component, TOperation operation)
{
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == FDisplay) {
    FDisplay = nullptr;
    FImpl->Surface->SetVisible(false);
    FImpl->Surface->SetParent(nullptr);
  }
}

void TMediaPlayer::Finished(TMPNotifyValues value)
{
  if (!Notify)
    return;
  Notify = false;
  NotifyValue = value;
  if (OnNotify)
    OnNotify(this);
}
