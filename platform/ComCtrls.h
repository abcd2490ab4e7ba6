// Common controls beyond the standard ones, drawn in the classic look: the horizontal track
// bar (a sunken channel, a thumb pointing down at its tick marks), the up-down arrow pair,
// the page control whose pages show one at a time without tabs, and the status bar.
#pragma once

#include <memory>
#include <string>

#include "platform/Application.h"
#include "platform/Controls.h"

class TTrackBar : public TCustomControl {
public:
  TTrackBar();

  Integer Min() const { return FMin; }
  Integer Max() const { return FMax; }
  Integer Position() const { return FPosition; }
  // Setting the range keeps Min <= Max (the other end follows) and the position inside it.
  void SetMin(Integer v);
  void SetMax(Integer v);
  void SetRange(Integer min, Integer max);
  // Clamped to the range. Setting from code does not fire OnChange.
  void SetPosition(Integer v);
  // A tick mark every Frequency positions from Min, and one at Max.
  Integer Frequency() const { return FFrequency; }
  void SetFrequency(Integer v);
  // Steps of the arrow keys and of Page Up and Page Down (and of a click beside the thumb).
  Integer LineSize() const { return FLineSize; }
  void SetLineSize(Integer v) { FLineSize = v < 1 ? 1 : v; }
  Integer PageSize() const { return FPageSize; }
  void SetPageSize(Integer v) { FPageSize = v < 1 ? 1 : v; }

  // The user moved the thumb.
  TNotifyEvent OnChange;

  // Geometry, in client coordinates: the channel the thumb runs in, the thumb at a
  // position, and the x of a position's tick.
  TRect ChannelRect() const;
  TRect ThumbRect() const;
  Integer PositionToX(Integer position) const;
  // The position nearest to x.
  Integer XToPosition(Integer x) const;

protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void MouseMove(TShiftState shift, Integer x, Integer y) override;
  void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void KeyDown(Word& key, TShiftState shift) override;
  void DoEnter() override
  {
    Invalidate();
    TCustomControl::DoEnter();
  }
  void DoExit() override
  {
    Invalidate();
    TCustomControl::DoExit();
  }

private:
  // A change by the user: clamps, repaints and tells OnChange when the position moved.
  void UserSetPosition(Integer v);
  Integer FMin = 0;
  Integer FMax = 10;
  Integer FPosition = 0;
  Integer FFrequency = 1;
  Integer FLineSize = 1;
  Integer FPageSize = 2;
  bool FDragging = false;
  Integer FDragOffset = 0;
};

// ---------------------------------------------------------------------------------------

enum class TUDBtnType : uint8_t { btNext, btPrev };
using enum TUDBtnType;
using TUDClickEvent = std::function<void(TObject* Sender, TUDBtnType Button)>;

class TEdit;

// Two arrow buttons, up above down, that step Position between Min and Max. A press steps
// once, and again every 100 ms while held after a 400 ms pause; with the focus, the Up and
// Down keys step it too. The associated control's caption shows the position. An associated
// edit also takes a typed number, confirmed with Enter or by leaving it: clamped to the
// range, it becomes the position as a step would (OnClick follows a change); text that is
// no number gives way to the position again.
class TUpDown : public TCustomControl {
public:
  TUpDown();
  ~TUpDown() override;
  Integer Min() const { return FMin; }
  Integer Max() const { return FMax; }
  Integer Position() const { return FPosition; }
  Integer Increment() const { return FIncrement; }
  void SetIncrement(Integer v) { FIncrement = v < 1 ? 1 : v; }
  // Keeps Min <= Max (the other end follows) and the position inside.
  void SetMin(Integer v);
  void SetMax(Integer v);
  // Clamped to the range; from code, no event fires.
  void SetPosition(Integer v);
  TControl* Associate() const { return FAssociate; }
  void SetAssociate(TControl* c);
  // The user stepped the position (it changed).
  TUDClickEvent OnClick;
  // A step as the user's press makes it: the position moves by Increment and OnClick
  // follows when it changed.
  void Step(TUDBtnType Button);
  // What the user typed into the associated edit, taken as described above.
  void TakeTypedPosition();
  // Which button a point of the client area lies on.
  TUDBtnType ButtonAt(Integer y) const { return y < Height() / 2 ? btNext : btPrev; }

protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void KeyDown(Word& key, TShiftState shift) override;
  void DoEnter() override
  {
    Invalidate();
    TCustomControl::DoEnter();
  }
  void DoExit() override
  {
    Invalidate();
    TCustomControl::DoExit();
  }
  void EnabledChanged() override { Invalidate(); }
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void UpdateAssociate();
  void StopRepeat();
  // Listens to an associated edit's Enter key and exit, and gives its own handlers back.
  void HookEdit();
  void UnhookEdit();
  Integer FMin = 0, FMax = 100, FPosition = 0, FIncrement = 1;
  TControl* FAssociate = nullptr;
  TEdit* FEdit = nullptr;   // the associate, when it is an edit
  TKeyEvent FEditKeyDown;   // the edit's own handlers, called first
  TNotifyEvent FEditExit;
  bool FHeld = false;
  TUDBtnType FHeldButton = btNext;
  std::unique_ptr<TTimer> FRepeat;
};

// ---------------------------------------------------------------------------------------

class TPageControl;

// A page of a page control: a plain container that fills it while it is the active page.
class TTabSheet : public TCustomControl {
public:
  TTabSheet();
  ~TTabSheet() override;
  TPageControl* PageControl() const { return FPageControl; }
  void SetPageControl(TPageControl* p);
  Integer PageIndex() const;

private:
  friend class TPageControl;
  TPageControl* FPageControl = nullptr;
};

// Pages that show one at a time, with no tabs: the program picks the page.
class TPageControl : public TCustomControl {
public:
  TPageControl();
  ~TPageControl() override;
  Integer PageCount() const { return static_cast<Integer>(FPages.size()); }
  TTabSheet* Pages(Integer i) const { return FPages.at(static_cast<size_t>(i)); }
  TTabSheet* ActivePage() const { return FActive; }
  // Shows the page and hides the others; nullptr or a foreign page shows none.
  void SetActivePage(TTabSheet* page);
  Integer ActivePageIndex() const;

private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* page);
  void RemovePage(TTabSheet* page);
  std::vector<TTabSheet*> FPages;
  TTabSheet* FActive = nullptr;
};

// ---------------------------------------------------------------------------------------

// The status line at the bottom of a window; in simple mode it shows one text.
class TStatusBar : public TCustomControl {
public:
  TStatusBar();
  const std::string& SimpleText() const { return FSimpleText; }
  void SetSimpleText(const std::string& s);
  bool SimplePanel() const { return FSimplePanel; }
  void SetSimplePanel(bool v)
  {
    FSimplePanel = v;
    Invalidate();
  }

protected:
  void Paint() override;

private:
  std::string FSimpleText;
  bool FSimplePanel = true;
};
