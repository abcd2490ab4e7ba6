// The page's links from the keyboard: Tab and Shift+Tab move a focus from link to link
// (tab index first, then document order), the page scrolls to the focused link, a frame
// shows it, and Enter follows it as a click would.
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

}   // namespace

bool THTMLViewer::FocusNextLink(bool Forward)
{
  const std::vector<TFontObj*> links = FSectionList->TabLinks();
  const auto n = static_cast<int32_t>(links.size());
  int32_t at = -1;
  for (int32_t i = 0; i < n; ++i)
    if (links[static_cast<size_t>(i)]->LinkID() == FSectionList->FocusLinkID)
      at = i;
  const int32_t next = at < 0 ? (Forward ? 0 : n - 1) : (Forward ? at + 1 : at - 1);
  if (next < 0 || next >= n) {
    // Past the last link (or before the first) the focus leaves the links.
    if (FSectionList->FocusLinkID != 0) {
      FSectionList->FocusLinkID = 0;
      InvalidatePaintPanel();
    }
    return false;
  }
  FocusLink(*links[static_cast<size_t>(next)]);
  return true;
}

void THTMLViewer::FocusLink(const TFontObj& Link)
{
  FSectionList->FocusLinkID = Link.LinkID();
  // Scrolled only when the link's top is too near an edge or out of view: then to the middle.
  const int32_t top = Link.Section->LineTopAt(Link.Pos);
  const int32_t y = FSectionList->YOff, ph = PanelHeight();
  if (top >= 0 && (top < y + 20 || top > y + ph - 30))
    ScrollTo(top - ph / 2);
  InvalidatePaintPanel();
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

bool THTMLViewer::TabWithin(bool Forward) { return FocusNextLink(Forward); }
