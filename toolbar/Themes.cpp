#include "toolbar/Themes.h"

#include <cassert>

#include "platform/Forms.h"
#include "toolbar/KitHelpers.h"
#include "toolbar/Hooks.h"

// ---------------------------------------------------------------------------------------
// Registry

namespace {

struct TThemeRecord {
  std::string Name;
  TTBXThemeClass ThemeClass;
  std::unique_ptr<TTBXTheme> Instance;
  Integer RefCount = 0;
};

std::vector<TThemeRecord>& Themes()
{
  // The registry of theme classes by name is one for the process: a theme registers once,
  // at start-up, and every themed control of the program draws through the one it picks.
  // NOLINTNEXTLINE(orrelo-static-local-state)
  static std::vector<TThemeRecord> themes;
  return themes;
}

// Theme names are short strings.
constexpr size_t MaxThemeName = 255;

}   // namespace

Integer FindTBXTheme(const std::string& AName)
{
  const auto& t = Themes();
  std::string key = UpperCase(AName);
  for (size_t i = 0; i < t.size(); ++i)
    if (UpperCase(t[i].Name) == key)
      return static_cast<Integer>(i);
  return -1;
}

void RegisterTBXTheme(const std::string& AName, TTBXThemeClass AThemeClass)
{
  // A name longer than a short string holds would be cut and never found again.
  if (AName.empty() || AName.size() > MaxThemeName || !AThemeClass)
    throw ETBXThemeError("Cannot register theme");
  if (FindTBXTheme(AName) >= 0)
    throw ETBXThemeError("Theme " + AName + " is already registered");
  TThemeRecord r;
  r.Name = AName;
  r.ThemeClass = std::move(AThemeClass);
  Themes().push_back(std::move(r));
}

TTBXTheme* GetTBXTheme(const std::string& AName)
{
  Integer i = FindTBXTheme(AName);
  if (i < 0)
    throw ETBXThemeError("Unknown theme " + AName);
  TThemeRecord& r = Themes()[static_cast<size_t>(i)];
  if (!r.Instance) {
    assert(r.RefCount == 0);
    std::unique_ptr<TTBXTheme> theme = r.ThemeClass(r.Name);
    if (!theme)
      throw ETBXThemeError("Unknown theme " + AName);
    // The registry may have moved while the theme was made: look the record up again.
    TThemeRecord& rec = Themes()[static_cast<size_t>(i)];
    rec.Instance = std::move(theme);
    TMessage m{TBXM_THEMENOTIFY, static_cast<WPARAM>(ApplicationIsActive() ? 1 : 0), 0, 0, 0};
    rec.Instance->Dispatch(m);
    rec.RefCount = 1;
    return rec.Instance.get();
  }
  ++r.RefCount;
  return r.Instance.get();
}

void ReleaseTBXTheme(TTBXTheme*& ATheme)
{
  for (TThemeRecord& r : Themes())
    if (ATheme && r.Instance.get() == ATheme) {
      if (r.RefCount < 1)
        throw ETBXThemeError("Cannot release theme " + r.Name);
      if (--r.RefCount == 0) {
        // Out of the record first: the theme's destructor may look at the registry.
        std::unique_ptr<TTBXTheme> gone = std::move(r.Instance);
        gone.reset();
        ATheme = nullptr;
      }
      return;
    }
  throw ETBXThemeError("Cannot release theme");
}

std::vector<std::string> GetAvailableTBXThemes()
{
  std::vector<std::string> names;
  for (const TThemeRecord& r : Themes())
    names.push_back(r.Name);
  return names;
}

Integer TBXThemeRefCount(const std::string& AName)
{
  Integer i = FindTBXTheme(AName);
  return i < 0 ? 0 : Themes()[static_cast<size_t>(i)].RefCount;
}

// ---------------------------------------------------------------------------------------
// Shared values

namespace {

// Application activation reaches the manager's window as the system's WM_ACTIVATEAPP.
void ActivateAppHook(THookProcCode Code, TControl*, WPARAM WParam, LPARAM)
{
  if (Code != hpSendActivateApp)
    return;
  SendMessage(TBXThemeManager().Handle(), WM_ACTIVATEAPP, WParam, 0);
}

}   // namespace

const TTBXSystemValues& TBXSystemValues() { return TBXThemeManager().Values(); }

// ---------------------------------------------------------------------------------------
// Theme manager

TTBXThemeManager& TBXThemeManager()
{
  // One for the process: it watches the one system (colours, display, activation) for
  // every themed control. Made in the static's initialiser, so that it goes before the
  // hook registry and the message windows it uses, which it brings into being.
  // NOLINTNEXTLINE(orrelo-static-local-state)
  static std::unique_ptr<TTBXThemeManager> manager = std::make_unique<TTBXThemeManager>();
  return *manager;
}

TTBXThemeManager::TTBXThemeManager()
{
  FWindow = AllocateHWnd([this](TMessage& m) { WndProc(m); });
  InstallHookProc(ActivateAppHook, HookCode(hpSendActivateApp));
  UpdateVariables();
}

TTBXThemeManager::~TTBXThemeManager()
{
  UninstallHookProc(ActivateAppHook);
  DeallocateHWnd(FWindow);
  UnbindUxTheme();
}

void TTBXThemeManager::SetUseThemes(bool Value)
{
  if (Value == FUseThemes)
    return;
  FUseThemes = Value;
  UpdateVariables();
}

void TTBXThemeManager::SetMenuStyle(Integer Value)
{
  if (Value == FMenuStyle)
    return;
  FMenuStyle = Value;
  UpdateVariables();
}

void TTBXThemeManager::UpdateVariables()
{
  TTBXSystemValues& v = FValues;
  // The screen's depth: a window canvas paints at 32 bits per pixel.
  TBitmap probe(1, 1, TPixelFormat::pf32bit);
  v.TBXLoColor = probe.Canvas().GetDeviceCaps(BITSPIXEL) * probe.Canvas().GetDeviceCaps(PLANES) < 12;
  v.TBXWhiteButtonFace = ColorToRGB(clBtnFace) == 0xFFFFFF;
  v.TBXLoColorOrWhiteFace = v.TBXLoColor || v.TBXWhiteButtonFace;

  // Visual styles: closed and unbound, then rebound when they are in use.
  v.Handles.fill(0);
  UnbindUxTheme();
  v.ToolbarColor = clBtnFace;
  v.ToolbarTextColor = clBtnText;
  v.USE_THEMES = FUseThemes && BindUxTheme() && UxThemesAvailable();

  if (!AreFlatMenusEnabled()) {
    if (FMenuStyle == 2) {
      v.USE_FLATMENUS = true;
      v.MenuColor = clWindow;
      v.MenuTextColor = clWindowText;
    } else {
      v.USE_FLATMENUS = false;
      v.MenuColor = clMenu;
      v.MenuTextColor = clMenuText;
    }
  } else if (FMenuStyle == 0 || FMenuStyle == 2) {
    v.USE_FLATMENUS = true;
    v.MenuColor = clMenu;
    v.MenuTextColor = clMenuText;
  } else {
    v.USE_FLATMENUS = false;
    v.MenuColor = v.ToolbarColor;
    v.MenuTextColor = v.ToolbarTextColor;
  }
  // The hot-light colour exists in the fixed system colour table.
  v.HotLightColor = clHotLight;

  if (!FNotifies.empty())
    for (Integer code : {TSC_BEFOREVIEWCHANGE, TSC_VIEWCHANGE, TSC_AFTERVIEWCHANGE})
      Broadcast(code);
}

void TTBXThemeManager::Broadcast(Integer Code)
{
  // A listener may come or go while we call them: walk a copy, skip the departed.
  auto list = FNotifies;
  for (auto& entry : list) {
    bool still = false;
    for (auto& now : FNotifies)
      still = still || now.first == entry.first;
    if (!still)
      continue;
    TMessage m{TBXM_THEMENOTIFY, static_cast<WPARAM>(Code), 0, 0, 0};
    entry.second(m);
  }
}

void TTBXThemeManager::WndProc(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_SYSCOLORCHANGE:
  case WM_DISPLAYCHANGE:
  case WM_THEMECHANGED: UpdateVariables(); break;
  case WM_ACTIVATEAPP: Broadcast(Message.WParam ? TSC_APPACTIVATE : TSC_APPDEACTIVATE); break;
  default: break;
  }
}

void AddThemeNotify(TObject* AObject, TWndMethod AHandler)
{
  TTBXThemeManager& m = TBXThemeManager();
  for (auto& e : m.FNotifies)
    if (e.first == AObject)
      return;
  m.FNotifies.emplace_back(AObject, std::move(AHandler));
}

void RemoveThemeNotify(TObject* AObject)
{
  TTBXThemeManager& m = TBXThemeManager();
  for (auto it = m.FNotifies.begin(); it != m.FNotifies.end(); ++it)
    if (it->first == AObject) {
      m.FNotifies.erase(it);
      return;
    }
}
