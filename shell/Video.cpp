#include "shell/Video.h"

#include <algorithm>

#include "shell/HelpContexts.h"

namespace {
constexpr Integer ToolHeight = 30;
constexpr Integer ButtonWidth = 50;
constexpr Integer ButtonHeight = 22;
}   // namespace

TVideoFrm::TVideoFrm(const std::string& FileName)
{
  SetName("VideoFrm");
  SetHelpContext(IDH_VIDEO_WINDOW);
  SetCaption("Video clip");
  SetBorderStyle(bsToolWindow);
  SetPosition(poScreenCenter);
  SetClientSize(320, 240 + ToolHeight);

  ToolPnl = TComponent::Create<TPanel>(this);
  ToolPnl->SetName("ToolPnl");
  ToolPnl->SetParent(this);
  ToolPnl->SetHeight(ToolHeight);
  ToolPnl->SetAlign(alBottom);

  VidPanel = TComponent::Create<TPanel>(this);
  VidPanel->SetName("VidPanel");
  VidPanel->SetParent(this);
  VidPanel->SetBevelOuter(bvNone);
  VidPanel->SetColor(clBlack);
  VidPanel->SetAlign(alClient);

  Integer x = 4;
  auto button = [&](const char* name, const char* caption) {
    TSpeedButton* b = TComponent::Create<TSpeedButton>(this);
    b->SetName(name);
    b->SetParent(ToolPnl);
    b->SetBounds(x, 4, ButtonWidth, ButtonHeight);
    b->SetCaption(caption);
    b->SetFlat(true);
    x += ButtonWidth + 2;
    return b;
  };
  PlayBtn = button("PlayBtn", "play");
  StopBtn = button("StopBtn", "stop ");
  RewindBtn = button("RewindBtn", "rewind");
  ZoomBtn = button("ZoomBtn", "zoom");
  ZoomBtn->SetGroupIndex(1);
  ZoomBtn->SetAllowAllUp(true);
  CloseBtn = button("CloseBtn", "close");
  CloseBtn->SetHint("Close video clip");
  CloseBtn->SetShowHint(true);
  for (TSpeedButton* b : {PlayBtn, StopBtn, RewindBtn}) {
    b->SetEnabled(false);
    b->OnClick = [this](TObject* Sender) { PlayBtnClick(Sender); };
  }
  ZoomBtn->OnClick = [this](TObject* Sender) { ZoomBtnClick(Sender); };
  CloseBtn->OnClick = [this](TObject* Sender) { CloseBtnClick(Sender); };

  player = TComponent::Create<TMediaPlayer>(this);
  player->SetName("player");
  player->SetDisplay(VidPanel);
  player->OnNotify = [this](TObject* Sender) { playerNotify(Sender); };
  VidPanel->OnResize = [this](TObject* Sender) { VidPanelResize(Sender); };

  player->SetFileName(FileName);
  player->Open();
  OrigRect = player->DisplayRect();
  FitTo(OrigRect.Width(), OrigRect.Height());
  player->Notify = true;
  player->Play();
  StopBtn->SetEnabled(true);
}

TVideoFrm::~TVideoFrm()
{
  player->OnNotify = nullptr;
  VidPanel->OnResize = nullptr;
}

void TVideoFrm::FitTo(Integer w, Integer h)
{
  // The window manager draws the frame outside the client area, so the client is exactly
  // the picture and the button panel.
  SetClientSize(w, h + ToolPnl->Height());
  CenterOn(Screen().WorkAreaRect());
  VidPanelResize(VidPanel);
}

void TVideoFrm::VisibleChanged()
{
  if (Visible())
    VidPanelResize(VidPanel);
  else
    player->Close();
  TDialogForm::VisibleChanged();
}

void TVideoFrm::VidPanelResize(TObject*)
{
  // The window is as wide as the clip; on a narrow clip the buttons share what there is
  // rather than "close" covering "zoom".
  const Integer room = ToolPnl->ClientWidth() - 8 - 4 * 2 - 4;
  const Integer w = std::clamp<Integer>(room / 5, 0, ButtonWidth);
  Integer x = 4;
  for (TSpeedButton* b : {PlayBtn, StopBtn, RewindBtn, ZoomBtn}) {
    b->SetBounds(x, 4, w, ButtonHeight);
    x += w + 2;
  }
  CloseBtn->SetBounds(ToolPnl->ClientWidth() - w - 4, 4, w, ButtonHeight);
  player->SetDisplayRect(VidPanel->ClientRect());
}

void TVideoFrm::playerNotify(TObject*)
{
  // The clip repeats until the window closes.
  if (player->NotifyValue == nvSuccessful && player->IsOpen()) {
    player->Notify = true;
    player->Play();
  }
}

void TVideoFrm::PlayBtnClick(TObject* Sender)
{
  if (Sender == PlayBtn) {
    player->Notify = true;
    player->Play();
    PlayBtn->SetEnabled(false);
    StopBtn->SetEnabled(true);
    RewindBtn->SetEnabled(false);
  } else if (Sender == StopBtn) {
    player->Pause();
    PlayBtn->SetEnabled(true);
    StopBtn->SetEnabled(false);
    RewindBtn->SetEnabled(true);
  } else if (Sender == RewindBtn) {
    player->Rewind();
    player->Notify = true;
    player->Play();
    PlayBtn->SetEnabled(false);
    StopBtn->SetEnabled(true);
    RewindBtn->SetEnabled(false);
  }
}

void TVideoFrm::ZoomBtnClick(TObject*)
{
  if (!ZoomBtn->Down()) {
    FitTo(OrigRect.Width(), OrigRect.Height());
    return;
  }
  double factor = Screen().Width() == 800 ? 1.8 : 2.0;
  FitTo(Round(OrigRect.Width() * factor), Round(OrigRect.Height() * factor));
}

void TVideoFrm::CloseBtnClick(TObject*) { SetModalResult(mrOk); }

void TVideoFrm::KeyDown(Word& key, TShiftState shift)
{
  if (key == VK_ESCAPE) {
    key = 0;
    CloseBtnClick(CloseBtn);
    return;
  }
  TDialogForm::KeyDown(key, shift);
}
