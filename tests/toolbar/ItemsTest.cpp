#include <gtest/gtest.h>

#include "platform/CanvasFixed.h"
#include "toolbar/PopupAnimation.h"
#include "toolbar/KitHelpers.h"
#include "toolbar/EditItems.h"
#include "toolbar/Items.h"

namespace {

struct TLog {
  std::vector<std::string> Lines;
  void Attach(TTBCustomItem* item)
  {
    item->RegisterNotification(this, [this](TTBCustomItem* s, bool relayed, TTBItemChangeKind k, Integer i,
                                            TTBCustomItem* it) {
      Lines.push_back(std::to_string(static_cast<int>(k)) + ":" + std::to_string(i) + (relayed ? "r" : "")
                      + (it ? ":" + it->Caption() : ""));
      (void)s;
    });
  }
};

std::unique_ptr<TTBCustomItem> Item(const std::string& caption)
{
  auto i = std::make_unique<TTBCustomItem>();
  i->SetCaption(caption);
  return i;
}

}   // namespace

TEST(Items, InsertDeleteChangeSequencesAndErrors)
{
  TTBRootItem root;
  TLog log;
  log.Attach(&root);
  TTBCustomItem* a = root.Add(Item("A"));
  EXPECT_EQ(log.Lines, (std::vector<std::string>{"3:-1", "0:0:A", "4:-1"}));
  log.Lines.clear();
  a->SetImageIndex(3);   // -1 -> 3: re-layout
  a->SetImageIndex(5);   // 3 -> 5: repaint only
  EXPECT_EQ(log.Lines, (std::vector<std::string>{"6:-1:A", "5:-1:A"}));
  EXPECT_THROW(root.Insert(5, Item("X")), ETBItemError);
  try {
    root.Items(7);
  } catch (const ETBItemError& e) {
    EXPECT_EQ(e.Message, "Toolbar item index out of range");
  }
  log.Lines.clear();
  std::unique_ptr<TTBCustomItem> back = root.Delete(0);
  EXPECT_EQ(log.Lines, (std::vector<std::string>{"1:0:A"}));
  EXPECT_EQ(back->Parent(), nullptr);
  root.UnregisterNotification(&log);
}

TEST(Items, RadioGroupsOptionsAndLinks)
{
  TTBRootItem root;
  TTBCustomItem* a = root.Add(Item("A"));
  TTBCustomItem* b = root.Add(Item("B"));
  TTBCustomItem* c = root.Add(Item("C"));
  a->SetGroupIndex(2);
  b->SetGroupIndex(2);
  c->SetGroupIndex(1);
  b->SetChecked(true);
  c->SetChecked(true);
  a->SetChecked(true);
  EXPECT_FALSE(b->Checked());
  EXPECT_TRUE(c->Checked());
  a->SetOptions(tboToolbarSize);
  EXPECT_EQ(a->Options(), 0);
  TLog log;
  log.Attach(&root);
  a->SetOptions(tboShowHint);
  EXPECT_TRUE(a->EffectiveOptions() & tboShowHint);
  EXPECT_TRUE(log.Lines.empty());
  a->SetLinkSubitems(a);
  EXPECT_EQ(a->LinkSubitems(), nullptr);
  root.UnregisterNotification(&log);
}

TEST(Items, HandlerUnregisteringItselfAndRelayOfInlineGroups)
{
  TTBRootItem root;
  int calls1 = 0, calls2 = 0;
  int key1 = 0, key2 = 0;
  root.RegisterNotification(&key1, [&](TTBCustomItem*, bool, TTBItemChangeKind, Integer, TTBCustomItem*) {
    ++calls1;
    root.UnregisterNotification(&key1);
  });
  root.RegisterNotification(&key2, [&](TTBCustomItem*, bool, TTBItemChangeKind, Integer, TTBCustomItem*) { ++calls2; });
  root.Add(Item("A"));
  EXPECT_EQ(calls1, 1);
  EXPECT_EQ(calls2, 3);   // begin, inserted, end: the loop went on
  root.UnregisterNotification(&key2);

  auto group = std::make_unique<TTBCustomItem>();
  group->SetItemStyle(group->ItemStyle() | tbisInlineGroup);
  TTBCustomItem* g = root.Add(std::move(group));
  TLog log;
  log.Attach(&root);
  g->Add(Item("X"));
  EXPECT_EQ(log.Lines[1], "0:0r:X");
  root.UnregisterNotification(&log);
}

TEST(Items, ClickAutoCheckAndDeferredClickOfDeletedItem)
{
  TTBRootItem root;
  TTBCustomItem* a = root.Add(Item("A"));
  int clicks = 0;
  a->OnClick = [&](TObject*) { ++clicks; };
  a->SetAutoCheck(true);
  a->Click();
  EXPECT_TRUE(a->Checked());
  a->SetEnabled(false);
  a->Click();
  EXPECT_TRUE(a->Checked());
  EXPECT_EQ(clicks, 1);
  a->SetEnabled(true);
  a->PostClick();
  EXPECT_EQ(PendingClickCount(), 1);
  root.Delete(0).reset();
  EXPECT_EQ(PendingClickCount(), 0);
  Application->ProcessMessages();
  EXPECT_EQ(clicks, 1);
}

TEST(Items, ShortcutsDisabledSubmenuAndRestartCap)
{
  TTBRootItem root;
  auto sub = Item("Sub");
  sub->SetItemStyle(sub->ItemStyle() | tbisSubmenu);
  TTBCustomItem* s = root.Add(std::move(sub));
  TTBCustomItem* x = s->Add(Item("X"));
  x->SetShortCut(ShortCut('S', ssCtrl));
  int clicks = 0;
  x->OnClick = [&](TObject*) { ++clicks; };
  EXPECT_TRUE(root.IsShortCut('S', ssCtrl));
  EXPECT_EQ(clicks, 1);
  s->SetEnabled(false);
  EXPECT_FALSE(root.IsShortCut('S', ssCtrl));
  s->SetEnabled(true);
  // A popup handler that rebuilds its children every time must not hold dispatch for ever.
  int popups = 0;
  s->OnPopup = [&](TTBCustomItem* item, bool) {
    ++popups;
    item->Clear();
    TTBCustomItem* n = item->Add(Item("Y"));
    (void)n;
  };
  EXPECT_FALSE(root.IsShortCut('S', ssCtrl));
  EXPECT_LT(popups, 50);
}

TEST(Items, ActionLinkCaptionStateAndClickFollowTheAction)
{
  TTBRootItem root;
  TTBCustomItem* save = root.Add(Item(""));
  TTBCustomItem* other = root.Add(Item("Other"));
  auto action = std::make_unique<TCustomAction>();
  action->SetCaption("&Save");
  action->SetHint("Save|Saves the picture");
  action->SetImageIndex(4);
  action->SetShortCut(ShortCut('S', ssCtrl));
  action->SetEnabled(false);
  int executed = 0;
  TComponent* executedFor = nullptr;
  action->OnExecute = [&](TObject* sender) {
    ++executed;
    EXPECT_EQ(sender, action.get());
    executedFor = action->ActionComponent;
  };
  TLog log;
  log.Attach(&root);

  save->SetAction(action.get());
  EXPECT_EQ(save->Action(), action.get());
  EXPECT_EQ(save->Caption(), "&Save");
  EXPECT_EQ(save->Hint(), "Save|Saves the picture");
  EXPECT_EQ(save->ImageIndex(), 4);
  EXPECT_EQ(save->GetShortCut(), ShortCut('S', ssCtrl));
  EXPECT_FALSE(save->Enabled());
  EXPECT_FALSE(log.Lines.empty()) << "the views hear of the changes";

  // A disabled action's item does nothing; enabled, a click runs the action for the item.
  save->Click();
  EXPECT_EQ(executed, 0);
  action->SetEnabled(true);
  EXPECT_TRUE(save->Enabled());
  save->Click();
  EXPECT_EQ(executed, 1);
  EXPECT_EQ(executedFor, save);
  EXPECT_EQ(action->ActionComponent, nullptr);

  // Caption and checked follow the action while the item still shows the action's value.
  action->SetCaption("Save &as");
  EXPECT_EQ(save->Caption(), "Save &as");
  action->SetChecked(true);
  EXPECT_TRUE(save->Checked());
  save->SetCaption("Keep");   // changed by hand: the caption no longer follows
  action->SetCaption("Store");
  EXPECT_EQ(save->Caption(), "Keep");
  action->SetEnabled(false);
  EXPECT_FALSE(save->Enabled()) << "the other properties still follow";
  action->SetEnabled(true);

  // AutoCheck through the action toggles once: the action toggles and the item follows.
  action->SetChecked(false);
  action->SetAutoCheck(true);
  EXPECT_TRUE(save->AutoCheck());
  save->Click();
  EXPECT_TRUE(action->Checked());
  EXPECT_TRUE(save->Checked());
  save->Click();
  EXPECT_FALSE(save->Checked());

  // The item's own OnClick wins over the action.
  int own = 0;
  save->OnClick = [&](TObject*) { ++own; };
  int before = executed;
  save->Click();
  EXPECT_EQ(own, 1);
  EXPECT_EQ(executed, before);
  save->OnClick = nullptr;

  // InitiateAction lets the action update itself, and the item follows.
  action->OnUpdate = [&](TObject*) { action->SetVisible(false); };
  other->InitiateAction();   // no action: nothing
  save->InitiateAction();
  EXPECT_FALSE(save->Visible());

  // The action goes first: the item forgets it and clicks run nothing.
  action.reset();
  EXPECT_EQ(save->Action(), nullptr);
  save->Click();
  EXPECT_EQ(executed, before);
  root.UnregisterNotification(&log);
}

TEST(Items, EditItemFollowsAnEditAction)
{
  TTBRootItem root;
  auto* edit = root.AddNew<TTBEditItem>();
  TTBEditAction action;
  action.SetCaption("Cam");
  action.SetEditCaption("Shape:");
  action.SetEditWidth(90);
  action.SetText("pear");
  edit->SetAction(&action);
  EXPECT_EQ(edit->Caption(), "Cam");
  EXPECT_EQ(edit->EditCaption(), "Shape:");
  EXPECT_EQ(edit->EditWidth(), 90);
  EXPECT_EQ(edit->Text(), "pear");
  action.SetText("heart");
  EXPECT_EQ(edit->Text(), "heart");
  edit->SetText("snail");
  action.SetText("circle");
  EXPECT_EQ(edit->Text(), "snail") << "typed text no longer follows";
  action.SetEditWidth(120);
  EXPECT_EQ(edit->EditWidth(), 120);
  // Typed text is offered to the action's handler when the item has none.
  std::string offered;
  action.OnAcceptText = [&](TObject*, std::string& text, bool& accept) {
    offered = text;
    accept = text != "bad";
  };
  std::string text = "bad";
  bool accept = true;
  edit->DoAcceptText(text, accept);
  EXPECT_EQ(offered, "bad");
  EXPECT_FALSE(accept);
  edit->SetAction(nullptr);
  EXPECT_EQ(edit->ActionLink(), nullptr);
  action.SetEditWidth(30);
  EXPECT_EQ(edit->EditWidth(), 120);
}

TEST(KitHelpers, AccelTextAndMenuDelay)
{
  EXPECT_EQ(StripAccelChars("&File && Edit"), "File & Edit");
  EXPECT_EQ(FindAccelChar("A && B"), 0);
  EXPECT_EQ(FindAccelChar("&Open"), 'O');
  EXPECT_EQ(StripTrailingPunctuation("Save as..."), "Save as");
  TSystemSettings s;
  s.MenuShowDelay.reset();
  SetSystemSettings(s);
  EXPECT_EQ(GetMenuShowDelay(), 400);
  s.StoredMenuShowDelay = "abc";
  SetSystemSettings(s);
  EXPECT_EQ(GetMenuShowDelay(), 0);
  ResetSystemSettings();
}

TEST(PopupAnimation, StepsNeverDivideByZero)
{
  EXPECT_EQ(AnimationStep(0, 0), 255);
  EXPECT_EQ(AnimationStep(75, 150), 112);
  EXPECT_EQ(AnimationStep(150, 150), 255);
  EXPECT_EQ(AnimationElapsedMs(500, 10), 500);   // frequency below 1000
  EXPECT_EQ(AnimationSlideOffset(tbadDownward, 0, 10, 20).Y, -20);
  EXPECT_EQ(AnimationSlideOffset(tbadDownward, 255, 10, 20).Y, 0);
}

TEST(ToolbarImageList, StateImages)
{
  TTBImageList list(4, 4);
  TTBImageList hot(4, 4), disabled(4, 4);
  TBitmap red(4, 4), blue(4, 4), green(4, 4);
  red.Fill(clRed);
  blue.Fill(clBlue);
  green.Fill(clLime);
  list.Add(red, nullptr);
  hot.Add(blue, nullptr);
  disabled.Add(green, nullptr);
  list.SetHotImages(&list);
  EXPECT_EQ(list.HotImages(), nullptr);
  list.SetHotImages(&hot);
  list.SetDisabledImages(&disabled);
  TBitmap out(4, 4);
  list.DrawState(out.Canvas(), 0, 0, 0, false, false, false);
  EXPECT_EQ(out.GetPixel(1, 1), clLime);
  list.DrawState(out.Canvas(), 0, 0, 0, true, true, false);
  EXPECT_EQ(out.GetPixel(1, 1), clBlue);
  list.DrawState(out.Canvas(), 0, 0, 0, true, false, false);
  EXPECT_EQ(out.GetPixel(1, 1), clRed);
}

TEST(ToolbarPopup, PlacementTable)
{
  TTBCustomItem item;
  struct TCase {
    TRect Parent;
    bool Submenu;
    Integer W, H;
    TPoint Expect;
  };
  TRect monitor{0, 0, 800, 600};
  TCase cases[] = {
      {{10, 10, 60, 30}, false, 100, 200, {10, 30}},       // below the button
      {{10, 550, 60, 570}, false, 100, 200, {10, 350}},    // flips above near the bottom
      {{750, 10, 790, 30}, false, 100, 200, {650, 30}},    // shifted inside the monitor (no parent view: from X)
      {{100, 100, 300, 120}, true, 150, 100, {297, 97}},   // submenu to the right
      {{650, 100, 790, 120}, true, 150, 100, {637, 97}},   // no room: to the left of X
  };
  for (const TCase& c : cases) {
    TTBPopupPositionRec r;
    r.PositionAsSubmenu = c.Submenu;
    r.MonitorRect = monitor;
    r.ParentItemRect = c.Parent;
    r.NCSizeX = r.NCSizeY = 3;
    r.W = c.W;
    r.H = c.H;
    r.X = c.Submenu ? c.Parent.Right - 3 : c.Parent.Left;
    r.Y = c.Submenu ? c.Parent.Top - 3 : c.Parent.Bottom;
    item.GetPopupPosition(nullptr, nullptr, r);
    EXPECT_EQ(TPoint({r.X, r.Y}), c.Expect) << c.Parent.Left << "," << c.Parent.Top;
  }
}

TEST(KitHelpers, RotatedTextRunsDownwardsWithItsAcceleratorUnderlined)
{
  // Fixed metrics: a font 20 high has descent 4 and characters 10 wide.
  TFixedMetricDevice* dev = nullptr;
  auto c = CreateFixedMetricCanvas(400, 300, &dev);
  c->Font().SetHeight(-20);
  c->SetTextColor(clRed);
  auto texts = [&] {
    std::vector<TCanvasRecord> out;
    for (const TCanvasRecord& r : dev->Records)
      if (r.Kind == TCanvasRecord::TextOut || r.Kind == TCanvasRecord::Fill)
        out.push_back(r);
    return out;
  };
  DrawRotatedText(*c, "&File", {10, 5, 40, 200}, 0);
  std::vector<TCanvasRecord> got = texts();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].Text, u"File");
  EXPECT_EQ(got[0].Font.Orientation, 2700);
  // The cell (20 wide) is centred in the 30 wide rectangle from x = 15; the baseline lies
  // the descent in from its left side and runs down from the top.
  EXPECT_EQ(got[0].Point, (TPoint{19, 5}));
  // The underline: one pixel wide, 2 left of the baseline, along the "F".
  EXPECT_EQ(got[1].Rect, (TRect{17, 5, 18, 15}));
  EXPECT_EQ(got[1].Color, clRed);
  EXPECT_EQ(c->Font().Orientation(), 0) << "the canvas's font is given back upright";

  dev->ClearRecords();
  DrawRotatedText(*c, "Fi&le", {10, 5, 40, 200}, DT_CENTER | DT_HIDEPREFIX);
  got = texts();
  ASSERT_EQ(got.size(), 1u) << "no underline with the marks hidden";
  EXPECT_EQ(got[0].Text, u"File");
  EXPECT_EQ(got[0].Point, (TPoint{19, 5 + (195 - 40) / 2}));

  dev->ClearRecords();
  DrawRotatedText(*c, "&File", {10, 5, 40, 35}, DT_END_ELLIPSIS);
  got = texts();
  ASSERT_GE(got.size(), 1u);
  EXPECT_EQ(got[0].Text, u"F...") << "shortened to one character and the ellipsis";
}

TEST(KitHelpers, RemovingMessagesPostsAQuitAgainWithItsCode)
{
  HWND w = AllocateHWnd([](TMessage&) {});
  PostMessage(w, 0x11, 0, 0);
  PostQuitMessage(7);
  PostMessage(w, 0x13, 0, 0);
  PostMessage(w, 0x30, 0, 0);
  RemoveMessages(0x10, 0x20);
  TMsg m;
  ASSERT_TRUE(PeekMessage(m, 0, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, 0x30u);
  ASSERT_TRUE(PeekMessage(m, 0, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_QUIT);
  EXPECT_EQ(m.wParam, 7u);
  EXPECT_FALSE(PeekMessage(m, 0, 0, 0, PM_REMOVE));
  DeallocateHWnd(w);
}

TEST(Items, AViewOfALinkingItemShowsTheLinkedChildrenAndOnlyInlineGroupsRelayTheirChanges)
{
  // X's children are shown by an inline group L of menu M, and are the popup of Q.
  TLog mLog, lLog, qLog;   // outlive the items, which tell them of their end
  TTBCustomItem x, m, q;
  auto group = std::make_unique<TTBCustomItem>();
  group->SetItemStyle(group->ItemStyle() | tbisInlineGroup);
  group->SetLinkSubitems(&x);
  TTBCustomItem* l = m.Add(std::move(group));
  q.SetLinkSubitems(&x);
  mLog.Attach(&m);
  lLog.Attach(l);
  qLog.Attach(&q);
  x.Add(Item("A"));
  // M hears of it through its group, relayed; L and Q themselves did not change.
  EXPECT_EQ(mLog.Lines, (std::vector<std::string>{"3:-1r", "0:0r:A", "4:-1r"}));
  EXPECT_TRUE(lLog.Lines.empty());
  EXPECT_TRUE(qLog.Lines.empty());

  // A view of an item that links to Q (as the popup of such an item is) shows Q's own
  // children from the start; X's new child is none of them.
  TTBCustomItem p;
  p.SetLinkSubitems(&q);
  q.Add(Item("Q1"));
  TCustomControl window;
  TTBView view(nullptr, &p, &window, true, false, false);
  ASSERT_EQ(view.ViewerCount(), 1);
  x.Add(Item("B"));
  EXPECT_EQ(view.ViewerCount(), 1);
  EXPECT_EQ(view.Viewers(0)->Item()->Caption(), "Q1");
}

TEST(Items, AViewAsksTheActionsOfTheItemsItIsAboutToShow)
{
  auto action = std::make_unique<TCustomAction>();
  action->SetCaption("Save");
  bool allowed = false;
  int updates = 0;
  action->OnUpdate = [&](TObject*) {
    ++updates;
    action->SetEnabled(allowed);
  };
  TTBCustomItem menu, other;
  TTBCustomItem* save = menu.Add(Item(""));
  save->SetAction(action.get());
  other.Add(Item("Plain"));
  TCustomControl window;
  {
    // Opening the menu (its view is made) runs the action's update: the item follows.
    TTBView view(nullptr, &menu, &window, false, false, false);
    EXPECT_EQ(updates, 1);
    EXPECT_FALSE(save->Enabled());
  }
  allowed = true;
  // A view whose root changes to the menu (its parent item now links there) asks again.
  TTBCustomItem opener;
  TTBView view(nullptr, &opener, &window, false, false, false);
  EXPECT_EQ(updates, 1);
  opener.SetLinkSubitems(&menu);
  EXPECT_EQ(view.ViewerCount(), 1);
  EXPECT_EQ(updates, 2);
  EXPECT_TRUE(save->Enabled());
  save->SetAction(nullptr);
}
