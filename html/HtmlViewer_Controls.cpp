// The viewer's child controls: the paint panel and the border panel.
#include <algorithm>

#include "html/HtmlViewer.h"

// ---- paint panel ----

TPaintPanel::TPaintPanel(THTMLViewer* AViewer) : FViewer(AViewer) { SetControlStyle(ControlStyle() | csOpaque); }

void TPaintPanel::Paint() { FViewer->PanelPaint(Canvas()); }

bool TPaintPanel::GetHintInfo(TPoint clientPos, std::string& hint, TRect& hintArea)
{
  if (FViewer->HoverTitle().empty())
    return false;
  hint = FViewer->HoverTitle();
  // Any move ends it: the next object may have a title of its own.
  hintArea = Rect(clientPos.X, clientPos.Y, clientPos.X + 1, clientPos.Y + 1);
  return true;
}

void TPaintPanel::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  if (Shift & ssDouble) {
    if (Button == mbLeft)
      FViewer->PanelDblClick(Shift, X, Y);
    return;
  }
  FViewer->PanelMouseDown(Button, Shift, X, Y);
  if (FViewer->OnMouseDown)
    FViewer->OnMouseDown(FViewer, Button, Shift, X, Y);
}

void TPaintPanel::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  FViewer->PanelMouseMove(Shift, X, Y);
  if (FViewer->OnMouseMove)
    FViewer->OnMouseMove(FViewer, Shift, X, Y);
}

void TPaintPanel::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  FViewer->PanelMouseUp(Button, Shift, X, Y);
  if (FViewer->OnMouseUp)
    FViewer->OnMouseUp(FViewer, Button, Shift, X, Y);
}

bool TPaintPanel::DoMouseWheel(TShiftState Shift, Integer Delta, TPoint MousePos)
{
  bool handled = false;
  if (FViewer->OnMouseWheel)
    FViewer->OnMouseWheel(FViewer, Shift, Delta, MousePos, handled);
  if (!handled)
    handled = FViewer->PanelMouseWheel(Shift, Delta);
  return handled;
}

void TPaintPanel::KeyDown(Word& Key, TShiftState Shift) { FViewer->ViewerKeyDown(Key, Shift); }

// ---- border panel ----

void THtmlBorderPanel::SetShowBorder(bool V)
{
  if (V == FShowBorder)
    return;
  FShowBorder = V;
  Invalidate();
}

void THtmlBorderPanel::Paint()
{
  TCanvas& c = Canvas();
  c.FillRect(ClientRect(), Color());
  if (FShowBorder) {
    TRect r = ClientRect();
    c.DrawEdge(r, BDR_SUNKENOUTER, BF_RECT);
  }
}
