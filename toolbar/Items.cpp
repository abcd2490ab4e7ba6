// Items: the tree, properties, notifications with relaying, radio groups, shortcut dispatch,
// the click and the deferred-click queue; control items; the state image list.
#include "toolbar/Items.h"

#include <algorithm>

#include "toolbar/KitHelpers.h"

const char* const STBToolbarIndexOutOfBounds = "Toolbar item index out of range";
const char* const STBToolbarItemReinserted = "Toolbar item already inserted";
const char* const STBViewerNotFound = "An item viewer associated the specified item could not be found";

// ---------------------------------------------------------------------------------------
// Deferred-click queue

namespace {

constexpr Cardinal WM_TB2K_CLICKITEM = 0x500;

// A slot of the queue: free, holding a click for its target, or still taken by a posted
// message whose target was destroyed meanwhile (the target is then gone).
struct TQueuedClick {
  bool Taken = false;
  TObject* Target = nullptr;
};

struct TClickQueue {
  HWND Wnd = 0;
  std::vector<TQueuedClick> List;
  int RefCount = 0;
};

// One for the process: every item and item viewer of the kit shares the one hidden window
// that delivers the clicks after the menus have gone. The toolbars live on the GUI thread
// alone. (A thread-local queue would be registered for destruction under the library
// loader's lock, and wait for whatever library is loading.)
TClickQueue& Queue()
{
  // NOLINTNEXTLINE(orrelo-static-local-state): the process's one queue, as said above
  static TClickQueue q;
  return q;
}

void QueueWndProc(TMessage& m)
{
  if (m.Msg != WM_TB2K_CLICKITEM)
    return;
  TClickQueue& q = Queue();
  size_t slot = static_cast<size_t>(m.LParam);
  if (slot >= q.List.size())
    return;
  TObject* obj = q.List[slot].Target;
  q.List[slot] = {};
  while (!q.List.empty() && !q.List.back().Taken)
    q.List.pop_back();
  if (!obj)
    return;
  if (auto* item = dynamic_cast<TTBCustomItem*>(obj))
    item->Click();
  else if (auto* viewer = dynamic_cast<TTBItemViewer*>(obj))
    TBAccDeferredAction(viewer, m.WParam);
}

void AddQueueRef()
{
  TClickQueue& q = Queue();
  if (q.RefCount++ == 0 && !q.Wnd)
    q.Wnd = AllocateHWnd(QueueWndProc);
}

void ReleaseQueueRef(TObject* obj)
{
  TClickQueue& q = Queue();
  for (TQueuedClick& c : q.List)
    if (c.Target == obj)
      c.Target = nullptr;   // the slot stays taken until its message comes
  if (q.RefCount > 0 && --q.RefCount == 0) {
    DeallocateHWnd(q.Wnd);
    q.Wnd = 0;
    q.List.clear();
  }
}

void QueuePostClick(TObject* obj, WPARAM code)
{
  TClickQueue& q = Queue();
  if (!q.Wnd)
    return;
  size_t slot = q.List.size();
  for (size_t i = 0; i < q.List.size(); ++i)
    if (!q.List[i].Taken) {
      slot = i;
      break;
    }
  if (slot == q.List.size())
    q.List.push_back({true, obj});
  else
    q.List[slot] = {true, obj};
  PostMessage(q.Wnd, WM_TB2K_CLICKITEM, code, static_cast<LPARAM>(slot));
}

}   // namespace

void PostViewerClick(TTBItemViewer* Viewer, WPARAM Code) { QueuePostClick(Viewer, Code); }
void AddClickQueueRef() { AddQueueRef(); }
void ReleaseClickQueueRef(TObject* Obj) { ReleaseQueueRef(Obj); }

int PendingClickCount()
{
  int n = 0;
  for (const TQueuedClick& c : Queue().List)
    if (c.Target)
      ++n;
  return n;
}

// ---------------------------------------------------------------------------------------
// TTBCustomItem

TTBCustomItem::TTBCustomItem()
{
  AddQueueRef();
  FImagesChangeLink = std::make_unique<TChangeLink>();
  FImagesChangeLink->OnChange = [this](TObject*) { ImageListChanged(false); };
  FSubMenuImagesChangeLink = std::make_unique<TChangeLink>();
  FSubMenuImagesChangeLink->OnChange = [this](TObject*) { ImageListChanged(true); };
}

TTBCustomItem::~TTBCustomItem()
{
  BeforeDestruction();
  ReleaseQueueRef(this);
  // Children go last first; each tells this item (its parent) that it left.
  while (!FItems.empty()) {
    std::unique_ptr<TTBCustomItem> child = Delete(Count() - 1);
    child.reset();
  }
  if (FLinkSubitems)
    SetLinkSubitems(nullptr);
  if (FLinkParents) {
    std::vector<TTBCustomItem*> parents = *FLinkParents;
    for (TTBCustomItem* p : parents)
      if (p->FLinkSubitems == this)
        p->SetLinkSubitems(nullptr);
  }
  SetImages(nullptr);
  SetSubMenuImages(nullptr);
  SetAction(nullptr);
}

TTBCustomItem* TTBCustomItem::Items(Integer Index) const
{
  if (Index < 0 || Index >= Count())
    throw ETBItemError(STBToolbarIndexOutOfBounds);
  return FItems[static_cast<size_t>(Index)].get();
}

TTBCustomItem* TTBCustomItem::Insert(Integer NewIndex, std::unique_ptr<TTBCustomItem> AItem)
{
  if (!AItem)
    return nullptr;
  if (AItem->FParent) {
    // Its parent owns it: the caller's pointer must not free it.
    (void)AItem.release();
    throw ETBItemError(STBToolbarItemReinserted);
  }
  if (NewIndex < 0 || NewIndex > Count())
    throw ETBItemError(STBToolbarIndexOutOfBounds);
  TTBCustomItem* item = AItem.get();
  FItems.insert(FItems.begin() + NewIndex, std::move(AItem));
  item->FParent = this;
  Notify(ickBeginUpdate, -1, nullptr);
  Notify(ickInserted, NewIndex, item);
  item->RecalcEffectiveOptions();
  Notify(ickEndUpdate, -1, nullptr);
  return item;
}

std::unique_ptr<TTBCustomItem> TTBCustomItem::Delete(Integer Index)
{
  if (Index < 0 || Index >= Count())
    throw ETBItemError(STBToolbarIndexOutOfBounds);
  TTBCustomItem* item = FItems[static_cast<size_t>(Index)].get();
  Notify(ickDeleted, Index, item);
  // A handler may have moved things: find it again.
  Integer at = IndexOf(item);
  std::unique_ptr<TTBCustomItem> out = std::move(FItems[static_cast<size_t>(at)]);
  FItems.erase(FItems.begin() + at);
  out->FParent = nullptr;
  return out;
}

std::unique_ptr<TTBCustomItem> TTBCustomItem::Remove(TTBCustomItem* Item)
{
  Integer i = IndexOf(Item);
  return i >= 0 ? Delete(i) : nullptr;
}

Integer TTBCustomItem::IndexOf(const TTBCustomItem* Item) const
{
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].get() == Item)
      return static_cast<Integer>(i);
  return -1;
}

void TTBCustomItem::Move(Integer CurIndex, Integer NewIndex)
{
  if (CurIndex == NewIndex)
    return;
  if (NewIndex < 0 || NewIndex >= Count())
    throw ETBItemError(STBToolbarIndexOutOfBounds);
  Notify(ickBeginUpdate, -1, nullptr);
  std::unique_ptr<TTBCustomItem> item = Delete(CurIndex);
  Insert(NewIndex, std::move(item));
  Notify(ickEndUpdate, -1, nullptr);
}

void TTBCustomItem::Clear()
{
  while (Count() > 0)
    Delete(Count() - 1).reset();
}

void TTBCustomItem::RegisterNotification(const void* Key, TTBItemChangedProc Proc)
{
  if (!FNotifyList)
    FNotifyList = std::make_unique<std::vector<TNotifyEntry>>();
  for (TNotifyEntry& e : *FNotifyList)
    if (e.Key == Key) {
      ++e.Count;
      return;
    }
  FNotifyList->push_back({Key, std::move(Proc), 1});
}

void TTBCustomItem::UnregisterNotification(const void* Key)
{
  if (!FNotifyList)
    return;
  for (auto it = FNotifyList->begin(); it != FNotifyList->end(); ++it)
    if (it->Key == Key) {
      if (--it->Count == 0)
        FNotifyList->erase(it);
      break;
    }
  if (FNotifyList->empty())
    FNotifyList.reset();
}

void TTBCustomItem::Notify(TTBItemChangeKind Kind, Integer Index, TTBCustomItem* Item)
{
  RelayNotify(this, 0, Kind, Index, Item);
}

void TTBCustomItem::RelayNotify(TTBCustomItem* Originator, int Depth, TTBItemChangeKind Kind, Integer Index,
                                TTBCustomItem* Item)
{
  if (Depth <= 10) {
    if ((FItemStyle & tbisInlineGroup) && FParent)
      FParent->RelayNotify(Originator == this ? this : Originator, Depth + 1, Kind, Index, Item);
    // An inline group that shows this item's children passes the change on to its own
    // parent, as coming from the group. The linking items themselves did not change: their
    // handlers (a view showing a linking item's own children) hear nothing.
    if (FLinkParents) {
      std::vector<TTBCustomItem*> parents = *FLinkParents;
      for (TTBCustomItem* p : parents)
        if (p != FParent && (p->FItemStyle & tbisInlineGroup) && p->FParent)
          p->FParent->RelayNotify(p, Depth + 1, Kind, Index, Item);
    }
  }
  // Handlers may unregister themselves or others while being called.
  size_t i = 0;
  while (FNotifyList && i < FNotifyList->size()) {
    const void* key = (*FNotifyList)[i].Key;
    TTBItemChangedProc proc = (*FNotifyList)[i].Proc;
    proc(Originator, Originator != this, Kind, Index, Item);
    if (!FNotifyList || i >= FNotifyList->size())
      break;
    if ((*FNotifyList)[i].Key == key)
      ++i;
  }
}

void TTBCustomItem::Change(bool NeedResize)
{
  if (FParent)
    FParent->Notify(NeedResize ? ickInvalidateAndResize : ickInvalidate, -1, this);
}

void TTBCustomItem::DoPopup(TTBCustomItem* Sender, bool FromLink)
{
  if (OnPopup)
    OnPopup(Sender, FromLink);
  if (!(FItemStyle & tbisSplitDropdown))
    Click();
}

void TTBCustomItem::Click()
{
  if (!FEnabled)
    return;
  // With an action whose AutoCheck this item follows, the action toggles (and the item
  // follows it); otherwise the item toggles itself.
  if (FAutoCheck && (!FActionLink || !FActionLink->IsAutoCheckLinked()))
    SetChecked(!FChecked);
  // The item's own OnClick wins over its action's. (OnClick is never a copy of the
  // action's OnExecute here: an item without one runs the action through the link.)
  if (OnClick) {
    TNotifyEvent handler = OnClick;   // the handler may free or change the item
    handler(this);
    return;
  }
  if (FActionLink && !HasState(csDesigning))
    FActionLink->Execute(this);
}

void TTBCustomItem::InitiateAction()
{
  if (FActionLink)
    FActionLink->Update();
}

TBasicAction* TTBCustomItem::Action() const { return FActionLink ? FActionLink->Action() : nullptr; }

std::unique_ptr<TTBCustomItemActionLink> TTBCustomItem::CreateActionLink()
{
  return std::make_unique<TTBCustomItemActionLink>(this);
}

void TTBCustomItem::SetAction(TBasicAction* Value)
{
  if (Value == Action())
    return;
  if (TBasicAction* old = Action())
    old->RemoveFreeNotification(this);
  if (!Value) {
    FActionLink.reset();
    return;
  }
  if (!FActionLink) {
    FActionLink = CreateActionLink();
    FActionLink->OnChange = [this](TObject* Sender) {
      if (Sender == Action())
        ActionChange(Sender, false);
    };
  }
  FActionLink->SetAction(Value);
  ActionChange(Value, Value->HasState(csLoading));
  Value->FreeNotification(this);
}

void TTBCustomItem::ActionChange(TObject* Sender, bool CheckDefaults)
{
  auto* a = dynamic_cast<TCustomAction*>(Sender);
  if (!a)
    return;
  if (!CheckDefaults || !FAutoCheck)
    SetAutoCheck(a->AutoCheck());
  if (!CheckDefaults || FCaption.empty())
    SetCaption(a->Caption());
  if (!CheckDefaults || !FChecked)
    SetChecked(a->Checked());
  if (!CheckDefaults || FEnabled)
    SetEnabled(a->Enabled());
  if (!CheckDefaults || FHelpContext == 0)
    SetHelpContext(a->HelpContext());
  if (!CheckDefaults || FHint.empty())
    SetHint(a->Hint());
  if (!CheckDefaults || FImageIndex == -1)
    SetImageIndex(a->ImageIndex());
  if (!CheckDefaults || FShortCut == 0)
    SetShortCut(a->ShortCut());
  if (!CheckDefaults || FVisible)
    SetVisible(a->Visible());
}

// ---------------------------------------------------------------------------------------
// Action link

bool TTBCustomItemActionLink::IsAutoCheckLinked()
{
  return TActionLink::IsAutoCheckLinked() && FClient->AutoCheck() == CustomAction()->AutoCheck();
}
bool TTBCustomItemActionLink::IsCaptionLinked()
{
  return TActionLink::IsCaptionLinked() && FClient->Caption() == CustomAction()->Caption();
}
bool TTBCustomItemActionLink::IsCheckedLinked()
{
  return TActionLink::IsCheckedLinked() && FClient->Checked() == CustomAction()->Checked();
}
bool TTBCustomItemActionLink::IsEnabledLinked()
{
  return TActionLink::IsEnabledLinked() && FClient->Enabled() == CustomAction()->Enabled();
}
bool TTBCustomItemActionLink::IsHelpContextLinked()
{
  return TActionLink::IsHelpContextLinked() && FClient->HelpContext() == CustomAction()->HelpContext();
}
bool TTBCustomItemActionLink::IsHintLinked()
{
  return TActionLink::IsHintLinked() && FClient->Hint() == CustomAction()->Hint();
}
bool TTBCustomItemActionLink::IsImageIndexLinked()
{
  return TActionLink::IsImageIndexLinked() && FClient->ImageIndex() == CustomAction()->ImageIndex();
}
bool TTBCustomItemActionLink::IsShortCutLinked()
{
  return TActionLink::IsShortCutLinked() && FClient->GetShortCut() == CustomAction()->ShortCut();
}
bool TTBCustomItemActionLink::IsVisibleLinked()
{
  return TActionLink::IsVisibleLinked() && FClient->Visible() == CustomAction()->Visible();
}
void TTBCustomItemActionLink::SetAutoCheck(bool v)
{
  if (IsAutoCheckLinked())
    FClient->SetAutoCheck(v);
}
void TTBCustomItemActionLink::SetCaption(const std::string& v)
{
  if (IsCaptionLinked())
    FClient->SetCaption(v);
}
void TTBCustomItemActionLink::SetChecked(bool v)
{
  if (IsCheckedLinked())
    FClient->SetChecked(v);
}
void TTBCustomItemActionLink::SetEnabled(bool v)
{
  if (IsEnabledLinked())
    FClient->SetEnabled(v);
}
void TTBCustomItemActionLink::SetHelpContext(Integer v)
{
  if (IsHelpContextLinked())
    FClient->SetHelpContext(v);
}
void TTBCustomItemActionLink::SetHint(const std::string& v)
{
  if (IsHintLinked())
    FClient->SetHint(v);
}
void TTBCustomItemActionLink::SetImageIndex(TImageIndex v)
{
  if (IsImageIndexLinked())
    FClient->SetImageIndex(v);
}
void TTBCustomItemActionLink::SetShortCut(TShortCut v)
{
  if (IsShortCutLinked())
    FClient->SetShortCut(v);
}
void TTBCustomItemActionLink::SetVisible(bool v)
{
  if (IsVisibleLinked())
    FClient->SetVisible(v);
}

void TTBCustomItem::PostClick() { QueuePostClick(this, 0); }

void TTBCustomItem::SetCaption(const std::string& v)
{
  if (v == FCaption)
    return;
  FCaption = v;
  Change(true);
}

void TTBCustomItem::SetChecked(bool v)
{
  if (v == FChecked)
    return;
  FChecked = v;
  Change(false);
  if (v)
    UncheckGroup();
}

void TTBCustomItem::UncheckGroup()
{
  if (FGroupIndex == 0 || !FParent)
    return;
  for (Integer i = 0; i < FParent->Count(); ++i) {
    TTBCustomItem* sib = FParent->Items(i);
    if (sib != this && sib->FGroupIndex == FGroupIndex)
      sib->SetChecked(false);
  }
}

void TTBCustomItem::SetDisplayMode(TTBItemDisplayMode v)
{
  if (v == FDisplayMode)
    return;
  FDisplayMode = v;
  Change(true);
}

void TTBCustomItem::SetEnabled(bool v)
{
  if (v == FEnabled)
    return;
  FEnabled = v;
  EnabledChanged();
}

void TTBCustomItem::SetGroupIndex(Integer v)
{
  if (v == FGroupIndex)
    return;
  FGroupIndex = v;
  if (FChecked)
    UncheckGroup();
}

void TTBCustomItem::SetImageIndex(TImageIndex v)
{
  if (v == FImageIndex)
    return;
  bool resize = (FImageIndex == -1) != (v == -1);
  FImageIndex = v;
  Change(resize);
}

void TTBCustomItem::SetImages(TCustomImageList* v)
{
  if (v == FImages)
    return;
  if (FImages) {
    FImages->UnRegisterChanges(FImagesChangeLink.get());
    RemoveFreeNotification(FImages);
  }
  FImages = v;
  bool resize;
  if (v) {
    v->RegisterChanges(FImagesChangeLink.get());
    FreeNotification(v);
    resize = v->Width() != FImagesWidth || v->Height() != FImagesHeight;
    FImagesWidth = v->Width();
    FImagesHeight = v->Height();
  } else {
    resize = true;
    FImagesWidth = -1;
    FImagesHeight = -1;
  }
  if (!HasState(csDestroying))
    Change(resize);
}

void TTBCustomItem::SetSubMenuImages(TCustomImageList* v)
{
  if (v == FSubMenuImages)
    return;
  if (FSubMenuImages) {
    FSubMenuImages->UnRegisterChanges(FSubMenuImagesChangeLink.get());
    RemoveFreeNotification(FSubMenuImages);
  }
  FSubMenuImages = v;
  if (v) {
    v->RegisterChanges(FSubMenuImagesChangeLink.get());
    FreeNotification(v);
    FSubMenuImagesWidth = v->Width();
    FSubMenuImagesHeight = v->Height();
  }
  if (!HasState(csDestroying))
    Notify(ickSubMenuImagesChanged, -1, nullptr);
}

void TTBCustomItem::ImageListChanged(bool SubMenu)
{
  if (SubMenu) {
    if (FSubMenuImages) {
      FSubMenuImagesWidth = FSubMenuImages->Width();
      FSubMenuImagesHeight = FSubMenuImages->Height();
    }
    Notify(ickSubMenuImagesChanged, -1, nullptr);
    return;
  }
  if (!FImages)
    return;
  bool resize = FImages->Width() != FImagesWidth || FImages->Height() != FImagesHeight;
  FImagesWidth = FImages->Width();
  FImagesHeight = FImages->Height();
  Change(resize);
}

void TTBCustomItem::SetMaskOptions(TTBItemOptions v)
{
  if (v == FMaskOptions)
    return;
  FMaskOptions = v;
  RecalcEffectiveOptions();
}

void TTBCustomItem::SetOptions(TTBItemOptions v)
{
  if (!(v & tboToolbarStyle))
    v &= ~tboToolbarSize;
  if (v == FOptions)
    return;
  FOptions = v;
  RecalcEffectiveOptions();
}

void TTBCustomItem::SetInheritOptions(bool v)
{
  if (v == FInheritOptions)
    return;
  FInheritOptions = v;
  RecalcEffectiveOptions();
}

void TTBCustomItem::RecalcEffectiveOptions()
{
  TTBItemOptions n = 0;
  if (FInheritOptions && FParent)
    n = FParent->FEffectiveOptions & ~tboDefault;
  n = (n & ~FMaskOptions) | FOptions;
  if (!(n & tboToolbarStyle))
    n &= ~tboToolbarSize;
  if (n == FEffectiveOptions)
    return;
  TTBItemOptions changed = n ^ FEffectiveOptions;
  FEffectiveOptions = n;
  constexpr TTBItemOptions visual = tboDefault | tboDropdownArrow | tboImageAboveCaption | tboNoRotation | tboSameWidth
                                    | tboToolbarStyle | tboToolbarSize;
  if (changed & visual)
    Change(true);
  for (auto& c : FItems)
    if (c->FInheritOptions)
      c->RecalcEffectiveOptions();
}

void TTBCustomItem::SetLinkSubitems(TTBCustomItem* v)
{
  if (v == this)
    v = nullptr;
  if (v == FLinkSubitems)
    return;
  if (FLinkSubitems) {
    RemoveFromList(FLinkSubitems->FLinkParents, this);
    RemoveFreeNotification(FLinkSubitems);
  }
  FLinkSubitems = v;
  if (v) {
    AddToList(v->FLinkParents, this);
    FreeNotification(v);
  }
  if (!HasState(csDestroying))
    Notify(ickSubitemsChanged, -1, nullptr);
}

void TTBCustomItem::SetVisible(bool v)
{
  if (v == FVisible)
    return;
  FVisible = v;
  Change(true);
}

void TTBCustomItem::SetName(const std::string& name)
{
  std::string old = Name();
  TComponent::SetName(name);
  if (old != Name() && FParent)
    FParent->Notify(ickRenamed, FParent->IndexOf(this), this);
}

void TTBCustomItem::Notification(TComponent* AComponent, TOperation Operation)
{
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  // Views and image lists ask for notifications too: only items are link parents.
  if (FLinkParents)
    if (auto* item = dynamic_cast<TTBCustomItem*>(AComponent))
      RemoveFromList(FLinkParents, item);
  if (AComponent == FImages)
    SetImages(nullptr);
  if (AComponent == FSubMenuImages)
    SetSubMenuImages(nullptr);
  if (AComponent == FLinkSubitems)
    SetLinkSubitems(nullptr);
  if (FActionLink && AComponent == FActionLink->Action())
    SetAction(nullptr);
}

std::string TTBCustomItem::GetShortCutText() const
{
  size_t tab = FCaption.find('\t');
  if (tab != std::string::npos)
    return FCaption.substr(tab + 1);
  return FShortCut ? ShortCutToText(FShortCut) : std::string();
}

// Depth-first search for the item with the shortcut below this one; TopItem is the direct
// child under which it lies (none when Found is a direct child).
bool TTBCustomItem::FindShortCut(TShortCut S, TTBCustomItem*& TopItem, TTBCustomItem*& Found, int Depth)
{
  if (Depth > 25)
    return false;
  TTBCustomItem* eff = EffectiveItem();
  int depth = Depth + (eff != this ? 1 : 0);
  if (depth > 25)
    return false;
  for (Integer i = 0; i < eff->Count(); ++i) {
    TTBCustomItem* c = eff->Items(i);
    if (c->FShortCut == S && S != 0) {
      TopItem = nullptr;
      Found = c;
      return true;
    }
  }
  for (Integer i = 0; i < eff->Count(); ++i) {
    TTBCustomItem* c = eff->Items(i);
    TTBCustomItem* dummy = nullptr;
    if (c->FindShortCut(S, dummy, Found, depth + 1)) {
      TopItem = c;
      return true;
    }
  }
  return false;
}

bool TTBCustomItem::IsShortCut(Word Key, TShiftState Shift)
{
  TShortCut s = ShortCut(Key, Shift);
  if (s == 0)
    return false;
  TTBCustomItem* top = nullptr;
  TTBCustomItem* found = nullptr;
  if (!FindShortCut(s, top, found, 0))
    return false;
  // Popup handlers may rebuild the children, which restarts the walk; one that does it
  // every time would hold us here for ever, so the restarts are capped.
  constexpr int MaxRestarts = 8;
  for (int restart = 0; restart <= MaxRestarts; ++restart) {
    if (restart > 0 && !FindShortCut(s, top, found, 0))
      return false;
    TTBCustomItem* level = this;
    bool restartWalk = false;
    for (int steps = 0; steps <= 27 && !restartWalk; ++steps) {
      if (!level->FEnabled)
        return false;
      TTBCustomItem* eff = level->EffectiveItem();
      if (!HasState(csDesigning))
        for (Integer i = 0; i < eff->Count(); ++i)
          eff->Items(i)->InitiateAction();
      if (!(level->FItemStyle & tbisInlineGroup)) {
        if (level->FLinkSubitems && level->FLinkSubitems != level)
          level->FLinkSubitems->DoPopup(level, true);
        level->DoPopup(level, false);
      }
      // The popup events may have changed the children: search again below this level.
      top = nullptr;
      found = nullptr;
      if (!level->FindShortCut(s, top, found, 0)) {
        restartWalk = true;
        break;
      }
      if (!top) {
        if (!found->FEnabled)
          return false;
        found->Click();
        return true;
      }
      level = top;
    }
    if (!restartWalk)
      return false;
  }
  return false;
}

std::unique_ptr<TTBItemViewer> TTBCustomItem::CreateViewer(TTBView* AView, Integer AGroupLevel)
{
  return std::make_unique<TTBItemViewer>(AView, this, AGroupLevel);
}

static const char ItemViewerClassToken = 0;
static const char SeparatorViewerClassToken = 0;

const void* TTBCustomItem::GetItemViewerClass(TTBView*) const { return &ItemViewerClassToken; }
const void* TTBItemViewer::ViewerClass() const { return &ItemViewerClassToken; }

// ---------------------------------------------------------------------------------------
// Separators and control items

TTBSeparatorItem::TTBSeparatorItem()
{
  SetItemStyle((ItemStyle() & ~(tbisSelectable | tbisRepaintOnSelect | tbisRepaintOnHover)) | tbisSeparator
               | tbisClickThrough);
}

void TTBSeparatorItem::SetBlank(bool v)
{
  if (v == FBlank)
    return;
  FBlank = v;
  Change(false);
}

std::unique_ptr<TTBItemViewer> TTBSeparatorItem::CreateViewer(TTBView* AView, Integer AGroupLevel)
{
  return std::make_unique<TTBSeparatorItemViewer>(AView, this, AGroupLevel);
}

const void* TTBSeparatorItem::GetItemViewerClass(TTBView*) const { return &SeparatorViewerClassToken; }
const void* TTBSeparatorItemViewer::ViewerClass() const { return &SeparatorViewerClassToken; }

TTBControlItem::TTBControlItem() { SetItemStyle((ItemStyle() & ~tbisSelectable) | tbisClickThrough); }

TTBControlItem::TTBControlItem(TControl* AControl) : TTBControlItem() { SetControl(AControl); }

TTBControlItem::~TTBControlItem()
{
  BeforeDestruction();
  TControl* c = FControl;
  if (c) {
    RemoveFreeNotification(c);
    FControl = nullptr;
    // Controls belong to their owners; one without an owner is ours to free, unless kept.
    if (!FKeepControl && !c->HasState(csAncestor)) {
      if (c->Owner())
        c->Owner()->DestroyComponent(c);
    }
  }
}

void TTBControlItem::SetControl(TControl* v)
{
  if (v == FControl)
    return;
  if (FControl)
    RemoveFreeNotification(FControl);
  FControl = v;
  if (v)
    FreeNotification(v);
  Change(true);
}

void TTBControlItem::Notification(TComponent* AComponent, TOperation Operation)
{
  TTBCustomItem::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FControl) {
    FControl = nullptr;
    if (!HasState(csDestroying))
      Change(true);
  }
}

// ---------------------------------------------------------------------------------------
// State image list

TTBCustomImageList::TTBCustomImageList() : TTBCustomImageList(16, 16) {}

TTBCustomImageList::TTBCustomImageList(Integer W, Integer H) : TCustomImageList(W, H)
{
  FCheckedLink = std::make_unique<TChangeLink>();
  FDisabledLink = std::make_unique<TChangeLink>();
  FHotLink = std::make_unique<TChangeLink>();
  for (TChangeLink* l : {FCheckedLink.get(), FDisabledLink.get(), FHotLink.get()})
    l->OnChange = [this](TObject*) { Change(); };
  FImagesBitmap = std::make_unique<TBitmap>();
}

TTBCustomImageList::~TTBCustomImageList()
{
  BeforeDestruction();
  for (TCustomImageList* l : {FCheckedImages, FDisabledImages, FHotImages})
    if (l)
      RemoveFreeNotification(l);
}

void TTBCustomImageList::SetCompanion(TCustomImageList*& field, TChangeLink& link, TCustomImageList* value)
{
  if (value == this)
    value = nullptr;
  if (value == field)
    return;
  if (field) {
    field->UnRegisterChanges(&link);
    RemoveFreeNotification(field);
  }
  field = value;
  if (value) {
    value->RegisterChanges(&link);
    FreeNotification(value);
  }
  if (!HasState(csLoading | csDestroying))
    Change();
}

void TTBCustomImageList::Notification(TComponent* AComponent, TOperation Operation)
{
  TCustomImageList::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  if (AComponent == FCheckedImages)
    SetCheckedImages(nullptr);
  if (AComponent == FDisabledImages)
    SetDisabledImages(nullptr);
  if (AComponent == FHotImages)
    SetHotImages(nullptr);
}

void TTBCustomImageList::SetImagesBitmap(const TBitmap& v)
{
  *FImagesBitmap = v;
  Refill();
}

void TTBCustomImageList::SetImagesBitmapMaskColor(TColor v)
{
  if (v == FImagesBitmapMaskColor)
    return;
  FImagesBitmapMaskColor = v;
  Refill();
}

void TTBCustomImageList::Refill()
{
  if (FImagesBitmap->Empty())
    return;
  BeginUpdate();
  Clear();
  AddMasked(*FImagesBitmap, FImagesBitmapMaskColor);
  EndUpdate();
}

void TTBCustomImageList::DrawState(TCanvas& Canvas, Integer X, Integer Y, Integer Index, bool Enabled, bool Selected,
                                   bool Checked)
{
  if (!Enabled && FDisabledImages)
    FDisabledImages->Draw(Canvas, X, Y, Index, true);
  else if (Checked && FCheckedImages)
    FCheckedImages->Draw(Canvas, X, Y, Index, Enabled);
  else if (Selected && FHotImages)
    FHotImages->Draw(Canvas, X, Y, Index, Enabled);
  else
    Draw(Canvas, X, Y, Index, Enabled);
}
