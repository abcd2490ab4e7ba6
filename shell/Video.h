// The video-clip window that pound-sign links open: the clip in a black panel, looping
// until the window closes, with play, stop, rewind, zoom and close buttons below it.
#pragma once

#include <string>

#include "platform/MediaPlayer.h"
#include "platform/StdCtrls.h"

class TVideoFrm : public TDialogForm {
public:
  // Opens the clip and starts it; raises the player's error when it cannot be opened.
  explicit TVideoFrm(const std::string& FileName);
  ~TVideoFrm() override;

  TPanel* VidPanel;
  TPanel* ToolPnl;
  TSpeedButton* PlayBtn;
  TSpeedButton* StopBtn;
  TSpeedButton* RewindBtn;
  TSpeedButton* ZoomBtn;
  TSpeedButton* CloseBtn;
  TMediaPlayer* player;
  // The clip's own display rectangle.
  TRect OrigRect;

  void VidPanelResize(TObject* Sender);
  void playerNotify(TObject* Sender);
  void PlayBtnClick(TObject* Sender);
  void ZoomBtnClick(TObject* Sender);
  void CloseBtnClick(TObject* Sender);

protected:
  // Escape closes the window as its own close action does.
  void KeyDown(Word& key, TShiftState shift) override;
  void VisibleChanged() override;

private:
  // Sizes the window to a picture of w x h with the buttons below, centred on the screen.
  void FitTo(Integer w, Integer h);
};
