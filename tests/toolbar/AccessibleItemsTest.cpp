// Accessibility objects of toolbars and menus, queried as a client would.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "platform/Accessible.h"
#include "platform/FormCtrls.h"
#include "platform/Forms.h"
#include "platform/ScrollBar.h"
#include "platform/StdCtrls.h"
#include "toolbar/Toolbars.h"
#include "toolbar/AccessibleItems.h"
#include "toolbar/EditItems.h"
#include "toolbar/Items.h"
#include "toolbar/ThemedEditItems.h"
#include "toolbar/ThemedItems.h"
#include "tests/toolbar/TestBar.h"

using namespace tbtest;

namespace {

struct AccessibleItems : ::testing::Test {
  TTBRootItem Root;
  TTBCustomItem* File = nullptr;
  TTBCustomItem* View = nullptr;
  TTBCustomItem* Zoom = nullptr;
  TTBCustomItem* Grid = nullptr;
  TTBCustomItem* Off = nullptr;
  TTBCustomItem* Sep = nullptr;
  TForm Form;
  std::unique_ptr<TTestBar> Bar;
  int FileClicks = 0;

  void SetUp() override
  {
    File = Root.Add(Item("&File"));
    View = Root.Add(Item("&View", tbisSubmenu));
    Sep = AddSep(&Root);
    Grid = Root.Add(Item("&Grid"));
    Off = Root.Add(Item("&Off"));
    AddSep(&Root);   // trailing: never shown
    Zoom = View->Add(Item("&Zoom\tCtrl+Z"));
    View->Add(Item("Plain"));
    Grid->SetChecked(true);
    Off->SetEnabled(false);
    File->OnClick = [this](TObject*) { ++FileClicks; };
    Form.SetBounds(100, 100, 500, 300);
    Bar = std::make_unique<TTestBar>(&Root);
    Bar->SetParent(&Form);
    Bar->SetBounds(0, 0, 500, 24);
    Bar->SetCaption("Main tools");
    Form.Show();
    Bar->View->UpdatePositions();
  }
  void TearDown() override
  {
    Form.Hide();
    Bar.reset();
    Application->ProcessMessages();
  }
  std::shared_ptr<TTBItemViewerAccObject> Obj(TTBCustomItem* item) { return TBAccViewerObject(Bar->View->Find(item)); }
  static int32_t Role(TTBBaseAccObject& o)
  {
    TAccVariant v;
    EXPECT_EQ(o.get_accRole(AccSelf, v), S_OK);
    return v.Int;
  }
  static uint32_t State(TTBBaseAccObject& o)
  {
    TAccVariant v;
    EXPECT_EQ(o.get_accState(AccSelf, v), S_OK);
    return static_cast<uint32_t>(v.Int);
  }
  static std::string Name(TTBBaseAccObject& o)
  {
    std::string s;
    o.get_accName(AccSelf, s);
    return s;
  }
};

}   // namespace

TEST_F(AccessibleItems, ToolbarAndItemsAnswerRolesNamesShortcutsAndStates)
{
  auto view = TBAccViewObject(Bar->View.get());
  EXPECT_EQ(Role(*view), ROLE_SYSTEM_TOOLBAR);
  EXPECT_EQ(Name(*view), "Main tools");
  std::string s;
  EXPECT_EQ(view->get_accKeyboardShortcut(AccSelf, s), S_FALSE);
  EXPECT_EQ(State(*view), 0u);
  // The trailing separator is not shown: five children.
  int32_t n = 0;
  EXPECT_EQ(view->get_accChildCount(n), S_OK);
  EXPECT_EQ(n, 5);
  std::shared_ptr<TTBBaseAccObject> child;
  EXPECT_EQ(view->get_accChild(TAccVariant::I4(2), child), S_OK);
  EXPECT_EQ(child, Obj(View)) << "one object per viewer while it lives";
  EXPECT_EQ(view->get_accChild(TAccVariant::I4(0), child), E_INVALIDARG);
  EXPECT_EQ(view->get_accChild(TAccVariant::I4(6), child), E_INVALIDARG);

  EXPECT_EQ(Role(*Obj(File)), ROLE_SYSTEM_PUSHBUTTON);
  EXPECT_EQ(Role(*Obj(View)), ROLE_SYSTEM_BUTTONMENU);
  EXPECT_EQ(Role(*Obj(Sep)), ROLE_SYSTEM_SEPARATOR);
  EXPECT_EQ(Name(*Obj(File)), "File");
  EXPECT_EQ(Obj(File)->get_accKeyboardShortcut(AccSelf, s), S_OK);
  EXPECT_EQ(s, "Alt+f");
  EXPECT_EQ(Obj(Sep)->get_accKeyboardShortcut(AccSelf, s), S_FALSE);

  EXPECT_EQ(State(*Obj(File)), STATE_SYSTEM_FOCUSABLE);
  EXPECT_EQ(State(*Obj(View)), STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_HASPOPUP);
  EXPECT_EQ(State(*Obj(Grid)), STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_CHECKED);
  EXPECT_EQ(State(*Obj(Off)), STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_UNAVAILABLE);
  EXPECT_EQ(State(*Obj(Sep)), 0u);
  Bar->View->Select(Bar->View->Find(File), true);
  EXPECT_EQ(State(*Obj(File)), STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_HOTTRACKED);
  Bar->View->Select(nullptr, false);
  // A disabled bar makes every item unavailable.
  Bar->SetEnabled(false);
  EXPECT_TRUE(State(*Obj(File)) & STATE_SYSTEM_UNAVAILABLE);
  Bar->SetEnabled(true);

  EXPECT_EQ(Obj(File)->get_accDefaultAction(AccSelf, s), S_OK);
  EXPECT_EQ(s, "Press");
  EXPECT_EQ(Obj(View)->get_accDefaultAction(AccSelf, s), S_OK);
  EXPECT_EQ(s, "Open");
  EXPECT_EQ(Obj(Off)->get_accDefaultAction(AccSelf, s), S_FALSE);
  EXPECT_EQ(s, "");

  // A menu bar names the Alt key and its items are menu items with "Execute".
  Bar->View->MenuBar = true;
  EXPECT_EQ(Role(*view), ROLE_SYSTEM_MENUBAR);
  EXPECT_EQ(view->get_accKeyboardShortcut(AccSelf, s), S_OK);
  EXPECT_EQ(s, "Alt");
  EXPECT_EQ(Role(*Obj(File)), ROLE_SYSTEM_MENUITEM);
  EXPECT_EQ(Obj(File)->get_accDefaultAction(AccSelf, s), S_OK);
  EXPECT_EQ(s, "Execute");
}

TEST_F(AccessibleItems, PopupViewIsNamedAfterItsItemAndItsOpenerHasItAsChild)
{
  Bar->View->Select(Bar->View->Find(View), false);
  ASSERT_TRUE(Bar->View->OpenChildPopup(false));
  TTBView* popup = Bar->View->OpenViewerView();
  ASSERT_NE(popup, nullptr);
  auto pv = TBAccViewObject(popup);
  EXPECT_EQ(Role(*pv), ROLE_SYSTEM_MENUPOPUP);
  EXPECT_EQ(Name(*pv), "View");
  auto opener = Obj(View);
  int32_t n = 0;
  opener->get_accChildCount(n);
  EXPECT_EQ(n, 1);
  std::shared_ptr<TTBBaseAccObject> child;
  EXPECT_EQ(opener->get_accChild(TAccVariant::I4(1), child), S_OK);
  EXPECT_EQ(child, pv);
  TAccVariant r;
  EXPECT_EQ(opener->accNavigate(NAVDIR_FIRSTCHILD, AccSelf, r), S_OK);
  EXPECT_EQ(r.Object, pv);
  EXPECT_TRUE(State(*opener) & STATE_SYSTEM_PRESSED);
  std::string s;
  opener->get_accDefaultAction(AccSelf, s);
  EXPECT_EQ(s, "Close");

  // Entries of a popup: menu items, the shortcut after a tab, the accelerator alone.
  auto zoom = TBAccViewerObject(popup->Find(Zoom));
  EXPECT_EQ(Role(*zoom), ROLE_SYSTEM_MENUITEM);
  EXPECT_EQ(Name(*zoom), "Zoom\tCtrl+Z");
  EXPECT_EQ(zoom->get_accKeyboardShortcut(AccSelf, s), S_OK);
  EXPECT_EQ(s, "z");
  std::shared_ptr<TTBBaseAccObject> parent;
  EXPECT_EQ(zoom->get_accParent(parent), S_OK);
  EXPECT_EQ(parent, pv);

  // "Close" closes the popup; the popup's object then fails every request.
  EXPECT_EQ(opener->accDoDefaultAction(AccSelf), S_OK);
  EXPECT_EQ(Bar->View->OpenViewerView(), nullptr);
  EXPECT_EQ(pv->get_accName(AccSelf, s), E_FAIL);
  EXPECT_EQ(zoom->get_accRole(AccSelf, r), E_FAIL);
  opener->get_accChildCount(n);
  EXPECT_EQ(n, 0);
}

TEST_F(AccessibleItems, NavigationLocationAndHitTest)
{
  TAccVariant r;
  auto view = TBAccViewObject(Bar->View.get());
  EXPECT_EQ(view->accNavigate(NAVDIR_FIRSTCHILD, AccSelf, r), S_OK);
  EXPECT_EQ(r.Object, Obj(File));
  EXPECT_EQ(view->accNavigate(NAVDIR_LASTCHILD, AccSelf, r), S_OK);
  EXPECT_EQ(r.Object, Obj(Off)) << "the hidden trailing separator is no child";
  EXPECT_EQ(view->accNavigate(NAVDIR_NEXT, AccSelf, r), S_FALSE);
  EXPECT_EQ(r.Kind, TAccVariant::vtEmpty);

  EXPECT_EQ(Obj(View)->accNavigate(NAVDIR_RIGHT, AccSelf, r), S_OK);
  EXPECT_EQ(r.Object, Obj(Sep));
  EXPECT_EQ(Obj(View)->accNavigate(NAVDIR_UP, AccSelf, r), S_OK);
  EXPECT_EQ(r.Object, Obj(File));
  EXPECT_EQ(Obj(File)->accNavigate(NAVDIR_PREVIOUS, AccSelf, r), S_FALSE);
  EXPECT_EQ(Obj(Off)->accNavigate(NAVDIR_NEXT, AccSelf, r), S_FALSE);
  EXPECT_EQ(Obj(File)->accNavigate(NAVDIR_FIRSTCHILD, AccSelf, r), S_FALSE) << "no popup open";

  TTBItemViewer* gv = Bar->View->Find(Grid);
  int32_t l, t, w, h;
  EXPECT_EQ(Obj(Grid)->accLocation(l, t, w, h, AccSelf), S_OK);
  TPoint origin = Bar->ClientToScreen({gv->BoundsRect.Left, gv->BoundsRect.Top});
  EXPECT_EQ(l, origin.X);
  EXPECT_EQ(t, origin.Y);
  EXPECT_EQ(w, gv->BoundsRect.Width());
  EXPECT_EQ(h, gv->BoundsRect.Height());
  EXPECT_EQ(view->accLocation(l, t, w, h, AccSelf), S_OK);
  EXPECT_EQ(w, 500);
  EXPECT_EQ(h, 24);

  EXPECT_EQ(view->accHitTest(ScreenCentre(gv).X, ScreenCentre(gv).Y, r), S_OK);
  EXPECT_EQ(r.Object, Obj(Grid));
  TPoint empty = Bar->ClientToScreen({490, 10});
  EXPECT_EQ(view->accHitTest(empty.X, empty.Y, r), S_OK);
  EXPECT_EQ(r.Kind, TAccVariant::vtI4);
  EXPECT_EQ(r.Int, CHILDID_SELF);
  TPoint outside = Bar->ClientToScreen({10, 100});
  EXPECT_EQ(view->accHitTest(outside.X, outside.Y, r), S_FALSE);
  EXPECT_EQ(r.Kind, TAccVariant::vtEmpty);
}

TEST_F(AccessibleItems, BadChildIdsDispatchAndStaleObjects)
{
  auto view = TBAccViewObject(Bar->View.get());
  auto file = Obj(File);
  std::string s;
  TAccVariant r;
  EXPECT_EQ(file->get_accName(TAccVariant::I4(1), s), E_INVALIDARG);
  EXPECT_EQ(view->get_accRole(TAccVariant::Empty(), r), E_INVALIDARG);
  EXPECT_EQ(file->get_accDescription(AccSelf, s), S_FALSE);
  EXPECT_EQ(view->put_accName(AccSelf, "x"), S_FALSE);
  EXPECT_EQ(view->accSelect(SELFLAG_TAKEFOCUS, AccSelf), DISP_E_MEMBERNOTFOUND);
  uint32_t count = 9;
  EXPECT_EQ(file->GetTypeInfoCount(count), E_NOTIMPL);
  EXPECT_EQ(view->Invoke(), E_NOTIMPL);
  EXPECT_TRUE(InitializeOleAcc()) << "the platform's bridge is there";
  EXPECT_EQ(TBAccObjectForWindowRequest(Bar->View.get(), OBJID_CLIENT), TBAccViewObject(Bar->View.get()));
  EXPECT_EQ(TBAccObjectForWindowRequest(Bar->View.get(), 0), nullptr) << "only the client object is ours";

  // An item taken out frees its viewer: its object answers E_FAIL from then on.
  std::unique_ptr<TTBCustomItem> taken = Root.Remove(File);
  EXPECT_EQ(file->get_accName(AccSelf, s), E_FAIL);
  EXPECT_EQ(file->accDoDefaultAction(AccSelf), E_FAIL);

  // Released objects leave their views; the view outliving clients makes a new one.
  int live = TBAccLiveObjectCount();
  int views = TBAccViewObjectCount();
  view.reset();
  EXPECT_EQ(TBAccViewObjectCount(), views - 1);
  EXPECT_EQ(TBAccLiveObjectCount(), live - 1);
  EXPECT_EQ(Bar->View->AccObjectInstance, nullptr);
  view = TBAccViewObject(Bar->View.get());
  EXPECT_EQ(Bar->View->AccObjectInstance, view.get());

  // Shut-down cuts every object off; the view forgets its object too.
  TBAccDisconnectAll();
  EXPECT_EQ(view->get_accName(AccSelf, s), E_FAIL);
  EXPECT_EQ(Bar->View->AccObjectInstance, nullptr);
  // And a view going first leaves a stale object that still fails cleanly.
  auto again = TBAccViewObject(Bar->View.get());
  Bar.reset();
  int32_t n = 0;
  EXPECT_EQ(again->get_accChildCount(n), E_FAIL);
}

TEST_F(AccessibleItems, DefaultActionRunsTheItemThroughTheDeferredQueue)
{
  auto file = Obj(File);
  EXPECT_EQ(file->accDoDefaultAction(AccSelf), S_OK);
  EXPECT_EQ(Bar->View->Selected(), Bar->View->Find(File));
  EXPECT_EQ(FileClicks, 0) << "nothing runs inside the client's request";
  for (int i = 0; i < 5; ++i)
    Application->ProcessMessages();
  EXPECT_EQ(FileClicks, 1);
  EXPECT_FALSE(Bar->View->InModalLoop);
  EXPECT_EQ(GetCaptureControl(), nullptr);

  // Unavailable items have no default action.
  EXPECT_EQ(Obj(Off)->accDoDefaultAction(AccSelf), DISP_E_MEMBERNOTFOUND);

  // A queued action of a viewer that is gone is dropped.
  EXPECT_EQ(Obj(File)->accDoDefaultAction(AccSelf), S_OK);
  std::unique_ptr<TTBCustomItem> taken = Root.Remove(File);
  for (int i = 0; i < 5; ++i)
    Application->ProcessMessages();
  EXPECT_EQ(FileClicks, 1);
  EXPECT_EQ(PendingClickCount(), 0);
}

TEST_F(AccessibleItems, TakeFocusSelectsOnlyFocusableViewers)
{
  EXPECT_EQ(Obj(Grid)->accSelect(SELFLAG_TAKEFOCUS, AccSelf), S_OK);
  EXPECT_EQ(Bar->View->Selected(), Bar->View->Find(Grid));
  EXPECT_EQ(Obj(Grid)->accSelect(2, AccSelf), E_INVALIDARG);
  EXPECT_EQ(Obj(Sep)->accSelect(SELFLAG_TAKEFOCUS, AccSelf), S_FALSE);
  // The queued focus enters the bar's loop in keyboard mode; ending it leaves no capture.
  TScript script;
  bool inLoop = false;
  script.Do([&] { inLoop = Bar->View->InModalLoop; });
  script.Do([&] { Bar->View->EndModal(); });
  script.Abort = [this] { Bar->View->EndModal(); };
  script.Running = [this] { return Bar->View->InModalLoop; };
  script.Start();
  for (int i = 0; i < 20 && !script.Finished(); ++i) {
    Application->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_TRUE(inLoop);
  EXPECT_FALSE(Bar->View->InModalLoop);
  EXPECT_EQ(GetCaptureControl(), nullptr);
}

TEST_F(AccessibleItems, EditViewerIsTextWithItsValue)
{
  auto* edit = Root.AddNew<TTBEditItem>();
  edit->SetText("cam");
  Bar->View->UpdatePositions();
  auto o = Obj(edit);
  EXPECT_EQ(Role(*o), ROLE_SYSTEM_TEXT);
  std::string v;
  EXPECT_EQ(o->get_accValue(AccSelf, v), S_OK);
  EXPECT_EQ(v, "cam");
  EXPECT_EQ(Obj(File)->get_accValue(AccSelf, v), S_FALSE);
  EXPECT_EQ(v, "");
}

namespace {

class TBridgeToolbar : public TTBToolbar {
public:
  ~TBridgeToolbar() override { DestroyHandle(); }
};

// Runs F from inside the next nested loop; a loop still running 10 s on loses the capture.
// (Actions asked for by a reader run after its request, and a menu they open opens in the
// loop they enter: the check waits, posting itself again, until Ready holds.)
struct TInLoop {
  explicit TInLoop(std::function<void()> F, std::function<bool()> Ready = {})
      : Fn(std::move(F)), IsReady(std::move(Ready)),
        Bound("the menu loop a posted check ends", 10000, [] { ReleaseCapture(); })
  {
    Wnd = AllocateHWnd([this](TMessage&) {
      if (IsReady && !IsReady() && ++Tries < 50)
        PostMessage(Wnd, WM_USER, 0, 0);
      else
        Fn();
    });
    PostMessage(Wnd, WM_USER, 0, 0);
  }
  ~TInLoop() { DeallocateHWnd(Wnd); }
  std::function<void()> Fn;
  std::function<bool()> IsReady;
  int Tries = 0;
  testwait::TLoopBound Bound;
  HWND Wnd = 0;
};

const TAccessibleSnapshot* ChildNamed(const TAccessibleSnapshot& s, const std::string& name)
{
  for (const TAccessibleSnapshot& c : s.Children)
    if (c.Name == name)
      return &c;
  return nullptr;
}

}   // namespace

TEST(AccessibleItemsBridge, TheDesktopSeesAToolbarAndItsOpenMenuThroughThePlatform)
{
  TForm form;
  form.SetBounds(100, 100, 400, 200);
  TBridgeToolbar bar;
  bar.SetParent(&form);
  bar.SetCaption("Model");
  TTBCustomItem* file = bar.Items()->Add(Item("&File", tbisSubmenu));
  file->Add(Item("&Open"));
  file->Add(Item("Save\tCtrl+S"));
  AddSep(file);
  TTBCustomItem* grid = file->Add(Item("&Grid"));
  grid->SetChecked(true);
  TTBCustomItem* run = bar.Items()->Add(Item("&Run"));
  int runs = 0;
  run->OnClick = [&](TObject*) { ++runs; };
  TTBCustomItem* stop = bar.Items()->Add(Item("&Stop"));
  stop->SetEnabled(false);
  // A control hosted in the bar, known by its hint.
  TScrollBar step;
  step.SetBounds(0, 0, 80, 17);
  step.SetParams(30, 0, 360, 0);
  step.SetHint("run animation manually");
  step.SetParent(&bar);
  form.Show();
  bar.View()->ValidatePositions();

  // The tree as a screen reader gets it: the toolbar, then its buttons.
  TAccessibleSnapshot tree = AccessibleSnapshot(&bar);
  EXPECT_EQ(tree.Role, ROLE_SYSTEM_TOOLBAR);
  EXPECT_EQ(tree.Name, "Model");
  ASSERT_EQ(tree.Children.size(), 4u);
  const TAccessibleSnapshot& f = tree.Children[0];
  EXPECT_EQ(f.Name, "File");
  EXPECT_EQ(f.Role, ROLE_SYSTEM_BUTTONMENU);
  EXPECT_EQ(f.State, STATE_SYSTEM_HASPOPUP | STATE_SYSTEM_FOCUSABLE);
  EXPECT_EQ(f.Actions, "Open");
  EXPECT_EQ(f.KeyboardShortcut, "Alt+f");
  EXPECT_TRUE(f.Children.empty()) << "no menu while it is closed";
  const TAccessibleSnapshot& r = tree.Children[1];
  EXPECT_EQ(r.Name, "Run");
  EXPECT_EQ(r.Role, ROLE_SYSTEM_PUSHBUTTON);
  EXPECT_EQ(r.Actions, "Press");
  TTBItemViewer* rv = bar.View()->Find(run);
  TPoint tl = bar.ClientToScreen({rv->BoundsRect.Left, rv->BoundsRect.Top});
  EXPECT_EQ(r.Rect, Bounds(tl.X, tl.Y, rv->BoundsRect.Width(), rv->BoundsRect.Height()));
  const TAccessibleSnapshot& st = tree.Children[2];
  EXPECT_EQ(st.State, STATE_SYSTEM_UNAVAILABLE | STATE_SYSTEM_FOCUSABLE);
  EXPECT_EQ(st.Actions, "") << "an unavailable button offers no action";
  // The hosted control stands as itself: a slider with its steps, not a button to press.
  const TAccessibleSnapshot& hosted = tree.Children[3];
  EXPECT_EQ(hosted.Role, 0x33);
  EXPECT_EQ(hosted.Name, "run animation manually");
  EXPECT_EQ(hosted.Actions, "Increase");

  // Opening File through its default action, as a client would: while the menu runs, the
  // button is pressed and holds the menu, whose entries are menu items.
  TAccessibleSnapshot during;
  ASSERT_TRUE(AccessibleDoDefaultAction(&bar, {0}));
  {
    TInLoop check(
        [&] {
          during = AccessibleSnapshot(&bar);
          bar.View()->EndModal();
        },
        [&] { return bar.View()->OpenViewerView() != nullptr; });
    testwait::TWaiting waiting("the deferred action to open the menu");
    for (int i = 0; i < 20 && during.Children.empty(); ++i)
      Application->ProcessMessages();
  }
  ASSERT_EQ(during.Children.size(), 4u);
  const TAccessibleSnapshot& open = during.Children[0];
  EXPECT_EQ(open.State & (STATE_SYSTEM_PRESSED | STATE_SYSTEM_HOTTRACKED),
            STATE_SYSTEM_PRESSED | STATE_SYSTEM_HOTTRACKED);
  EXPECT_EQ(open.Actions, "Close");
  ASSERT_EQ(open.Children.size(), 1u);
  const TAccessibleSnapshot& menu = open.Children[0];
  EXPECT_EQ(menu.Role, ROLE_SYSTEM_MENUPOPUP);
  EXPECT_EQ(menu.Name, "File");
  ASSERT_EQ(menu.Children.size(), 4u);
  EXPECT_EQ(menu.Children[0].Role, ROLE_SYSTEM_MENUITEM);
  EXPECT_EQ(menu.Children[0].Name, "Open");
  EXPECT_EQ(menu.Children[0].Actions, "Execute");
  EXPECT_EQ(menu.Children[0].KeyboardShortcut, "o");
  EXPECT_NE(ChildNamed(menu, "Save\tCtrl+S"), nullptr) << "a menu entry's name carries its shortcut";
  EXPECT_EQ(menu.Children[2].Role, ROLE_SYSTEM_SEPARATOR);
  EXPECT_EQ(menu.Children[2].Actions, "") << "a separator does nothing when pressed";
  EXPECT_NE(menu.Children[3].State & STATE_SYSTEM_CHECKED, 0u);
  EXPECT_EQ(bar.View()->OpenViewerView(), nullptr) << "the menu closed with its loop";

  // Pressing Run through the bridge runs it (after the loop it enters).
  ASSERT_TRUE(AccessibleDoDefaultAction(&bar, {1}));
  {
    testwait::TWaiting waiting("the deferred press of Run");
    for (int i = 0; i < 20 && runs == 0; ++i)
      Application->ProcessMessages();
  }
  EXPECT_EQ(runs, 1);
  form.Hide();
}

namespace {

class TXBar : public TTBXToolbar {
public:
  ~TXBar() override { DestroyHandle(); }
};

}   // namespace

TEST(AccessibleItemsBridge, AComboBoxIsReadByItsTextValueAndEntriesAndPickedFromItsOpenList)
{
  TForm form;
  form.SetBounds(100, 100, 400, 200);
  TXBar bar;
  bar.SetBorderStyle(bsNone);
  bar.SetParent(&form);
  bar.SetCaption("Cam graph");
  auto* combo = bar.Items()->AddNew<TTBXComboBoxItem>();
  combo->SetEditWidth(110);
  combo->SetReadOnly(true);
  combo->SetDropDownList(true);
  combo->SetStrings({"Pear shaped", "Round", "Heart shaped"});
  combo->SetItemIndex(0);
  int picks = 0;
  combo->OnItemClick = [&](TObject*) { ++picks; };
  form.Show();
  bar.View()->ValidatePositions();

  // Closed: named and read by its text, its value the chosen entry's place.
  TAccessibleSnapshot tree = AccessibleSnapshot(&bar);
  ASSERT_EQ(tree.Children.size(), 1u);
  const TAccessibleSnapshot& c = tree.Children[0];
  EXPECT_EQ(c.Role, ROLE_SYSTEM_COMBOBOX);
  EXPECT_EQ(c.Name, "Pear shaped") << "a box without a caption goes by its text";
  EXPECT_TRUE(c.HasText);
  EXPECT_EQ(c.Text, "Pear shaped");
  ASSERT_TRUE(c.HasRange);
  EXPECT_EQ(c.Range.Position, 0);
  EXPECT_EQ(c.Range.Max, 2);
  // Its entries can be read while it is closed, in a list that does not show.
  ASSERT_EQ(c.Children.size(), 1u);
  EXPECT_EQ(c.Children[0].Role, ROLE_SYSTEM_LIST);
  EXPECT_NE(c.Children[0].State & STATE_SYSTEM_INVISIBLE, 0u);
  ASSERT_EQ(c.Children[0].Children.size(), 3u);
  EXPECT_EQ(c.Children[0].Children[2].Name, "Heart shaped");
  EXPECT_EQ(c.Children[0].Children[0].State & (STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_SELECTED),
            STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_SELECTED);

  // Opened through its action: the list and its entries stand below it while it is open,
  // and an entry's action picks it as a click in the list does.
  TAccessibleSnapshot during;
  ASSERT_TRUE(AccessibleDoDefaultAction(&bar, {0}));
  {
    TInLoop check(
        [&] {
          during = AccessibleSnapshot(&bar);
          AccessibleDoDefaultAction(&bar, {0, 0, 0, 1});
        },
        [&] { return bar.View()->OpenViewerView() != nullptr; });
    testwait::TWaiting waiting("the deferred action to open the list");
    for (int i = 0; i < 40 && picks == 0; ++i)
      Application->ProcessMessages();
  }
  ASSERT_EQ(during.Children.size(), 1u);
  ASSERT_EQ(during.Children[0].Children.size(), 1u) << "the open list's popup";
  const TAccessibleSnapshot& popup = during.Children[0].Children[0];
  EXPECT_EQ(popup.Role, ROLE_SYSTEM_MENUPOPUP);
  EXPECT_EQ(popup.Name, "Pear shaped") << "named as the box that opened it";
  ASSERT_EQ(popup.Children.size(), 1u);
  const TAccessibleSnapshot& list = popup.Children[0];
  EXPECT_EQ(list.Role, ROLE_SYSTEM_LIST);
  EXPECT_FALSE(list.Name.empty());
  ASSERT_EQ(list.Children.size(), 3u);
  const char* names[] = {"Pear shaped", "Round", "Heart shaped"};
  for (size_t i = 0; i < 3; ++i) {
    const TAccessibleSnapshot& e = list.Children[i];
    EXPECT_EQ(e.Role, ROLE_SYSTEM_LISTITEM);
    EXPECT_EQ(e.Name, names[i]);
    // (The keys move from the chosen entry: it has the focus.)
    EXPECT_EQ(e.State
                  & (STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED | STATE_SYSTEM_INVISIBLE
                     | STATE_SYSTEM_OFFSCREEN),
              STATE_SYSTEM_SELECTABLE | (i == 0 ? STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED : 0))
        << names[i];
    EXPECT_EQ(e.Actions, "Select");
    if (i > 0) {
      EXPECT_GT(e.Rect.Top, list.Children[i - 1].Rect.Top) << "one below the other";
    }
  }
  EXPECT_EQ(picks, 1);
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(AccessibleSnapshot(&bar).Children[0].Text, "Round");

  // Picked from the closed list, as a pick from the open one.
  ASSERT_TRUE(AccessibleDoDefaultAction(&bar, {0, 0, 2}));
  EXPECT_EQ(picks, 1) << "after the reader's request has been answered";
  Application->ProcessMessages();
  EXPECT_EQ(picks, 2);
  EXPECT_EQ(combo->ItemIndex(), 2);
  form.Hide();
}

TEST(AccessibleItemsBridge, ChevronPopupHiddenBarsAndCaptionsInTheCodePage)
{
  TForm form;
  form.SetBounds(100, 100, 400, 200);
  TPanel panel;
  panel.SetParent(&form);
  panel.SetBounds(0, 0, 400, 40);
  TXBar bar;
  bar.SetBorderStyle(bsNone);
  bar.SetParent(&panel);
  bar.SetAlign(alTop);
  bar.SetCaption("Levers");
  std::vector<TTBCustomItem*> buttons;
  for (const char* c : {"Arm", "Tweezers", "\xA3 5 a lesson"}) {
    auto i = std::make_unique<TTBXItem>();
    i->SetCaption(c);
    buttons.push_back(bar.Items()->Add(std::move(i)));
  }
  // Made last, the check box stands at the bar's right end: the first to go past the edge.
  TCheckBox labels;
  labels.SetCaption("Show labels");
  labels.SetBounds(0, 0, 90, 17);
  labels.SetParent(&bar);
  // Hosted a second time by mistake, it is still read once.
  bar.Items()->Add(std::make_unique<TTBControlItem>(&labels));
  form.Show();
  bar.View()->ValidatePositions();
  testwait::WaitUntil([&] { return form.Showing(); }, 3000);

  // Captions held in the program's code page reach readers as themselves.
  TAccessibleSnapshot tree = AccessibleSnapshot(&bar);
  ASSERT_EQ(tree.Children.size(), 4u) << "three buttons, and the box once";
  EXPECT_EQ(tree.Children[2].Name, "\xC2\xA3 5 a lesson");
  EXPECT_EQ(tree.Children[3].State & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN), 0u);

  // Too narrow: the check box goes past the edge and the chevron's popup holds it; the popup
  // is a menu named after the chevron.
  Integer room = 12 + 1;
  for (TTBCustomItem* b : {buttons[0], buttons[1], buttons[2]})
    room += bar.View()->Find(b)->BoundsRect.Width();
  panel.SetWidth(room);
  bar.View()->ValidatePositions();
  TAccessibleSnapshot narrow = AccessibleSnapshot(&bar);
  const TAccessibleSnapshot* box = nullptr;
  for (const TAccessibleSnapshot& s : narrow.Children)
    if (s.Name == "Show labels")
      box = &s;
  ASSERT_NE(box, nullptr);
  EXPECT_NE(box->State & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN), 0u)
      << "a control past the edge does not show, wherever it was moved";
  TTBItemViewer* chevron = nullptr;
  for (Integer i = 0; i < bar.View()->ViewerCount(); ++i)
    if (dynamic_cast<TTBChevronItem*>(bar.View()->Viewers(i)->Item()))
      chevron = bar.View()->Viewers(i);
  ASSERT_NE(chevron, nullptr);
  bar.View()->Select(chevron, false);
  ASSERT_TRUE(bar.View()->OpenChildPopup(false));
  // The box lent to the popup is read there alone, not under its toolbar too.
  std::function<int(const TAccessibleSnapshot&)> boxes = [&](const TAccessibleSnapshot& s) {
    int n = s.Name == "Show labels" ? 1 : 0;
    for (const TAccessibleSnapshot& c : s.Children)
      n += boxes(c);
    return n;
  };
  EXPECT_EQ(boxes(AccessibleSnapshot(&bar, 12)), 1);
  auto popup = TBAccViewObject(bar.View()->OpenViewerView());
  TAccVariant role;
  EXPECT_EQ(popup->get_accRole(AccSelf, role), S_OK);
  EXPECT_EQ(role.Int, ROLE_SYSTEM_MENUPOPUP);
  std::string name;
  popup->get_accName(AccSelf, name);
  EXPECT_EQ(name, "More Buttons");
  bar.View()->CloseChildPopups();

  // A hidden bar's items do not show.
  bar.SetVisible(false);
  for (const TAccessibleSnapshot& s : AccessibleSnapshot(&bar).Children)
    EXPECT_NE(s.State & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN), 0u) << s.Name;
  form.Hide();
}

// A reader opens a toolbar's chevron popup, Escape closes it (the toolbar waits on in
// keyboard mode), and the reader's open on the menu bar's "Test" then opens that menu: the
// waiting toolbar's loop ends as a click elsewhere would end it.
TEST(AccessibleItemsBridge, AfterTheChevronsPopupClosesWithEscapeTheMenuBarOpens)
{
  TForm form;
  form.SetBounds(100, 100, 400, 200);
  TXBar menu;
  menu.SetBorderStyle(bsNone);
  menu.SetParent(&form);
  menu.SetAlign(alTop);
  auto test = std::make_unique<TTBCustomItem>();
  test->SetCaption("Test");
  test->SetItemStyle(test->ItemStyle() | tbisSubmenu);
  auto start = std::make_unique<TTBCustomItem>();
  start->SetCaption("Start");
  test->Add(std::move(start));
  TTBCustomItem* testItem = menu.Items()->Add(std::move(test));
  menu.SetMenuBar(true);
  TPanel panel;
  panel.SetParent(&form);
  panel.SetBounds(0, 60, 400, 40);
  TXBar bar;
  bar.SetBorderStyle(bsNone);
  bar.SetParent(&panel);
  bar.SetAlign(alTop);
  std::vector<TTBCustomItem*> buttons;
  for (const char* c : {"Arm", "Tweezers", "Scissors"}) {
    auto i = std::make_unique<TTBXItem>();
    i->SetCaption(c);
    buttons.push_back(bar.Items()->Add(std::move(i)));
  }
  form.Show();
  testwait::WaitUntil([&] { return form.Showing(); }, 3000);
  tbtest::ParkPointer();
  bar.View()->ValidatePositions();
  // Room for the first button and either other one beside the chevron: the last goes.
  auto width = [&](int i) { return bar.View()->Find(buttons[size_t(i)])->BoundsRect.Width(); };
  panel.SetWidth(width(0) + std::max(width(1), width(2)) + 12);
  bar.View()->ValidatePositions();
  TTBItemViewer* chevron = nullptr;
  for (Integer i = 0; i < bar.View()->ViewerCount(); ++i)
    if (dynamic_cast<TTBChevronItem*>(bar.View()->Viewers(i)->Item()))
      chevron = bar.View()->Viewers(i);
  ASSERT_NE(chevron, nullptr);
  menu.View()->ValidatePositions();

  bool opened = false;
  TScript script;
  script.WaitFor([&] { return bar.View()->OpenViewerView() != nullptr; }, "the chevron's popup opens");
  script.Do([] { SimulateKey(VK_ESCAPE, 0, '\x1b'); });
  script.WaitFor([&] { return bar.View()->OpenViewerView() == nullptr; }, "Escape closes it");
  script.Do([&] { EXPECT_EQ(TBAccViewerObject(menu.View()->Find(testItem))->accDoDefaultAction(AccSelf), S_OK); });
  script.WaitFor([&] { return menu.View()->OpenViewerView() != nullptr; }, "the menu bar's Test opens");
  script.Do([&] {
    opened = true;
    menu.View()->EndModal();
  });
  script.Abort = [&] {
    bar.View()->EndModal();
    menu.View()->EndModal();
  };
  script.Running = [&] { return bar.View()->InModalLoop || menu.View()->InModalLoop; };
  script.Start();
  EXPECT_EQ(TBAccViewerObject(chevron)->accDoDefaultAction(AccSelf), S_OK);
  testwait::WaitUntil([&] { return script.Finished() && !script.Running(); }, 15000);
  EXPECT_TRUE(opened);
  EXPECT_EQ(GetCaptureControl(), nullptr);

  // A reader's press on an item in the chevron's popup runs it, and it goes back onto the
  // toolbar as a click there puts it.
  TTBCustomItem* hidden = nullptr;
  for (TTBCustomItem* b : buttons)
    if (bar.View()->Find(b)->OffEdge)
      hidden = b;
  ASSERT_NE(hidden, nullptr);
  int runs = 0;
  hidden->OnClick = [&](TObject*) { ++runs; };
  TScript press;
  press.WaitFor([&] { return bar.View()->OpenViewerView() != nullptr; }, "the chevron's popup opens");
  press.Do([&] {
    TTBItemViewer* inPopup = bar.View()->OpenViewerView()->Find(hidden);
    ASSERT_NE(inPopup, nullptr);
    EXPECT_EQ(TBAccViewerObject(inPopup)->accDoDefaultAction(AccSelf), S_OK);
  });
  press.WaitFor([&] { return runs == 1; }, "the item runs");
  press.Abort = [&] { bar.View()->EndModal(); };
  press.Running = [&] { return bar.View()->InModalLoop; };
  press.Start();
  EXPECT_EQ(TBAccViewerObject(chevron)->accDoDefaultAction(AccSelf), S_OK);
  testwait::WaitUntil([&] { return press.Finished() && !press.Running(); }, 15000);
  EXPECT_EQ(runs, 1);
  bar.View()->ValidatePositions();
  EXPECT_TRUE(bar.View()->Find(hidden)->Show && !bar.View()->Find(hidden)->OffEdge)
      << "back on the toolbar, as a click puts it";
  form.Hide();
}
