// The modal menu loop under a real display: input goes through the toolkit as the user's
// would, driven by a script while the loop runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/Forms.h"
#include "platform/Sounds.h"
#include "toolbar/PopupAnimation.h"
#include "toolbar/KitHelpers.h"
#include "toolbar/Items.h"
#include "tests/toolbar/TestBar.h"

using namespace tbtest;

namespace {

// A window under the menus that counts the presses reaching it.
class TTarget : public TCustomControl {
public:
  int Presses = 0;

protected:
  void MouseDown(TMouseButton, TShiftState, Integer, Integer) override { ++Presses; }
};

struct ToolbarMenuLoop : ::testing::Test {
  TTBRootItem Root;
  TTBCustomItem* File = nullptr;
  TTBCustomItem* View = nullptr;
  TTBCustomItem* Zoom = nullptr;
  TTBCustomItem* Colours = nullptr;
  TTBCustomItem* Black = nullptr;
  TForm Form;
  std::unique_ptr<TTestBar> Bar;
  TTarget Target;
  int ZoomClicks = 0;

  void SetUp() override
  {
    TSystemSettings s;
    s.MenuShowDelay = 60;
    SetSystemSettings(s);
    File = Root.Add(Item("&File"));
    View = Root.Add(Item("&View", tbisSubmenu));
    Zoom = View->Add(Item("&Zoom\tCtrl+Z"));
    Colours = View->Add(Item("&Colours", tbisSubmenu));
    AddSep(View);
    View->Add(Item("Show &axes"));
    Black = Colours->Add(Item("&Black"));
    Colours->Add(Item("&White"));
    Zoom->OnClick = [this](TObject*) { ++ZoomClicks; };
    Zoom->SetHint("Zoom|Zooms the view");
    Zoom->SetOptions(tboShowHint);
    Form.SetBounds(100, 100, 500, 400);
    Bar = std::make_unique<TTestBar>(&Root);
    Bar->SetParent(&Form);
    Bar->SetBounds(0, 0, 500, 24);
    Target.SetParent(&Form);
    Target.SetBounds(380, 300, 100, 80);
    Form.Show();
    Bar->View->UpdatePositions();
  }
  void TearDown() override
  {
    Form.Hide();
    Bar.reset();
    ResetSystemSettings();
    // Drain what the scripted input left queued, so no later test's loop receives it.
    for (int i = 0; i < 10; ++i)
      Application->ProcessMessages();
  }
  TTBView* Popup() { return Bar->View->OpenViewerView(); }
  TTBView* Submenu() { return Popup() ? Popup()->OpenViewerView() : nullptr; }
  TPoint TargetPoint() { return Target.ClientToScreen({50, 40}); }
  // Presses the View button: the loop runs until the script ends it.
  void PressView(TScript& script)
  {
    script.Abort = [this] { Bar->View->EndModal(); };
    script.Running = [this] { return Bar->View->InModalLoop; };
    script.Start();
    TPoint p = ScreenCentre(Bar->View->Find(View));
    SimulateMouse(TInputKind::MouseDown, p);
  }
};

}   // namespace

TEST_F(ToolbarMenuLoop, HoverOpensSubmenuAfterDelayEscapeClosesItOutsideClickReachesTarget)
{
  TScript script;
  TPoint viewButton = ScreenCentre(Bar->View->Find(View));
  bool openAtOnce = true, popupAfterEscape = false, submenuAfterEscape = true;
  TCursor loopCursor = crDefault;
  std::string hoverHint;
  script.Do([&] { SimulateMouse(TInputKind::MouseUp, viewButton); });
  script.WaitFor([&] { return Popup() != nullptr; }, "the popup opens on the press");
  script.Do([&] {
    SimulateMouse(TInputKind::MouseMove, ScreenCentre(Popup()->Find(Zoom)));
    hoverHint = ApplicationHint();
    loopCursor = Screen().Cursor();
  });
  // Zoom asks for its hint: resting on it shows the short hint.
  script.WaitFor([&] { return ShownHintText() == "Zoom"; }, "the hint window shows");
  script.Do([&] {
    SimulateMouse(TInputKind::MouseMove, ScreenCentre(Popup()->Find(Colours)));
    EXPECT_EQ(ShownHintText(), "");
    openAtOnce = Submenu() != nullptr;
  });
  script.WaitFor([&] { return Submenu() != nullptr; }, "the submenu opens after the delay");
  script.Do([&] {
    // The submenu lies beside its entry, the popup below its button.
    EXPECT_GE(Submenu()->Window()->Left(), Popup()->Window()->Left() + Popup()->Window()->Width() - 6);
    EXPECT_EQ(Popup()->Window()->Top(), Bar->ClientToScreen({0, Bar->View->Find(View)->BoundsRect.Bottom}).Y);
    SimulateKey(VK_ESCAPE);
    popupAfterEscape = Popup() != nullptr;
    submenuAfterEscape = Submenu() != nullptr;
    for (TTBView* v : {Popup()})
      EXPECT_FALSE(v->Window()->BoundsRect().Contains(TargetPoint()));
    SimulateMouse(TInputKind::MouseDown, TargetPoint());
  });
  PressView(script);
  // The loop has ended: the script's outside press ended it.
  EXPECT_TRUE(script.Finished());
  EXPECT_FALSE(openAtOnce);
  EXPECT_TRUE(popupAfterEscape);
  EXPECT_FALSE(submenuAfterEscape);
  EXPECT_EQ(hoverHint, "Zooms the view");
  EXPECT_EQ(loopCursor, crArrow);
  EXPECT_EQ(Bar->View->OpenViewerView(), nullptr);
  EXPECT_FALSE(Bar->View->InModalLoop);
  EXPECT_EQ(Target.Presses, 1) << "the outside press reaches the window under it";
  EXPECT_EQ(Bar->Presses, 1) << "and not the bar that held the capture";
  EXPECT_EQ(GetCaptureControl(), nullptr);
  EXPECT_EQ(Screen().Cursor(), crDefault);
  EXPECT_EQ(ApplicationHint(), "");
  SimulateMouse(TInputKind::MouseUp, TargetPoint());
}

TEST_F(ToolbarMenuLoop, ItemClickRunsItsHandlerOnceAfterTheMenusClose)
{
  TScript script;
  TPoint viewButton = ScreenCentre(Bar->View->Find(View));
  bool menusOpenInHandler = true;
  Zoom->OnClick = [&](TObject*) {
    ++ZoomClicks;
    menusOpenInHandler = Bar->View->OpenViewerView() != nullptr || Bar->View->InModalLoop;
  };
  // The menu sounds reach the sound library under the theme's event names.
  std::vector<std::string> sounds;
  SetSoundEventHook([&](const std::string& id) { sounds.push_back(id); });
  script.Do([&] { SimulateMouse(TInputKind::MouseUp, viewButton); });
  script.WaitFor([&] { return Popup() != nullptr; }, "the popup opens on the press");
  HWND focus = AllocateHWnd([](TMessage&) {});
  script.Do([&] {
    TPoint p = ScreenCentre(Popup()->Find(Zoom));
    SimulateMouse(TInputKind::MouseMove, p);
    SimulateMouse(TInputKind::MouseDown, p);
    PostMessage(focus, 0x102, 'z', 0);   // a character typed as the loop ends
    SimulateMouse(TInputKind::MouseUp, p);
  });
  PressView(script);
  TMsg left;
  EXPECT_FALSE(PeekMessage(left, 0, 0x102, 0x102, PM_NOREMOVE)) << "characters left by the loop are dropped";
  DeallocateHWnd(focus);
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(Bar->View->OpenViewerView(), nullptr);
  EXPECT_EQ(ZoomClicks, 0) << "the click runs after the loop, from the queue";
  for (int i = 0; i < 5; ++i)
    Application->ProcessMessages();
  EXPECT_EQ(ZoomClicks, 1);
  EXPECT_FALSE(menusOpenInHandler);
  EXPECT_EQ(Target.Presses, 0);
  SetSoundEventHook(nullptr);
  EXPECT_EQ(sounds, (std::vector<std::string>{"menu-popup", "menu-click"}));
}

TEST_F(ToolbarMenuLoop, KeyboardAcceleratorsAndBeep)
{
  TScript script;
  TPoint viewButton = ScreenCentre(Bar->View->Find(View));
  Integer beeps = MessageBeepCount();
  std::vector<std::string> sounds;
  SetSoundEventHook([&](const std::string& id) { sounds.push_back(id); });
  int blackClicks = 0;
  Black->OnClick = [&](TObject*) { ++blackClicks; };
  script.Do([&] { SimulateMouse(TInputKind::MouseUp, viewButton); });
  script.WaitFor([&] { return Popup() != nullptr; }, "the popup opens on the press");
  Bar->View->HideAccelsUntilKeyboard = true;
  TSystemSettings noCues = SystemSettings();
  noCues.KeyboardCues = false;
  SetSystemSettings(noCues);
  bool hiddenAtFirst = false, shownAfterKey = false;
  script.Do([&] {
    hiddenAtFirst = !Popup()->AccelsVisible && !Bar->View->AccelsVisible;
    SimulateKey('Q', 0, 'q');   // no item uses it
    shownAfterKey = Popup()->AccelsVisible && Bar->View->AccelsVisible;
    SimulateKey(0, 0, '#');   // nor this character without a key code
    SimulateKey(VK_DOWN);
    SimulateKey(VK_DOWN);
    EXPECT_EQ(Popup()->Selected()->Item(), Colours);
    SimulateKey(VK_RIGHT);   // opens the submenu with its first item selected
    ASSERT_NE(Submenu(), nullptr);
    EXPECT_EQ(Submenu()->Selected()->Item(), Black);
    SimulateKey(VK_LEFT);   // closes only the submenu
    EXPECT_EQ(Submenu(), nullptr);
    EXPECT_NE(Popup(), nullptr);
    SimulateKey('C', 0, 'c');   // the only item with that accelerator: opens
    ASSERT_NE(Submenu(), nullptr);
    SimulateKey('B', 0, 'b');
  });
  PressView(script);
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(MessageBeepCount(), beeps + 2);
  SetSoundEventHook(nullptr);
  EXPECT_EQ(std::count(sounds.begin(), sounds.end(), "bell"), 2);
  EXPECT_TRUE(hiddenAtFirst);
  EXPECT_TRUE(shownAfterKey);
  EXPECT_FALSE(Bar->View->AccelsVisible) << "hidden again after the loop";
  EXPECT_EQ(Bar->View->OpenViewerView(), nullptr);
  for (int i = 0; i < 5; ++i)
    Application->ProcessMessages();
  EXPECT_EQ(blackClicks, 1);
}

TEST_F(ToolbarMenuLoop, CaptureTakenAwayEndsTheLoop)
{
  TScript script;
  TPoint viewButton = ScreenCentre(Bar->View->Find(View));
  script.Do([&] { SimulateMouse(TInputKind::MouseUp, viewButton); });
  script.WaitFor([&] { return Popup() != nullptr; }, "the popup opens on the press");
  script.Do([&] { SetCaptureControl(&Target); });
  PressView(script);
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(Bar->View->OpenViewerView(), nullptr);
  EXPECT_EQ(GetCaptureControl(), &Target);
  ReleaseCapture();
}

TEST_F(ToolbarMenuLoop, LeavingAnOpenSubmenuClosesItAfterTheDelay)
{
  TScript script;
  TPoint viewButton = ScreenCentre(Bar->View->Find(View));
  bool closedAtOnce = true, keptWhileCrossing = false;
  script.Do([&] { SimulateMouse(TInputKind::MouseUp, viewButton); });
  script.WaitFor([&] { return Popup() != nullptr; }, "the popup opens on the press");
  script.Do([&] { SimulateMouse(TInputKind::MouseMove, ScreenCentre(Popup()->Find(Colours))); });
  script.WaitFor([&] { return Submenu() != nullptr; }, "the submenu opens after the delay");
  script.Do([&] {
    // On the way into the submenu the entry stays selected and the submenu open.
    SimulateMouse(TInputKind::MouseMove, ScreenCentre(Submenu()->Find(Black)));
    keptWhileCrossing = Submenu() != nullptr && Popup()->Selected() && Popup()->Selected()->Item() == Colours;
    SimulateMouse(TInputKind::MouseMove, ScreenCentre(Popup()->Find(Zoom)));
    closedAtOnce = Submenu() == nullptr;
  });
  script.WaitFor([&] { return Submenu() == nullptr; }, "the submenu closes after the delay");
  bool barStillActive = false;
  script.Do([&] {
    // Escape in the first popup closes it; the bar keeps its selection; Escape again ends.
    SimulateKey(VK_ESCAPE);
    barStillActive = Popup() == nullptr && Bar->View->Selected() && Bar->View->Selected()->Item() == View
                     && Bar->View->DoneAction() == tbdaNone;
    SimulateKey(VK_ESCAPE);
  });
  PressView(script);
  EXPECT_TRUE(script.Finished());
  EXPECT_TRUE(keptWhileCrossing);
  EXPECT_FALSE(closedAtOnce);
  EXPECT_TRUE(barStillActive);
  EXPECT_FALSE(Bar->View->InModalLoop);
}

TEST_F(ToolbarMenuLoop, PopupTallerThanItsMonitorScrollsWhileTheArrowBandIsHovered)
{
  TSystemSettings s = SystemSettings();
  s.Monitors = {{{0, 0, 1280, 300}, {0, 0, 1280, 300}, true}};
  SetSystemSettings(s);
  for (int i = 0; i < 30; ++i)
    View->Add(Item("Entry " + std::to_string(i)));
  TScript script;
  TPoint viewButton = ScreenCentre(Bar->View->Find(View));
  Integer offsetAfterWait = 0;
  Cardinal started = 0;
  script.Do([&] { SimulateMouse(TInputKind::MouseUp, viewButton); });
  script.WaitFor([&] { return Popup() != nullptr; }, "the popup opens on the press");
  script.Do([&] {
    TTBView* p = Popup();
    EXPECT_EQ(p->Window()->Height(), 300);
    EXPECT_TRUE(p->ShowDownArrow);
    EXPECT_FALSE(p->ShowUpArrow);
    TControl* w = p->Window();
    SimulateMouse(TInputKind::MouseMove, w->ClientToScreen({w->ClientWidth() / 2, w->ClientHeight() - 5}));
    EXPECT_EQ(p->ScrollOffset, 0);
    started = GetTickCount();
  });
  // It scrolls on while the band is hovered, one item a step (however slowly the steps come
  // on a loaded machine).
  Integer firstStep = 0;
  script.WaitFor([&] { return Popup()->ScrollOffset > 0; }, "the first scroll step");
  script.Do([&] { firstStep = Popup()->ScrollOffset; });
  script.WaitFor([&] { return Popup()->ScrollOffset > firstStep + 16; }, "scrolling on past the next item");
  script.Do([&] {
    offsetAfterWait = Popup()->ScrollOffset;
    TControl* pw = Popup()->Window();
    TBitmap shot(pw->Width(), pw->Height());
    pw->PaintTo(shot.Canvas(), 0, 0);
    SavePng(shot, "toolbar_scrolled_menu.png");
    EXPECT_GE(GetTickCount() - started, 200u) << "steps come from the 100 ms timer";
    EXPECT_TRUE(Popup()->ShowUpArrow);
    TControl* w = Popup()->Window();
    SimulateMouse(TInputKind::MouseMove, w->ClientToScreen({w->ClientWidth() / 2, w->ClientHeight() / 2}));
    SimulateKey(VK_ESCAPE);
    SimulateKey(VK_ESCAPE);
  });
  PressView(script);
  EXPECT_TRUE(script.Finished());
  EXPECT_GT(offsetAfterWait, 0);
}

TEST_F(ToolbarMenuLoop, PopupMenuAtAPointRunsItsOwnLoop)
{
  TPoint at = Form.ClientToScreen({200, 150});
  std::unique_ptr<TTBPopupWindow> menu = PopupItem(View, at, tbpaLeft);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->Left(), at.X);
  EXPECT_EQ(menu->Top(), at.Y);
  TTBView* root = menu->View();
  TScript script;
  script.Abort = [root] { root->EndModal(); };
  script.Running = [root] { return root->InModalLoop; };
  script.Do([&] {
    TPoint p = ScreenCentre(root->Find(Zoom));
    SimulateMouse(TInputKind::MouseMove, p);
    SimulateMouse(TInputKind::MouseDown, p);
    SimulateMouse(TInputKind::MouseUp, p);
  });
  script.Start();
  root->EnterToolbarLoop(0);
  EXPECT_TRUE(script.Finished());
  for (int i = 0; i < 5; ++i)
    Application->ProcessMessages();
  EXPECT_EQ(ZoomClicks, 1) << "a click on the menu itself chooses the item";
  menu.reset();
}

TEST_F(ToolbarMenuLoop, InMenuModeHoveringAnotherBarButtonOpensItsMenuAtOnce)
{
  TTBCustomItem* help = Root.Add(Item("&Help", tbisSubmenu));
  help->Add(Item("&About"));
  Bar->View->UpdatePositions();
  TScript script;
  TPoint viewButton = ScreenCentre(Bar->View->Find(View));
  TTBCustomItem* openedItem = nullptr;
  bool fileClosedIt = false;
  script.Do([&] { SimulateMouse(TInputKind::MouseUp, viewButton); });
  script.WaitFor([&] { return Popup() != nullptr; }, "the popup opens on the press");
  script.Do([&] {
    SimulateMouse(TInputKind::MouseMove, ScreenCentre(Bar->View->Find(help)));
    openedItem = Popup() ? Popup()->ParentItem() : nullptr;
    SimulateMouse(TInputKind::MouseMove, ScreenCentre(Bar->View->Find(File)));
    fileClosedIt = Popup() == nullptr && Bar->View->MenuMode;
    SimulateKey(VK_ESCAPE);
  });
  PressView(script);
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(openedItem, help);
  EXPECT_TRUE(fileClosedIt) << "a plain button closes the menu but the bar stays in menu mode";
}

TEST_F(ToolbarMenuLoop, PopupSlidesInWhileTheLoopRuns)
{
  TSystemSettings s = SystemSettings();
  s.MenuAnimation = true;
  SetSystemSettings(s);
  TScript script;
  TPoint viewButton = ScreenCentre(Bar->View->Find(View));
  bool animating = false;
  script.WaitFor([&] { return Popup() != nullptr; }, "the popup opens on the press");
  script.Do([&] {
    animating = IsAnimating(Popup()->Window());
    SimulateMouse(TInputKind::MouseUp, viewButton);
  });
  script.WaitFor([&] { return !IsAnimating(Popup()->Window()); }, "the slide ends", 2000);
  script.Do([&] {
    EXPECT_TRUE(Popup()->Window()->Visible());
    SimulateKey(VK_ESCAPE);
    SimulateKey(VK_ESCAPE);
  });
  PressView(script);
  EXPECT_TRUE(script.Finished());
  EXPECT_TRUE(animating);
  EXPECT_EQ(Bar->View->OpenViewerView(), nullptr);
}
