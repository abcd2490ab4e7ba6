// Accessibility of toolbars and menus. The kit draws its items itself, so a screen reader
// sees them only through objects of ours: one per view (toolbar, menu bar, popup menu) and
// one per item viewer, answering the requests of the classic accessibility interface
// (name, role, state, default action, children, navigation, location, hit test). Toolbars
// and popup windows hand their view's object to the platform's accessibility bridge, which
// shows the tree to the desktop's screen readers; the objects are also reached directly
// through TBAccViewObject and TBAccViewerObject.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "platform/Accessible.h"
#include "toolbar/Items.h"

using HRESULT = int32_t;
constexpr HRESULT S_OK = 0, S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u), E_FAIL = static_cast<HRESULT>(0x80004005u),
                  E_INVALIDARG = static_cast<HRESULT>(0x80070057u), E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu),
                  DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003u);

constexpr int32_t CHILDID_SELF = 0;
constexpr int32_t OBJID_CLIENT = -4;

// Navigation directions.
constexpr int32_t NAVDIR_UP = 1, NAVDIR_DOWN = 2, NAVDIR_LEFT = 3, NAVDIR_RIGHT = 4, NAVDIR_NEXT = 5,
                  NAVDIR_PREVIOUS = 6, NAVDIR_FIRSTCHILD = 7, NAVDIR_LASTCHILD = 8;
// Selection flags.
constexpr int32_t SELFLAG_TAKEFOCUS = 1;

class TTBBaseAccObject;
class TControl;

// A request's variant argument or result: nothing, an integer (a child id), or an object.
struct TAccVariant {
  enum TKind : uint8_t { vtEmpty, vtI4, vtDispatch };
  TKind Kind = vtEmpty;
  int32_t Int = 0;
  std::shared_ptr<TTBBaseAccObject> Object;
  static TAccVariant Empty() { return {}; }
  static TAccVariant I4(int32_t v) { return {vtI4, v, nullptr}; }
  static TAccVariant Dispatch(std::shared_ptr<TTBBaseAccObject> o) { return {vtDispatch, 0, std::move(o)}; }
};

inline const TAccVariant AccSelf = TAccVariant::I4(CHILDID_SELF);

// The accessibility interface, with its dispatch part that answers nothing.
class TTBBaseAccObject : public std::enable_shared_from_this<TTBBaseAccObject> {
public:
  virtual ~TTBBaseAccObject() = default;

  // IDispatch: not implemented on any object.
  HRESULT GetTypeInfoCount(uint32_t& Count);
  HRESULT GetTypeInfo();
  HRESULT GetIDsOfNames();
  HRESULT Invoke();

  virtual HRESULT accDoDefaultAction(const TAccVariant& Child) = 0;
  virtual HRESULT accHitTest(int32_t XLeft, int32_t YTop, TAccVariant& Result) = 0;
  virtual HRESULT accLocation(int32_t& Left, int32_t& Top, int32_t& Width, int32_t& Height,
                              const TAccVariant& Child) = 0;
  virtual HRESULT accNavigate(int32_t NavDir, const TAccVariant& Start, TAccVariant& Result) = 0;
  virtual HRESULT accSelect(int32_t FlagsSelect, const TAccVariant& Child) = 0;
  virtual HRESULT get_accChild(const TAccVariant& Child, std::shared_ptr<TTBBaseAccObject>& Result) = 0;
  virtual HRESULT get_accChildCount(int32_t& Count) = 0;
  virtual HRESULT get_accDefaultAction(const TAccVariant& Child, std::string& Result) = 0;
  virtual HRESULT get_accDescription(const TAccVariant& Child, std::string& Result) = 0;
  virtual HRESULT get_accFocus(TAccVariant& Result) = 0;
  virtual HRESULT get_accHelp(const TAccVariant& Child, std::string& Result) = 0;
  virtual HRESULT get_accHelpTopic(std::string& HelpFile, const TAccVariant& Child, int32_t& Topic) = 0;
  virtual HRESULT get_accKeyboardShortcut(const TAccVariant& Child, std::string& Result) = 0;
  virtual HRESULT get_accName(const TAccVariant& Child, std::string& Result) = 0;
  virtual HRESULT get_accParent(std::shared_ptr<TTBBaseAccObject>& Result) = 0;
  virtual HRESULT get_accRole(const TAccVariant& Child, TAccVariant& Result) = 0;
  virtual HRESULT get_accSelection(TAccVariant& Result) = 0;
  virtual HRESULT get_accState(const TAccVariant& Child, TAccVariant& Result) = 0;
  virtual HRESULT get_accValue(const TAccVariant& Child, std::string& Result) = 0;
  virtual HRESULT put_accName(const TAccVariant& Child, const std::string& Name) = 0;
  virtual HRESULT put_accValue(const TAccVariant& Child, const std::string& Value) = 0;
  // The control a hosted-control item places where the object stands, else none.
  virtual TControl* HostedControl() { return nullptr; }
};

// Every live object is in a module-wide list (guarded, so objects may come and go on any
// thread) and can be cut off from its view or viewer.
class TTBCustomAccObject : public TTBBaseAccObject {
public:
  TTBCustomAccObject();
  ~TTBCustomAccObject() override;
  // The view or viewer is going: every later request fails.
  virtual void ClientIsDestroying() = 0;
  // Cuts both links (shut-down): the view or viewer forgets this object too.
  virtual void Disconnect() = 0;

  // What neither views nor viewers answer: S_FALSE with an empty result.
  HRESULT get_accDescription(const TAccVariant& Child, std::string& Result) override;
  HRESULT get_accFocus(TAccVariant& Result) override;
  HRESULT get_accHelp(const TAccVariant& Child, std::string& Result) override;
  HRESULT get_accHelpTopic(std::string& HelpFile, const TAccVariant& Child, int32_t& Topic) override;
  HRESULT get_accSelection(TAccVariant& Result) override;
  HRESULT put_accName(const TAccVariant& Child, const std::string& Name) override;
  HRESULT put_accValue(const TAccVariant& Child, const std::string& Value) override;

protected:
  // The view or viewer is still there.
  virtual bool Alive() const = 0;
  // E_FAIL when stale, E_INVALIDARG for anything but CHILDID_SELF, else S_OK.
  HRESULT Check(const TAccVariant& Child) const;
};

class TTBViewAccObject : public TTBCustomAccObject {
public:
  explicit TTBViewAccObject(TTBView* AView);
  ~TTBViewAccObject() override;
  TTBView* View() const { return FView; }
  void ClientIsDestroying() override;
  void Disconnect() override;

  HRESULT accDoDefaultAction(const TAccVariant& Child) override;
  HRESULT accHitTest(int32_t XLeft, int32_t YTop, TAccVariant& Result) override;
  HRESULT accLocation(int32_t& Left, int32_t& Top, int32_t& Width, int32_t& Height, const TAccVariant& Child) override;
  HRESULT accNavigate(int32_t NavDir, const TAccVariant& Start, TAccVariant& Result) override;
  HRESULT accSelect(int32_t FlagsSelect, const TAccVariant& Child) override;
  HRESULT get_accChild(const TAccVariant& Child, std::shared_ptr<TTBBaseAccObject>& Result) override;
  HRESULT get_accChildCount(int32_t& Count) override;
  HRESULT get_accDefaultAction(const TAccVariant& Child, std::string& Result) override;
  HRESULT get_accKeyboardShortcut(const TAccVariant& Child, std::string& Result) override;
  HRESULT get_accName(const TAccVariant& Child, std::string& Result) override;
  HRESULT get_accParent(std::shared_ptr<TTBBaseAccObject>& Result) override;
  HRESULT get_accRole(const TAccVariant& Child, TAccVariant& Result) override;
  HRESULT get_accState(const TAccVariant& Child, TAccVariant& Result) override;
  HRESULT get_accValue(const TAccVariant& Child, std::string& Result) override;

protected:
  bool Alive() const override { return FView != nullptr; }

private:
  TTBView* FView;
};

class TTBItemViewerAccObject : public TTBCustomAccObject {
public:
  explicit TTBItemViewerAccObject(TTBItemViewer* AViewer);
  ~TTBItemViewerAccObject() override;
  TTBItemViewer* Viewer() const { return FViewer; }
  TControl* HostedControl() override;
  void ClientIsDestroying() override;
  void Disconnect() override;

  HRESULT accDoDefaultAction(const TAccVariant& Child) override;
  HRESULT accHitTest(int32_t XLeft, int32_t YTop, TAccVariant& Result) override;
  HRESULT accLocation(int32_t& Left, int32_t& Top, int32_t& Width, int32_t& Height, const TAccVariant& Child) override;
  HRESULT accNavigate(int32_t NavDir, const TAccVariant& Start, TAccVariant& Result) override;
  HRESULT accSelect(int32_t FlagsSelect, const TAccVariant& Child) override;
  HRESULT get_accChild(const TAccVariant& Child, std::shared_ptr<TTBBaseAccObject>& Result) override;
  HRESULT get_accChildCount(int32_t& Count) override;
  HRESULT get_accDefaultAction(const TAccVariant& Child, std::string& Result) override;
  HRESULT get_accKeyboardShortcut(const TAccVariant& Child, std::string& Result) override;
  HRESULT get_accName(const TAccVariant& Child, std::string& Result) override;
  HRESULT get_accParent(std::shared_ptr<TTBBaseAccObject>& Result) override;
  HRESULT get_accRole(const TAccVariant& Child, TAccVariant& Result) override;
  HRESULT get_accState(const TAccVariant& Child, TAccVariant& Result) override;
  HRESULT get_accValue(const TAccVariant& Child, std::string& Result) override;

protected:
  bool Alive() const override { return FViewer != nullptr; }

private:
  bool IsAvailable() const;
  bool IsFocusable() const;
  TTBItemViewer* FViewer;
};

// The object of a view or viewer (made on first request, the same one while it lives).
std::shared_ptr<TTBViewAccObject> TBAccViewObject(TTBView* View);
std::shared_ptr<TTBItemViewerAccObject> TBAccViewerObject(TTBItemViewer* Viewer);

// Viewers that a client sees: shown, or hidden only by the chevron or menu scrolling.
bool TBAccIsAccessible(const TTBItemViewer* Viewer);

// Whether the platform's accessibility service can be reached: the bridge is always there.
bool InitializeOleAcc();
// The answer to a window's object request: the view's object for the client object id when
// accessibility is available, else nothing.
std::shared_ptr<TTBBaseAccObject> TBAccObjectForWindowRequest(TTBView* View, int32_t ObjectId);

// The object as a node of the platform's accessibility bridge.
std::shared_ptr<TAccessibleNode> TBAccBridgeNode(std::shared_ptr<TTBBaseAccObject> Object);
// Shows the view's tree to the desktop's accessibility service as the window's own (and
// takes it back with an empty view, as the window goes).
void TBAccExposeView(TCustomControl* Window, TTBView* View);
// Tells clients that the view's selected viewer took the focus, or that a menu or popup
// started or ended.
void TBAccNotifyFocus(TTBView* View, TTBItemViewer* Viewer);
void TBAccNotify(TTBView* View, TAccessibleEvent Event);

// Live objects and live view objects (for shut-down and tests).
int TBAccLiveObjectCount();
int TBAccViewObjectCount();
// Shut-down: every live object is cut off from its view or viewer.
void TBAccDisconnectAll();
