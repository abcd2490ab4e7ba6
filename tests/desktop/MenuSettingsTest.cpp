// The desktop's own settings reach the toolbar kit: the program started on a desktop whose
// settings name a menu font opens its menus in that font (the menu window the X server
// shows is that much taller); a menu of a desktop that wants shadows casts one (the screen
// beside it darkens); and a change of the settings reaches the toolbars at once. Then menus
// under a user's hand: hover after clicks, the first click on a title, menus opened from the
// keyboard, clicks outside every menu, and the slide of a menu as the X server shows it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/Forms.h"
#include "platform/SysSettings.h"
#include "shell/MainWindow.h"
#include "tests/desktop/DesktopSupport.h"
#include "tests/desktop/ScreenReadBack.h"
#include "tests/platform/XInputSupport.h"
#include "tests/shell/MainWindowSupport.h"
#include "tests/toolbar/TestBar.h"
#include "tests/toolbar/RealInput.h"
#include "toolbar/PopupAnimation.h"
#include "toolbar/ThemedItems.h"

namespace {

using namespace xinput;

// The visible windows of the program on a desktop, by id.
std::set<std::string> ProgramWindows(const desktop::TDesktop& desk)
{
  std::set<std::string> ids;
  std::istringstream in(desk.Run("xdotool search --onlyvisible --classname orrelo"));
  for (std::string id; in >> id;)
    ids.insert(id);
  return ids;
}

// The height of the window a click on the main window's "File" menu opens, as the X server
// has it; 0 when none opened. The program runs on a desktop of its own, with the
// environment it is given on top of this one's.
int FileMenuHeight(const std::vector<std::pair<std::string, std::string>>& environment, const std::string& shot)
{
  desktop::TDesktop desk("1024x768");
  if (!desk.Running())
    return -1;
  // The program takes the environment it starts with; this process has read its own.
  std::vector<std::pair<std::string, const char*>> saved;
  for (const auto& [name, value] : environment) {
    saved.emplace_back(name, std::getenv(name.c_str()));
    if (saved.back().second)
      saved.back().second = strdup(saved.back().second);
    setenv(name.c_str(), value.c_str(), 1);
  }
  desktop::TProgram program(desk);
  for (const auto& [name, value] : saved) {
    if (value) {
      setenv(name.c_str(), value, 1);
      free(const_cast<char*>(value));
    } else {
      unsetenv(name.c_str());
    }
  }
  const std::string main = desk.WaitWindow("^Orrelo");
  if (main.empty())
    return -1;
  desktop::WaitFor([] { return false; }, 1500);
  const std::set<std::string> before = ProgramWindows(desk);
  const desktop::TWindowPlace place = desk.Place(main);
  desk.Click(place.X + 12, place.Y + 8);
  std::string menu;
  desktop::WaitFor(
      [&] {
        for (const std::string& id : ProgramWindows(desk))
          if (!before.count(id))
            menu = id;
        return !menu.empty();
      },
      5000);
  desk.Screenshot(shot);
  return menu.empty() ? 0 : desk.Place(menu).Height;
}

// The colours of a screen rectangle as the X server shows it, row by row.
std::vector<TColor> ScreenPixels(const TRect& r)
{
  std::vector<TColor> out;
  char geometry[64];
  std::snprintf(geometry, sizeof geometry, "%dx%d+%d+%d", r.Width(), r.Height(), r.Left, r.Top);
  std::istringstream in(
      desktop::Output("import -window root -crop " + std::string(geometry) + " +repage txt:- 2>/dev/null"));
  for (std::string line; std::getline(in, line);) {
    auto hash = line.find('#');
    if (line.empty() || line[0] == '#' || hash == std::string::npos)
      continue;
    const unsigned long rgb = std::strtoul(line.substr(hash + 1, 6).c_str(), nullptr, 16);
    out.push_back(RGBColor(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF)));
  }
  return out;
}

int Brightness(TColor c) { return GetRValue(c) + GetGValue(c) + GetBValue(c); }

class TBar : public TTBXToolbar {
public:
  ~TBar() override { DestroyHandle(); }
};

// A window with a toolbar whose "File" button opens a menu of three entries.
struct TMenuBar {
  TForm Form;
  TBar Bar;
  TTBCustomItem* File = nullptr;
  TMenuBar()
  {
    Form.SetBounds(100, 100, 420, 320);
    Form.SetCaption("Menus");
    Form.SetColor(clWhite);
    Bar.SetAlign(alTop);
    auto file = std::make_unique<TTBXSubmenuItem>();
    file->SetCaption("File");
    for (const char* c : {"Open the model", "Save the picture", "Print the page"}) {
      auto i = std::make_unique<TTBXItem>();
      i->SetCaption(c);
      file->Add(std::move(i));
    }
    File = Bar.Items()->Add(std::move(file));
    Bar.SetParent(&Form);
    Form.Show();
  }
  ~TMenuBar() { Form.Hide(); }
  TPoint FileButton()
  {
    TTBItemViewer* v = Bar.View()->Find(File);
    return Bar.ClientToScreen(
        {(v->BoundsRect.Left + v->BoundsRect.Right) / 2, (v->BoundsRect.Top + v->BoundsRect.Bottom) / 2});
  }
};

// The desktop's settings as a test changes them, as the desktop had them again at its end.
struct TSettingsScope {
  TSettingsScope() = default;
  explicit TSettingsScope(const std::function<void(TSystemSettings&)>& change)
  {
    TSystemSettings s = SystemSettings();
    change(s);
    SetSystemSettings(s);
  }
  ~TSettingsScope() { ResetSystemSettings(); }
};

}   // namespace

// The desktop names a menu font (a KDE desktop's settings file, as the toolkit reads it):
// the program's menus take it. The File menu opens as a window half as tall again as on a
// desktop that names none, where menus keep the classic 8-point font.
TEST(DesktopMenuSettings, TheDesktopsMenuFontReachesTheProgramsMenus)
{
  const std::string config = std::string(ORRELO_TEST_OUTPUT) + "/desktop-settings-kde";
  std::system(("mkdir -p '" + config + "'").c_str());
  {
    std::ofstream globals(config + "/kdeglobals");
    globals << "[General]\nmenuFont=DejaVu Serif,20,-1,5,50,0,0,0,0,0\n";
  }
  // No desktop environment's settings on the one, a KDE desktop's on the other.
  const int plain = FileMenuHeight({{"XDG_CURRENT_DESKTOP", ""}}, "menu-font-plain-desktop.png");
  const int kde =
      FileMenuHeight({{"XDG_CURRENT_DESKTOP", "KDE"}, {"KDE_SESSION_VERSION", "5"}, {"XDG_CONFIG_HOME", config}},
                     "menu-font-desktop-named.png");
  ASSERT_GT(plain, 0) << "no menu opened on the plain desktop";
  ASSERT_GT(kde, 0) << "no menu opened on the desktop that names a menu font";
  EXPECT_GT(kde * 2, plain * 3) << "the menu is " << kde << " pixels tall in the desktop's 20-point font, " << plain
                                << " in the classic one";
}

// A desktop that wants shadows: the menu a toolbar button opens (a real click) darkens the
// screen along its right edge, as the X server shows it; without them the screen there stays
// as it was.
TEST(DesktopMenuSettings, MenusCastAShadowWhereTheDesktopWantsShadows)
{
  if (!Available())
    GTEST_SKIP() << "xdotool is not installed";
  TSettingsScope restore;
  for (bool shadows : {true, false}) {
    SCOPED_TRACE(shadows ? "shadows" : "no shadows");
    TSystemSettings s = SystemSettings();
    s.DropShadow = shadows;
    s.MenuAnimation = false;
    SetSystemSettings(s);
    TMenuBar f;
    ASSERT_TRUE(PumpUntil([&] { return f.Form.Showing(); }));
    PumpFor(300);
    const TPoint button = f.FileButton();
    // Where the menu will stand: below the button, on the window's white face.
    const TRect below = Bounds(button.X - 40, button.Y + 12, 240, 120);
    const std::vector<TColor> plain = ScreenPixels(below);
    TRect popup;
    std::vector<TColor> beside;
    realinput::TTimedSteps steps({
                                     [&] { X("mousemove " + At(button) + " click 1"); },
                                     [] {},
                                     [&] {
                                       TTBView* open = f.Bar.View()->OpenViewerView();
                                       if (!open || !open->Window())
                                         return;
                                       TControl* w = open->Window();
                                       popup = Bounds(w->Left(), w->Top(), w->Width(), w->Height());
                                       beside = ScreenPixels(Bounds(popup.Right, popup.Top + 8, 3, popup.Height() - 8));
                                       X(std::string("mousemove ") + At({popup.Right + 60, popup.Bottom + 60}));
                                       [[maybe_unused]] const int rc = std::system(
                                           ("import -window root '" + std::string(ORRELO_TEST_OUTPUT)
                                            + (shadows ? "/menu-shadow.png'" : "/menu-no-shadow.png'") + " 2>/dev/null")
                                               .c_str());
                                     },
                                     // The first Escape closes the menu, the second leaves the toolbar.
                                     [&] { X("key Escape"); },
                                     [&] { X("key Escape"); },
                                     [] {},
                                 },
                                 250);
    ASSERT_TRUE(PumpUntil([&] { return steps.Done(); }, 10000));
    PumpFor(200);
    ASSERT_FALSE(popup.IsEmpty()) << "the menu did not open";
    ASSERT_FALSE(beside.empty());
    ASSERT_TRUE(popup.Right + 3 <= below.Right && popup.Bottom <= below.Bottom) << "the menu is larger than expected";
    // The same screen points before the menu opened, and now.
    int darker = 0, same = 0;
    for (int32_t y = 0; y < popup.Height() - 8; ++y)
      for (int32_t x = 0; x < 3; ++x) {
        const TColor was =
            plain[size_t((popup.Top + 8 + y - below.Top) * below.Width() + popup.Right + x - below.Left)];
        const TColor now = beside[size_t(y * 3 + x)];
        darker += Brightness(now) + 30 < Brightness(was);
        same += now == was;
      }
    const int all = 3 * (popup.Height() - 8);
    if (shadows)
      EXPECT_GT(darker, all * 3 / 4) << "no shadow beside the menu";
    else
      EXPECT_EQ(same, all) << "the screen beside the menu changed without shadows";
  }
}

// A change of the settings (as when the desktop's menu font changes) reaches a toolbar at
// once: it lays itself out again in the new font, and back.
TEST(DesktopMenuSettings, AChangedMenuFontReachesTheToolbarsAtOnce)
{
  TSettingsScope restore;
  TMenuBar f;
  ASSERT_TRUE(PumpUntil([&] { return f.Form.Showing(); }));
  PumpFor(200);
  const Integer classic = f.Bar.Height();
  TSystemSettings s = SystemSettings();
  s.MenuFont = TDesktopFont{"DejaVu Serif", 18, 0};
  SetSystemSettings(s);
  PumpFor(200);
  EXPECT_GT(f.Bar.Height(), classic + 8) << "the toolbar kept its size in the larger font";
  [[maybe_unused]] const int rc = std::system(
      ("import -window root '" + std::string(ORRELO_TEST_OUTPUT) + "/menu-font-changed.png' 2>/dev/null").c_str());
  ResetSystemSettings();
  PumpFor(200);
  EXPECT_EQ(f.Bar.Height(), classic);
}

// ---------------------------------------------------------------------------------------
// Menus under the hand of a user on the desktop: real presses and keys through the X server,
// what they do read back from the server (the windows it shows, the screen's pixels).

namespace {

// A window of the kit with three toolbars: a menu bar (File, View), a page bar (a "font"
// drop-down, "print" and "test") and a tools bar ("Zoom in", "Zoom out"); buttons hint.
struct TKitWindow {
  TForm Form;
  TBar Menus, Page, Tools;
  TTBCustomItem *File = nullptr, *View = nullptr, *Colour = nullptr, *FontBtn = nullptr, *Print = nullptr,
                *ZoomIn = nullptr;
  TKitWindow()
  {
    Form.SetBounds(100, 100, 460, 320);
    Form.SetCaption("Kit");
    Form.SetColor(clWhite);
    auto add = [](TTBCustomItem* parent, const char* caption, const char* hint = "") {
      auto i = std::make_unique<TTBXItem>();
      i->SetCaption(caption);
      i->SetHint(hint);
      return parent->Add(std::move(i));
    };
    auto submenu = [](TTBCustomItem* parent, const char* caption) {
      auto s = std::make_unique<TTBXSubmenuItem>();
      s->SetCaption(caption);
      return parent->Add(std::move(s));
    };
    File = submenu(Menus.Items(), "&File");
    for (const char* c : {"&Open the model", "&Save the picture", "&Print the page"})
      add(File, c);
    View = submenu(Menus.Items(), "&View");
    add(View, "&Zoom in");
    add(View, "Zoom &out");
    Colour = submenu(View, "&Text background colour");
    for (const char* c : {"&White", "&Cream", "&Grey"})
      add(Colour, c);
    add(View, "Show &axes");
    FontBtn = submenu(Page.Items(), "font");
    for (const char* c : {"8 point", "10 point", "12 point"})
      add(FontBtn, c);
    Print = add(Page.Items(), "print", "Print the information text");
    add(Page.Items(), "test", "Test your knowledge");
    ZoomIn = add(Tools.Items(), "Zoom in", "Zoom in on the model");
    add(Tools.Items(), "Zoom out", "Zoom out from the model");
    for (TBar* bar : {&Menus, &Page, &Tools}) {
      bar->SetAlign(alTop);
      bar->SetShowHint(true);
      bar->SetParent(&Form);
    }
    Tools.SetAlign(alBottom);
    Menus.SetMenuBar(true);
    Form.Show();
  }
  ~TKitWindow() { Form.Hide(); }
  static TPoint Centre(TTBCustomToolbar& bar, TTBCustomItem* item)
  {
    TTBItemViewer* v = bar.View()->Find(item);
    return bar.ClientToScreen(
        {(v->BoundsRect.Left + v->BoundsRect.Right) / 2, (v->BoundsRect.Top + v->BoundsRect.Bottom) / 2});
  }
  static TRect ScreenRect(TTBCustomToolbar& bar, TTBCustomItem* item)
  {
    TRect r = bar.View()->Find(item)->BoundsRect;
    TPoint tl = bar.ClientToScreen({r.Left, r.Top});
    return Bounds(tl.X, tl.Y, r.Width(), r.Height());
  }
};

// The windows of this process the X server shows.
std::set<std::string> OurWindows()
{
  std::set<std::string> ids;
  std::istringstream in(
      desktop::Output("xdotool search --onlyvisible --pid " + std::to_string(getpid()) + " 2>/dev/null"));
  for (std::string id; in >> id;)
    ids.insert(id);
  return ids;
}

// The windows shown now that were not before.
std::vector<std::string> NewWindows(const std::set<std::string>& before)
{
  std::vector<std::string> out;
  for (const std::string& id : OurWindows())
    if (!before.count(id))
      out.push_back(id);
  return out;
}

int Differing(const std::vector<TColor>& a, const std::vector<TColor>& b)
{
  int n = 0;
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
    n += a[i] != b[i];
  return n;
}

// The screen's pixels of a rectangle, read from the X server at once (the slide of a menu
// lasts a sixth of a second: no time for a tool to start).
std::vector<TColor> ReadScreen(desktop::TXConnection& x, const TRect& r)
{
  const desktop::TPixels p = x.Grab(r.Left, r.Top, r.Width(), r.Height());
  std::vector<TColor> out;
  for (int y = 0; y < p.Height; ++y)
    for (int x0 = 0; x0 < p.Width; ++x0)
      out.push_back(RGBColor(p.At(x0, y)[0], p.At(x0, y)[1], p.At(x0, y)[2]));
  return out;
}

}   // namespace

namespace {

// The steps run (a click on a toolbar first); then the pointer goes onto the item of another
// toolbar: the screen shows its raised frame, and the X server a hint window.
void ExpectHoverAndHintAfter(std::vector<realinput::TTimedSteps::TStep> start, TTBCustomToolbar& bar,
                             TTBCustomItem* item, const std::string& shot)
{
  TRect r = bar.View()->Find(item)->BoundsRect;
  const TPoint tl = bar.ClientToScreen({r.Left, r.Top});
  r = Bounds(tl.X, tl.Y, r.Width(), r.Height());
  Move({r.Left - 30, r.Bottom + 60});
  PumpFor(200);
  const std::vector<TColor> flat = ScreenPixels(r);
  start.push_back([] {});
  realinput::TTimedSteps steps(std::move(start), 250);
  ASSERT_TRUE(PumpUntil([&] { return steps.Done(); }, 5000));
  PumpFor(200);
  const std::set<std::string> before = OurWindows();
  X("mousemove " + At({r.Left + 5, r.Top + r.Height() / 2}) + " mousemove "
    + At({r.Left + r.Width() / 2, r.Top + r.Height() / 2}));
  EXPECT_TRUE(PumpUntil([&] { return Differing(flat, ScreenPixels(r)) > 8; }, 3000)) << "no raised frame";
  EXPECT_TRUE(PumpUntil([&] { return !NewWindows(before).empty(); }, 4000)) << "no hint window";
  desktop::TDesktop{desktop::TDesktop::TThisDisplay{}}.Screenshot(shot);
  Move({r.Left - 30, r.Bottom + 150});
  PumpFor(200);
}

}   // namespace

// After a click on one toolbar (a plain button there, or a menu title left with Escape),
// hovering a button of another toolbar raises its frame and shows its hint, as it did before:
// in a window of the kit and in the program's main window.
TEST(DesktopMenus, HoverAndHintsFollowThePointerAfterAClickOnAnotherToolbar)
{
  if (!Available())
    GTEST_SKIP() << "xdotool is not installed";
  TSettingsScope restore([](TSystemSettings& s) { s.MenuAnimation = false; });
  for (bool viaMenu : {false, true}) {
    SCOPED_TRACE(viaMenu ? "after File and Escape twice" : "after a click on Zoom in");
    TKitWindow f;
    int zooms = 0;
    f.ZoomIn->OnClick = [&](TObject*) { ++zooms; };
    ASSERT_TRUE(PumpUntil([&] { return f.Form.Showing(); }));
    PumpFor(300);
    if (viaMenu)
      ExpectHoverAndHintAfter({[&] { Click(TKitWindow::Centre(f.Menus, f.File)); }, [] { X("key Escape"); },
                               [] { X("key Escape"); }},
                              f.Page, f.Print, "hover-after-menu.png");
    else
      ExpectHoverAndHintAfter({[&] { Click(TKitWindow::Centre(f.Tools, f.ZoomIn)); }}, f.Page, f.Print,
                              "hover-after-click.png");
    EXPECT_EQ(zooms, viaMenu ? 0 : 1);
  }
  SetMessageAnswerer([](const TMessageRequest&) { return mrOk; });
  {
    SCOPED_TRACE("the program's main window");
    TKVMainFrm main(ExeFolder());
    main.Show();
    ASSERT_TRUE(PumpUntil([&] { return main.Showing(); }));
    mainwindow::Pump(500);
    TTBCustomItem* file = main.MainMenu->Items()->Items(0);
    ExpectHoverAndHintAfter({[&] { Click(TKitWindow::Centre(*main.MainMenu, file)); }, [] { X("key Escape"); },
                             [] { X("key Escape"); }},
                            *main.HTMLToolbar, main.PrintBtn, "hover-after-menu-main-window.png");
  }
  mainwindow::Pump();
  SetMessageAnswerer(nullptr);
}

// The "font" drop-down closed with Escape leaves its toolbar waiting for keys; the first
// click on a menu title of another toolbar ends that and opens its menu, every time, and the
// menu then answers the keyboard (Escape closes it).
TEST(DesktopMenus, TheFirstClickOnAMenuTitleAfterEscapeOnTheDropDownOpensIt)
{
  if (!Available())
    GTEST_SKIP() << "xdotool is not installed";
  TSettingsScope restore([](TSystemSettings& s) { s.MenuAnimation = false; });
  TKitWindow f;
  ASSERT_TRUE(PumpUntil([&] { return f.Form.Showing(); }));
  PumpFor(300);
  const TRect view = TKitWindow::ScreenRect(f.Menus, f.View);
  const desktop::TDesktop desk{desktop::TDesktop::TThisDisplay{}};
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const std::set<std::string> before = OurWindows();
    std::string menu;
    bool closedByEscape = false;
    realinput::TTimedSteps steps({
                                     [&] { Click(TKitWindow::Centre(f.Page, f.FontBtn)); },
                                     [] { X("key Escape"); },
                                     [&] { Click(TKitWindow::Centre(f.Menus, f.View)); },
                                     [] {},
                                     [&] {
                                       // The View menu: a window of its own right below the title.
                                       for (const std::string& id : NewWindows(before)) {
                                         const desktop::TWindowPlace p = desk.Place(id);
                                         if (p.Y == view.Bottom && p.X == view.Left)
                                           menu = id;
                                       }
                                     },
                                     [] { X("key Escape"); },
                                     [] {},
                                     [&] {
                                       closedByEscape = !menu.empty() && !OurWindows().count(menu);
                                       // What still runs, the test ends.
                                       for (TBar* bar : {&f.Menus, &f.Page})
                                         if (bar->View()->InModalLoop)
                                           bar->View()->EndModal();
                                     },
                                     [] {},
                                 },
                                 250);
    ASSERT_TRUE(PumpUntil([&] { return steps.Done(); }, 8000));
    PumpFor(200);
    EXPECT_FALSE(menu.empty()) << "the View menu did not open on the first click";
    EXPECT_TRUE(closedByEscape) << "the View menu did not answer Escape";
    ASSERT_FALSE(f.Menus.View()->InModalLoop || f.Page.View()->InModalLoop);
  }
}

namespace {

// The rows of a band of the screen (Top to Bottom, of a rectangle Width wide) in a colour.
int CountInRows(const std::vector<TColor>& pixels, Integer width, Integer top, Integer bottom, TColor colour)
{
  int n = 0;
  for (Integer y = std::max(0, top); y < bottom && size_t((y + 1) * width) <= pixels.size(); ++y)
    for (Integer x = 0; x < width; ++x)
      n += pixels[size_t(y * width + x)] == colour;
  return n;
}

}   // namespace

// A menu opened from the keyboard starts on its first item, wherever the pointer last stood
// over a menu: here on the View menu's "Text background colour", which the pointer left for
// the window's title bar; and in the program's main window, on the title the pointer rests on.
TEST(DesktopMenus, AKeyboardOpenedMenuStartsOnItsFirstItem)
{
  if (!Available())
    GTEST_SKIP() << "xdotool is not installed";
  TSettingsScope restore([](TSystemSettings& s) {
    s.MenuAnimation = false;
    s.MenuShowDelay = 60;
  });
  TKitWindow f;
  ASSERT_TRUE(PumpUntil([&] { return f.Form.Showing(); }));
  desktop::TDesktop desk{desktop::TDesktop::TThisDisplay{}};
  const std::string id = desk.WaitFramedWindow("^Kit$", 5000);
  ASSERT_FALSE(id.empty());
  X("windowactivate --sync " + id);
  PumpFor(300);
  const desktop::TWindowPlace place = desk.Place(id);
  const TPoint titleBar{place.X + place.Width / 2, place.OuterTop() + place.FrameTop / 2};
  auto popup = [&] { return f.Menus.View()->OpenViewerView(); };
  bool submenuOpened = false, submenuAgain = true;
  TRect menu, first, colour;
  std::vector<TColor> shown;
  realinput::TTimedSteps steps(
      {
          [] { X("key alt+v"); },
          [] {},
          [&] {
            if (TTBView* p = popup()) {
              const TRect r = p->Find(f.Colour)->BoundsRect;
              Move(p->Window()->ClientToScreen({(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}));
            }
          },
          [] {},
          [] {},
          [&] { submenuOpened = popup() && popup()->OpenViewerView(); },
          [] { X("key Escape"); },
          [] { X("key Escape"); },
          [] { X("key Escape"); },
          [&] { Move(titleBar); },
          [] { X("key alt+v"); },
          [] {},
          [&] {
            TTBView* p = popup();
            if (!p)
              return;
            submenuAgain = p->OpenViewerView() != nullptr;
            TControl* w = p->Window();
            menu = Bounds(w->Left(), w->Top(), w->Width(), w->Height());
            auto band = [&](TTBCustomItem* item) {
              const TRect r = p->Find(item)->BoundsRect;
              const TPoint tl = w->ClientToScreen({r.Left, r.Top});
              return Bounds(tl.X - menu.Left, tl.Y - menu.Top, r.Width(), r.Height());
            };
            first = band(f.View->Items(0));
            colour = band(f.Colour);
            desktop::TXConnection x(desk.Display());
            shown = ReadScreen(x, menu);
            desk.Screenshot("menu-from-keyboard.png");
          },
          [] { X("key Escape"); },
          [] { X("key Escape"); },
          [] { X("key Escape"); },
          [] {},
      },
      250);
  ASSERT_TRUE(PumpUntil([&] { return steps.Done(); }, 10000));
  PumpFor(200);
  ASSERT_TRUE(submenuOpened) << "the pointer resting on the entry did not open its submenu";
  ASSERT_FALSE(menu.IsEmpty()) << "Alt+V did not open the View menu";
  const TColor highlight = ColorToRGB(clHighlight);
  EXPECT_GT(CountInRows(shown, menu.Width(), first.Top, first.Bottom, highlight), 20) << "the first item is not lit";
  EXPECT_EQ(CountInRows(shown, menu.Width(), colour.Top, colour.Bottom, highlight), 0)
      << "the item under the pointer's old place is lit";
  EXPECT_FALSE(submenuAgain) << "the old item's submenu opened again";

  // In the program's main window, with the pointer resting on the View title: Alt+F opens
  // File (the X server shows its menu below File), the arrow keys go where they say, F10
  // picks File too, and only a move of the pointer onto View opens View.
  SCOPED_TRACE("the program's main window");
  SetMessageAnswerer([](const TMessageRequest&) { return mrOk; });
  {
    TKVMainFrm main(ExeFolder());
    main.Show();
    ASSERT_TRUE(PumpUntil([&] { return main.Showing(); }));
    const std::string mainId = desk.WaitFramedWindow("^Orrelo", 5000);
    ASSERT_FALSE(mainId.empty());
    X("windowactivate --sync " + mainId);
    ASSERT_TRUE(PumpUntil([&] { return Screen().ActiveForm() == &main; })) << "the main window is not active";
    TTBView* bar = main.MainMenu->View();
    auto open = [&]() -> TTBCustomItem* { return bar->OpenViewer() ? bar->OpenViewer()->Item() : nullptr; };
    auto lit = [&]() -> TTBCustomItem* {
      TTBView* p = bar->OpenViewerView();
      return p && p->Selected() ? p->Selected()->Item() : nullptr;
    };
    const TPoint view = TKitWindow::Centre(*main.MainMenu, main.View1);
    Move(view);
    ASSERT_TRUE(PumpUntil([&] { return GetCursorPos() == view; }));
    std::set<std::string> before;
    std::vector<int> menuLefts;
    tbtest::TScript script;
    auto key = [&](const char* k) { script.Do([k] { X(std::string("key ") + k); }); };
    script.Do([&] {
      before = OurWindows();
      X("key alt+f");
    });
    script.WaitFor(
        [&] {
          const std::vector<std::string> shown = NewWindows(before);
          for (const std::string& id : shown)
            menuLefts.push_back(desk.Place(id).X);
          return !shown.empty();
        },
        "the X server shows the menu Alt+F opens");
    // What the screen shows: File's first item lit.
    desktop::TXConnection screen(desk.Display());
    auto firstLit = [&] {
      TTBView* p = bar->OpenViewerView();
      if (!p || p->ViewerCount() == 0)
        return false;
      TControl* w = p->Window();
      const TRect r = p->Viewers(0)->BoundsRect;
      const TPoint tl = w->ClientToScreen({r.Left, r.Top});
      const int n = CountInRows(ReadScreen(screen, Bounds(tl.X, tl.Y, r.Width(), r.Height())), r.Width(), 0, r.Height(),
                                ColorToRGB(clHighlight));
      return n > r.Width() * r.Height() / 2;
    };
    script.WaitFor(firstLit, "the screen shows the first item of the menu lit");
    script.Do([&] { desk.Screenshot("menu-alt-f-pointer-on-view.png"); });
    script.WaitFor([&] { return open() == main.File1 && lit() == main.PrintMechanism1; },
                   "File opens on its first item, not the View under the pointer");
    key("Right");
    script.WaitFor([&] { return open() == main.Edit1; }, "Right from File opens Edit");
    key("Left");
    script.WaitFor([&] { return open() == main.File1; }, "Left from Edit opens File");
    key("Left");
    script.WaitFor([&] { return open() == main.Help1 && lit() == main.SearchForHelp1; }, "Left from File opens Help");
    key("Down");
    script.WaitFor([&] { return lit() == main.Contents1; }, "Down in Help goes to Contents");
    key("Up");
    script.WaitFor([&] { return lit() == main.SearchForHelp1; }, "Up goes back to the first item");
    key("Up");
    script.WaitFor([&] { return lit() == main.About1; }, "Up from the first item goes round to About");
    script.Do([&] { Move({view.X + 3, view.Y + 1}); });
    script.WaitFor([&] { return open() == main.View1; }, "moving the pointer on View opens it");
    key("Escape");
    script.WaitFor([&] { return !open() && bar->InModalLoop; }, "Escape closes View's menu");
    key("Escape");
    script.WaitFor([&] { return !bar->InModalLoop; }, "a second Escape leaves the menu bar");
    key("F10");
    script.WaitFor([&] { return bar->InModalLoop && bar->Selected() && bar->Selected()->Item() == main.File1; },
                   "F10 picks File, not the View under the pointer");
    key("Escape");
    script.Abort = [&] { bar->EndModal(); };
    script.Running = [&] { return bar->InModalLoop; };
    script.Start();
    EXPECT_TRUE(PumpUntil([&] { return script.Finished() && !bar->InModalLoop; }, 30000));
    const Integer fileLeft = TKitWindow::ScreenRect(*main.MainMenu, main.File1).Left;
    EXPECT_EQ(menuLefts, std::vector<int>{fileLeft}) << "the X server showed another menu than File's";
    Move(titleBar);
  }
  mainwindow::Pump();
  SetMessageAnswerer(nullptr);
}

// A click on the window's own title bar, or on the desktop, ends an open menu (the X server
// no longer shows its window) as a click on another program's window does. With another
// program's window on the desktop, the menu ends, its window gone and the pointer free for
// another client's grab, within a second of that program taking the activation (its window
// activated, or a new window of it mapped with the keyboard); and a click on that program's
// button while a menu is open closes the menu and reaches the button.
TEST(DesktopMenus, AClickElsewhereOrAnotherProgramTakingTheActivationEndsTheMenu)
{
  if (!Available())
    GTEST_SKIP() << "xdotool is not installed";
  TSettingsScope restore([](TSystemSettings& s) { s.MenuAnimation = false; });
  TKitWindow f;
  ASSERT_TRUE(PumpUntil([&] { return f.Form.Showing(); }));
  desktop::TDesktop desk{desktop::TDesktop::TThisDisplay{}};
  const std::string id = desk.WaitFramedWindow("^Kit$", 5000);
  ASSERT_FALSE(id.empty());
  PumpFor(300);
  const desktop::TWindowPlace place = desk.Place(id);
  const TPoint titleBar{place.X + place.Width / 2, place.OuterTop() + place.FrameTop / 2};
  const TPoint desktopPoint{place.OuterRight() + 150, place.OuterBottom() + 100};
  for (TPoint elsewhere : {titleBar, desktopPoint}) {
    SCOPED_TRACE(elsewhere == titleBar ? "the title bar" : "the desktop");
    const std::set<std::string> before = OurWindows();
    std::vector<std::string> opened;
    bool stillShown = true, loopRuns = true;
    realinput::TTimedSteps steps({
                                     [&] { Click(TKitWindow::Centre(f.Menus, f.File)); },
                                     [] {},
                                     [&] { opened = NewWindows(before); },
                                     [&] { Click(elsewhere); },
                                     [] {},
                                     [&] {
                                       const std::set<std::string> now = OurWindows();
                                       stillShown = std::any_of(opened.begin(), opened.end(),
                                                                [&](const std::string& w) { return now.count(w) > 0; });
                                       loopRuns = f.Menus.View()->InModalLoop;
                                       // Left open, the test ends it.
                                       if (loopRuns)
                                         f.Menus.View()->EndModal();
                                     },
                                     [] {},
                                 },
                                 250);
    ASSERT_TRUE(PumpUntil([&] { return steps.Done(); }, 8000));
    PumpFor(200);
    ASSERT_FALSE(opened.empty()) << "File did not open";
    EXPECT_FALSE(stillShown) << "the menu stayed on the screen";
    EXPECT_FALSE(loopRuns) << "the menu loop still runs";
  }
  desktop::TXConnection x(desk.Display());
  auto other = std::make_unique<desktop::TOtherProgram>(desk, "Another program", 700, 150);
  const std::string otherWindow = desk.WaitFramedWindow("^Another program$", 5000);
  ASSERT_FALSE(otherWindow.empty());
  // A menu opened by a click (the bar's View, the page toolbar's font drop-down) and closed by
  // one Escape leaves its bar waiting for keys, but the pointer is the desktop's again: another
  // client could grab it, and a drag on the other program's title bar moves its window.
  for (auto [bar, item] : {std::pair{&f.Menus, f.View}, std::pair{&f.Page, f.FontBtn}}) {
    SCOPED_TRACE(item->Caption());
    desk.Run("xdotool windowactivate --sync " + id);
    PumpFor(300);
    const desktop::TWindowPlace o = desk.Place(otherWindow);
    const TPoint title{o.X + o.Width / 2, o.OuterTop() + o.FrameTop / 2};
    TTBView* view = bar->View();
    bool free = false;
    tbtest::TScript s;
    s.Do([&, at = TKitWindow::Centre(*bar, item)] { Click(at); });
    s.WaitFor([&] { return view->OpenViewerView() != nullptr; }, "the menu opens");
    s.Do([] { X("key Escape"); });
    s.WaitFor([&] { return !view->OpenViewerView() && view->InModalLoop; }, "Escape closes the menu, the bar waits");
    s.Do([&] {
      free = x.PointerGrabbable();
      X("mousemove " + At(title) + " mousedown 1 sleep 0.2 mousemove " + At({title.X + 40, title.Y + 30})
        + " sleep 0.2 mousemove " + At({title.X + 80, title.Y + 60}) + " sleep 0.2 mouseup 1");
    });
    s.WaitFor([&] { return desk.Place(otherWindow).X > o.X + 40; }, "the other program's window moves");
    s.Do([&] {
      if (view->InModalLoop)
        view->EndModal();
    });
    s.Abort = [&] {
      X("mouseup 1");
      view->EndModal();
    };
    s.Running = [&] { return view->InModalLoop; };
    s.Start();
    EXPECT_TRUE(PumpUntil([&] { return s.Finished() && !view->InModalLoop; }, 15000));
    EXPECT_TRUE(free) << "the closed menu still holds the pointer";
  }
  // View opened by a click on the kit's window (activated first); then the other program's
  // step, and a second after it the menu's state: its window gone, the loop ended and the
  // pointer free for another client's grab. A loop still running is ended here.
  auto menuEndsAfter = [&](const char* what, const std::function<void()>& trigger) {
    SCOPED_TRACE(what);
    desk.Run("xdotool windowactivate --sync " + id);
    PumpFor(300);
    const std::set<std::string> before = OurWindows();
    std::vector<std::string> opened;
    bool ended = false;
    realinput::TTimedSteps steps({[&] { Click(TKitWindow::Centre(f.Menus, f.View)); }, [] {},
                                  [&] { opened = NewWindows(before); }, trigger, [] {}, [] {}, [] {},
                                  [&] {
                                    const std::set<std::string> now = OurWindows();
                                    ended = !f.Menus.View()->InModalLoop
                                            && std::none_of(opened.begin(), opened.end(),
                                                            [&](const auto& w) { return now.count(w) > 0; })
                                            && x.PointerGrabbable();
                                    if (f.Menus.View()->InModalLoop)
                                      f.Menus.View()->EndModal();
                                  },
                                  [] {}},
                                 250);
    ASSERT_TRUE(PumpUntil([&] { return steps.Done(); }, 10000));
    ASSERT_FALSE(opened.empty()) << "View did not open";
    EXPECT_TRUE(ended) << "the menu stayed, or held the pointer";
  };
  menuEndsAfter("another program's window activated", [&] { desk.Run("xdotool windowactivate " + otherWindow); });
  std::unique_ptr<desktop::TOtherProgram> newcomer;
  menuEndsAfter("a new window of another program mapped", [&] {
    newcomer = std::make_unique<desktop::TOtherProgram>(desk, "A new window", 700, 450);
    desk.WaitFramedWindow("^A new window$", 5000);
  });
  newcomer.reset();
  ASSERT_TRUE(desk.Raise(otherWindow));
  // xmessage's "okay" button, at the window's bottom left, ends it.
  const desktop::TWindowPlace o = desk.Place(otherWindow);
  menuEndsAfter("a click on another program's button", [&] { Click({o.X + 20, o.Y + o.Height - 14}); });
  EXPECT_TRUE(PumpUntil([&] { return other->Ended(); }, 3000)) << "the click never reached the other program";

  // The other program's window lying over the kit's, the menu opened by Alt+V beneath it: a
  // click on that program's button reaches it, and not the kit's window under the button.
  int kitPresses = 0;
  f.Form.OnMouseDown = [&](TObject*, TMouseButton, TShiftState, Integer, Integer) { ++kitPresses; };
  auto over = std::make_unique<desktop::TOtherProgram>(desk, "Over the kit", 200, 250);
  const std::string overWindow = desk.WaitFramedWindow("^Over the kit$", 5000);
  ASSERT_FALSE(overWindow.empty());
  desk.Run("xdotool windowactivate --sync " + id);
  ASSERT_TRUE(desk.Raise(overWindow));
  const desktop::TWindowPlace v = desk.Place(overWindow);
  const TPoint okay{v.X + 20, v.Y + v.Height - 14};
  ASSERT_TRUE(f.Form.BoundsRect().Contains(okay)) << "the other program's button is not over the kit";
  bool opened = false;
  realinput::TTimedSteps steps({[] { X("key alt+v"); }, [] {}, [&] { opened = f.Menus.View()->InModalLoop; },
                                [&] { Click(okay); }, [] {}, [] {}},
                               250);
  ASSERT_TRUE(PumpUntil([&] { return steps.Done(); }, 10000));
  ASSERT_TRUE(opened) << "Alt+V did not open View";
  EXPECT_TRUE(PumpUntil([&] { return over->Ended(); }, 3000)) << "the click never reached the window over the kit";
  EXPECT_FALSE(f.Menus.View()->InModalLoop);
  EXPECT_EQ(kitPresses, 0) << "the kit's window beneath got the click";

  // A popup menu at a point (as a context menu opens) ends alike when another program's window
  // is activated: the call that shows it returns, the pointer free. The steps run inside the
  // popup's own loop.
  auto third = std::make_unique<desktop::TOtherProgram>(desk, "A third program", 700, 450);
  const std::string thirdWindow = desk.WaitFramedWindow("^A third program$", 5000);
  ASSERT_FALSE(thirdWindow.empty());
  desk.Run("xdotool windowactivate --sync " + id);
  PumpFor(300);
  const std::set<std::string> beforePopup = OurWindows();
  std::vector<std::string> popup;
  bool popupEnded = false;
  realinput::TTimedSteps popupSteps({[] {}, [&] { popup = NewWindows(beforePopup); },
                                     [&] { desk.Run("xdotool windowactivate " + thirdWindow); }, [] {}, [] {}, [] {},
                                     // Still open, a click on the desktop ends it so the test goes on.
                                     [&] { Click(desktopPoint); }},
                                    250);
  TrackPopupItem(f.View, {place.X + 200, place.Y + 120}, tbpaLeft);
  popupEnded = !popupSteps.Done();
  ASSERT_TRUE(PumpUntil([&] { return popupSteps.Done(); }, 10000));
  ASSERT_FALSE(popup.empty()) << "the popup menu did not show";
  EXPECT_TRUE(popupEnded) << "the popup menu stayed after another program took the activation";
  EXPECT_TRUE(x.PointerGrabbable());
}

// A press that closes a menu, held until the X server no longer shows the menu (its release
// comes once the menus have let the pointer go), on the window's own face and on another
// program's window: the menu Alt+V opens next answers its keys, as the screen shows it (Down
// lights the second item) and the X server (Escape closes it). The button let go for good,
// the menu no longer takes every key for a drag's.
TEST(DesktopMenus, AMenuOpenedFromTheKeyboardAfterAPressClosedOneAnswersItsKeys)
{
  if (!Available())
    GTEST_SKIP() << "xdotool is not installed";
  TSettingsScope restore([](TSystemSettings& s) { s.MenuAnimation = false; });
  TKitWindow f;
  ASSERT_TRUE(PumpUntil([&] { return f.Form.Showing(); }));
  desktop::TDesktop desk{desktop::TDesktop::TThisDisplay{}};
  const std::string id = desk.WaitFramedWindow("^Kit$", 5000);
  ASSERT_FALSE(id.empty());
  desktop::TOtherProgram other(desk, "Another program", 700, 150);
  const std::string otherWindow = desk.WaitFramedWindow("^Another program$", 5000);
  ASSERT_FALSE(otherWindow.empty());
  const desktop::TWindowPlace o = desk.Place(otherWindow);
  // Clear of the menus and the toolbars' buttons: the window's white face, and the other
  // program's message.
  const TPoint onKit = f.Form.ClientToScreen({f.Form.ClientWidth() - 40, f.Form.ClientHeight() / 2});
  const TPoint onOther{o.X + o.Width / 2, o.Y + 8};
  desktop::TXConnection screen(desk.Display());
  TTBView* bar = f.Menus.View();
  // Whether the screen shows that item of the open menu lit.
  auto lit = [&](int index) {
    TTBView* p = bar->OpenViewerView();
    if (!p || p->ViewerCount() <= index)
      return false;
    const TRect r = p->Viewers(index)->BoundsRect;
    const TPoint tl = p->Window()->ClientToScreen({r.Left, r.Top});
    return CountInRows(ReadScreen(screen, Bounds(tl.X, tl.Y, r.Width(), r.Height())), r.Width(), 0, r.Height(),
                       ColorToRGB(clHighlight))
           > r.Width() * r.Height() / 2;
  };
  auto gone = [](const std::vector<std::string>& windows) {
    const std::set<std::string> now = OurWindows();
    return std::none_of(windows.begin(), windows.end(), [&](const std::string& w) { return now.count(w) > 0; });
  };
  for (const TPoint press : {onKit, onOther}) {
    SCOPED_TRACE(press == onKit ? "a press on the window's face" : "a press on another program's window");
    ASSERT_TRUE(desk.Focus(id)) << "the kit's window did not take the keyboard";
    ASSERT_TRUE(PumpUntil([&] { return Screen().ActiveForm() == &f.Form; }));
    std::set<std::string> before;
    std::vector<std::string> menu;
    tbtest::TScript closing;
    closing.Do([&] {
      before = OurWindows();
      X("key alt+f");
    });
    closing.WaitFor(
        [&] {
          menu = NewWindows(before);
          return !menu.empty();
        },
        "the X server shows the menu Alt+F opens");
    closing.Do([&] { X("mousemove " + At(press) + " mousedown 1"); });
    closing.WaitFor([&] { return !bar->InModalLoop && gone(menu); }, "the press closes the menu");
    closing.Do([] { X("mouseup 1"); });
    if (press == onOther)
      closing.WaitFor([&] { return desk.ActiveWindow() == otherWindow; }, "the click reaches the other program");
    closing.Abort = [&] { bar->EndModal(); };
    closing.Running = [&] { return bar->InModalLoop; };
    closing.Start();
    ASSERT_TRUE(PumpUntil([&] { return closing.Finished() && !bar->InModalLoop; }, 15000));

    ASSERT_TRUE(desk.Focus(id)) << "the kit's window did not take the keyboard back";
    tbtest::TScript keys;
    keys.Do([&] {
      before = OurWindows();
      X("key alt+v");
    });
    keys.WaitFor(
        [&] {
          menu = NewWindows(before);
          return !menu.empty() && lit(0);
        },
        "the X server shows the View menu Alt+V opens, its first item lit");
    keys.Do([] { X("key Down"); });
    keys.WaitFor([&] { return lit(1); }, "Down lights the second item on the screen");
    keys.Do([&] {
      desk.Screenshot(press == onKit ? "menu-keys-after-a-press-on-the-window.png"
                                     : "menu-keys-after-a-press-on-another-program.png");
    });
    keys.Do([] { X("key Escape"); });
    keys.WaitFor([&] { return gone(menu); }, "Escape closes the menu");
    keys.Do([] { X("key Escape"); });
    keys.Abort = [&] { bar->EndModal(); };
    keys.Running = [&] { return bar->InModalLoop; };
    keys.Start();
    EXPECT_TRUE(PumpUntil([&] { return keys.Finished() && !bar->InModalLoop; }, 15000));
  }
}

namespace {

// The program's main window, started on the page, for a test that runs with real input.
struct TMainOnPage {
  explicit TMainOnPage(const std::string& page)
  {
    SetMessageAnswerer([](const TMessageRequest&) { return mrOk; });
    Main.Show();
    PumpUntil([&] { return Main.Showing(); });
    Main.Viewer->URL = page;
    GuardedCall([&] { Main.Viewer->FollowLink(); });
    mainwindow::Pump(500);
  }
  ~TMainOnPage()
  {
    Main.Hide();
    mainwindow::Pump();
    SetMessageAnswerer(nullptr);
  }
  TKVMainFrm Main{ExeFolder()};
  TControl* Pane() const { return Main.Viewer->PaintPanel(); }
};

}   // namespace

// Edit opened with the mouse and left with Escape, the press on the page's text that ends the
// menus starts a drag as any press does: the selection follows the pointer while the button
// is down, and the pointer held below the pane scrolls the page; let go, the button is up.
TEST(DesktopMenus, ADragOnThePageAfterAMouseOpenedMenuSelectsAndScrollsAsItGoes)
{
  if (!Available())
    GTEST_SKIP() << "xdotool is not installed";
  TSettingsScope restore([](TSystemSettings& s) { s.MenuAnimation = false; });
  TMainOnPage m("/Lever_Class1.htm");
  THTMLViewer* viewer = m.Main.Viewer;
  TTBView* bar = m.Main.MainMenu->View();
  const TPoint text = m.Pane()->ClientToScreen({30, 70});
  const TPoint below = m.Pane()->ClientToScreen({130, m.Pane()->Height() + 10});
  int32_t top = 0;
  tbtest::TScript s;
  s.Do([&] { Click(TKitWindow::Centre(*m.Main.MainMenu, m.Main.Edit1)); });
  s.WaitFor([&] { return bar->OpenViewerView() != nullptr; }, "Edit opens");
  s.Do([] { X("key Escape"); });
  s.WaitFor([&] { return bar->OpenViewerView() == nullptr; }, "Escape closes the menu");
  s.Do([&] { X("mousemove " + At(text) + " mousedown 1"); });
  s.WaitFor([&] { return !bar->InModalLoop; }, "the press ends the menus");
  s.Do([&] { X("mousemove " + At({text.X + 250, text.Y + 30})); });
  s.WaitFor([&] { return viewer->SelLength() != 0; }, "the selection shows while the button is down");
  s.Do([&] {
    top = viewer->VScrollBarPosition();
    Move(below);
  });
  s.WaitFor([&] { return viewer->VScrollBarPosition() >= top + 3 * 16; }, "held below the pane, the page scrolls");
  s.Do([] { X("mouseup 1"); });
  s.WaitFor([] { return !IsMouseButtonDown(mbLeft); }, "the button is let go");
  s.Abort = [&] {
    X("mouseup 1");
    bar->EndModal();
  };
  s.Running = [&] { return bar->InModalLoop || IsMouseButtonDown(mbLeft); };
  s.Start();
  EXPECT_TRUE(PumpUntil([&] { return s.Finished() && !bar->InModalLoop && !IsMouseButtonDown(mbLeft); }, 20000));
  EXPECT_NE(viewer->SelLength(), 0);
}

// A click tapped on the lever toolbar's "Show labels" box (press and release back to back, as
// a touchpad sends them) while the page picture's menu is open closes the menu and toggles the
// box, once, every time: also when the release comes as the menus take the press. A double
// click on the box, a radio button or a push button is two clicks.
TEST(DesktopMenus, ATapOnACheckBoxThatClosesAPopupMenuTogglesItOnce)
{
  if (!Available())
    GTEST_SKIP() << "xdotool is not installed";
  TSettingsScope restore([](TSystemSettings& s) { s.MenuAnimation = false; });
  TMainOnPage m("/Lever_Class1.htm");
  TCheckBox* box = m.Main.LeverChk;
  int clicks = 0;
  box->OnClick = [&, was = box->OnClick.Get()](TObject* sender) {
    ++clicks;
    was(sender);
  };
  // The page's picture at its top right, and the box.
  const TPoint picture = m.Pane()->ClientToScreen({m.Pane()->Width() - 130, 150});
  const TPoint tap = Centre(box);
  int filter = 0;
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const bool checked = box->Checked();
    std::set<std::string> before;
    std::vector<std::string> menu;
    tbtest::TScript s;
    s.Do([&] {
      before = OurWindows();
      X("mousemove " + At(picture) + " click 3");
    });
    s.WaitFor(
        [&] {
          menu = NewWindows(before);
          return !menu.empty();
        },
        "the X server shows the picture's menu");
    s.Do([&] {
      if (round % 2 == 0) {
        X("mousemove " + At(tap) + " click 1");
        return;
      }
      filter = AddInputFilter([&](const TInputEvent& ev) {
        if (ev.Kind == TInputKind::MouseDown && ev.Button == mbLeft) {
          RemoveInputFilter(filter);
          X("mouseup 1");
        }
        return false;
      });
      X("mousemove " + At(tap) + " mousedown 1");
    });
    s.WaitFor([&] { return box->Checked() != checked && !IsMouseButtonDown(mbLeft); }, "the box toggles");
    s.Abort = [&] { X("mouseup 1"); };
    s.Running = [] { return IsMouseButtonDown(mbLeft); };
    s.Start();
    ASSERT_TRUE(PumpUntil([&] { return s.Finished() && !IsMouseButtonDown(mbLeft); }, 10000));
    PumpFor(100);
    EXPECT_EQ(clicks, round + 1);
  }
  // Each click of a double click clicks the box (it toggles twice, back where it was), and so
  // it does a radio button and a push button, as the stock widgets do.
  TForm form;
  form.SetBounds(200, 400, 300, 60);
  TRadioButton radio;
  radio.SetBounds(10, 10, 120, 20);
  radio.SetCaption("Radio");
  TButton button;
  button.SetBounds(150, 10, 75, 25);
  button.SetCaption("Push");
  for (TControl* c : std::initializer_list<TControl*>{&radio, &button})
    c->SetParent(&form);
  form.Show();
  ASSERT_TRUE(PumpUntil([&] { return form.Showing(); }));
  PumpFor(500);
  // The box last: a click on it raises the main window over the form.
  for (TControl* c : std::initializer_list<TControl*>{&radio, &button, box}) {
    SCOPED_TRACE(c->Caption());
    const bool checked = box->Checked();
    int n = 0;
    c->OnClick = [&, was = c->OnClick.Get()](TObject* sender) {
      ++n;
      if (was)
        was(sender);
    };
    X("mousemove " + At(Centre(c)) + " click --repeat 2 --delay 80 1");
    PumpUntil([&] { return n == 2; }, 3000);
    PumpFor(500);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(box->Checked(), checked);
  }
}

// With the desktop's menu animation on, a menu slides in showing its own picture: each frame
// the X server shows is the finished menu's picture moved up by some rows, never black.
TEST(DesktopMenus, ASlidingMenuShowsItsOwnPicture)
{
  if (!Available())
    GTEST_SKIP() << "xdotool is not installed";
  TSettingsScope restore([](TSystemSettings& s) {
    s.MenuAnimation = true;
    s.MenuFade = false;
  });
  TKitWindow f;
  ASSERT_TRUE(PumpUntil([&] { return f.Form.Showing(); }));
  PumpFor(300);
  desktop::TXConnection screen(std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "");
  TRect menu;
  std::vector<std::vector<TColor>> frames;
  std::vector<TColor> finished;
  TTimer sampler;
  sampler.SetInterval(5);
  sampler.SetOnTimer([&](TObject*) {
    TTBView* p = f.Menus.View()->OpenViewerView();
    if (!p || !finished.empty())
      return;
    TControl* w = p->Window();
    menu = Bounds(w->Left(), w->Top(), w->Width(), w->Height());
    if (IsAnimating(w))
      frames.push_back(ReadScreen(screen, menu));
    else if (!frames.empty())
      finished = ReadScreen(screen, menu);
  });
  realinput::TTimedSteps steps({[&] { Click(TKitWindow::Centre(f.Menus, f.File)); }, [] {}, [] {}, [] {},
                                [] { X("key Escape"); }, [] { X("key Escape"); }, [] {}},
                               250);
  ASSERT_TRUE(PumpUntil([&] { return steps.Done(); }, 8000));
  sampler.SetEnabled(false);
  PumpFor(200);
  ASSERT_FALSE(finished.empty()) << "the menu did not slide in";
  const Integer w = menu.Width(), h = menu.Height();
  const TColor black = RGBColor(0, 0, 0);
  // Each frame: the rows of the finished picture from some row down, at the top of the menu.
  int matching = 0;
  for (const std::vector<TColor>& frame : frames) {
    int bestRows = -1;
    for (Integer shown = 1; shown <= h; ++shown) {
      bool same = true;
      for (Integer y = 0; y < shown && same; ++y)
        for (Integer x = 0; x < w && same; ++x)
          same = frame[size_t(y * w + x)] == finished[size_t((h - shown + y) * w + x)];
      if (same)
        bestRows = shown;
    }
    matching += bestRows > h / 4 && bestRows < h;
    EXPECT_LE(CountInRows(frame, w, 0, h, black), CountInRows(finished, w, 0, h, black))
        << "black where the menu has none";
  }
  EXPECT_GT(matching, 0) << frames.size() << " frames, none a part of the menu";
}
