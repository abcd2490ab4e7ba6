// The help window's contents tree as a screen reader reads it: an outline named "Contents"
// whose items are the entries shown (those whose parents are open), each with its level,
// whether it is open or closed and whether it is the chosen one; an item's action clicks
// it as the user does (a book opens or closes, its page shows). The tree's scroll bar
// stands after the items.
#include "shell/HelpViewer.h"

#include "platform/Accessible.h"
#include "platform/CodePages.h"

namespace {

// Where an entry's row stands among the rows shown, -1 when its parents are closed.
Integer RowOf(const THelpContentsTree& Tree, Integer Entry)
{
  const std::vector<Integer> rows = Tree.VisibleEntries();
  auto it = std::find(rows.begin(), rows.end(), Entry);
  return it == rows.end() ? -1 : Integer(it - rows.begin());
}

class TContentsItemNode : public TAccessibleNode {
public:
  TContentsItemNode(THelpContentsTree* Tree, Integer Entry) : FTree(Tree), FEntry(Entry) {}
  bool Valid() override { return FEntry < FTree->Count(); }
  std::u16string Name() override { return AnsiToWide(FTree->Entry(FEntry).Name); }
  std::u16string Value() override { return AnsiToWide(IntToStr(FTree->Entry(FEntry).Level + 1)); }
  int32_t Role() override { return ROLE_SYSTEM_OUTLINEITEM; }
  uint32_t State() override
  {
    uint32_t s = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
    if (FTree->HasChildren(FEntry))
      s |= FTree->Expanded(FEntry) ? STATE_SYSTEM_EXPANDED : STATE_SYSTEM_COLLAPSED;
    if (FTree->Selected() == FEntry)
      s |= STATE_SYSTEM_SELECTED | (FTree->Focused() ? STATE_SYSTEM_FOCUSED : 0);
    return s;
  }
  TRect ScreenRect() override
  {
    const Integer y = (RowOf(*FTree, FEntry) - FTree->TopRow()) * FTree->RowHeight();
    TPoint o = FTree->ClientToScreen({0, y});
    const Integer bar = FTree->ScrollBar()->Visible() ? FTree->ScrollBar()->Width() : 0;
    return Bounds(o.X, o.Y, FTree->ClientWidth() - bar, FTree->RowHeight());
  }
  std::u16string DefaultAction() override { return FTree->HasChildren(FEntry) ? u"Open or close" : u"Show"; }
  bool DoDefaultAction() override
  {
    // Brought into view first, then clicked in the middle of its row.
    if (FTree->Selected() != FEntry)
      FTree->Select(FEntry);
    const Integer row = RowOf(*FTree, FEntry) - FTree->TopRow();
    if (row < 0)
      return false;
    const Integer x = 4 + FTree->Entry(FEntry).Level * 16 + 20, y = row * FTree->RowHeight() + FTree->RowHeight() / 2;
    FTree->DispatchMouseDown(mbLeft, ssLeft, x, y);
    FTree->DispatchMouseUp(mbLeft, 0, x, y);
    return true;
  }
  const void* Identity() override { return FTree; }
  int32_t Part() override { return FEntry + 1; }

private:
  THelpContentsTree* FTree;
  Integer FEntry;
};

class TContentsNode : public TAccessibleNode {
public:
  explicit TContentsNode(THelpContentsTree* Tree) : FTree(Tree), FRows(Tree->VisibleEntries()) {}
  bool Valid() override { return true; }
  std::u16string Name() override { return u"Contents"; }
  int32_t Role() override { return ROLE_SYSTEM_OUTLINE; }
  uint32_t State() override { return STATE_SYSTEM_FOCUSABLE | (FTree->Focused() ? STATE_SYSTEM_FOCUSED : 0); }
  TRect ScreenRect() override
  {
    TPoint o = FTree->ClientToScreen({0, 0});
    return Bounds(o.X, o.Y, FTree->ClientWidth(), FTree->ClientHeight());
  }
  int ChildCount() override { return static_cast<int>(FRows.size()) + (FTree->ScrollBar()->Visible() ? 1 : 0); }
  std::shared_ptr<TAccessibleNode> Child(int Index) override
  {
    if (Index >= 0 && Index < static_cast<int>(FRows.size()))
      return std::make_shared<TContentsItemNode>(FTree, FRows[static_cast<size_t>(Index)]);
    return Index == static_cast<int>(FRows.size()) && FTree->ScrollBar()->Visible()
               ? AccessibleControlNode(FTree->ScrollBar())
               : nullptr;
  }
  const void* Identity() override { return FTree; }

private:
  THelpContentsTree* FTree;
  std::vector<Integer> FRows;
};

}   // namespace

std::vector<TSpeedButton*> THelpButtonRow::Buttons() const
{
  std::vector<TSpeedButton*> list;
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* b = dynamic_cast<TSpeedButton*>(Controls(i)); b && b->Visible() && b->Enabled())
      list.push_back(b);
  std::stable_sort(list.begin(), list.end(), [](TSpeedButton* a, TSpeedButton* b) { return a->Left() < b->Left(); });
  return list;
}

bool THelpButtonRow::TabInto(bool forward)
{
  const std::vector<TSpeedButton*> list = Buttons();
  if (list.empty())
    return false;
  FocusButton(forward ? list.front() : list.back());
  return true;
}

bool THelpButtonRow::TabWithin(bool forward)
{
  const std::vector<TSpeedButton*> list = Buttons();
  auto it = std::find(list.begin(), list.end(), FFocused);
  const auto next = NextTabPart(it == list.end() ? -1 : it - list.begin(), std::ssize(list), forward);
  if (next < 0) {
    // Past the last (before the first) the focus leaves the row.
    FFocused = nullptr;
    Invalidate();
    return false;
  }
  FocusButton(list[static_cast<size_t>(next)]);
  return true;
}

void THelpButtonRow::FocusButton(TSpeedButton* b)
{
  FFocused = b;
  if (!Focused())
    SetFocus();
  Invalidate();
  NotifyAccessibleFocus(b);
}

void THelpButtonRow::KeyDown(Word& key, TShiftState shift)
{
  TPanel::KeyDown(key, shift);
  if (FFocused && (key == VK_SPACE || key == VK_RETURN)) {
    key = 0;
    FFocused->Click();
  }
}

void THelpButtonRow::DoExit()
{
  FFocused = nullptr;
  Invalidate();
  TPanel::DoExit();
}

void THelpButtonRow::Paint()
{
  TPanel::Paint();
  if (FFocused && Focused()) {
    const TRect b = FFocused->BoundsRect();
    Canvas().DrawFocusRect({b.Left - 2, b.Top - 2, b.Right + 2, b.Bottom + 2});
  }
}

void THelpContentsTree::DoEnter()
{
  TCustomControl::DoEnter();
  AnnounceSelected();
}

void THelpContentsTree::AnnounceSelected()
{
  const Integer row = FSelected >= 0 ? RowOf(*this, FSelected) : -1;
  if (row >= 0 && Focused())
    NotifyAccessible(this, TAccessibleEvent::Focus, {row});
}

void THelpContentsTree::ExposeToReaders(bool Expose)
{
  if (!Expose) {
    SetAccessibleRoot(this, {});
    return;
  }
  FScrollBar->SetAccessibleName("Contents scroll bar");
  SetAccessibleRoot(this, [this] { return std::make_shared<TContentsNode>(this); });
}
