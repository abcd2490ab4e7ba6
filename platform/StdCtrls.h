// Standard controls of the program's small windows, drawn in the classic look on our own
// canvas: label, push button, flat speed button, image, paint box and panel; and
// TDialogForm, a form that can be shown modally and ends with a modal result.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/Controls.h"
#include "platform/Forms.h"
#include "platform/Graphics.h"

// Modal results.
using TModalResult = Integer;
constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7,
                       mrAll = 8;

enum class TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };
using enum TAlignment;
enum class TPanelBevel : uint8_t { bvNone, bvLowered, bvRaised };
using enum TPanelBevel;
enum class TPosition : uint8_t { poDesigned, poScreenCenter, poDesktopCenter, poMainFormCenter, poOwnerFormCenter };
using enum TPosition;

// Graphic controls whose Color is clNone take their parent's colour, as the classic
// transparent ones look.
TColor EffectiveColor(const TControl& control);

// ---------------------------------------------------------------------------------------

class TLabel : public TGraphicControl {
public:
  TLabel();
  void SetCaption(const std::string& caption) override;
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool v);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment a)
  {
    FAlignment = a;
    Invalidate();
  }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool v)
  {
    FWordWrap = v;
    AdjustSize();
    Invalidate();
  }
  // Sizes the label to its text (AutoSize does it on every caption or font change).
  void AdjustSize();

protected:
  void Paint() override;
  void EraseBackground(TCanvas& canvas) override;

private:
  uint32_t TextFormat() const;
  bool FAutoSize = true;
  bool FWordWrap = false;
  TAlignment FAlignment = taLeftJustify;
};

class TButton : public TCustomControl {
public:
  TButton();
  // The default button is framed and answers Enter in its form; the cancel button Escape.
  bool Default() const { return FDefault; }
  void SetDefault(bool v)
  {
    FDefault = v;
    Invalidate();
  }
  bool Cancel() const { return FCancel; }
  void SetCancel(bool v) { FCancel = v; }
  // Given to the form when clicked, which ends a modal showing.
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult r) { FModalResult = r; }
  bool Pressed() const { return FPressed; }
  void Click() override;

protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void MouseMove(TShiftState shift, Integer x, Integer y) override;
  void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void KeyDown(Word& key, TShiftState shift) override;
  // The focus rectangle comes and goes with the focus.
  void DoEnter() override;
  void DoExit() override;

private:
  bool FDefault = false;
  bool FCancel = false;
  bool FPressed = false;
  bool FTracking = false;
  TModalResult FModalResult = mrNone;
};

// A flat or raised button without focus; with a GroupIndex it stays down when clicked
// (AllowAllUp lets a second click raise it again).
class TSpeedButton : public TGraphicControl {
public:
  TSpeedButton();
  bool Flat() const { return FFlat; }
  void SetFlat(bool v)
  {
    FFlat = v;
    Invalidate();
  }
  Integer GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(Integer g) { FGroupIndex = g; }
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool v) { FAllowAllUp = v; }
  bool Down() const { return FDown; }
  void SetDown(bool v);
  void Click() override;

protected:
  void Paint() override;
  void EraseBackground(TCanvas& canvas) override;
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void EnabledChanged() override { Invalidate(); }

private:
  bool FFlat = false;
  Integer FGroupIndex = 0;
  bool FAllowAllUp = false;
  bool FDown = false;
  bool FPressed = false;
  bool FHot = false;
};

class TImage : public TGraphicControl {
public:
  TImage();
  // The picture shown (empty: nothing).
  const TBitmap& Picture() const { return FPicture; }
  void SetPicture(const TBitmap& picture);
  void ClearPicture();
  // Loads a BMP or JPEG file (by its first bytes); EInvalidGraphic when it is neither.
  void LoadFromFile(const std::string& fileName);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool v);
  bool Stretch() const { return FStretch; }
  void SetStretch(bool v)
  {
    FStretch = v;
    Invalidate();
  }
  bool Center() const { return FCenter; }
  void SetCenter(bool v)
  {
    FCenter = v;
    Invalidate();
  }

protected:
  void Paint() override;
  void EraseBackground(TCanvas& canvas) override;

private:
  void PictureChanged();
  TBitmap FPicture;
  bool FAutoSize = false;
  bool FStretch = false;
  bool FCenter = false;
};

class TPaintBox : public TGraphicControl {
public:
  TPaintBox();
  // Paints the box; Canvas is valid while it runs.
  TNotifyEvent OnPaint;

protected:
  void Paint() override;
  void EraseBackground(TCanvas& canvas) override;
};

class TPanel : public TCustomControl {
public:
  TPanel();
  TPanelBevel BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TPanelBevel b)
  {
    FBevelOuter = b;
    Realign();
    Invalidate();
  }
  TPanelBevel BevelInner() const { return FBevelInner; }
  void SetBevelInner(TPanelBevel b)
  {
    FBevelInner = b;
    Realign();
    Invalidate();
  }
  Integer BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(Integer w)
  {
    FBevelWidth = w < 1 ? 1 : w;
    Realign();
    Invalidate();
  }
  Integer BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(Integer w)
  {
    FBorderWidth = w < 0 ? 0 : w;
    Realign();
    Invalidate();
  }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment a)
  {
    FAlignment = a;
    Invalidate();
  }
  // The client area less the bevels and the border: where aligned children go.
  TRect InnerRect() const;

protected:
  void Paint() override;
  void AlignControls(TRect& rect) override;

private:
  TPanelBevel FBevelOuter = bvRaised;
  TPanelBevel FBevelInner = bvNone;
  Integer FBevelWidth = 1;
  Integer FBorderWidth = 0;
  TAlignment FAlignment = taCenter;
};

// ---------------------------------------------------------------------------------------

class TDialogForm : public TForm {
public:
  TDialogForm();
  ~TDialogForm() override;

  TModalResult ModalResult() const { return FModalResult; }
  // Setting a result other than mrNone ends a modal showing.
  void SetModalResult(TModalResult r) { FModalResult = r; }
  // Shows the form, keeps the program's other windows disabled and runs a message loop
  // until a modal result is set or the form closes (mrCancel then); gives the result.
  TModalResult ShowModal();
  bool Modal() const { return FModal; }
  // The control that takes the keyboard when the form is shown modally; without one, the
  // default button does.
  TWinControl* ActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl* c) { FActiveControl = c; }

  TPosition Position() const { return FPosition; }
  // Where the form goes when it is shown (centred on the screen's work area, the desktop,
  // or the main form, which is the first form created).
  void SetPosition(TPosition p) { FPosition = p; }
  // Places the form's window centred on the area.
  void CenterOn(const TRect& area);

  // Shown modally, it belongs to the window that opened it (the one active then) unless
  // an owner says otherwise.
  TCustomForm* OwnerWindow() const override;

protected:
  void WindowShowing() override;
  void KeyDown(Word& key, TShiftState shift) override;

private:
  void PlaceByPosition();
  TModalResult FModalResult = mrNone;
  TPosition FPosition = poDesigned;
  bool FModal = false;
  TWinControl* FActiveControl = nullptr;
};

// ---------------------------------------------------------------------------------------

// The one-line text box lives with the other input controls.
#include "platform/FormCtrls.h"
