// The Tab walk: the places of windowed children in their parent's tab order, and the way
// Tab and Shift+Tab go from one stop to the next through a window, into and out of controls
// whose parts take the focus one by one, past children a control leaves out.
#include <algorithm>
#include <vector>

#include "platform/Controls.h"

Integer TWinControl::TabOrder() const
{
  if (!Parent())
    return -1;
  const auto& v = Parent()->FTabList;
  return static_cast<Integer>(std::find(v.begin(), v.end(), this) - v.begin());
}

void TWinControl::SetTabOrder(Integer order)
{
  if (!Parent())
    return;
  auto& v = Parent()->FTabList;
  const auto at = std::find(v.begin(), v.end(), this);
  // A page gives each of its fields its place in turn, mostly the one it has.
  if (at != v.end() && at - v.begin() == order)
    return;
  if (at != v.end())
    v.erase(at);
  order = std::clamp<Integer>(order, 0, static_cast<Integer>(v.size()));
  v.insert(v.begin() + order, this);
}

namespace {

// The tab stops under a control in tab order, each followed by those inside it, with the
// control the walk starts from in its place among them. A control with tab parts is one
// stop for itself and everything inside it.
void CollectTabStops(const std::vector<TWinControl*>& list, const TWinControl* from, std::vector<TWinControl*>& out)
{
  for (TWinControl* c : list) {
    if (!c->Visible() || !c->Enabled())
      continue;
    if (c->TabStop() || c == from || c->HasTabParts())
      out.push_back(c);
    if (!c->HasTabParts())
      CollectTabStops(c->TabOrderList(), from, out);
  }
}

bool InTabOrderOfParent(const TWinControl* c)
{
  const std::vector<TWinControl*> list = c->Parent()->TabOrderList();
  return std::find(list.begin(), list.end(), c) != list.end();
}

// The stops Tab (or Shift+Tab) tries from current, in turn, under root. A walk that starts
// inside a control with tab parts starts from that control, and comes back to it last. One
// that starts from a control the walk leaves out (a control a toolbar hosts) starts from the
// place of the nearest parent it visits, which is no stop itself.
std::vector<TWinControl*> TabWalk(const TWinControl* root, TWinControl* current, bool forward)
{
  for (TWinControl* c = current; c && c != root; c = c->Parent())
    if (c->HasTabParts())
      current = c;
  for (TWinControl* c = current; c && c != root && c->Parent(); c = c->Parent())
    if (!InTabOrderOfParent(c))
      current = c->Parent();
  std::vector<TWinControl*> stops;
  CollectTabStops(root->TabOrderList(), current, stops);
  const auto n = static_cast<Integer>(stops.size());
  Integer start = static_cast<Integer>(std::find(stops.begin(), stops.end(), current) - stops.begin());
  if (start >= n)
    start = forward ? n - 1 : 0;
  std::vector<TWinControl*> walk;
  for (Integer k = 1; k <= n; ++k) {
    TWinControl* c = stops[static_cast<size_t>(((forward ? start + k : start - k) % n + n) % n)];
    if (c != current || c->HasTabParts())
      if (c->TabStop() || c->HasTabParts())
        walk.push_back(c);
  }
  return walk;
}

}   // namespace

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool forward) const
{
  const std::vector<TWinControl*> walk = TabWalk(this, current, forward);
  return walk.empty() ? nullptr : walk.front();
}

bool TWinControl::SelectNext(TWinControl* current, bool forward)
{
  for (TWinControl* c : TabWalk(this, current, forward)) {
    if (!c->HasTabParts()) {
      c->SetFocusByTab();
      return true;
    }
    if (c->TabInto(forward))
      return true;
  }
  return false;
}

std::ptrdiff_t TWinControl::NextTabPart(std::ptrdiff_t At, std::ptrdiff_t Count, bool Forward)
{
  const std::ptrdiff_t next = At < 0 ? (Forward ? 0 : Count - 1) : At + (Forward ? 1 : -1);
  return next >= 0 && next < Count ? next : -1;
}

void TWinControl::SetFocusByTab()
{
  SetFocus();
  FocusedByTab();
}
