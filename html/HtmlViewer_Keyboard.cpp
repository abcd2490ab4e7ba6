// The page's links and form fields from the keyboard: the viewer stands in its window's Tab
// walk for them. Tab and Shift+Tab move the focus from one to the next (tab index first,
// then document order) and out of the page at either end; the page scrolls to the focused
// one, a frame shows it, and Enter follows a focused link as a click would.
#include "html/HtmlViewer.h"

namespace {

// The first run of the link with that number among the links Tab walks; nullptr when none.
TFontObj* FindTabLink(const std::vector<TFontObj*>& Links, int32_t ID)
{
  for (TFontObj* f : Links)
    if (f->LinkID() == ID)
      return f;
  return nullptr;
}

// The item that has the focus: a field whose control is focused, else the link that holds
// the page's link focus; -1 when none.
int32_t FocusedTabItem(const std::vector<TSectionList::TTabItem>& Items, const TWinControl* Focus, int32_t LinkID)
{
  const auto n = static_cast<int32_t>(Items.size());
  for (int32_t i = 0; i < n; ++i)
    if (const TFormControlObj* c = Items[static_cast<size_t>(i)].Control; c && Focus && c->GetControl() == Focus)
      return i;
  for (int32_t i = 0; i < n; ++i)
    if (const TFontObj* f = Items[static_cast<size_t>(i)].Link; f && LinkID != 0 && f->LinkID() == LinkID)
      return i;
  return -1;
}

}   // namespace

bool THTMLViewer::FocusNextItem(bool Forward)
{
  const std::vector<TSectionList::TTabItem> items = FSectionList->TabItems();
  const auto n = static_cast<int32_t>(items.size());
  const int32_t at = FocusedTabItem(items, FindFocusedControl(), FSectionList->FocusLinkID);
  const int32_t next = at < 0 ? (Forward ? 0 : n - 1) : (Forward ? at + 1 : at - 1);
  if (next < 0 || next >= n) {
    // Past the last (or before the first) the focus leaves the page.
    DropLinkFocus();
    return false;
  }
  FocusTabItem(items[static_cast<size_t>(next)]);
  return true;
}

bool THTMLViewer::TabWithin(bool Forward) { return FocusNextItem(Forward); }

bool THTMLViewer::TabInto(bool Forward)
{
  const std::vector<TSectionList::TTabItem> items = FSectionList->TabItems();
  if (items.empty()) {
    // A page with nothing to focus still takes the keys, so they can scroll it.
    DropLinkFocus();
    SetFocus();
  } else {
    FocusTabItem(Forward ? items.front() : items.back());
  }
  return true;
}

void THTMLViewer::FocusTabItem(const TSectionList::TTabItem& Item)
{
  if (Item.Link) {
    // The link's frame shows while the viewer or its panel holds the focus.
    if (!Focused() && !FPaintPanel->Focused())
      SetFocus();
    FocusLink(*Item.Link);
  } else if (TWinControl* c = Item.Control->GetControl()) {
    // The field scrolls into view as it takes the focus (a text field selects its text).
    DropLinkFocus();
    c->SetFocusByTab();
  }
}

void THTMLViewer::DropLinkFocus()
{
  if (FSectionList->FocusLinkID == 0)
    return;
  FSectionList->FocusLinkID = 0;
  InvalidatePaintPanel();
}

void THTMLViewer::FocusLink(const TFontObj& Link)
{
  FSectionList->FocusLinkID = Link.LinkID();
  ShowFocusedLink();
  InvalidatePaintPanel();
  AnnounceFocusedLink();
}

void THTMLViewer::ShowFocusedLink()
{
  const TFontObj* link = FindTabLink(FSectionList->TabLinks(), FSectionList->FocusLinkID);
  if (!link)
    return;
  // Scrolled only when the link's top is too near an edge or out of view: then to the middle.
  const int32_t top = link->Section->LineTopAt(link->Pos);
  const int32_t y = FSectionList->YOff, ph = PanelHeight();
  if (top >= 0 && (top < y + 20 || top > y + ph - 30))
    ScrollTo(top - ph / 2);
}

std::string THTMLViewer::FocusedLinkURL() const
{
  const TFontObj* f = FindTabLink(FSectionList->TabLinks(), FSectionList->FocusLinkID);
  return f ? f->GetURL() : std::string();
}

bool THTMLViewer::FollowFocusedLink()
{
  const TFontObj* f = FindTabLink(FSectionList->TabLinks(), FSectionList->FocusLinkID);
  if (!f || FProcessing)
    return false;
  URL = f->UrlTarget->URL;
  Target = f->UrlTarget->Target;
  FLinkClicked = true;
  // (Following may replace the document and the run with it.)
  FollowLink();
  return true;
}
