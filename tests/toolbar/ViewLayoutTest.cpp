// View layout with items of fixed sizes: wrapping, the chevron cut, vertical bars, tall
// menus that scroll; selection and keyboard navigation.
#include <gtest/gtest.h>

#include "toolbar/Items.h"
#include "tests/toolbar/TestBar.h"

using namespace tbtest;

namespace {

// A viewer of a fixed size, whatever the font.
class TFixedViewer : public TTBItemViewer {
public:
  TFixedViewer(TTBView* view, TTBCustomItem* item, Integer level, TSize size)
      : TTBItemViewer(view, item, level), FSize(size)
  {}
  void CalcSize(TCanvas&, Integer& w, Integer& h) override
  {
    w = FSize.cx;
    h = FSize.cy;
  }

private:
  TSize FSize;
};

class TFixedItem : public TTBCustomItem {
public:
  TFixedItem(const std::string& caption, Integer w, Integer h) : FSize{w, h} { SetCaption(caption); }
  std::unique_ptr<TTBItemViewer> CreateViewer(TTBView* view, Integer level) override
  {
    return std::make_unique<TFixedViewer>(view, this, level, FSize);
  }

private:
  TSize FSize;
};

TTBCustomItem* AddFixed(TTBCustomItem* parent, const std::string& caption, Integer w, Integer h)
{
  return parent->Add(std::make_unique<TFixedItem>(caption, w, h));
}

// A view with a chevron item, as the toolbar makes one.
class TChevronView : public TTBView {
public:
  TChevronView(TTBCustomItem* root, TCustomControl* window, bool priority, Integer offset = 100, Integer size = 12)
      : TTBView(nullptr, root, window, true, false, priority)
  {
    RecreateAllViewers();
    ChevronOffset = offset;
    ChevronSize = size;
    UpdatePositions();
  }
  TTBCustomItem* GetChevronItem() override { return &Chevron; }
  TTBCustomItem Chevron;
};

struct TLayout {
  TTBRootItem Root;
  TCustomControl Window;
  // Items "A", "B"... of one size.
  void AddItems(int count, Integer w, Integer h)
  {
    for (int i = 0; i < count; ++i)
      AddFixed(&Root, std::string(1, char('A' + i)), w, h);
  }
  std::string Shown(TTBView& view)
  {
    std::string s;
    for (Integer i = 0; i < view.ViewerCount(); ++i) {
      TTBItemViewer* v = view.Viewers(i);
      if (v->Show && !v->Item()->Caption().empty())
        s += v->Item()->Caption();
      else if (v->Show && (v->Item()->ItemStyle() & tbisSeparator))
        s += '|';
    }
    return s;
  }
};

TRect RectOf(TTBView& view, TTBCustomItem* item) { return view.Find(item)->BoundsRect; }

// The captions of all viewers in order, "g" for an item without one (a group).
std::string ViewerOrder(TTBView& view)
{
  std::string s;
  for (Integer i = 0; i < view.ViewerCount(); ++i)
    s += view.Viewers(i)->Item()->Caption().empty() ? "g" : view.Viewers(i)->Item()->Caption();
  return s;
}

}   // namespace

TEST(ToolbarLayout, WrapsRowsAndSeparatorsBecomeRowBreaks)
{
  TLayout l;
  l.AddItems(5, 30, 20);
  TTBView view(nullptr, &l.Root, &l.Window, true, false, false);
  view.WrapOffset = 100;
  view.UpdatePositions();
  EXPECT_EQ(RectOf(view, l.Root.Items(2)), (TRect{60, 0, 90, 20}));
  EXPECT_EQ(RectOf(view, l.Root.Items(3)), (TRect{0, 20, 30, 40}));   // overflowed to row 2
  EXPECT_EQ(view.WrappedLines, 2);
  TPoint base;
  Integer lines = 0;
  TPoint total = view.CalculatePositions(false, voHorizontal, 100, 0, 0, base, lines);
  EXPECT_EQ(total, (TPoint{100, 40}));   // at least the wrap width once wrapped
  EXPECT_EQ(base, (TPoint{150, 20}));

  // A separator where the row would overflow becomes a full-width break 6 pixels high.
  TTBCustomItem* sep = l.Root.Insert(3, std::make_unique<TTBSeparatorItem>());
  view.UpdatePositions();
  TTBItemViewer* sv = view.Find(sep);
  EXPECT_TRUE(sv->LineSep);
  EXPECT_EQ(sv->BoundsRect.Top, 20);
  EXPECT_EQ(sv->BoundsRect.Height(), 6);
  EXPECT_EQ(sv->BoundsRect.Width(), 100);
  EXPECT_EQ(RectOf(view, l.Root.Items(4)), (TRect{0, 26, 30, 46}));
  // Without wrapping the same separator is an ordinary 6-pixel one taking the bar's height.
  view.WrapOffset = 0;
  view.UpdatePositions();
  EXPECT_FALSE(sv->LineSep);
  EXPECT_EQ(sv->BoundsRect, (TRect{90, 0, 96, 20}));
}

// A row that ends exactly at the wrap offset fits: only a run beyond it wraps.
TEST(ToolbarLayout, ARowExactlyAsWideAsTheWrapOffsetStaysOneRow)
{
  TLayout l;
  l.AddItems(4, 25, 20);
  TTBView view(nullptr, &l.Root, &l.Window, true, false, false);
  view.WrapOffset = 100;
  view.UpdatePositions();
  EXPECT_EQ(RectOf(view, l.Root.Items(3)), (TRect{75, 0, 100, 20}));
  EXPECT_EQ(view.WrappedLines, 1);
  // One pixel narrower, the last item goes to a second row.
  view.WrapOffset = 99;
  view.UpdatePositions();
  EXPECT_EQ(RectOf(view, l.Root.Items(3)), (TRect{0, 20, 25, 40}));
  EXPECT_EQ(view.WrappedLines, 2);

  // A separator whose run up to the next separator ends exactly at the offset is no row break.
  TLayout s;
  AddFixed(&s.Root, "A", 30, 20);
  AddFixed(&s.Root, "B", 30, 20);
  TTBCustomItem* sep = s.Root.Add(std::make_unique<TTBSeparatorItem>());
  AddFixed(&s.Root, "C", 34, 20);   // 30 + 30 + 6 + 34 = 100
  TTBView bar(nullptr, &s.Root, &s.Window, true, false, false);
  bar.WrapOffset = 100;
  bar.UpdatePositions();
  EXPECT_FALSE(bar.Find(sep)->LineSep);
  EXPECT_EQ(RectOf(bar, s.Root.Items(3)), (TRect{66, 0, 100, 20}));
  EXPECT_EQ(bar.WrappedLines, 1);
  bar.WrapOffset = 99;
  bar.UpdatePositions();
  EXPECT_TRUE(bar.Find(sep)->LineSep);
  EXPECT_EQ(RectOf(bar, s.Root.Items(3)), (TRect{0, 26, 34, 46}));
}

TEST(ToolbarLayout, ChevronCutKeepsTheChevronInTheBarAndFollowsPriority)
{
  TLayout l;
  l.AddItems(5, 30, 20);
  TChevronView view(&l.Root, &l.Window, false);
  EXPECT_EQ(l.Shown(view), "AB");
  EXPECT_TRUE(view.Find(l.Root.Items(4))->OffEdge);
  TTBItemViewer* chevron = view.Viewers(view.ViewerCount() - 1);
  EXPECT_TRUE(chevron->Show);
  EXPECT_EQ(chevron->BoundsRect, (TRect{88, 0, 100, 20}));
  EXPECT_TRUE(view.Chevron.Enabled());
  // A bar too short for two items and the chevron gives up more, down to none: the chevron
  // stays inside the bar, at its end.
  view.ChevronOffset = 50;
  view.UpdatePositions();
  EXPECT_EQ(l.Shown(view), "A");
  EXPECT_EQ(chevron->BoundsRect, (TRect{38, 0, 50, 20}));
  view.ChevronOffset = 20;
  view.UpdatePositions();
  EXPECT_EQ(l.Shown(view), "");
  EXPECT_EQ(chevron->BoundsRect, (TRect{8, 0, 20, 20}));
  EXPECT_TRUE(chevron->Show);
  // Shorter than the chevron itself: two items stay.
  view.ChevronOffset = 5;
  view.UpdatePositions();
  EXPECT_EQ(l.Shown(view), "AB");
  // Room for all: no chevron.
  view.ChevronOffset = 400;
  view.UpdatePositions();
  EXPECT_EQ(l.Shown(view), "ABCDE");
  EXPECT_FALSE(chevron->Show);

  // A separator left at the end of the shown items goes first.
  TLayout l2;
  AddFixed(&l2.Root, "A", 30, 20);
  AddFixed(&l2.Root, "B", 30, 20);
  AddSep(&l2.Root);
  AddFixed(&l2.Root, "C", 30, 20);
  TChevronView v2(&l2.Root, &l2.Window, false, 80);
  EXPECT_EQ(l2.Shown(v2), "AB");
}

TEST(ToolbarLayout, LeastRecentlyUsedGoesOffEdgeFirst)
{
  TLayout l;
  l.AddItems(5, 30, 20);
  TChevronView view(&l.Root, &l.Window, true);
  EXPECT_EQ(l.Shown(view), "AB");
  // Executing E (from the chevron popup) gives it priority: it comes back, B goes.
  view.GivePriority(view.Find(l.Root.Items(4)));
  EXPECT_EQ(view.PriorityList().front()->Item()->Caption(), "E");
  EXPECT_EQ(l.Shown(view), "AE");
  EXPECT_EQ(RectOf(view, l.Root.Items(4)), (TRect{30, 0, 60, 20}));

  // Items added once the bar shows have not been used either: the rightmost go first, as
  // for items that were there from the start, and one put in between takes its place.
  TLayout r;
  TChevronView later(&r.Root, &r.Window, true, 110);
  r.AddItems(5, 30, 20);
  later.UpdatePositions();
  EXPECT_EQ(r.Shown(later), "ABC");
  AddFixed(&r.Root, "F", 30, 20);
  r.Root.Insert(1, std::make_unique<TFixedItem>("X", 30, 20));
  later.UpdatePositions();
  EXPECT_EQ(r.Shown(later), "AXB");
  r.Root.Insert(0, std::make_unique<TFixedItem>("Y", 30, 20));
  later.UpdatePositions();
  EXPECT_EQ(r.Shown(later), "YAX");
}

// The chevron offers a hosted control that alone went past the edge (its popup takes the
// control), and shows only when something is behind it.
TEST(ToolbarLayout, ChevronOffersAControlThatAloneWentOffEdge)
{
  TLayout l;
  AddFixed(&l.Root, "A", 30, 20);
  AddFixed(&l.Root, "B", 30, 20);
  TCustomControl* edit = TComponent::Create<TCustomControl>(&l.Window);
  edit->SetBounds(0, 0, 60, 20);
  edit->SetParent(&l.Window);
  static_cast<TTBControlItem*>(l.Root.Add(std::make_unique<TTBControlItem>(edit)))->SetKeepControl(true);
  TChevronView view(&l.Root, &l.Window, false);
  EXPECT_EQ(l.Shown(view), "AB");
  EXPECT_TRUE(view.Viewers(view.ViewerCount() - 1)->Show);
  EXPECT_TRUE(view.Chevron.Enabled());
  EXPECT_LT(edit->Left() + edit->Width(), 0);   // moved out of sight
  view.ChevronOffset = 0;
  view.UpdatePositions();
  EXPECT_EQ(edit->BoundsRect(), (TRect{60, 0, 120, 20}));
  // Too short for the two items and the chevron: they go behind it.
  edit->SetVisible(false);
  view.ChevronOffset = 40;
  view.UpdatePositions();
  EXPECT_EQ(l.Shown(view), "");
  EXPECT_TRUE(view.Viewers(view.ViewerCount() - 1)->Show);
  // Room for both: nothing hides, no chevron.
  view.ChevronOffset = 60;
  view.UpdatePositions();
  EXPECT_EQ(l.Shown(view), "AB");
  EXPECT_FALSE(view.Viewers(view.ViewerCount() - 1)->Show);
}

TEST(ToolbarLayout, VerticalBarsMirrorTheirColumns)
{
  TLayout l;
  l.AddItems(3, 20, 30);
  TTBView view(nullptr, &l.Root, &l.Window, true, false, false);
  view.SetOrientation(voVertical);
  view.WrapOffset = 70;
  view.UpdatePositions();
  // C wrapped into a second column; the first column lies on the right.
  EXPECT_EQ(RectOf(view, l.Root.Items(0)), (TRect{20, 0, 40, 30}));
  EXPECT_EQ(RectOf(view, l.Root.Items(1)), (TRect{20, 30, 40, 60}));
  EXPECT_EQ(RectOf(view, l.Root.Items(2)), (TRect{0, 0, 20, 30}));
  // A narrower item is centred across its column.
  TLayout l2;
  AddFixed(&l2.Root, "A", 30, 20);
  AddFixed(&l2.Root, "B", 20, 20);
  TTBView v2(nullptr, &l2.Root, &l2.Window, true, false, false);
  v2.SetOrientation(voVertical);
  v2.UpdatePositions();
  EXPECT_EQ(RectOf(v2, l2.Root.Items(1)), (TRect{5, 20, 25, 40}));
}

TEST(ToolbarLayout, TallMenusScrollByWholeItems)
{
  TLayout l;
  for (int i = 0; i < 10; ++i)
    AddFixed(&l.Root, std::string(1, char('a' + i)), 50, 20);
  TTBView view(nullptr, &l.Root, &l.Window, false, false, false);
  view.MaxHeight = 100;
  view.UpdatePositions();
  EXPECT_FALSE(view.ShowUpArrow);
  EXPECT_TRUE(view.ShowDownArrow);
  EXPECT_EQ(l.Shown(view), "abcd");   // e would reach into the arrow band
  EXPECT_TRUE(view.Find(l.Root.Items(4))->Clipped);
  // Each step brings the next cut item fully above the band.
  view.HandleTimer(tiScrollDown);
  EXPECT_EQ(view.ScrollOffset, 19);
  EXPECT_EQ(l.Shown(view), "cde");
  EXPECT_EQ(RectOf(view, l.Root.Items(4)), (TRect{0, 61, 50, 81}));
  view.HandleTimer(tiScrollDown);
  EXPECT_EQ(view.ScrollOffset, 39);
  view.HandleTimer(tiScrollUp);   // c (top 1) comes down to the band
  EXPECT_EQ(view.ScrollOffset, 21);
  view.HandleTimer(tiScrollUp);
  EXPECT_EQ(view.ScrollOffset, 1);
  view.HandleTimer(tiScrollUp);
  EXPECT_EQ(view.ScrollOffset, 0);
  EXPECT_FALSE(view.ShowUpArrow);
  // End and Home scroll the last and the first item into view.
  Word key = VK_END;
  view.KeyDown(key, 0);
  EXPECT_EQ(key, 0);
  EXPECT_EQ(view.Selected()->Item()->Caption(), "j");
  EXPECT_TRUE(view.Selected()->Show);
  EXPECT_EQ(view.ScrollOffset, 100);
  EXPECT_FALSE(view.ShowDownArrow);
  key = VK_HOME;
  view.KeyDown(key, 0);
  EXPECT_EQ(view.Selected()->Item()->Caption(), "a");
  EXPECT_TRUE(view.Selected()->Show);
  EXPECT_EQ(view.ScrollOffset, 0);
}

TEST(ToolbarLayout, TabCyclesThroughSelectableItemsAndAccelerators)
{
  TLayout l;
  TTBCustomItem* alpha = l.Root.Add(Item("&Alpha"));
  TTBCustomItem* apple = l.Root.Add(Item("A&pple"));
  AddSep(&l.Root);
  TTBCustomItem* bravo = l.Root.Add(Item("Bravo"));
  TTBCustomItem* delta = l.Root.Add(Item("&Delta"));
  TTBCustomItem* second = l.Root.Add(Item("&Also"));
  TTBCustomItem* hidden = l.Root.Add(Item("Hidden"));
  delta->SetEnabled(false);
  hidden->SetVisible(false);
  TTBView view(nullptr, &l.Root, &l.Window, false, false, false);
  std::string order;
  for (int i = 0; i < 6; ++i) {
    Word key = VK_TAB;
    view.KeyDown(key, 0);
    order += view.Selected()->Item()->Caption() + ",";
  }
  // The disabled item is selectable, the hidden one and the separator are not.
  EXPECT_EQ(order, "&Alpha,A&pple,Bravo,&Delta,&Also,&Alpha,");
  Word key = VK_TAB;
  view.KeyDown(key, ssShift);
  EXPECT_EQ(view.Selected()->Item(), second);
  bool only = false;
  // Two items with the accelerator A: the match moves between them and is not the only one.
  EXPECT_EQ(view.FindAccelViewer(nullptr, 'a', only, false)->Item(), alpha);
  EXPECT_FALSE(only);
  EXPECT_EQ(view.FindAccelViewer(view.Find(alpha), 'a', only, false)->Item(), second);
  EXPECT_EQ(view.FindAccelViewer(nullptr, 'P', only, false)->Item(), apple);
  EXPECT_TRUE(only);
  // A first letter counts only for captions without an accelerator.
  EXPECT_EQ(view.FindAccelViewer(nullptr, 'b', only, false)->Item(), bravo);
  EXPECT_TRUE(only);
  EXPECT_EQ(view.FindAccelViewer(nullptr, 'b', only, true), nullptr);
  // A disabled item is found after the enabled ones.
  EXPECT_EQ(view.FindAccelViewer(nullptr, 'd', only, false)->Item(), delta);
  EXPECT_EQ(view.FindAccelViewer(nullptr, 'h', only, false), nullptr);
  EXPECT_EQ(view.FirstSelectable()->Item(), alpha);
  alpha->SetItemStyle(alpha->ItemStyle() | tbisSkipOnSelectFirst);
  EXPECT_EQ(view.FirstSelectable()->Item(), apple);
}

TEST(ToolbarLayout, ViewersFollowInsertionsIntoInlineGroupsAndDeletions)
{
  TLayout l;
  AddFixed(&l.Root, "A", 30, 20);
  auto group = std::make_unique<TTBCustomItem>();
  group->SetItemStyle(group->ItemStyle() | tbisInlineGroup);
  TTBCustomItem* g = l.Root.Add(std::move(group));
  AddFixed(g, "X", 30, 20);
  AddFixed(g, "Y", 30, 20);
  AddFixed(&l.Root, "C", 30, 20);
  TTBView view(nullptr, &l.Root, &l.Window, true, false, false);
  auto order = [&] { return ViewerOrder(view); };
  view.UpdatePositions();
  EXPECT_EQ(order(), "AgXYC");
  EXPECT_EQ(l.Shown(view), "AXYC");   // the group itself takes no place
  AddFixed(g, "Z", 30, 20);
  g->Insert(0, std::make_unique<TFixedItem>("W", 30, 20));
  l.Root.Insert(1, std::make_unique<TFixedItem>("B", 30, 20));
  EXPECT_EQ(order(), "ABgWXYZC");
  EXPECT_EQ(view.Find(g->Items(0))->GroupLevel, 1);
  EXPECT_TRUE(view.PositionsValid());
  EXPECT_EQ(RectOf(view, l.Root.Items(3)), (TRect{180, 0, 210, 20}));
  view.Select(view.Find(g->Items(1)), false);
  std::unique_ptr<TTBCustomItem> gone = l.Root.Remove(g);
  EXPECT_EQ(order(), "ABC");
  EXPECT_EQ(view.Selected(), nullptr);
  EXPECT_THROW(view.Find(gone.get()), ETBItemError);
}

TEST(ToolbarLayout, StretchedItemsFillTheRowAndRightAlignedOnesMoveToItsEnd)
{
  // A stretched item takes the bar's full thickness; its short neighbour is centred.
  TLayout l;
  AddFixed(&l.Root, "A", 30, 20);
  TTBCustomItem* s = AddFixed(&l.Root, "S", 30, 10);
  s->SetItemStyle(s->ItemStyle() | tbisStretch);
  AddFixed(&l.Root, "C", 30, 10);
  TTBView view(nullptr, &l.Root, &l.Window, true, false, false);
  view.UpdatePositions();
  EXPECT_EQ(RectOf(view, s), (TRect{30, 0, 60, 20}));
  EXPECT_EQ(RectOf(view, l.Root.Items(2)), (TRect{60, 5, 90, 15}));

  // In a wrapped bar the items from the first right-aligned one to the row's end move so
  // that the row ends at the wrap width; what comes before stays, the next row is its own.
  TLayout r;
  r.AddItems(4, 30, 20);
  TTBCustomItem* b = r.Root.Items(1);
  b->SetItemStyle(b->ItemStyle() | tbisRightAlign);
  TTBView wrapped(nullptr, &r.Root, &r.Window, true, false, false);
  wrapped.WrapOffset = 100;
  wrapped.UpdatePositions();
  EXPECT_EQ(RectOf(wrapped, r.Root.Items(0)), (TRect{0, 0, 30, 20}));
  EXPECT_EQ(RectOf(wrapped, b), (TRect{40, 0, 70, 20}));
  EXPECT_EQ(RectOf(wrapped, r.Root.Items(2)), (TRect{70, 0, 100, 20}));
  EXPECT_EQ(RectOf(wrapped, r.Root.Items(3)), (TRect{0, 20, 30, 40}));
}

TEST(ToolbarLayout, SameWidthItemsTakeTheWidestOnesWidthAndImagesReLayTheBar)
{
  TTBRootItem root;
  TTBCustomItem* a = root.Add(Item("A"));
  TTBCustomItem* wide = root.Add(Item("A much wider caption"));
  TTBCustomItem* plain = root.Add(Item("B"));
  TCustomControl window;
  TTBView view(nullptr, &root, &window, true, false, false);
  view.UpdatePositions();
  Integer wideWidth = RectOf(view, wide).Width(), plainWidth = RectOf(view, plain).Width();
  ASSERT_GT(wideWidth, RectOf(view, a).Width());
  // The options re-lay the bar by themselves.
  for (TTBCustomItem* i : {a, wide})
    i->SetOptions(tboImageAboveCaption | tboSameWidth);
  EXPECT_TRUE(view.PositionsValid());
  EXPECT_EQ(RectOf(view, a).Width(), wideWidth);
  EXPECT_EQ(RectOf(view, wide).Width(), wideWidth);
  EXPECT_EQ(RectOf(view, plain).Width(), plainWidth);
  EXPECT_EQ(RectOf(view, wide).Left, RectOf(view, a).Right);

  // Images given to the root reach the items that have an index: the bar re-lays itself
  // without being asked, both when the list comes and when it goes. (A toolbar button
  // with an image shows no caption.)
  plain->SetImageIndex(0);
  EXPECT_EQ(RectOf(view, plain).Width(), 6);
  TTBImageList images(16, 40);
  root.SetSubMenuImages(&images);
  EXPECT_TRUE(view.PositionsValid());
  EXPECT_EQ(RectOf(view, plain).Width(), 6 + 16 + 1);
  EXPECT_EQ(RectOf(view, plain).Height(), 40 + 6);
  root.SetSubMenuImages(nullptr);
  EXPECT_EQ(RectOf(view, plain).Height(), 6);
  EXPECT_EQ(RectOf(view, plain).Width(), 6);
}

TEST(ToolbarLayout, AnItemAddedToAListShownByTwoInlineGroupsShowsOnceInEach)
{
  // Two inline groups of the bar show the same list of items; an item inserted into that
  // list appears once in each group, between the same neighbours.
  TLayout l;
  TTBCustomItem list;
  AddFixed(&list, "A", 30, 20);
  AddFixed(&list, "B", 30, 20);
  TTBCustomItem* groups[2];
  for (TTBCustomItem*& g : groups) {
    auto group = std::make_unique<TTBCustomItem>();
    group->SetItemStyle(group->ItemStyle() | tbisInlineGroup);
    group->SetLinkSubitems(&list);
    g = l.Root.Add(std::move(group));
  }
  TTBView view(nullptr, &l.Root, &l.Window, true, false, false);
  auto order = [&] { return ViewerOrder(view); };
  view.UpdatePositions();
  ASSERT_EQ(order(), "gABgAB");
  list.Insert(1, std::make_unique<TFixedItem>("C", 30, 20));
  EXPECT_EQ(order(), "gACBgACB");
  list.Add(std::make_unique<TFixedItem>("D", 30, 20));
  EXPECT_EQ(order(), "gACBDgACBD");
  EXPECT_EQ(l.Shown(view), "ACBDACBD");
  std::unique_ptr<TTBCustomItem> c = list.Remove(list.Items(1));
  EXPECT_EQ(order(), "gABDgABD");
}
