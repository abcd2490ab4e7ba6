// The desktop's own settings reach the toolbar kit: the program started on a desktop whose
// settings name a menu font opens its menus in that font (the menu window the X server
// shows is that much taller); a menu of a desktop that wants shadows casts one (the screen
// beside it darkens); and a change of the settings reaches the toolbars at once.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Forms.h"
#include "platform/SysSettings.h"
#include "tests/desktop/DesktopSupport.h"
#include "tests/platform/XInputSupport.h"
#include "tests/toolbar/RealInput.h"
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

struct TSettingsScope {
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
