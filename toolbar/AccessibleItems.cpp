// Accessibility objects of views and item viewers.
#include "toolbar/AccessibleItems.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "toolbar/KitHelpers.h"
#include "toolbar/ThemedEditItems.h"
#include "toolbar/Toolbars.h"

namespace {

// The live accessibility objects, their lock and the count of view objects are the
// process's: a screen reader may hold an object past its view, objects may come and go on
// any thread, and shut-down disconnects every one still alive from its clients.
std::mutex& LiveLock()
{
  // NOLINTNEXTLINE(orrelo-static-local-state): guards the process's list below
  static std::mutex m;
  return m;
}

std::vector<TTBCustomAccObject*>& LiveObjects()
{
  // NOLINTNEXTLINE(orrelo-static-local-state): the process's live objects, as said above
  static std::vector<TTBCustomAccObject*> list;
  return list;
}

// NOLINTNEXTLINE(cppcoreguidelines-avoid-non-const-global-variables): the process's count, as said above
std::atomic<int> ViewObjectCount{0};

bool IsSelf(const TAccVariant& Child) { return Child.Kind == TAccVariant::vtI4 && Child.Int == CHILDID_SELF; }

std::vector<TTBItemViewer*> AccessibleViewers(TTBView* View)
{
  // A hosted control is read once, where it stands: not again for a second item hosting it,
  // nor under its toolbar while the toolbar has lent it to a chevron's popup.
  std::vector<TTBItemViewer*> list;
  std::vector<TControl*> hosted;
  for (Integer i = 0; i < View->ViewerCount(); ++i) {
    TTBItemViewer* v = View->Viewers(i);
    if (!TBAccIsAccessible(v))
      continue;
    if (auto* ci = dynamic_cast<TTBControlItem*>(v->Item()); ci && ci->Control()) {
      if (View->ControlLent(ci->Control()) || std::find(hosted.begin(), hosted.end(), ci->Control()) != hosted.end())
        continue;
      hosted.push_back(ci->Control());
    }
    list.push_back(v);
  }
  return list;
}

// The keyboard's name of the Alt key; the layout gives none here.
std::string AltKeyName() { return "Alt"; }

// What the deferred-click queue carries for a viewer: take the focus, execute, or open the
// viewer's popup.
constexpr WPARAM AccCodeSelect = 0, AccCodeExecute = 1, AccCodeOpen = 2;

// A split drop-down whose own part does nothing (a list that cannot be typed into): its
// action, "Open", opens its popup rather than executing nothing.
bool OpensOnAction(TTBItemViewer* Viewer)
{
  const TTBItemStyle style = Viewer->Item()->ItemStyle();
  auto* dropDown = dynamic_cast<TTBXCustomDropDownItem*>(Viewer->Item());
  return (style & tbisSubmenu) && (style & tbisSplitDropdown) && dropDown && dropDown->DropDownList();
}

// A view counts as in its loop while it (or the loop it belongs to) runs.
bool InLoop(TTBView* View) { return View->InModalLoop || View->GetRootView()->InModalLoop; }

bool ViewerAvailable(TTBItemViewer* Viewer)
{
  TCustomControl* w = Viewer->View()->Window();
  return Viewer->Item()->Enabled() && (!w || w->Enabled());
}

// As the keyboard sees it: a visible, selectable item laid out or scrolled away.
bool ViewerFocusable(TTBItemViewer* Viewer)
{
  TTBCustomItem* item = Viewer->Item();
  return item->Visible() && (item->ItemStyle() & tbisSelectable) && (Viewer->Show || Viewer->Clipped);
}

// A view in a popup window: a menu, a list, a chevron's overflow.
bool IsPopupView(TTBView* View) { return dynamic_cast<TTBPopupWindow*>(View->Window()) != nullptr; }

// The viewer whose popup the view is, while it is open.
TTBItemViewer* OpenerOf(TTBView* View)
{
  TTBView* parent = View->ParentView();
  return parent && parent->OpenViewerView() == View ? parent->OpenViewer() : nullptr;
}

std::string ViewerName(TTBItemViewer* Viewer);

// A popup goes by the caption of the item whose popup it is; an item without a caption (a
// combo box) lends the name its viewer goes by.
std::string PopupItemName(TTBView* View)
{
  if (!IsPopupView(View))
    return {};
  TTBItemViewer* opener = OpenerOf(View);
  TTBCustomItem* item = opener ? opener->Item() : View->ParentItem();
  if (!item)
    return {};
  const std::string& c = item->Caption();
  std::string name = StripAccelChars(c.substr(0, c.find('\t')));
  if (name.empty() && opener)
    name = ViewerName(opener);
  return name;
}

// The item's caption; a box without a caption goes by its text, a button without one by its
// hint, and what has none of these in a popup by the popup's name.
std::string ViewerName(TTBItemViewer* Viewer)
{
  std::string name = StripAccelChars(Viewer->GetCaptionText());
  // What a box holds is its value, not its name: only what has nothing else goes by it.
  if (name.empty())
    name = GetShortHint(Viewer->Item()->Hint());
  if (name.empty())
    Viewer->GetAccValue(name);
  if (name.empty() && IsPopupView(Viewer->View()))
    name = PopupItemName(Viewer->View());
  return name;
}

}   // namespace

// ---------------------------------------------------------------------------------------

HRESULT TTBBaseAccObject::GetTypeInfoCount(uint32_t& Count)
{
  Count = 0;
  return E_NOTIMPL;
}
HRESULT TTBBaseAccObject::GetTypeInfo() { return E_NOTIMPL; }
HRESULT TTBBaseAccObject::GetIDsOfNames() { return E_NOTIMPL; }
HRESULT TTBBaseAccObject::Invoke() { return E_NOTIMPL; }

TTBCustomAccObject::TTBCustomAccObject()
{
  std::lock_guard<std::mutex> lock(LiveLock());
  LiveObjects().push_back(this);
}

TTBCustomAccObject::~TTBCustomAccObject()
{
  std::lock_guard<std::mutex> lock(LiveLock());
  auto& list = LiveObjects();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

HRESULT TTBCustomAccObject::Check(const TAccVariant& Child) const
{
  if (!Alive())
    return E_FAIL;
  return IsSelf(Child) ? S_OK : E_INVALIDARG;
}

HRESULT TTBCustomAccObject::get_accDescription(const TAccVariant& Child, std::string& Result)
{
  Result.clear();
  HRESULT r = Check(Child);
  return r != S_OK ? r : S_FALSE;
}

HRESULT TTBCustomAccObject::get_accHelp(const TAccVariant& Child, std::string& Result)
{
  return get_accDescription(Child, Result);
}

HRESULT TTBCustomAccObject::get_accHelpTopic(std::string& HelpFile, const TAccVariant& Child, int32_t& Topic)
{
  Topic = 0;
  return get_accDescription(Child, HelpFile);
}

HRESULT TTBCustomAccObject::get_accFocus(TAccVariant& Result)
{
  Result = TAccVariant::Empty();
  return Alive() ? S_FALSE : E_FAIL;
}

HRESULT TTBCustomAccObject::get_accSelection(TAccVariant& Result) { return get_accFocus(Result); }

HRESULT TTBCustomAccObject::put_accName(const TAccVariant& Child, const std::string&)
{
  HRESULT r = Check(Child);
  return r != S_OK ? r : S_FALSE;
}

HRESULT TTBCustomAccObject::put_accValue(const TAccVariant& Child, const std::string& Value)
{
  return put_accName(Child, Value);
}

int TBAccLiveObjectCount()
{
  std::lock_guard<std::mutex> lock(LiveLock());
  return static_cast<int>(LiveObjects().size());
}

int TBAccViewObjectCount() { return ViewObjectCount.load(); }

void TBAccDisconnectAll()
{
  std::vector<TTBCustomAccObject*> list;
  {
    std::lock_guard<std::mutex> lock(LiveLock());
    list = LiveObjects();
  }
  for (TTBCustomAccObject* o : list)
    o->Disconnect();
}

void TBAccClientDestroying(TTBCustomAccObject* AccObject)
{
  if (AccObject)
    AccObject->ClientIsDestroying();
}

bool TBAccIsAccessible(const TTBItemViewer* Viewer) { return Viewer->Show || Viewer->OffEdge || Viewer->Clipped; }

bool InitializeOleAcc() { return true; }

void TBAccNotifyFocus(TTBView* View, TTBItemViewer* Viewer)
{
  if (!View || !Viewer || !View->Window())
    return;
  std::vector<TTBItemViewer*> list = AccessibleViewers(View);
  auto it = std::find(list.begin(), list.end(), Viewer);
  if (it == list.end())
    return;
  std::vector<int> path{static_cast<int>(it - list.begin())};
  // In a list the keys move from entry to entry: the entry they are on has the focus.
  if (auto* entries = dynamic_cast<TTBXCustomListViewer*>(Viewer);
      entries && entries->HoverIndex() >= 0 && entries->HoverIndex() < entries->ItemCount())
    path.push_back(entries->HoverIndex());
  NotifyAccessible(View->Window(), TAccessibleEvent::Focus, path);
}

void TBAccNotify(TTBView* View, TAccessibleEvent Event)
{
  if (View && View->Window())
    NotifyAccessible(View->Window(), Event);
}

std::shared_ptr<TTBBaseAccObject> TBAccObjectForWindowRequest(TTBView* View, int32_t ObjectId)
{
  if (ObjectId != OBJID_CLIENT || !View || !InitializeOleAcc())
    return nullptr;
  return TBAccViewObject(View);
}

std::shared_ptr<TTBViewAccObject> TBAccViewObject(TTBView* View)
{
  if (!View)
    return nullptr;
  if (auto* existing = dynamic_cast<TTBViewAccObject*>(View->AccObjectInstance))
    return std::static_pointer_cast<TTBViewAccObject>(existing->shared_from_this());
  auto o = std::make_shared<TTBViewAccObject>(View);
  View->AccObjectInstance = o.get();
  return o;
}

std::shared_ptr<TTBItemViewerAccObject> TBAccViewerObject(TTBItemViewer* Viewer)
{
  if (!Viewer)
    return nullptr;
  if (auto* existing = dynamic_cast<TTBItemViewerAccObject*>(Viewer->AccObjectInstance))
    return std::static_pointer_cast<TTBItemViewerAccObject>(existing->shared_from_this());
  auto o = std::make_shared<TTBItemViewerAccObject>(Viewer);
  Viewer->AccObjectInstance = o.get();
  return o;
}

// ---------------------------------------------------------------------------------------
// View object

TTBViewAccObject::TTBViewAccObject(TTBView* AView) : FView(AView) { ++ViewObjectCount; }

TTBViewAccObject::~TTBViewAccObject()
{
  if (FView && FView->AccObjectInstance == this)
    FView->AccObjectInstance = nullptr;
  --ViewObjectCount;
}

void TTBViewAccObject::ClientIsDestroying() { FView = nullptr; }

void TTBViewAccObject::Disconnect()
{
  if (FView && FView->AccObjectInstance == this)
    FView->AccObjectInstance = nullptr;
  FView = nullptr;
}

HRESULT TTBViewAccObject::accDoDefaultAction(const TAccVariant& Child)
{
  HRESULT r = Check(Child);
  return r != S_OK ? r : DISP_E_MEMBERNOTFOUND;
}

HRESULT TTBViewAccObject::accHitTest(int32_t XLeft, int32_t YTop, TAccVariant& Result)
{
  Result = TAccVariant::Empty();
  if (!FView)
    return E_FAIL;
  int32_t l, t, w, h;
  accLocation(l, t, w, h, AccSelf);
  if (XLeft < l || XLeft >= l + w || YTop < t || YTop >= t + h)
    return S_FALSE;
  // Hosted controls have no standard object here; their control items' viewers stand in.
  TPoint p = FView->Window()->ScreenToClient({XLeft, YTop});
  TTBItemViewer* v = FView->ViewerFromPoint(p);
  if (v && TBAccIsAccessible(v))
    Result = TAccVariant::Dispatch(TBAccViewerObject(v));
  else
    Result = AccSelf;
  return S_OK;
}

HRESULT TTBViewAccObject::accLocation(int32_t& Left, int32_t& Top, int32_t& Width, int32_t& Height,
                                      const TAccVariant& Child)
{
  Left = Top = Width = Height = 0;
  HRESULT r = Check(Child);
  if (r != S_OK)
    return r;
  TCustomControl* w = FView->Window();
  if (!w)
    return S_FALSE;
  TPoint o = w->ClientOrigin();
  TPoint nc = w->NonClientSize();
  Left = o.X - nc.X;
  Top = o.Y - nc.Y;
  Width = w->Width();
  Height = w->Height();
  return S_OK;
}

HRESULT TTBViewAccObject::accNavigate(int32_t NavDir, const TAccVariant& Start, TAccVariant& Result)
{
  Result = TAccVariant::Empty();
  HRESULT r = Check(Start);
  if (r != S_OK)
    return r;
  if (NavDir != NAVDIR_FIRSTCHILD && NavDir != NAVDIR_LASTCHILD)
    return S_FALSE;
  std::vector<TTBItemViewer*> list = AccessibleViewers(FView);
  if (list.empty())
    return S_FALSE;
  Result = TAccVariant::Dispatch(TBAccViewerObject(NavDir == NAVDIR_FIRSTCHILD ? list.front() : list.back()));
  return S_OK;
}

HRESULT TTBViewAccObject::accSelect(int32_t, const TAccVariant& Child)
{
  HRESULT r = Check(Child);
  return r != S_OK ? r : DISP_E_MEMBERNOTFOUND;
}

HRESULT TTBViewAccObject::get_accChild(const TAccVariant& Child, std::shared_ptr<TTBBaseAccObject>& Result)
{
  Result = nullptr;
  if (!FView)
    return E_FAIL;
  if (Child.Kind != TAccVariant::vtI4)
    return E_INVALIDARG;
  std::vector<TTBItemViewer*> list = AccessibleViewers(FView);
  if (Child.Int < 1 || Child.Int > static_cast<int32_t>(list.size()))
    return E_INVALIDARG;
  Result = TBAccViewerObject(list[static_cast<size_t>(Child.Int - 1)]);
  return S_OK;
}

HRESULT TTBViewAccObject::get_accChildCount(int32_t& Count)
{
  Count = 0;
  if (!FView)
    return E_FAIL;
  Count = static_cast<int32_t>(AccessibleViewers(FView).size());
  return S_OK;
}

// A view has no default action and no value.
HRESULT TTBViewAccObject::get_accDefaultAction(const TAccVariant& Child, std::string& Result)
{
  return get_accDescription(Child, Result);
}

HRESULT TTBViewAccObject::get_accValue(const TAccVariant& Child, std::string& Result)
{
  return get_accDescription(Child, Result);
}

HRESULT TTBViewAccObject::get_accKeyboardShortcut(const TAccVariant& Child, std::string& Result)
{
  Result.clear();
  HRESULT r = Check(Child);
  if (r != S_OK)
    return r;
  if (!FView->MenuBar)
    return S_FALSE;
  Result = AltKeyName();
  return S_OK;
}

HRESULT TTBViewAccObject::get_accName(const TAccVariant& Child, std::string& Result)
{
  Result.clear();
  HRESULT r = Check(Child);
  if (r != S_OK)
    return r;
  Result = PopupItemName(FView);
  if (Result.empty() && FView->Window()) {
    Result = FView->Window()->Caption();
    // A toolbar without a caption goes by the name it was given for screen readers.
    if (Result.empty())
      Result = FView->Window()->AccessibleName();
  }
  return S_OK;
}

TControl* TTBItemViewerAccObject::HostedControl()
{
  auto* item = FViewer ? dynamic_cast<TTBControlItem*>(FViewer->Item()) : nullptr;
  return item ? item->Control() : nullptr;
}

HRESULT TTBViewAccObject::get_accParent(std::shared_ptr<TTBBaseAccObject>& Result)
{
  // The window's standard object comes from the platform's library, absent here.
  Result = nullptr;
  return FView ? S_FALSE : E_FAIL;
}

HRESULT TTBViewAccObject::get_accRole(const TAccVariant& Child, TAccVariant& Result)
{
  Result = TAccVariant::Empty();
  HRESULT r = Check(Child);
  if (r != S_OK)
    return r;
  if (IsPopupView(FView))
    Result = TAccVariant::I4(ROLE_SYSTEM_MENUPOPUP);
  else if (FView->MenuBar)
    Result = TAccVariant::I4(ROLE_SYSTEM_MENUBAR);
  else
    Result = TAccVariant::I4(ROLE_SYSTEM_TOOLBAR);
  return S_OK;
}

HRESULT TTBViewAccObject::get_accState(const TAccVariant& Child, TAccVariant& Result)
{
  Result = TAccVariant::Empty();
  HRESULT r = Check(Child);
  if (r != S_OK)
    return r;
  Result = TAccVariant::I4(0);
  return S_OK;
}

// ---------------------------------------------------------------------------------------
// Item viewer object

TTBItemViewerAccObject::TTBItemViewerAccObject(TTBItemViewer* AViewer) : FViewer(AViewer) {}

TTBItemViewerAccObject::~TTBItemViewerAccObject()
{
  if (FViewer && FViewer->AccObjectInstance == this)
    FViewer->AccObjectInstance = nullptr;
}

void TTBItemViewerAccObject::ClientIsDestroying() { FViewer = nullptr; }

void TTBItemViewerAccObject::Disconnect()
{
  if (FViewer && FViewer->AccObjectInstance == this)
    FViewer->AccObjectInstance = nullptr;
  FViewer = nullptr;
}

bool TTBItemViewerAccObject::IsAvailable() const { return ViewerAvailable(FViewer); }
bool TTBItemViewerAccObject::IsFocusable() const { return ViewerFocusable(FViewer); }

HRESULT TTBItemViewerAccObject::accDoDefaultAction(const TAccVariant& Child)
{
  HRESULT r = Check(Child);
  if (r != S_OK)
    return r;
  if (!IsAvailable())
    return DISP_E_MEMBERNOTFOUND;
  TTBView* view = FViewer->View();
  if (view->OpenViewer() == FViewer) {
    view->CloseChildPopups();
    if (view->InModalLoop && view->IsToolbar())
      view->EndModal();
  } else {
    // A press acts as a click: the item is highlighted, not given the keyboard, so no reader
    // hears the focus on an item whose action may take it away (a window's Close).
    view->Select(FViewer, true);
    view->ScrollSelectedIntoView();
    PostViewerClick(FViewer, OpensOnAction(FViewer) ? AccCodeOpen : AccCodeExecute);
  }
  return S_OK;
}

HRESULT TTBItemViewerAccObject::accHitTest(int32_t XLeft, int32_t YTop, TAccVariant& Result)
{
  Result = TAccVariant::Empty();
  if (!FViewer)
    return E_FAIL;
  int32_t l, t, w, h;
  accLocation(l, t, w, h, AccSelf);
  if (XLeft < l || XLeft >= l + w || YTop < t || YTop >= t + h)
    return S_FALSE;
  Result = AccSelf;
  return S_OK;
}

HRESULT TTBItemViewerAccObject::accLocation(int32_t& Left, int32_t& Top, int32_t& Width, int32_t& Height,
                                            const TAccVariant& Child)
{
  Left = Top = Width = Height = 0;
  HRESULT r = Check(Child);
  if (r != S_OK)
    return r;
  TCustomControl* w = FViewer->View()->Window();
  TPoint o = w ? w->ClientToScreen(TPoint{FViewer->BoundsRect.Left, FViewer->BoundsRect.Top})
               : TPoint{FViewer->BoundsRect.Left, FViewer->BoundsRect.Top};
  Left = o.X;
  Top = o.Y;
  Width = FViewer->BoundsRect.Width();
  Height = FViewer->BoundsRect.Height();
  return S_OK;
}

HRESULT TTBItemViewerAccObject::accNavigate(int32_t NavDir, const TAccVariant& Start, TAccVariant& Result)
{
  Result = TAccVariant::Empty();
  HRESULT r = Check(Start);
  if (r != S_OK)
    return r;
  TTBView* view = FViewer->View();
  switch (NavDir) {
  case NAVDIR_UP:
  case NAVDIR_LEFT:
  case NAVDIR_PREVIOUS:
  case NAVDIR_DOWN:
  case NAVDIR_RIGHT:
  case NAVDIR_NEXT: {
    bool forward = NavDir == NAVDIR_DOWN || NavDir == NAVDIR_RIGHT || NavDir == NAVDIR_NEXT;
    std::vector<TTBItemViewer*> list = AccessibleViewers(view);
    Integer self = view->IndexOf(FViewer);
    TTBItemViewer* found = nullptr;
    if (forward) {
      for (TTBItemViewer* v : list)
        if (view->IndexOf(v) > self) {
          found = v;
          break;
        }
    } else {
      for (auto it = list.rbegin(); it != list.rend(); ++it)
        if (view->IndexOf(*it) < self) {
          found = *it;
          break;
        }
    }
    if (!found)
      return S_FALSE;
    Result = TAccVariant::Dispatch(TBAccViewerObject(found));
    return S_OK;
  }
  case NAVDIR_FIRSTCHILD:
  case NAVDIR_LASTCHILD:
    if (view->OpenViewer() != FViewer || !view->OpenViewerView())
      return S_FALSE;
    Result = TAccVariant::Dispatch(TBAccViewObject(view->OpenViewerView()));
    return S_OK;
  default: return S_FALSE;
  }
}

HRESULT TTBItemViewerAccObject::accSelect(int32_t FlagsSelect, const TAccVariant& Child)
{
  HRESULT r = Check(Child);
  if (r != S_OK)
    return r;
  if (FlagsSelect != SELFLAG_TAKEFOCUS)
    return E_INVALIDARG;
  if (!IsFocusable())
    return S_FALSE;
  TTBView* view = FViewer->View();
  view->Select(FViewer, false);
  view->ScrollSelectedIntoView();
  if (!InLoop(view) && !view->ParentView())
    PostViewerClick(FViewer, AccCodeSelect);
  return S_OK;
}

HRESULT TTBItemViewerAccObject::get_accChild(const TAccVariant& Child, std::shared_ptr<TTBBaseAccObject>& Result)
{
  Result = nullptr;
  if (!FViewer)
    return E_FAIL;
  TTBView* view = FViewer->View();
  if (Child.Kind != TAccVariant::vtI4 || Child.Int != 1 || view->OpenViewer() != FViewer || !view->OpenViewerView())
    return E_INVALIDARG;
  Result = TBAccViewObject(view->OpenViewerView());
  return S_OK;
}

HRESULT TTBItemViewerAccObject::get_accChildCount(int32_t& Count)
{
  Count = 0;
  if (!FViewer)
    return E_FAIL;
  TTBView* view = FViewer->View();
  Count = view->OpenViewer() == FViewer && view->OpenViewerView() ? 1 : 0;
  return S_OK;
}

HRESULT TTBItemViewerAccObject::get_accDefaultAction(const TAccVariant& Child, std::string& Result)
{
  Result.clear();
  HRESULT r = Check(Child);
  if (r != S_OK)
    return r;
  if (!IsAvailable())
    return S_FALSE;
  TTBView* view = FViewer->View();
  // A separator and a hosted control's place do nothing when pressed.
  if (FViewer->Item()->ItemStyle() & tbisSeparator || dynamic_cast<TTBControlItem*>(FViewer->Item()))
    return S_FALSE;
  if (view->OpenViewer() == FViewer)
    Result = "Close";
  else if (FViewer->Item()->ItemStyle() & tbisSubmenu)
    Result = "Open";
  else if (!view->IsToolbar() || view->MenuBar)
    Result = "Execute";
  else
    Result = "Press";
  return S_OK;
}

HRESULT TTBItemViewerAccObject::get_accKeyboardShortcut(const TAccVariant& Child, std::string& Result)
{
  Result.clear();
  HRESULT r = Check(Child);
  if (r != S_OK)
    return r;
  char c = FindAccelChar(FViewer->GetCaptionText());
  if (c == 0)
    return S_FALSE;
  if (c >= 'A' && c <= 'Z')
    c = static_cast<char>(c - 'A' + 'a');
  Result = FViewer->View()->IsToolbar() ? AltKeyName() + "+" + c : std::string(1, c);
  return S_OK;
}

HRESULT TTBItemViewerAccObject::get_accName(const TAccVariant& Child, std::string& Result)
{
  Result.clear();
  HRESULT r = Check(Child);
  if (r != S_OK)
    return r;
  Result = ViewerName(FViewer);
  if (!FViewer->View()->IsToolbar()) {
    std::string sc = FViewer->Item()->GetShortCutText();
    if (!sc.empty())
      Result += "\t" + sc;
  }
  return S_OK;
}

HRESULT TTBItemViewerAccObject::get_accParent(std::shared_ptr<TTBBaseAccObject>& Result)
{
  Result = nullptr;
  if (!FViewer)
    return E_FAIL;
  Result = TBAccViewObject(FViewer->View());
  return Result ? S_OK : E_UNEXPECTED;
}

HRESULT TTBItemViewerAccObject::get_accRole(const TAccVariant& Child, TAccVariant& Result)
{
  Result = TAccVariant::Empty();
  HRESULT r = Check(Child);
  if (r != S_OK)
    return r;
  Result = TAccVariant::I4(FViewer->GetAccRole());
  return S_OK;
}

HRESULT TTBItemViewerAccObject::get_accState(const TAccVariant& Child, TAccVariant& Result)
{
  Result = TAccVariant::Empty();
  HRESULT r = Check(Child);
  if (r != S_OK)
    return r;
  TTBView* view = FViewer->View();
  TTBCustomItem* item = FViewer->Item();
  uint32_t s = 0;
  if (view->Selected() == FViewer) {
    s |= STATE_SYSTEM_HOTTRACKED;
    if (InLoop(view) && !view->SelectedViaMouse())
      s |= STATE_SYSTEM_FOCUSED;
    if (view->OpenViewer() == FViewer)
      s |= STATE_SYSTEM_PRESSED;
  }
  if (auto* bar = dynamic_cast<TTBCustomToolbar*>(view->Window()); bar && bar->KeyboardItem() == item)
    s |= STATE_SYSTEM_FOCUSED;
  if (item->ItemStyle() & tbisSubmenu)
    s |= STATE_SYSTEM_HASPOPUP;
  if (!FViewer->Show)
    s |= STATE_SYSTEM_INVISIBLE;
  else if (IsFocusable())
    s |= STATE_SYSTEM_FOCUSABLE;
  if (!IsAvailable())
    s |= STATE_SYSTEM_UNAVAILABLE;
  if (item->Checked())
    s |= STATE_SYSTEM_CHECKED;
  Result = TAccVariant::I4(static_cast<int32_t>(s));
  return S_OK;
}

HRESULT TTBItemViewerAccObject::get_accValue(const TAccVariant& Child, std::string& Result)
{
  Result.clear();
  HRESULT r = Check(Child);
  if (r != S_OK)
    return r;
  return FViewer->GetAccValue(Result) ? S_OK : S_FALSE;
}

// ---------------------------------------------------------------------------------------
// The deferred action the queue delivers for a viewer.

namespace {

// Another bar's loop may still run when a reader acts on this one (the chevron's popup
// closed with Escape leaves its toolbar waiting in keyboard mode, holding the mouse): it
// ends, as a click elsewhere ends it. True when there was one.
bool EndOtherBarsLoop(TTBView* View)
{
  auto* other = dynamic_cast<TTBCustomToolbar*>(GetCaptureControl());
  if (!other || !other->View() || other->View() == View || !other->View()->InModalLoop)
    return false;
  other->View()->EndModal();
  return true;
}

}   // namespace

void TBAccDeferredAction(TTBItemViewer* Viewer, WPARAM Code)
{
  if (!Viewer)
    return;
  const bool execute = Code != AccCodeSelect;
  if (execute ? !ViewerAvailable(Viewer) : !ViewerFocusable(Viewer))
    return;
  TTBView* view = Viewer->View();
  // Only a reader's focus gives the item the keyboard; its press and its opening act as a
  // click (the popup opened then has the keyboard, on its first item).
  view->Select(Viewer, Code != AccCodeSelect);
  view->ScrollSelectedIntoView();
  if (InLoop(view)) {
    if (Code == AccCodeOpen)
      view->OpenChildPopup(true);
    else if (execute)
      // As a click runs it: an item run from a chevron's popup goes back onto its toolbar.
      view->ExecuteSelected(true);
  } else if (!view->ParentView() && EndOtherBarsLoop(view)) {
    // It runs once the other bar's loop has ended.
    PostViewerClick(Viewer, Code);
  } else if (!view->ParentView() && !GetCaptureControl()) {
    // The popup opens once the loop runs.
    if (Code == AccCodeOpen)
      PostViewerClick(Viewer, AccCodeOpen);
    view->EnterToolbarLoop(tbetFromMSAA | (Code == AccCodeExecute ? tbetExecuteSelected : 0));
  }
}
