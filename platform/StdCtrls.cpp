#include "platform/StdCtrls.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

#include <algorithm>
#include <cctype>
#include <optional>
#include <vector>

#include "platform/Accessible.h"
#include "platform/BmpFile.h"
#include "platform/CanvasQt.h"
#include "platform/Files.h"
#include "platform/JpegImage.h"
#include "platform/SysUtils.h"

TColor EffectiveColor(const TControl& control)
{
  for (const TControl* c = &control; c; c = c->Parent())
    if (c->Color() != clNone)
      return c->Color();
  return clBtnFace;
}

namespace {

void PrepareText(TCanvas& c, const TControl& control, const TFont& font)
{
  c.Font().Assign(font);
  c.SetBkMode(TRANSPARENT);
  c.SetTextColor(control.Enabled() ? font.Color() : clGrayText);
}

// Draws a caption centred in r; disabled captions are etched as the classic look has them.
void DrawCaption(TCanvas& c, const TControl& control, const TFont& font, TRect r)
{
  PrepareText(c, control, font);
  const uint32_t format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
  if (!control.Enabled()) {
    TRect shifted{r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1};
    c.SetTextColor(clBtnHighlight);
    c.DrawText(control.Caption(), shifted, format);
    c.SetTextColor(clBtnShadow);
  }
  c.DrawText(control.Caption(), r, format);
}

}   // namespace

// ---------------------------------------------------------------------------------------
// TLabel

TLabel::TLabel()
{
  SetColor(clNone);
  SetBounds(0, 0, 65, 13);
  SetControlStyle(ControlStyle() & ~csCaptureMouse);
  Font().OnChange = [this](TFont*) {
    AdjustSize();
    Invalidate();
  };
}

void TLabel::SetCaption(const std::string& caption)
{
  const bool changed = caption != Caption();
  TGraphicControl::SetCaption(caption);
  AdjustSize();
  if (changed)
    NotifyAccessibleChange(this, TAccessibleChange::Name);
}

void TLabel::SetAutoSize(bool v)
{
  FAutoSize = v;
  AdjustSize();
}

uint32_t TLabel::TextFormat() const
{
  uint32_t f = FWordWrap ? uint32_t(DT_WORDBREAK) : 0u;
  if (FAlignment == taCenter)
    f |= DT_CENTER;
  else if (FAlignment == taRightJustify)
    f |= DT_RIGHT;
  return f | DT_EXPANDTABS;
}

void TLabel::AdjustSize()
{
  if (!FAutoSize)
    return;
  TCanvas& c = MeasuringCanvas(Font());
  TRect r{0, 0, FWordWrap ? Width() : 0, 0};
  // An empty caption still takes a line's height.
  c.DrawText(Caption().empty() ? std::string(" ") : Caption(), r, TextFormat() | DT_CALCRECT);
  SetBounds(Left(), Top(), FWordWrap ? Width() : r.Width(), r.Height());
}

void TLabel::EraseBackground(TCanvas& canvas) { canvas.FillRect(ClientRect(), EffectiveColor(*this)); }

void TLabel::Paint()
{
  TCanvas& c = Canvas();
  PrepareText(c, *this, Font());
  TRect r = ClientRect();
  c.DrawText(Caption(), r, TextFormat());
}

// ---------------------------------------------------------------------------------------
// TButton

TButton::TButton()
{
  // A double click is two clicks.
  SetControlStyle(ControlStyle() & ~csDoubleClicks);
  SetBounds(0, 0, 75, 25);
  SetColor(clBtnFace);
  // Tab reaches a dialog's buttons as it does its other controls.
  SetTabStop(true);
}

void TButton::DoEnter()
{
  Invalidate();
  TCustomControl::DoEnter();
}

void TButton::DoExit()
{
  Invalidate();
  TCustomControl::DoExit();
}

void TButton::Click()
{
  if (FModalResult != mrNone)
    if (auto* form = dynamic_cast<TDialogForm*>(GetParentForm()))
      form->SetModalResult(FModalResult);
  TCustomControl::Click();
}

void TButton::Paint()
{
  TCanvas& c = Canvas();
  TRect r = ClientRect();
  c.FillRect(r, clBtnFace);
  if (FDefault || Focused()) {
    c.Brush().SetColor(clBlack);
    c.FrameRect(r);
    r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
  }
  if (FPressed) {
    c.Brush().SetColor(clBtnShadow);
    c.FrameRect(r);
  } else {
    TRect e = r;
    c.DrawEdge(e, EDGE_RAISED, BF_RECT);
  }
  TRect text = r;
  if (FPressed)
    text = {r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1};
  DrawCaption(c, *this, Font(), text);
  // The focused button is told apart from the default one by the dotted rectangle.
  if (Focused()) {
    c.Brush().SetColor(clBtnFace);
    c.DrawFocusRect({r.Left + 3, r.Top + 3, r.Right - 3, r.Bottom - 3});
  }
}

void TButton::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y)
{
  if (button == mbLeft) {
    FTracking = true;
    FPressed = true;
    SetMouseCapture(true);
    Invalidate();
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TButton::MouseMove(TShiftState shift, Integer x, Integer y)
{
  if (FTracking) {
    bool inside = ClientRect().Contains({x, y});
    if (inside != FPressed) {
      FPressed = inside;
      Invalidate();
    }
  }
  TCustomControl::MouseMove(shift, x, y);
}

void TButton::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y)
{
  if (button == mbLeft && FTracking) {
    FTracking = false;
    FPressed = false;
    SetMouseCapture(false);
    Invalidate();
  }
  TCustomControl::MouseUp(button, shift, x, y);
}

void TButton::KeyDown(Word& key, TShiftState shift)
{
  if (key == VK_RETURN || key == VK_SPACE) {
    key = 0;
    Click();
    return;
  }
  // Escape and the dialog's Alt+letter keys are the form's.
  if (key == VK_ESCAPE || (shift & ssAlt))
    if (auto* form = GetParentForm())
      form->DispatchKeyDown(key, shift);
}

// ---------------------------------------------------------------------------------------
// TSpeedButton

TSpeedButton::TSpeedButton()
{
  SetBounds(0, 0, 23, 22);
  SetColor(clNone);
}

void TSpeedButton::SetDown(bool v)
{
  // Without a group a speed button cannot stay down.
  if (FGroupIndex == 0)
    v = false;
  if (v == FDown)
    return;
  FDown = v;
  Invalidate();
  NotifyAccessibleChange(this, TAccessibleChange::Checked);
  // Only one button of a group is down: the one going down lifts the others beside it.
  if (v && Parent())
    for (int i = 0; i < Parent()->ControlCount(); ++i)
      if (auto* other = dynamic_cast<TSpeedButton*>(Parent()->Controls(i));
          other && other != this && other->FGroupIndex == FGroupIndex)
        other->SetDown(false);
}

void TSpeedButton::Click()
{
  if (FGroupIndex != 0) {
    if (!FDown)
      SetDown(true);
    else if (FAllowAllUp)
      SetDown(false);
  }
  TGraphicControl::Click();
}

void TSpeedButton::EraseBackground(TCanvas& canvas) { canvas.FillRect(ClientRect(), EffectiveColor(*this)); }

void TSpeedButton::Paint()
{
  TCanvas& c = Canvas();
  TRect r = ClientRect();
  bool sunken = FPressed || FDown;
  if (!FFlat || (FHot && Enabled()) || sunken) {
    TRect e = r;
    if (FFlat)
      c.DrawEdge(e, sunken ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    else
      c.DrawEdge(e, sunken ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  }
  TRect text = sunken ? TRect{r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1} : r;
  DrawCaption(c, *this, Font(), text);
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y)
{
  if (button == mbLeft) {
    FPressed = true;
    Invalidate();
  }
  TGraphicControl::MouseDown(button, shift, x, y);
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y)
{
  if (button == mbLeft && FPressed) {
    FPressed = false;
    Invalidate();
  }
  TGraphicControl::MouseUp(button, shift, x, y);
}

void TSpeedButton::MouseEnter()
{
  FHot = true;
  Invalidate();
  TGraphicControl::MouseEnter();
}

void TSpeedButton::MouseLeave()
{
  FHot = false;
  Invalidate();
  TGraphicControl::MouseLeave();
}

// ---------------------------------------------------------------------------------------
// TImage

TImage::TImage()
{
  SetColor(clNone);
  SetBounds(0, 0, 105, 105);
}

void TImage::PictureChanged()
{
  if (FAutoSize && !FPicture.Empty())
    SetBounds(Left(), Top(), FPicture.Width(), FPicture.Height());
  Invalidate();
}

void TImage::SetPicture(const TBitmap& picture)
{
  FPicture = picture;
  PictureChanged();
}

void TImage::ClearPicture()
{
  FPicture = TBitmap();
  Invalidate();
}

void TImage::LoadFromFile(const std::string& fileName)
{
  std::vector<uint8_t> bytes = ReadFileBytes(fileName, TBitmap::MaxBytes);
  if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
    TBitmap b;
    DecodingFile(fileName, [&] { LoadBmpFromBytes(b, bytes); });
    SetPicture(b);
  } else if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8) {
    TJPEGImage jpeg;
    DecodingFile(fileName, [&] { jpeg.LoadFromBytes(bytes); });
    SetPicture(jpeg.Bitmap());
  } else {
    throw EInvalidGraphic("Unknown picture file extension (" + fileName + ")");
  }
}

void TImage::SetAutoSize(bool v)
{
  FAutoSize = v;
  PictureChanged();
}

void TImage::EraseBackground(TCanvas& canvas) { canvas.FillRect(ClientRect(), EffectiveColor(*this)); }

void TImage::Paint()
{
  if (FPicture.Empty())
    return;
  TCanvas& c = Canvas();
  TRect r = ClientRect();
  if (FStretch) {
    c.StretchDraw(r, FPicture);
  } else if (FCenter) {
    c.Draw((r.Width() - FPicture.Width()) / 2, (r.Height() - FPicture.Height()) / 2, FPicture);
  } else {
    c.Draw(0, 0, FPicture);
  }
}

// ---------------------------------------------------------------------------------------
// TPaintBox

TPaintBox::TPaintBox()
{
  SetColor(clNone);
  SetBounds(0, 0, 105, 105);
}

void TPaintBox::EraseBackground(TCanvas& canvas) { canvas.FillRect(ClientRect(), EffectiveColor(*this)); }

void TPaintBox::Paint()
{
  if (OnPaint)
    OnPaint(this);
}

// ---------------------------------------------------------------------------------------
// TPanel

TPanel::TPanel()
{
  SetBounds(0, 0, 185, 41);
  SetColor(clBtnFace);
}

TRect TPanel::InnerRect() const
{
  TRect r = ClientRect();
  Integer inset = FBorderWidth;
  if (FBevelOuter != bvNone)
    inset += FBevelWidth;
  if (FBevelInner != bvNone)
    inset += FBevelWidth;
  return {r.Left + inset, r.Top + inset, std::max(r.Left + inset, r.Right - inset),
          std::max(r.Top + inset, r.Bottom - inset)};
}

void TPanel::AlignControls(TRect& rect)
{
  rect = InnerRect();
  TCustomControl::AlignControls(rect);
}

void TPanel::Paint()
{
  TCanvas& c = Canvas();
  TRect r = ClientRect();
  auto bevel = [&](TPanelBevel b) {
    if (b == bvNone)
      return;
    for (Integer i = 0; i < FBevelWidth; ++i)
      c.DrawEdge(r, b == bvLowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
  };
  bevel(FBevelOuter);
  r = {r.Left + FBorderWidth, r.Top + FBorderWidth, r.Right - FBorderWidth, r.Bottom - FBorderWidth};
  bevel(FBevelInner);
  if (!Caption().empty()) {
    PrepareText(c, *this, Font());
    uint32_t f = DT_VCENTER | DT_SINGLELINE;
    f |= FAlignment == taCenter ? DT_CENTER : FAlignment == taRightJustify ? DT_RIGHT : DT_LEFT;
    c.DrawText(Caption(), r, f);
  }
}

// ---------------------------------------------------------------------------------------
// TDialogForm

namespace {

// The window manager's close button closes the toolkit window behind our back; while a
// form is shown modally its close request is turned into the form's own Close, so the
// modal loop sees it.
class TModalCloseFilter : public QObject {
public:
  explicit TModalCloseFilter(const std::vector<TDialogForm*>& forms) : FForms(forms) {}

protected:
  bool eventFilter(QObject* watched, QEvent* event) override
  {
    if (event->type() != QEvent::Close || !watched->isWidgetType())
      return false;
    auto* w = static_cast<QWidget*>(watched);
    if (!w->isWindow())
      return false;
    for (TDialogForm* f : FForms) {
      TPoint o = f->ClientToScreen({0, 0});
      if (w->geometry() == QRect(o.X, o.Y, f->Width(), f->Height())) {
        event->ignore();
        f->Close();
        return true;
      }
    }
    return false;
  }

private:
  const std::vector<TDialogForm*>& FForms;
};

// The forms shown modally now, the innermost last, and the filter that hears their close
// requests; the application holds them.
struct TModalForms : TApplicationState {
  std::vector<TDialogForm*> Forms;
  std::unique_ptr<TModalCloseFilter> Filter;
};

TModalForms* ModalForms() { return ApplicationState<TModalForms>(); }

void EnsureModalCloseFilter(TModalForms& modal)
{
  if (modal.Filter || !QCoreApplication::instance())
    return;
  modal.Filter = std::make_unique<TModalCloseFilter>(modal.Forms);
  QCoreApplication::instance()->installEventFilter(modal.Filter.get());
}

void RemoveModalForm(TDialogForm* form)
{
  if (TModalForms* modal = FoundApplicationState<TModalForms>())
    modal->Forms.erase(std::remove(modal->Forms.begin(), modal->Forms.end(), form), modal->Forms.end());
}

// Whether c and every parent of it show and take input.
bool CanTakeFocusNow(TControl* c)
{
  for (; c; c = c->Parent())
    if (!c->Visible() || !c->Enabled())
      return false;
  return true;
}

TButton* FindButton(TWinControl* parent, bool wantDefault)
{
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (auto* b = dynamic_cast<TButton*>(c))
      if (b->Visible() && b->Enabled() && (wantDefault ? b->Default() : b->Cancel()))
        return b;
    if (auto* wc = dynamic_cast<TWinControl*>(c))
      if (TButton* b = FindButton(wc, wantDefault))
        return b;
  }
  return nullptr;
}

// The shown, enabled button whose caption marks key as its access key ("&Cancel": C).
TButton* FindAccessButton(TWinControl* parent, Word key)
{
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (auto* b = dynamic_cast<TButton*>(c))
      if (std::toupper(static_cast<unsigned char>(FindAccelChar(b->Caption()))) == key && b->Visible() && b->Enabled())
        return b;
    if (auto* wc = dynamic_cast<TWinControl*>(c))
      if (TButton* b = FindAccessButton(wc, key))
        return b;
  }
  return nullptr;
}

}   // namespace

TDialogForm::TDialogForm() = default;

TDialogForm::~TDialogForm() { RemoveModalForm(this); }

void TDialogForm::CenterOn(const TRect& area)
{
  SetBounds(area.Left + (area.Width() - Width()) / 2, area.Top + (area.Height() - Height()) / 2, Width(), Height());
}

void TDialogForm::PlaceByPosition()
{
  switch (FPosition) {
  case poScreenCenter: CenterOn(Screen().WorkAreaRect()); break;
  case poDesktopCenter: CenterOn(Screen().MonitorFromWindow(*this).Bounds); break;
  case poMainFormCenter:
  case poOwnerFormCenter: {
    TCustomForm* main = nullptr;
    if (FPosition == poOwnerFormCenter)
      main = dynamic_cast<TCustomForm*>(Owner());
    if (!main && Screen().FormCount() > 0 && Screen().Forms(0) != this)
      main = Screen().Forms(0);
    if (main && main->Visible())
      CenterOn(main->BoundsRect());
    else
      CenterOn(Screen().WorkAreaRect());
    break;
  }
  default: break;
  }
}

void TDialogForm::WindowShowing()
{
  TForm::WindowShowing();
  PlaceByPosition();
}

TCustomForm* TDialogForm::OwnerWindow() const
{
  TCustomForm* owner = TForm::OwnerWindow();
  return owner || !FModal ? owner : ActiveOpener();
}

void TDialogForm::KeyDown(Word& key, TShiftState shift)
{
  if (key == VK_RETURN || key == VK_ESCAPE) {
    if (TButton* b = FindButton(this, key == VK_RETURN)) {
      key = 0;
      b->Click();
      return;
    }
  }
  // Alt and a button's access key press it.
  const bool letter = (key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9');
  if (letter && (shift & ssAlt) && !(shift & ssCtrl))
    if (TButton* b = FindAccessButton(this, key)) {
      key = 0;
      b->Click();
      return;
    }
  TForm::KeyDown(key, shift);
}

TModalResult TDialogForm::ShowModal()
{
  if (FModal || Visible())
    throw EComponentError("Cannot make a visible window modal");
  TModalForms* modal = ModalForms();
  if (modal)
    EnsureModalCloseFilter(*modal);
  // The window that had the keyboard gets it back when this one goes; every other shown
  // window waits while this one is up, and has its keyboard control back after.
  TCustomForm* previous = Screen().ActiveForm();
  std::optional<TWindowsDisabled> disabled(std::in_place, this);
  FModalResult = mrNone;
  FModal = true;
  if (modal)
    modal->Forms.push_back(this);
  struct TRestore {
    TDialogForm* Form;
    std::optional<TWindowsDisabled>& Disabled;
    TCustomForm* Previous;
    ~TRestore()
    {
      RemoveModalForm(Form);
      Form->FModal = false;
      Form->SetShownModally(false);
      const bool waited = Disabled->Holds(Previous);
      Disabled.reset();
      if (waited && Screen().HasForm(Previous) && Previous->Visible())
        Previous->Activate();
    }
  } restore{this, disabled, previous};
  SetShownModally(true);
  Show();
  // The modal window takes the keyboard, as the system's modal showing does, even when it
  // has no button to focus (an About box with a speed button, a picture, a clip): its keys
  // would otherwise go to the window that was active, which is disabled now.
  Activate();
  if (FActiveControl && CanTakeFocusNow(FActiveControl))
    FActiveControl->SetFocus();
  else if (TButton* b = FindButton(this, true))
    b->SetFocus();
  RunNestedLoop([this] { return FModalResult != mrNone || !Visible(); });
  if (FModalResult == mrNone)
    FModalResult = mrCancel;
  Hide();
  return FModalResult;
}
