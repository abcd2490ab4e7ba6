// The kit's accessibility objects as nodes of the platform's accessibility bridge: every
// answer comes from the object's requests on itself, its texts converted from the code page
// the kit holds them in. The bridge also reads what the objects carry no request for: the
// text of an edit item (with the caret and selection while it is edited), the chosen entry
// of a combo box as its value, and the entries of a list as selectable children.
#include <algorithm>

#include "platform/CodePages.h"
#include "toolbar/AccessibleItems.h"
#include "toolbar/EditItems.h"
#include "toolbar/ListItems.h"
#include "toolbar/ThemedEditItems.h"

namespace {

TTBItemViewer* ViewerOf(const std::shared_ptr<TTBBaseAccObject>& Object)
{
  auto* v = dynamic_cast<TTBItemViewerAccObject*>(Object.get());
  return v ? v->Viewer() : nullptr;
}

TTBXCustomListViewer* ListViewerOf(const std::shared_ptr<TTBBaseAccObject>& Object)
{
  return dynamic_cast<TTBXCustomListViewer*>(ViewerOf(Object));
}

// An entry of a list item: selectable, selected while it is the list's item index, hot
// while the keyboard or the mouse is on it, shown while it is scrolled into the list; its
// action picks it as a click in the list does.
class TListEntryNode : public TAccessibleNode {
public:
  TListEntryNode(std::shared_ptr<TTBBaseAccObject> ListObject, int Index)
      : FObject(std::move(ListObject)), FIndex(Index)
  {}
  bool Valid() override
  {
    TTBXCustomListViewer* v = ListViewerOf(FObject);
    return v && FIndex < List(v)->GetCount();
  }
  std::u16string Name() override { return AnsiToWide(List(Viewer())->GetItemText(FIndex)); }
  int32_t Role() override { return ROLE_SYSTEM_LISTITEM; }
  uint32_t State() override
  {
    TTBXCustomListViewer* v = Viewer();
    uint32_t s = STATE_SYSTEM_SELECTABLE;
    s |= List(v)->ItemIndex() == FIndex ? STATE_SYSTEM_SELECTED : 0;
    s |= v->HoverIndex() == FIndex ? STATE_SYSTEM_HOTTRACKED : 0;
    // The keys move from the hot entry while the list is its menu's selected item.
    TTBView* view = v->View();
    const bool keys = view->Selected() == v && (view->InModalLoop || view->GetRootView()->InModalLoop);
    s |= STATE_SYSTEM_FOCUSABLE | (keys && v->HoverIndex() == FIndex ? STATE_SYSTEM_FOCUSED : 0);
    s |= Scrolled(v) ? 0 : STATE_SYSTEM_INVISIBLE;
    s |= List(v)->Enabled() ? 0 : STATE_SYSTEM_UNAVAILABLE;
    return s;
  }
  TRect ScreenRect() override
  {
    TTBXCustomListViewer* v = Viewer();
    TRect b = v->BoundsRect;
    const Integer top = b.Top + (FIndex - v->TopIndex()) * v->ItemHeight();
    TPoint o = v->View()->Window() ? v->View()->Window()->ClientToScreen({b.Left, top}) : TPoint{b.Left, top};
    return Bounds(o.X, o.Y, b.Width() - v->ScrollBarWidth(), v->ItemHeight());
  }
  std::u16string DefaultAction() override { return List(Viewer())->Enabled() ? u"Select" : u""; }
  bool DoDefaultAction() override
  {
    TTBXCustomListViewer* v = Viewer();
    if (!List(v)->Enabled())
      return false;
    List(v)->SetItemIndex(FIndex);
    return FObject->accDoDefaultAction(AccSelf) == S_OK;
  }
  const void* Identity() override { return FObject.get(); }
  int32_t Part() override { return FIndex + 1; }
  TControl* ShownIn() override { return Viewer()->View()->Window(); }

private:
  TTBXCustomListViewer* Viewer() const { return ListViewerOf(FObject); }
  static TTBXCustomList* List(TTBXCustomListViewer* v) { return static_cast<TTBXCustomList*>(v->Item()); }
  bool Scrolled(TTBXCustomListViewer* v) const
  {
    return FIndex >= v->TopIndex() && FIndex < v->TopIndex() + v->VisibleItems();
  }
  std::shared_ptr<TTBBaseAccObject> FObject;
  int FIndex;
};

TTBXComboBoxItem* ComboOf(const std::shared_ptr<TTBBaseAccObject>& Object)
{
  TTBItemViewer* viewer = ViewerOf(Object);
  return viewer ? dynamic_cast<TTBXComboBoxItem*>(viewer->Item()) : nullptr;
}

// A combo box's entry picked as the user's pick from its list is.
void PickComboEntry(TTBXComboBoxItem* Combo, int32_t Index)
{
  if (!Combo || !Combo->List() || !Combo->Enabled())
    return;
  Combo->List()->SetItemIndex(Index);
  Combo->List()->Click();
}

TRect ViewerScreenRect(const std::shared_ptr<TTBBaseAccObject>& Object)
{
  int32_t l = 0, t = 0, w = 0, h = 0;
  if (Object->accLocation(l, t, w, h, AccSelf) != S_OK)
    return {};
  return {l, t, l + w, t + h};
}

// A closed combo box's list, so that its entries are read and picked without opening it;
// it does not show (opened, the combo box's popup stands in its place).
class TClosedComboListNode : public TAccessibleNode {
public:
  TClosedComboListNode(std::shared_ptr<TTBBaseAccObject> ComboObject, int32_t Index)
      : FObject(std::move(ComboObject)), FIndex(Index)
  {}
  bool Valid() override
  {
    TTBXComboBoxItem* combo = ComboOf(FObject);
    return combo && FIndex < static_cast<int32_t>(combo->Strings().size());
  }
  std::u16string Name() override
  {
    TTBXComboBoxItem* combo = ComboOf(FObject);
    if (FIndex >= 0)
      return AnsiToWide(combo->Strings()[static_cast<size_t>(FIndex)]);
    std::string name;
    FObject->get_accName(AccSelf, name);
    return AnsiToWide(name);
  }
  int32_t Role() override { return FIndex < 0 ? ROLE_SYSTEM_LIST : ROLE_SYSTEM_LISTITEM; }
  uint32_t State() override
  {
    if (FIndex < 0)
      return STATE_SYSTEM_INVISIBLE;
    return STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_SELECTABLE
           | (ComboOf(FObject)->ItemIndex() == FIndex ? STATE_SYSTEM_SELECTED : 0);
  }
  TRect ScreenRect() override { return ViewerScreenRect(FObject); }
  int ChildCount() override { return FIndex < 0 ? static_cast<int>(ComboOf(FObject)->Strings().size()) : 0; }
  std::shared_ptr<TAccessibleNode> Child(int Index) override
  {
    return FIndex < 0 && Index >= 0 && Index < ChildCount() ? std::make_shared<TClosedComboListNode>(FObject, Index)
                                                            : nullptr;
  }
  std::u16string DefaultAction() override { return FIndex >= 0 && ComboOf(FObject)->Enabled() ? u"Select" : u""; }
  bool DoDefaultAction() override
  {
    if (FIndex < 0)
      return false;
    PickComboEntry(ComboOf(FObject), FIndex);
    return true;
  }
  const void* Identity() override { return FObject.get(); }
  int32_t Part() override { return -2 - FIndex; }
  TControl* ShownIn() override { return ViewerOf(FObject)->View()->Window(); }

private:
  std::shared_ptr<TTBBaseAccObject> FObject;
  int32_t FIndex;   // -1: the list itself
};

// A kit object seen by the bridge.
class TTBAccNode : public TAccessibleNode {
public:
  explicit TTBAccNode(std::shared_ptr<TTBBaseAccObject> o) : FObject(std::move(o)) {}
  bool Valid() override
  {
    TAccVariant r;
    return FObject->get_accRole(AccSelf, r) == S_OK;
  }
  std::u16string Name() override { return Text(&TTBBaseAccObject::get_accName); }
  std::u16string Value() override { return Text(&TTBBaseAccObject::get_accValue); }
  std::u16string KeyboardShortcut() override { return Text(&TTBBaseAccObject::get_accKeyboardShortcut); }
  std::u16string DefaultAction() override { return Text(&TTBBaseAccObject::get_accDefaultAction); }
  int32_t Role() override
  {
    TAccVariant r;
    return FObject->get_accRole(AccSelf, r) == S_OK ? r.Int : 0;
  }
  uint32_t State() override
  {
    TAccVariant r;
    return FObject->get_accState(AccSelf, r) == S_OK ? static_cast<uint32_t>(r.Int) : 0;
  }
  TRect ScreenRect() override { return ViewerScreenRect(FObject); }
  // A list's entries stand below it; so does a closed combo box's list.
  int ChildCount() override
  {
    if (TTBXCustomListViewer* list = ListViewerOf(FObject))
      return static_cast<TTBXCustomList*>(list->Item())->GetCount();
    int32_t n = 0;
    if (FObject->get_accChildCount(n) != S_OK)
      return 0;
    return n == 0 && ComboOf(FObject) ? 1 : n;
  }
  std::shared_ptr<TAccessibleNode> Child(int Index) override
  {
    if (ListViewerOf(FObject))
      return Index >= 0 && Index < ChildCount() ? std::make_shared<TListEntryNode>(FObject, Index) : nullptr;
    int32_t n = 0;
    if (Index == 0 && ComboOf(FObject) && FObject->get_accChildCount(n) == S_OK && n == 0)
      return std::make_shared<TClosedComboListNode>(FObject, -1);
    std::shared_ptr<TTBBaseAccObject> c;
    if (FObject->get_accChild(TAccVariant::I4(Index + 1), c) != S_OK || !c)
      return nullptr;
    return std::make_shared<TTBAccNode>(std::move(c));
  }
  bool DoDefaultAction() override { return FObject->accDoDefaultAction(AccSelf) == S_OK; }
  // An item a reader gives the focus to is selected in its toolbar or menu (an unavailable
  // one offers nothing, as a disabled control does).
  bool CanTakeFocus() override
  {
    const uint32_t s = State();
    return ViewerOf(FObject) && (s & STATE_SYSTEM_FOCUSABLE) != 0 && (s & STATE_SYSTEM_UNAVAILABLE) == 0;
  }
  void TakeFocus() override { FObject->accSelect(SELFLAG_TAKEFOCUS, AccSelf); }
  const void* Identity() override { return FObject.get(); }
  TControl* HostedControl() override { return FObject->HostedControl(); }
  // A popup reached through the item that opened it shows in its own window.
  TControl* ShownIn() override
  {
    if (auto* v = dynamic_cast<TTBViewAccObject*>(FObject.get()))
      return v->View() ? v->View()->Window() : nullptr;
    TTBItemViewer* viewer = ViewerOf(FObject);
    return viewer ? viewer->View()->Window() : nullptr;
  }

  // An edit item's text; while it is edited, the edit's text with its caret and selection.
  bool GetText(TAccessibleText& t) override
  {
    auto* viewer = dynamic_cast<TTBEditItemViewer*>(ViewerOf(FObject));
    if (!viewer)
      return false;
    if (TTBEditControl* edit = viewer->EditControl()) {
      t.Text = AnsiToWide(edit->Text());
      t.SelStart = edit->SelStart();
      t.SelEnd = edit->SelStart() + edit->SelLength();
      t.Caret = t.SelEnd;
    } else {
      t.Text = AnsiToWide(static_cast<TTBEditItem*>(viewer->Item())->Text());
    }
    return true;
  }
  // A combo box's chosen entry; one set by a client is picked as the user's pick is.
  bool GetRange(TAccessibleRange& r) override
  {
    TTBXComboBoxItem* combo = ComboOf(FObject);
    if (!combo)
      return false;
    r = {combo->ItemIndex(), 0, std::max<int32_t>(static_cast<int32_t>(combo->Strings().size()) - 1, 0)};
    return true;
  }
  void SetValue(int32_t Index) override { PickComboEntry(ComboOf(FObject), Index); }

private:
  std::u16string Text(HRESULT (TTBBaseAccObject::*get)(const TAccVariant&, std::string&))
  {
    std::string s;
    return ((*FObject).*get)(AccSelf, s) == S_OK ? AnsiToWide(s) : std::u16string();
  }
  std::shared_ptr<TTBBaseAccObject> FObject;
};

}   // namespace

std::shared_ptr<TAccessibleNode> TBAccBridgeNode(std::shared_ptr<TTBBaseAccObject> Object)
{
  return Object ? std::make_shared<TTBAccNode>(std::move(Object)) : nullptr;
}

void TBAccExposeView(TCustomControl* Window, TTBView* View)
{
  if (!Window)
    return;
  if (!View) {
    SetAccessibleRoot(Window, {});
    return;
  }
  SetAccessibleRoot(Window, [View] { return TBAccBridgeNode(TBAccViewObject(View)); });
}
