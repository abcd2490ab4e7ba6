// Toolbar items under a user's hands on a desktop with a window manager: keys typed into a
// toolbar's edit box through the X server, and the pictures of checked buttons and menu
// entries read back from the screen.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/Forms.h"
#include "tests/desktop/RealKeys.h"
#include "tests/desktop/ScreenReadBack.h"
#include "tests/platform/XInputSupport.h"
#include "tests/toolbar/RealInput.h"
#include "tests/toolbar/DockedBars.h"
#include "toolbar/ThemedEditItems.h"
#include "toolbar/ThemedItems.h"

namespace {

using namespace dockedbars;
using namespace xinput;

// A window with a toolbar along its top: a checked button, an edit box and a menu whose
// entry "10 point" is checked.
struct TItemsWindow {
  TForm Form;
  TBar Bar;
  TTBXItem* Checked = nullptr;
  TTBXEditItem* Edit = nullptr;
  TTBXSubmenuItem* Size = nullptr;
  TTBXItem* TenPoint = nullptr;
  TItemsWindow()
  {
    Form.SetBounds(150, 150, 460, 260);
    Form.SetCaption("Items");
    Bar.SetAlign(alTop);
    Bar.SetBorderStyle(bsNone);
    Bar.SetParent(&Form);
    TTBCustomItem* root = Bar.Items();
    Checked = root->AddNew<TTBXItem>();
    Checked->SetCaption("Lever");
    Checked->SetChecked(true);
    Edit = root->AddNew<TTBXEditItem>();
    Edit->SetEditWidth(140);
    Size = root->AddNew<TTBXSubmenuItem>();
    Size->SetCaption("Size");
    for (const char* c : {"8 point", "10 point", "12 point"}) {
      TTBXItem* i = Size->AddNew<TTBXItem>();
      i->SetCaption(c);
      if (std::string(c) == "10 point")
        TenPoint = i;
    }
    TenPoint->SetChecked(true);
    Form.Show();
  }
  ~TItemsWindow() { Form.Hide(); }
  TTBItemViewer* ViewerOf(TTBCustomItem* item) { return Bar.View()->Find(item); }
  TRect ScreenRect(TControl& window, const TRect& r)
  {
    TPoint o = window.ClientToScreen({r.Left, r.Top});
    return Bounds(o.X, o.Y, r.Width(), r.Height());
  }
};

// How much of the area is the checked fill: the 2 by 2 blocks whose diagonals match and
// whose neighbours differ, as a checker pattern of two colours has them everywhere.
int CheckerBlocks(const desktop::TPixels& p)
{
  auto same = [&](int x1, int y1, int x2, int y2) {
    const uint8_t *a = p.At(x1, y1), *b = p.At(x2, y2);
    return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
  };
  int n = 0;
  for (int y = 0; y + 1 < p.Height; ++y)
    for (int x = 0; x + 1 < p.Width; ++x)
      if (same(x, y, x + 1, y + 1) && same(x + 1, y, x, y + 1) && !same(x, y, x + 1, y))
        ++n;
  return n;
}

void Park()
{
  TSize screen = GetScreenSize();
  X("mousemove " + std::to_string(screen.cx - 1) + " " + std::to_string(screen.cy - 1));
}

}   // namespace

// Alt held with the keypad's digits types the character of their code into the edit box,
// with NumLock on and with it off (the keys then are arrows and Home to the toolkit): one
// character each time, no digits, and the edit goes on until Enter. The keys go from a timer
// while the edit's own loop runs.
TEST(DesktopToolbarItems, AltWithKeypadDigitsTypesOneCharacterInEitherNumLockState)
{
  desktop::TKeyboard keys;
  if (!Available() || !keys.Open())
    GTEST_SKIP() << "xdotool or the X server's test extension is missing";
  TItemsWindow w;
  ASSERT_TRUE(PumpUntil([&] { return w.Form.Showing() && w.Bar.Showing(); }));
  PumpFor(300);
  const bool numLockWas = keys.NumLock();
  auto* viewer = dynamic_cast<TTBEditItemViewer*>(w.ViewerOf(w.Edit));
  ASSERT_NE(viewer, nullptr);
  const TRect box = w.ScreenRect(w.Bar, viewer->BoundsRect);
  const unsigned alt = keys.Code("Alt_L");
  // The keypad's 6 and 5 as the keyboard numbers them, whatever NumLock makes of them.
  const unsigned kp6 = keys.Code("KP_6"), kp5 = keys.Code("KP_5");
  bool editingOn = false, editingOff = false;
  std::string afterOn;
  desktop::TDesktop desk{desktop::TDesktop::TThisDisplay{}};
  realinput::TTimedSteps steps({
      [&] {
        X("mousemove " + At({box.Left + box.Width() / 2, box.Top + box.Height() / 2}) + " click 1");
      },
      [&] { X("type --delay 40 ab"); },
      [&] { keys.SetNumLock(true); },
      [&] { keys.Down(alt); },
      [&] { keys.Press(kp6); },
      [&] { keys.Press(kp5); },
      [&] { keys.Up(alt); },
      [&] {
        editingOn = viewer->Editing();
        if (TTBEditControl* c = viewer->EditControl())
          afterOn = c->Text();
        keys.SetNumLock(false);
      },
      [&] { keys.Down(alt); },
      [&] { keys.Press(kp6); },
      [&] { keys.Press(kp6); },
      [&] { keys.Up(alt); },
      [&] {
        editingOff = viewer->Editing();
        keys.SetNumLock(numLockWas);
        X("type --delay 40 c");
      },
      [&] { desk.Screenshot("toolbar-edit-alt-codes.png"); },
      [&] { X("key Return"); },
      [] {},
  });
  EXPECT_TRUE(PumpUntil([&] { return steps.Done() && !viewer->Editing(); }, 15000));
  EXPECT_TRUE(editingOn) << "Alt and the keypad ended the edit (NumLock on)";
  EXPECT_EQ(afterOn, "abA") << "NumLock on";
  EXPECT_TRUE(editingOff) << "Alt and the keypad ended the edit (NumLock off)";
  EXPECT_EQ(w.Edit->Text(), "abABc");
  keys.SetNumLock(numLockWas);
  Park();
}

// A checked button and a checked menu entry show the dithered checked fill on the screen,
// not the flat face of the bar.
TEST(DesktopToolbarItems, CheckedButtonsAndMenuEntriesShowTheirCheckedFill)
{
  if (!Available())
    GTEST_SKIP() << "xdotool is not installed";
  TItemsWindow w;
  ASSERT_TRUE(PumpUntil([&] { return w.Form.Showing() && w.Bar.Showing(); }));
  Park();
  PumpFor(400);
  desktop::TDesktop desk{desktop::TDesktop::TThisDisplay{}};
  desktop::TXConnection x(desk.Display());
  ASSERT_TRUE(x.Open());
  const TRect button = w.ScreenRect(w.Bar, w.ViewerOf(w.Checked)->BoundsRect);
  const desktop::TPixels b = x.Grab(button.Left, button.Top, button.Width(), button.Height());
  EXPECT_GT(CheckerBlocks(b), button.Width() * button.Height() / 4) << "the checked button is flat";

  // The menu, opened by the real pointer: the checked entry's check column is filled too.
  const TRect size = w.ScreenRect(w.Bar, w.ViewerOf(w.Size)->BoundsRect);
  int entryBlocks = -1, entryArea = 0;
  realinput::TTimedSteps steps({
      [&] {
        X("mousemove " + At({size.Left + size.Width() / 2, size.Top + size.Height() / 2}) + " click 1");
      },
      [] {},
      [&] {
        TTBView* menu = w.Bar.View()->OpenViewerView();
        if (!menu)
          return;
        TTBItemViewer* entry = menu->Find(w.TenPoint);
        const TRect r = w.ScreenRect(*menu->Window(), entry->BoundsRect);
        // The check column: a square as high as the entry at its left.
        entryBlocks = CheckerBlocks(x.Grab(r.Left, r.Top, r.Height(), r.Height()));
        entryArea = r.Height() * r.Height();
        desk.Screenshot("toolbar-checked-fill.png");
      },
      // The first closes the menu, the second leaves the bar.
      [&] { X("key Escape"); },
      [&] { X("key Escape"); },
      [] {},
  });
  EXPECT_TRUE(PumpUntil([&] { return steps.Done() && !w.Bar.View()->OpenViewerView(); }, 10000));
  ASSERT_GE(entryBlocks, 0) << "the menu did not open";
  EXPECT_GT(entryBlocks, entryArea / 5) << "the checked entry is flat";
}
