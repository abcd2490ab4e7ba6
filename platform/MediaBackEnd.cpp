// Qt Multimedia behind the media player: built into a module of its own, see MediaBackEnd.h.
#include "platform/MediaBackEnd.h"

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

namespace {

// How long Load waits for a clip to be read before giving up.
constexpr int LoadTimeoutMs = 10000;

// The FFmpeg back end brings its decoders with it; the other one depends on what the
// system happens to have installed. A choice made in the environment stands.
void ChooseBackend()
{
  if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
    qputenv("QT_MEDIA_BACKEND", "ffmpeg");
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

class TQtMediaClip : public TMediaClip {
public:
  TQtMediaClip()
  {
    Player.setVideoOutput(&Sink);
    Player.setAudioOutput(&Audio);
    // Frames may come from the decoder's thread: they are taken on ours.
    QObject::connect(&Sink, &QVideoSink::videoFrameChanged, &Context, [this](const QVideoFrame& frame) {
      QImage image = frame.toImage();
      if (!image.isNull() && OnFrame)
        OnFrame(image);
    });
    QObject::connect(&Player, &QMediaPlayer::mediaStatusChanged, &Context, [this](QMediaPlayer::MediaStatus s) {
      if (s == QMediaPlayer::EndOfMedia && OnEnd)
        OnEnd();
    });
    QObject::connect(&Player, &QMediaPlayer::errorOccurred, &Context, [this](QMediaPlayer::Error e, const QString&) {
      if (e != QMediaPlayer::NoError && OnError)
        OnError();
    });
  }

  ~TQtMediaClip() override
  {
    QObject::disconnect(&Sink, nullptr, &Context, nullptr);
    QObject::disconnect(&Player, nullptr, &Context, nullptr);
    Player.stop();
    Player.setVideoOutput(static_cast<QObject*>(nullptr));
  }

  bool Load(const std::string& path) override
  {
    Player.setSource(QUrl::fromLocalFile(QString::fromStdString(path)));
    if (WaitLoaded())
      return true;
    Player.setSource(QUrl());
    return false;
  }

  void Unload() override
  {
    Player.stop();
    Player.setSource(QUrl());
  }

  void Play() override
  {
    if (Player.mediaStatus() == QMediaPlayer::EndOfMedia)
      Player.setPosition(0);
    Player.play();
  }

  void Pause() override { Player.pause(); }
  bool Playing() const override { return Player.playbackState() == QMediaPlayer::PlayingState; }
  int64_t Length() const override { return Player.duration(); }
  int64_t Position() const override { return Player.position(); }
  void SetPosition(int64_t ms) override { Player.setPosition(ms); }

  int PictureWidth() const override { return PictureSize().width(); }
  int PictureHeight() const override { return PictureSize().height(); }

private:
  // Waits until the clip is read or refused.
  bool WaitLoaded()
  {
    auto settled = [this] {
      QMediaPlayer::MediaStatus s = Player.mediaStatus();
      return Player.error() != QMediaPlayer::NoError || s == QMediaPlayer::LoadedMedia
             || s == QMediaPlayer::BufferedMedia || s == QMediaPlayer::EndOfMedia || s == QMediaPlayer::InvalidMedia;
    };
    if (!settled()) {
      QEventLoop loop;
      QTimer timeout;
      timeout.setSingleShot(true);
      QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
      QObject::connect(&Player, &QMediaPlayer::mediaStatusChanged, &loop, [&] {
        if (settled())
          loop.quit();
      });
      QObject::connect(&Player, &QMediaPlayer::errorOccurred, &loop, &QEventLoop::quit);
      timeout.start(LoadTimeoutMs);
      loop.exec();
    }
    return Player.error() == QMediaPlayer::NoError && Player.mediaStatus() != QMediaPlayer::InvalidMedia && settled();
  }

  QSize PictureSize() const
  {
    QSize size = Player.metaData().value(QMediaMetaData::Resolution).toSize();
    if (!size.isValid() || size.isEmpty())
      size = Sink.videoSize();
    return size.isValid() ? size : QSize(0, 0);
  }

  // Declared before the player, so the player goes first.
  QObject Context;
  QVideoSink Sink;
  QAudioOutput Audio;
  QMediaPlayer Player;
};

class TQtMediaBackEnd final : public TMediaBackEnd {
public:
  bool Available() override
  {
    ChooseBackend();
    QMediaPlayer probe;
    return probe.isAvailable();
  }

  std::unique_ptr<TMediaClip> NewClip() override
  {
    ChooseBackend();
    return std::make_unique<TQtMediaClip>();
  }
};

}   // namespace

TMediaBackEnd* OrreloMediaBackEnd()
{
  // The module's one back end, which the player keeps for the rest of the run (it holds no
  // state of its own: every clip is an object of its own).
  static TQtMediaBackEnd backEnd;   // NOLINT(orrelo-static-local-state): one per loaded module, as above
  return &backEnd;
}
