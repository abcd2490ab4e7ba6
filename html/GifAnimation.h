// Animated GIF pictures: all frames in one strip with its mask, the current frame, drawing,
// and stepping by the frames' delays on a millisecond clock.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "html/HTMLStreams.h"
#include "platform/Bitmap.h"

class TCanvas;

// A bitmap that may carry a transparency mask (white where transparent).
class ThtBitmap : public TBitmap {
public:
  using TBitmap::TBitmap;
  std::unique_ptr<TBitmap> Mask;
  bool HasMask = false;
  // Stretches the source rectangle into the destination, through the mask when there is one.
  void StretchDraw(TCanvas& canvas, const TRect& dest, const TRect& source) const;
};

struct TgfFrame {
  int Left = 0, Top = 0, Width = 0, Height = 0;
  int Delay = 0;   // milliseconds
  uint8_t Disposal = 0;
  uint8_t IsCopy = 0;
};

// Frames addressed from 1.
class TgfFrameList {
public:
  int Count() const { return static_cast<int>(FItems.size()); }
  TgfFrame& operator[](int i) { return FItems.at(size_t(i - 1)); }
  const TgfFrame& operator[](int i) const { return FItems.at(size_t(i - 1)); }
  void Add(const TgfFrame& f) { FItems.push_back(f); }

private:
  std::vector<TgfFrame> FItems;
};

// A millisecond clock to time frames by.
using TGifClock = std::function<Cardinal()>;

class TGIFImage {
public:
  TGIFImage();
  ~TGIFImage();
  TGIFImage(const TGIFImage&) = delete;
  TGIFImage& operator=(const TGIFImage&) = delete;

  // A copy that shares the strip and animates on its own from frame 1.
  std::unique_ptr<TGIFImage> CreateCopy() const;

  // Draws the current frame stretched into the box at X, Y.
  void Draw(TCanvas& canvas, int height, int width, int y, int x);
  // One animation step when due; invalidate is called with the area last drawn.
  void CheckTime(const std::function<void(const TRect&)>& invalidate);

  bool Animate() const { return FAnimate; }
  void SetAnimate(bool value);
  int CurrentFrame() const { return FCurrentFrame; }
  void SetCurrentFrame(int frame);

  // The first frame as a bitmap (made once), and the mask when the GIF is transparent.
  TBitmap* GetBitmap();
  TBitmap* GetMaskImage();

  bool Animated = false;
  int Width = 0;
  int Height = 0;
  int NumFrames = 0;
  int NumIterations = 0;   // 0 = endless
  bool IsTransparent = false;
  bool Visible = true;
  bool ShowIt = false;   // drawn by the paint that is running or ran last
  // Where a paint last drew the picture on screen, in document coordinates; unknown until
  // it is drawn (a layout moves everything, so it forgets).
  TRect DocRect{};
  bool Placed = false;
  bool IsCopy = false;
  int Change = 0;
  TRect StripRect{};
  int CurrentIteration = 0;
  Cardinal LastTime = 0;
  int CurrentInterval = 0;
  TgfFrameList Frames;
  // Frames per row of the strip: all of them unless the strip would be too wide for a bitmap.
  int FramesPerRow = 1;
  // Where the current frame lies in the strip.
  TRect FrameSource() const;
  // Shared between an image and its copies; the last one alive frees it.
  std::shared_ptr<ThtBitmap> Strip;
  // The clock the frames are timed by, passed on to copies: the platform's tick count
  // unless set.
  TGifClock Clock;
  Cardinal Now() const;

private:
  friend std::unique_ptr<TGIFImage> CreateAGif(TStream& stream, bool& nonAnimated);
  bool FAnimate = false;
  int FCurrentFrame = 1;
  std::unique_ptr<TBitmap> FCurrentBitmap;
  std::unique_ptr<TBitmap> FCurrentMask;
};

// Decoding errors of the GIF reader pass to the caller. NonAnimated is set for fewer than 2 frames.
// The strip of an animation may take this many bytes per byte of its file, or
// MinGifStripBytes when that is more; frames past the budget are dropped.
constexpr int64_t GifStripBytesPerFileByte = 24;
constexpr int64_t MinGifStripBytes = int64_t(1) << 20;
std::unique_ptr<TGIFImage> CreateAGif(TStream& stream, bool& nonAnimated);
std::unique_ptr<TGIFImage> CreateAGifFromFile(const std::string& fileName, bool& nonAnimated);
