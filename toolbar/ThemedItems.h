// The themed layer that the program's windows place: toolbars, buttons, submenus and
// separators whose painting and most of whose sizing go through the current theme; themed
// popups; per-item font settings, glyph layout and minimum sizes; the colour a toolbar
// takes from its parent; and the nexus that tells every themed control of theme changes.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolbar/Toolbars.h"
#include "toolbar/Themes.h"
#include "toolbar/ThemeUtils.h"

class TTBXCustomItem;
class TTBXItemViewer;

// Sent to the child controls of a toolbar whose colour changed: WParam 1, LParam the colour.
constexpr Cardinal CM_PARENTCOLORCHANGED = 0xB009;

enum class TTriState : uint8_t { tsDefault, tsTrue, tsFalse };
using enum TTriState;

// Per-item overrides of the inherited font.
class TFontSettings : public TObject {
public:
  explicit TFontSettings(std::function<void()> OnChange = {}) : FOnChange(std::move(OnChange)) {}
  TTriState Bold() const { return FBold; }
  void SetBold(TTriState v) { Set(FBold, v); }
  TTriState Italic() const { return FItalic; }
  void SetItalic(TTriState v) { Set(FItalic, v); }
  TTriState Underline() const { return FUnderline; }
  void SetUnderline(TTriState v) { Set(FUnderline, v); }
  TTriState StrikeOut() const { return FStrikeOut; }
  void SetStrikeOut(TTriState v) { Set(FStrikeOut, v); }
  // A percentage of the inherited size.
  int16_t Size() const { return FSize; }
  void SetSize(int16_t v) { Set(FSize, v); }
  TColor Color() const { return FColor; }
  void SetColor(TColor v) { Set(FColor, v); }
  const std::string& Name() const { return FName; }
  void SetName(const std::string& v) { Set(FName, v); }
  // Copies all seven values, telling the owner once.
  void Assign(const TFontSettings& Source);
  // Applies the overrides to Font.
  void Apply(TFont& Font) const;

private:
  template <class T>
  void Set(T& Field, const T& Value)
  {
    if (Field == Value)
      return;
    Field = Value;
    if (FOnChange)
      FOnChange();
  }
  TTriState FBold = tsDefault, FItalic = tsDefault, FUnderline = tsDefault, FStrikeOut = tsDefault;
  int16_t FSize = 100;
  TColor FColor = clNone;
  std::string FName;
  std::function<void()> FOnChange;
};

enum class TTBXItemLayout : uint8_t { tbxlAuto, tbxlGlyphLeft, tbxlGlyphTop };
using enum TTBXItemLayout;
enum class TTBXItemTransparency : uint8_t { itAuto, itEnable, itDisable };
using enum TTBXItemTransparency;

// OnDrawImage state flags (also those of PaintThemedImage).
enum : Integer { ISF_DISABLED = 1, ISF_HOT = 2, ISF_PUSHED = 4, ISF_SELECTED = 8 };

using TAdjustFontEvent =
    std::function<void(TTBCustomItem* Item, TTBXItemViewer* Viewer, TFont& Font, Integer StateFlags)>;
using TDrawImageEvent = std::function<void(TTBCustomItem* Item, TTBXItemViewer* Viewer, TCanvas& Canvas,
                                           TRect ImageRect, TPoint ImageOffset, Integer StateFlags)>;

// ---------------------------------------------------------------------------------------
// Items

class TTBXCustomItem : public TTBCustomItem {
public:
  TTBXCustomItem();
  TFontSettings& FontSettings() { return *FFontSettings; }
  TTBXItemLayout Layout() const { return FLayout; }
  void SetLayout(TTBXItemLayout Value);
  Integer MinHeight() const { return FMinHeight; }
  void SetMinHeight(Integer Value);
  Integer MinWidth() const { return FMinWidth; }
  void SetMinWidth(Integer Value);
  bool Stretch() const { return (ItemStyle() & tbisStretch) != 0; }
  void SetStretch(bool Value);
  bool AlwaysSelectFirst() const { return FAlwaysSelectFirst; }
  void SetAlwaysSelectFirst(bool Value) { FAlwaysSelectFirst = Value; }
  bool ToolBoxPopup() const { return FToolBoxPopup; }
  void SetToolBoxPopup(bool Value) { FToolBoxPopup = Value; }
  TAdjustFontEvent OnAdjustFont;
  TDrawImageEvent OnDrawImage;

  TTBPopupWindow* CreatePopup(TTBView* ParentView, TTBItemViewer* ParentViewer, bool PositionAsSubmenu,
                              bool SelectFirstItem, bool Customizing, TPoint PopupPoint,
                              TTBPopupAlignment Alignment) override;
  std::unique_ptr<TTBItemViewer> CreateViewer(TTBView* AView, Integer AGroupLevel) override;
  const void* GetItemViewerClass(TTBView*) const override;
  std::unique_ptr<TTBPopupWindow> CreatePopupWindow(TTBView* ParentView, TTBCustomItem* ItemToShow,
                                                    bool Customizing) override;

private:
  std::unique_ptr<TFontSettings> FFontSettings;
  TTBXItemLayout FLayout = tbxlAuto;
  Integer FMinHeight = 0, FMinWidth = 0;
  bool FAlwaysSelectFirst = false;
  bool FToolBoxPopup = false;
};

class TTBXItem : public TTBXCustomItem {};

class TTBXSubmenuItem : public TTBXCustomItem {
public:
  TTBXSubmenuItem();
  bool DropdownCombo() const { return (ItemStyle() & tbisSplitDropdown) != 0; }
  void SetDropdownCombo(bool Value);
};

class TTBXSeparatorItem : public TTBSeparatorItem {
public:
  // -1: the theme decides.
  Integer Size() const { return FSize; }
  void SetSize(Integer Value);
  std::unique_ptr<TTBItemViewer> CreateViewer(TTBView* AView, Integer AGroupLevel) override;
  const void* GetItemViewerClass(TTBView*) const override;

private:
  Integer FSize = -1;
};

// ---------------------------------------------------------------------------------------
// Viewers

class TTBXItemViewer : public TTBItemViewer {
public:
  TTBXItemViewer(TTBView* AView, TTBCustomItem* AItem, Integer AGroupLevel);
  void CalcSize(TCanvas& Canvas, Integer& AWidth, Integer& AHeight) override;
  Integer GetAccRole() override;
  bool IsToolbarSize() override;
  bool IsToolbarStyle() override;
  bool IsPtInButtonPart(Integer X, Integer Y) override;
  void Paint(TCanvas& Canvas, const TRect& ClientAreaRect, bool IsSelected, bool IsPushed,
             bool UseDisabledShadow) override;
  const void* ViewerClass() const override;

  // Called before a caption is painted; clearing PaintDefault leaves the caption undrawn.
  virtual void CaptionPaintHook(TCanvas& Canvas, const TRect& ClientAreaRect, bool& PaintDefault, bool Rotated,
                                const TRect& CaptionRect)
  {}
  // 1 in toolbar style, 2 in menus.
  Integer GetItemKind() { return IsToolbarStyle() ? 1 : 2; }
  virtual void DrawImage(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo);
  virtual void AdjustFont(TFont& Font, const TTBXItemInfo& ItemInfo);
  bool GetImageShown();
  TSize GetImageSize();
  uint32_t GetTextFlags();
  TSize GetTextSize(TCanvas& Canvas, const std::string& Text, uint32_t TextFlags, bool Rotated);
  // The layout in effect, and whether the caption runs top to bottom.
  TTBXItemLayout EffectiveLayout();
  bool CaptionRotated();
  // The width of a popup's image column.
  Integer PopupMargin(TCanvas& Canvas);
  bool ImageGap() const { return FImageGap; }

protected:
  // The record the theme is given (ComboPart left plain).
  TTBXItemInfo MakeItemInfo(TCanvas& Canvas, bool IsSelected, bool IsPushed);

private:
  // Paint's steps (ThemedItems.cpp): what every step reads and places, then the button or
  // the menu item, the caption and shortcut, and the image or check mark.
  struct TPaintParts;
  void PaintButtonFrame(TCanvas& Canvas, TPaintParts& P);
  void PaintMenuItemFrame(TCanvas& Canvas, TPaintParts& P);
  void PaintCaptions(TCanvas& Canvas, TPaintParts& P);
  void PaintImageOrCheck(TCanvas& Canvas, TPaintParts& P);

  bool FImageGap = true;
};

class TTBXSeparatorItemViewer : public TTBSeparatorItemViewer {
public:
  using TTBSeparatorItemViewer::TTBSeparatorItemViewer;
  void CalcSize(TCanvas& Canvas, Integer& AWidth, Integer& AHeight) override;
  bool IsToolbarSize() override;
  bool IsToolbarStyle() override;
  void Paint(TCanvas& Canvas, const TRect& ClientAreaRect, bool IsSelected, bool IsPushed,
             bool UseDisabledShadow) override;
  const void* ViewerClass() const override;
};

// ---------------------------------------------------------------------------------------
// Popups

class TTBXPopupWindow : public TTBPopupWindow {
public:
  using TTBPopupWindow::TTBPopupWindow;
  ~TTBXPopupWindow() override;
  TPoint GetNCSize() const override;
  void WndProc(TMessage& Message) override;
  void SetBounds(Integer left, Integer top, Integer width, Integer height) override;
  virtual Integer ViewType() const;
  virtual bool ShadowWanted() const;
  void CreateShadow();
  void DestroyShadow();
  TShadows* Shadows() const { return FShadows.get(); }

protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void PaintNonClient(TCanvas& Canvas) override;

private:
  TRect ParentItemScreenRect() const;
  std::unique_ptr<TShadows> FShadows;
};

class TTBXChevronPopupWindow : public TTBXPopupWindow {
public:
  using TTBXPopupWindow::TTBXPopupWindow;
  Integer ViewType() const override { return PVT_CHEVRONMENU; }
};

// ---------------------------------------------------------------------------------------
// Chevron

class TTBXChevronItem : public TTBChevronItem {
public:
  using TTBChevronItem::TTBChevronItem;
  std::unique_ptr<TTBItemViewer> CreateViewer(TTBView* AView, Integer AGroupLevel) override;
  const void* GetItemViewerClass(TTBView*) const override;
  std::unique_ptr<TTBPopupWindow> CreatePopupWindow(TTBView* ParentView, TTBCustomItem* ItemToShow,
                                                    bool Customizing) override;
};

class TTBXChevronItemViewer : public TTBItemViewer {
public:
  using TTBItemViewer::TTBItemViewer;
  void Paint(TCanvas& Canvas, const TRect& ClientAreaRect, bool IsSelected, bool IsPushed,
             bool UseDisabledShadow) override;
  const void* ViewerClass() const override;
};

// ---------------------------------------------------------------------------------------
// Toolbar

class TTBXToolbar;

class TTBXToolbarView : public TTBToolbarView {
public:
  using TTBToolbarView::TTBToolbarView;
  void GetMargins(TTBViewOrientation AOrientation, TTBMargins& Margins) override;
};

class TTBXFloatingWindowParent : public TTBFloatingWindowParent {
public:
  using TTBFloatingWindowParent::TTBFloatingWindowParent;
  Integer SnapDistance() const { return FSnapDistance; }
  void SetSnapDistance(Integer Value) { FSnapDistance = std::max(0, Value); }
  void SetBounds(Integer left, Integer top, Integer width, Integer height) override;

protected:
  void PaintNonClient(TCanvas& Canvas) override;

private:
  Integer FSnapDistance = 0;
};

class TTBXToolbar : public TTBCustomToolbar {
public:
  TTBXToolbar();
  ~TTBXToolbar() override;

  TTBXItemTransparency ItemTransparency() const { return FItemTransparency; }
  void SetItemTransparency(TTBXItemTransparency Value);
  Integer SnapDistance() const { return FSnapDistance; }
  void SetSnapDistance(Integer Value);
  // The colour the toolbar paints with (its own, its parent's, or the theme's).
  TColor EffectiveColor();
  Integer ViewType() const;
  void SetColor(TColor c) override;
  void SetParent(TWinControl* parent) override;
  void WndProc(TMessage& Message) override;

  std::unique_ptr<TTBFloatingWindowParent> CreateFloatingWindowParent() override;
  void DrawNCArea(TCanvas& Canvas, const TRect& R) override;

protected:
  void EraseBackground(TCanvas& Canvas) override;
  void ControlInserted(TControl* Control) override;

private:
  void UpdateEffectiveColor();
  void BroadcastParentColor();

  TTBXItemTransparency FItemTransparency = itAuto;
  Integer FSnapDistance = 0;
  TColor FEffectiveColor = clBtnFace;
  bool FThemeUpdating = false;
};

// ---------------------------------------------------------------------------------------
// Nexus and shared helpers

// Holds the current theme and hands every theme notification on to the registered
// controls as TBXM_THEMEUPDATE.
class TTBXNexus : public TObject {
public:
  explicit TTBXNexus(const std::string& ThemeName);
  ~TTBXNexus() override;
  TTBXTheme* Theme() const { return FTheme; }
  void AddThemeNotification(TControl* AControl);
  void RemoveThemeNotification(TControl* AControl);
  Integer NotificationCount() const { return static_cast<Integer>(FControls.size()); }

private:
  void Notify(TMessage& Message);
  TTBXTheme* FTheme = nullptr;
  std::vector<TControl*> FControls;
};

// The nexus, made on first use with the theme "Default".
TTBXNexus& TBXNexus();
TTBXTheme* CurrentTheme();

// The view type a window answers (0 when it does not).
Integer GetViewType(TControl* Control);
Integer GetViewType(TTBView* View);
// The colour a control paints with: its answer to the effective-colour query, clBtnFace
// for none or for an MDI frame form, else its Color.
TColor GetEffectiveColor(TControl* Control);
// The width of a popup's image column for an image of the size, a text line of TextHeight
// and the theme's vertical item margin.
Integer TBXPopupMargin(Integer ImageWidth, Integer ImageHeight, Integer TextHeight, Integer VMargin);
// A toolbar-style image through the theme; Flags are ISF_ bits.
void PaintThemedImage(TCanvas& Canvas, const TRect& ARect, TCustomImageList* ImageList, Integer ImageIndex,
                      Integer Flags);
