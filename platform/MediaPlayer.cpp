#include "platform/MediaPlayer.h"

#include <dlfcn.h>

#include <QAudioOutput>
#include <QEventLoop>
#include <QImage>
#include <QLoggingCategory>
#include <QMediaMetaData>
#include <QMediaPlayer>
#include <QTimer>
#include <QUrl>
#include <QVideoFrame>
#include <QVideoSink>

#include "platform/Application.h"
#include "platform/CanvasQt.h"
#include "platform/Files.h"
#include "platform/Fonts.h"

namespace {

// How long Open waits for a clip to be read before giving up.
constexpr int OpenTimeoutMs = 10000;

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

}   // namespace

namespace {
// The FFmpeg back end brings its decoders with it; the other one depends on what the
// system happens to have installed. A choice made in the environment stands.
void ChooseBackend()
{
  if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
    qputenv("QT_MEDIA_BACKEND", "ffmpeg");
  EnsureGuiApplication();
  // The back end narrates every clip it opens on the console (its decoders' debug lines go
  // to the default category). A player's failures reach the program through its error
  // signal; QT_LOGGING_RULES still turns the narration back on.
  // FFmpeg itself reports each hardware decoder it tries and does not find; the back end
  // then decodes in software, as it should. Its library is the one the back end loads.
  static const bool quiet = [] {
    QLoggingCategory::setFilterRules(QStringLiteral("qt.multimedia.*=false\ndefault.debug=false"));
    constexpr int AV_LOG_QUIET = -8;
    for (const char* name : {"libavutil.so.57", "libavutil.so.58", "libavutil.so.59", "libavutil.so.56"})
      if (void* lib = dlopen(name, RTLD_NOW | RTLD_LOCAL)) {
        if (auto setLevel = reinterpret_cast<void (*)(int)>(dlsym(lib, "av_log_set_level")))
          setLevel(AV_LOG_QUIET);
        break;
      }
    return true;
  }();
  (void)quiet;
}
}   // namespace

struct TMediaPlayerImpl {
  explicit TMediaPlayerImpl(TMediaPlayer& owner) : Owner(owner)
  {
    ChooseBackend();
    Player = std::make_unique<QMediaPlayer>();
    Sink = std::make_unique<QVideoSink>();
    Audio = std::make_unique<QAudioOutput>();
    Player->setVideoOutput(Sink.get());
    Player->setAudioOutput(Audio.get());
    // Frames may come from the decoder's thread: they are taken on ours.
    QObject::connect(Sink.get(), &QVideoSink::videoFrameChanged, &Context, [this](const QVideoFrame& frame) {
      QImage image = frame.toImage();
      if (image.isNull() || !Surface)
        return;
      Surface->Frame = QImageToBitmap(image);
      Surface->Invalidate();
    });
    QObject::connect(Player.get(), &QMediaPlayer::mediaStatusChanged, &Context, [this](QMediaPlayer::MediaStatus s) {
      if (s == QMediaPlayer::EndOfMedia)
        GuardedCall([this] { Owner.Finished(nvSuccessful); });
    });
    QObject::connect(Player.get(), &QMediaPlayer::errorOccurred, &Context,
                     [this](QMediaPlayer::Error e, const QString&) {
                       if (e != QMediaPlayer::NoError && Opened)
                         GuardedCall([this] { Owner.Finished(nvFailure); });
                     });
  }

  ~TMediaPlayerImpl()
  {
    QObject::disconnect(Sink.get(), nullptr, &Context, nullptr);
    QObject::disconnect(Player.get(), nullptr, &Context, nullptr);
    Player->stop();
    Player->setVideoOutput(static_cast<QObject*>(nullptr));
  }

  // Waits until the clip is read or refused.
  bool WaitLoaded()
  {
    auto settled = [this] {
      QMediaPlayer::MediaStatus s = Player->mediaStatus();
      return Player->error() != QMediaPlayer::NoError || s == QMediaPlayer::LoadedMedia
             || s == QMediaPlayer::BufferedMedia || s == QMediaPlayer::EndOfMedia || s == QMediaPlayer::InvalidMedia;
    };
    if (!settled()) {
      QEventLoop loop;
      QTimer timeout;
      timeout.setSingleShot(true);
      QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
      QObject::connect(Player.get(), &QMediaPlayer::mediaStatusChanged, &loop, [&] {
        if (settled())
          loop.quit();
      });
      QObject::connect(Player.get(), &QMediaPlayer::errorOccurred, &loop, &QEventLoop::quit);
      timeout.start(OpenTimeoutMs);
      loop.exec();
    }
    return Player->error() == QMediaPlayer::NoError && Player->mediaStatus() != QMediaPlayer::InvalidMedia && settled();
  }

  TMediaPlayer& Owner;
  QObject Context;
  std::unique_ptr<QMediaPlayer> Player;
  std::unique_ptr<QVideoSink> Sink;
  std::unique_ptr<QAudioOutput> Audio;
  std::unique_ptr<TVideoSurface> Surface = std::make_unique<TVideoSurface>();
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
  ChooseBackend();
  QMediaPlayer probe;
  return probe.isAvailable();
}

void TMediaPlayer::Open()
{
  Close();
  if (!Available())
    throw EMCIDeviceError("There is no driver installed on your system.");
  std::string path = ResolveFileName(FFileName);
  if (FFileName.empty() || !FileExists(path))
    throw EMCIDeviceError("Cannot find the specified file. Make sure the path and filename are correct.");
  QMediaPlayer& player = *FImpl->Player;
  player.setSource(QUrl::fromLocalFile(QString::fromStdString(path)));
  if (!FImpl->WaitLoaded()) {
    player.setSource(QUrl());
    throw EMCIDeviceError(
        "The specified file cannot be played on the specified MCI device. The file may be corrupt, or not in the "
        "correct format.");
  }
  QSize size = player.metaData().value(QMediaMetaData::Resolution).toSize();
  if (!size.isValid() || size.isEmpty())
    size = FImpl->Sink->videoSize();
  FClipWidth = size.isValid() ? size.width() : 0;
  FClipHeight = size.isValid() ? size.height() : 0;
  FImpl->Opened = true;
  FImpl->Surface->Frame = TBitmap();
  SetDisplayRect({0, 0, FClipWidth, FClipHeight});
}

void TMediaPlayer::Close()
{
  if (!FImpl->Opened)
    return;
  FImpl->Opened = false;
  FImpl->Player->stop();
  FImpl->Player->setSource(QUrl());
  FImpl->Surface->SetVisible(false);
}

bool TMediaPlayer::IsOpen() const { return FImpl->Opened; }

void TMediaPlayer::Play()
{
  if (!FImpl->Opened)
    throw EMCIDeviceError("Not open");
  // A clip that has ended starts again from its beginning.
  if (FImpl->Player->mediaStatus() == QMediaPlayer::EndOfMedia)
    FImpl->Player->setPosition(0);
  FImpl->Player->play();
}

void TMediaPlayer::Pause()
{
  if (FImpl->Opened)
    FImpl->Player->pause();
}

void TMediaPlayer::Rewind()
{
  if (!FImpl->Opened)
    return;
  FImpl->Player->pause();
  FImpl->Player->setPosition(0);
}

bool TMediaPlayer::Playing() const
{
  return FImpl->Opened && FImpl->Player->playbackState() == QMediaPlayer::PlayingState;
}

Integer TMediaPlayer::Length() const { return FImpl->Opened ? static_cast<Integer>(FImpl->Player->duration()) : 0; }

Integer TMediaPlayer::Position() const { return FImpl->Opened ? static_cast<Integer>(FImpl->Player->position()) : 0; }

void TMediaPlayer::SetPosition(Integer ms)
{
  if (FImpl->Opened)
    FImpl->Player->setPosition(ms < 0 ? 0 : ms);
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
