// The one theme, "Default": the classic look drawn from system colours, following the
// system's flat-menu setting.
#pragma once

#include "toolbar/Themes.h"

class TTBXDefaultTheme : public TTBXTheme {
public:
  explicit TTBXDefaultTheme(const std::string& AName);
  ~TTBXDefaultTheme() override;
  void Dispatch(TMessage& Message) override;

  TPoint GetImageOffset(const TTBXItemInfo& ItemInfo) override;
  TColor GetItemColor(const TTBXItemInfo& ItemInfo) override;
  TColor GetItemTextColor(const TTBXItemInfo& ItemInfo) override;
  TColor GetItemImageBackground(const TTBXItemInfo& ItemInfo) override;
  void GetMargins(Integer MarginID, TTBXMargins& Margins) override;
  Integer GetPopupShadowType() override { return PST_WINDOWSXP; }
  void GetViewBorder(Integer ViewType, TPoint& Border) override;
  TColor GetViewColor(Integer ViewType) override;
  void GetViewMargins(Integer ViewType, TTBXMargins& Margins) override;
  void PaintBackgnd(TCanvas& Canvas, const TRect& ADockRect, const TRect& ARect, const TRect& AClipRect, TColor AColor,
                    bool Transparent, Integer AViewType) override;
  void PaintButton(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo) override;
  void PaintCaption(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo, const std::string& ACaption,
                    uint32_t AFormat, bool Rotated) override;
  void PaintCheckMark(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo) override;
  void PaintChevron(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo) override;
  void PaintEditFrame(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo,
                      const TTBXEditFrameInfo& EditFrameInfo) override;
  void PaintEditButton(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo,
                       const TTBXEditBtnInfo& ButtonInfo) override;
  void PaintDock(TCanvas& Canvas, const TRect& AClientRect, const TRect& ADockRect,
                 TTBDockPosition ADockPosition) override;
  void PaintDockPanelNCArea(TCanvas& Canvas, const TRect& R, const TTBXDockPanelInfo& DockPanelInfo) override;
  void PaintDropDownArrow(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo) override;
  void PaintFloatingBorder(TCanvas& Canvas, const TRect& ARect,
                           const TTBXFloatingWindowParentInfo& WindowInfo) override;
  void PaintFrame(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo) override;
  void PaintImage(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo, TCustomImageList* ImageList,
                  Integer ImageIndex) override;
  void PaintMDIButton(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo,
                      TTBXMDIButton ButtonKind) override;
  void PaintMenuItem(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo) override;
  void PaintMenuItemFrame(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo) override;
  void PaintPageScrollButton(TCanvas& Canvas, const TRect& ARect, Integer ButtonType, bool Hot) override;
  void PaintPopupNCArea(TCanvas& Canvas, const TRect& R, const TTBXPopupInfo& PopupInfo) override;
  void PaintSeparator(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo, bool Horizontal,
                      bool LineSeparator) override;
  void PaintToolbarNCArea(TCanvas& Canvas, const TRect& R, const TTBXToolbarInfo& ToolbarInfo) override;
  void PaintFrameControl(TCanvas& Canvas, const TRect& R, Integer Kind, Integer State, void* Params) override;
  void PaintStatusBar(TCanvas& Canvas, const TRect& R, Integer Part) override;
  Integer GetIntegerMetric(Integer Index) override;
  bool GetBooleanMetric(Integer Index) override;

  // Copies the toolbar fill colour into the cached colour.
  virtual void SetupColorCache();
  TColor CachedColor() const { return FToolbarColor; }

private:
  TColor FToolbarColor = clBtnFace;
};

// Registers "Default" once (the toolbar kit's start-up).
void RegisterTBXDefaultTheme();
