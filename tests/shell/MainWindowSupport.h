// What the main window's tests share: pumping the message loop, and a picture of the whole
// window with the 3D view's last frame in its place.
#pragma once

#include <string>
#include <vector>

#include "PictureOutput.h"
#include "platform/Application.h"
#include "shell/MainWindow.h"

namespace mainwindow {

// Handles messages for at least ms milliseconds (once, for 0).
inline void Pump(Cardinal ms = 0)
{
  Cardinal start = GetTickCount();
  do
    Application->ProcessMessages();
  while (GetTickCount() - start < ms);
}

inline void SaveWindowPicture(TKVMainFrm& f, const std::string& name)
{
  Pump(50);
  TBitmap shot(f.ClientWidth(), f.ClientHeight());
  f.PaintTo(shot.Canvas(), 0, 0);
  TPoint origin = f.ScreenToClient(f.GLViewer->ClientToScreen({0, 0}));
  if (f.GLPanel->Visible()) {
    f.SceneViewer->GetSurface()->Repaint();
    if (auto frame = f.SceneViewer->GetBuffer()->CreateSnapshot())
      if (auto bmp = frame->ToBitmap())
        shot.Canvas().Draw(origin.X, origin.Y, *bmp);
  }
  SaveTestPicture(shot, name);
}

// What a toolbar's view put behind its chevron (OffEdge), or what its chevron's popup lists,
// in order: buttons by their captions, hosted controls by theirs. In a popup only controls
// that show inside its window count, as the screen has them there.
inline std::vector<std::string> ChevronCaptions(TTBView& view, bool popup)
{
  std::vector<std::string> captions;
  for (Integer i = 0; i < view.ViewerCount(); ++i) {
    TTBItemViewer* v = view.Viewers(i);
    if (popup ? !v->Show : !v->OffEdge)
      continue;
    if (auto* ci = dynamic_cast<TTBControlItem*>(v->Item())) {
      TControl* c = ci->Control();
      if (!popup || (c->Parent() == view.Window() && c->Showing()))
        captions.push_back(c->Caption());
    } else if (!(v->Item()->ItemStyle() & tbisSeparator)) {
      captions.push_back(v->Item()->Caption());
    }
  }
  return captions;
}

}   // namespace mainwindow
