// What moves the model: the clock's tick, start and stop, stepping by hand with the step
// bar, the speed dialog; and the 3D view's mouse and the View menu.
#include <algorithm>
#include <cmath>

#include "shell/MainWindow.h"
#include "shell/SpeedDialog.h"
#include "topics/Markers.h"
#include "topics/TopicTable.h"

// ---------------------------------------------------------------------------------------
// The animation drive

namespace {
constexpr Integer MaxWrapHooksPerTick = 10000;
}

void TKVMainFrm::AnimateAt(Single Value, bool Advancing)
{
  const TTopicEntry* entry = CurrentEntry();
  if (!entry || !entry->Animate)
    return;
  TTopicControls c = CurrentControls();
  c.Advancing = Advancing;
  entry->Animate(SceneBase, c, Value);
}

void TKVMainFrm::CadencerProgress(TObject*, double DeltaTime, double)
{
  // A tick that pumps messages (an error box, say) must not start another inside it.
  if (FInProgress)
    return;
  FInProgress = true;
  try {
    const bool graph = CurrentTopic == CamGraphTopic;
    const double max = graph ? AngleHsb->Max() : RTChsb->Max();
    const Integer rate = size_t(CurrentTopic) < TopicRates.size() ? TopicRates[size_t(CurrentTopic)] : 0;
    const Single step = Single(rate * DeltaTime);
    if (std::isfinite(step))
      Phase = Phase + step;
    if (CurrentRow()) {
      const Single before = Phase;
      // Every whole period is taken off, however long the pause was; the belts and the
      // worm wheel hear of each one.
      Integer wraps = 0;
      if (max > 0 && Phase > max) {
        // Whole periods taken off leave the phase in (0, Max]; integral Max keeps that exact
        // in single precision.
        const double periods = std::ceil(double(Phase) / max) - 1;
        Phase = Single(double(Phase) - periods * max);
        // After a stall of hours (a machine asleep) the hooks' turns past this many add
        // nothing anyone sees, and running them would freeze the window.
        wraps = Integer(std::min(periods, double(MaxWrapHooksPerTick)));
      }
      const TTopicEntry* entry = CurrentEntry();
      if (wraps > 0 && entry && entry->Wrap) {
        TTopicControls c = CurrentControls();
        for (Integer i = 0; i < wraps; ++i)
          entry->Wrap(SceneBase, c, Integer(max));
      }
      if (graph) {
        if (CamDiagram) {
          CamDiagram->Angle = Phase;
          DrawCamGraph();
        }
        AngleHsb->SetPosition(SafeTrunc(Phase));
      } else {
        // The ratchet drives forwards when the phase has grown since the last frame,
        // measured before the wrap (a wrap is no step backwards).
        AnimateAt(Phase, RTChsb->Position() <= before);
        RTChsb->SetPosition(SafeTrunc(Phase));
      }
    }
  } catch (...) {
    // A tick that fails would fail again at once: stop the clock, then report once.
    FInProgress = false;
    Stopped = true;
    SetClock(false);
    StartBtn->SetEnabled(true);
    StopBtn->SetEnabled(false);
    throw;
  }
  FInProgress = false;
}

void TKVMainFrm::StartBtnClick(TObject*)
{
  Stopped = false;
  StartBtn->SetEnabled(false);
  StopBtn->SetEnabled(true);
  SetClock(true);
}

void TKVMainFrm::StopBtnClick(TObject*)
{
  Stopped = true;
  StartBtn->SetEnabled(true);
  StopBtn->SetEnabled(false);
  SetClock(false);
}

void TKVMainFrm::CamStartBtnClick(TObject*)
{
  CamStartBtn->SetEnabled(false);
  CamStopBtn->SetEnabled(true);
  SetClock(true);
}

void TKVMainFrm::CamStopBtnClick(TObject*)
{
  CamStartBtn->SetEnabled(true);
  CamStopBtn->SetEnabled(false);
  SetClock(false);
}

void TKVMainFrm::RTChsbScroll(TObject*, TScrollCode, int32_t& ScrollPos)
{
  if (CurrentEntry())
    AnimateAt(Single(ScrollPos), ScrollPos >= RTChsb->Position());
  Phase = Single(ScrollPos);
}

void TKVMainFrm::Speed1Click(TObject*)
{
  if (size_t(CurrentTopic) >= TopicRates.size())
    return;
  EditAnimationRate(TopicRates[size_t(CurrentTopic)]);
}

// ---------------------------------------------------------------------------------------
// The 3D view's mouse

void TKVMainFrm::GLViewerMouseDown(TObject*, TMouseButton Button, TShiftState, Integer X, Integer Y)
{
  if (Button == mbLeft) {
    MouseX = Single(X);
    MouseY = Single(Y);
  } else if (Button == mbRight) {
    // The anchor takes in where the model already is, so a new drag goes on from there.
    MouseX = Single(X) - 100 * SceneBase->Position.X;
    MouseY = Single(Y) + 100 * SceneBase->Position.Y;
  }
}

void TKVMainFrm::GLViewerMouseMove(TObject*, TShiftState Shift, Integer X, Integer Y)
{
  if (Shift & ssLeft) {
    GLCamera->MoveAroundTarget(MouseY - Single(Y), MouseX - Single(X));
    MouseX = Single(X);
    MouseY = Single(Y);
  } else if (Shift & ssRight) {
    SceneBase->Position.SetCoordinate(0, (Single(X) - MouseX) * 0.01f);
    SceneBase->Position.SetCoordinate(1, (MouseY - Single(Y)) * 0.01f);
  }
}

void TKVMainFrm::GLViewerMouseWheel(TObject*, TShiftState, Integer WheelDelta, TPoint, bool& Handled)
{
  GLCamera->AdjustDistanceToTarget(Single(std::pow(1.05, WheelDelta / 120.0)));
  Handled = true;
}

void TKVMainFrm::GLViewerClick(TObject*) { GLViewer->SetFocus(); }

void TKVMainFrm::ZoomInBtnClick(TObject* Sender)
{
  GLCamera->AdjustDistanceToTarget(Single(std::pow(1.05, Sender == ZoomOutBtn ? 3.0 : -3.0)));
}

// ---------------------------------------------------------------------------------------
// The View menu

namespace {
constexpr TColor PaleBlue = 0xFFEAD9, PaleYellow = 0xE0FFFF;
}

void TKVMainFrm::Backgroundcolor1Click(TTBCustomItem*, bool)
{
  TColor bg = SceneViewer->GetBuffer()->GetBackgroundColor();
  Black1->SetChecked(bg == clBlack);
  White1->SetChecked(bg == clWhite);
  Other1->SetChecked(bg != clBlack && bg != clWhite);
}

void TKVMainFrm::Black1Click(TObject* Sender)
{
  TGLSceneBuffer* buffer = SceneViewer->GetBuffer();
  if (Sender == Black1) {
    MarkerColour = DefaultMarkerColour;
    buffer->SetBackgroundColor(clBlack);
  } else if (Sender == White1) {
    MarkerColour = TVector{0, 0, 0, 1};
    buffer->SetBackgroundColor(clWhite);
  } else {
    ColorDlg->Color = buffer->GetBackgroundColor();
    if (ColorDlg->Execute())
      buffer->SetBackgroundColor(ColorDlg->Color);
  }
  RecolourMarkers();
  SceneViewer->Invalidate();
}

void TKVMainFrm::RecolourMarkers()
{
  // Marker lines stand right under the scene base (the stepped cones' arrows) or one level
  // further down, in a part's group.
  for (Integer i = 0; i < SceneBase->GetCount(); ++i) {
    TGLBaseSceneObject* child = SceneBase->GetChild(i);
    if (auto* lines = dynamic_cast<TLines*>(child))
      lines->SetLineColor(MarkerColour);
    for (Integer j = 0; j < child->GetCount(); ++j)
      if (auto* lines = dynamic_cast<TLines*>(child->GetChild(j)))
        lines->SetLineColor(MarkerColour);
  }
}

void TKVMainFrm::Textbackgroundcolour1Click(TTBCustomItem*, bool)
{
  for (TTBXItem* i : {WhiteBgnd1, PaleBlue1, PaleYellow1})
    i->SetChecked(false);
  TColor bg = Viewer->DefBackground();
  if (bg == PaleYellow)
    PaleYellow1->SetChecked(true);
  else if (bg == PaleBlue)
    PaleBlue1->SetChecked(true);
  else
    WhiteBgnd1->SetChecked(true);
}

void TKVMainFrm::WhiteBgnd1Click(TObject* Sender)
{
  if (Sender == PaleBlue1)
    Viewer->SetDefBackground(PaleBlue);
  else if (Sender == PaleYellow1)
    Viewer->SetDefBackground(PaleYellow);
  else
    Viewer->SetDefBackground(clWhite);
}

void TKVMainFrm::Showaxes1Click(TObject*)
{
  Showaxes1->SetChecked(!Showaxes1->Checked());
  SceneBase->SetShowAxes(Showaxes1->Checked());
}

void TKVMainFrm::Resetviewpoint1Click(TObject*) { SetViewPoint(CurrentTopic, LeverExample); }
