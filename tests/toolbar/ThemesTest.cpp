#include <gtest/gtest.h>

#include "toolbar/DefaultTheme.h"
#include "toolbar/Themes.h"

namespace {

// A theme that counts its lives and records the notifications it hears.
int GLiving = 0;
class TProbeTheme : public TTBXDefaultTheme {
public:
  explicit TProbeTheme(const std::string& n) : TTBXDefaultTheme(n) { ++GLiving; }
  ~TProbeTheme() override { --GLiving; }
  void Dispatch(TMessage& m) override
  {
    Codes.push_back(static_cast<Integer>(m.WParam));
    TTBXDefaultTheme::Dispatch(m);
  }
  std::vector<Integer> Codes;
};

TTBXThemeClass Probe()
{
  return [](const std::string& n) { return std::make_unique<TProbeTheme>(n); };
}

}   // namespace

TEST(Themes, RegistrationIsCaseBlindAndChecked)
{
  RegisterTBXTheme("Probe1", Probe());
  EXPECT_GE(FindTBXTheme("probe1"), 0);
  EXPECT_EQ(FindTBXTheme("nothing"), -1);
  try {
    RegisterTBXTheme("PROBE1", Probe());
    FAIL();
  } catch (const ETBXThemeError& e) {
    EXPECT_EQ(e.Message, "Theme PROBE1 is already registered");
  }
  Integer count = static_cast<Integer>(GetAvailableTBXThemes().size());
  for (const std::string& bad : {std::string(), std::string(300, 'x')}) {
    try {
      RegisterTBXTheme(bad, Probe());
      FAIL();
    } catch (const ETBXThemeError& e) {
      EXPECT_EQ(e.Message, "Cannot register theme");
    }
  }
  EXPECT_THROW(RegisterTBXTheme("NoClass", nullptr), ETBXThemeError);
  // A failed call leaves the registry as it was.
  EXPECT_EQ(static_cast<Integer>(GetAvailableTBXThemes().size()), count);
  try {
    GetTBXTheme("Missing");
    FAIL();
  } catch (const ETBXThemeError& e) {
    EXPECT_EQ(e.Message, "Unknown theme Missing");
  }
}

TEST(Themes, ReferencesKeepTheInstance)
{
  RegisterTBXTheme("Probe2", Probe());
  int before = GLiving;
  TTBXTheme* a = GetTBXTheme("Probe2");
  TTBXTheme* b = GetTBXTheme("PROBE2");
  EXPECT_EQ(a, b);
  EXPECT_EQ(a->Name(), "Probe2");
  EXPECT_EQ(GLiving, before + 1);
  EXPECT_EQ(TBXThemeRefCount("Probe2"), 2);
  // A new instance hears whether the application is active (0 or 1).
  auto* probe = static_cast<TProbeTheme*>(a);
  ASSERT_EQ(probe->Codes.size(), 1u);
  EXPECT_LE(probe->Codes[0], 1);
  ReleaseTBXTheme(b);
  EXPECT_NE(b, nullptr);
  EXPECT_EQ(GLiving, before + 1);
  ReleaseTBXTheme(a);
  EXPECT_EQ(a, nullptr);
  EXPECT_EQ(GLiving, before);
  // Made again on the next call.
  TTBXTheme* c = GetTBXTheme("Probe2");
  EXPECT_EQ(GLiving, before + 1);
  ReleaseTBXTheme(c);

  TProbeTheme stray("Stray");
  TTBXTheme* s = &stray;
  try {
    ReleaseTBXTheme(s);
    FAIL();
  } catch (const ETBXThemeError& e) {
    EXPECT_EQ(e.Message, "Cannot release theme");
  }
  TTBXTheme* none = nullptr;
  EXPECT_THROW(ReleaseTBXTheme(none), ETBXThemeError);
}

TEST(Themes, ManagerTellsThemesOfSystemChanges)
{
  RegisterTBXTheme("Probe3", Probe());
  TTBXTheme* t = GetTBXTheme("Probe3");
  auto* probe = static_cast<TProbeTheme*>(t);
  probe->Codes.clear();
  std::vector<Integer> heard;
  int key = 0;
  AddThemeNotify(reinterpret_cast<TObject*>(&key),
                 [&](TMessage& m) { heard.push_back(static_cast<Integer>(m.WParam)); });
  AddThemeNotify(reinterpret_cast<TObject*>(&key), [&](TMessage&) { heard.push_back(99); });   // listed once
  SendMessage(TBXThemeManager().Handle(), WM_SYSCOLORCHANGE, 0, 0);
  EXPECT_EQ(heard, (std::vector<Integer>{1, 2, 3}));
  EXPECT_EQ(probe->Codes, (std::vector<Integer>{1, 2, 3}));
  heard.clear();
  SendMessage(TBXThemeManager().Handle(), WM_ACTIVATEAPP, 0, 0);
  SendMessage(TBXThemeManager().Handle(), WM_ACTIVATEAPP, 1, 0);
  EXPECT_EQ(heard, (std::vector<Integer>{TSC_APPDEACTIVATE, TSC_APPACTIVATE}));
  RemoveThemeNotify(reinterpret_cast<TObject*>(&key));
  heard.clear();
  SendMessage(TBXThemeManager().Handle(), WM_DISPLAYCHANGE, 0, 0);
  EXPECT_TRUE(heard.empty());
  ReleaseTBXTheme(t);
}

TEST(Themes, SharedValuesFollowTheMenuStyle)
{
  // No visual styles on this platform: every theme takes its classic path.
  EXPECT_FALSE(UxThemesAvailable());
  EXPECT_FALSE(BindUxTheme());
  const TTBXSystemValues& v = TBXSystemValues();
  EXPECT_FALSE(v.USE_THEMES);
  EXPECT_FALSE(v.TBXLoColor);
  EXPECT_FALSE(v.TBXWhiteButtonFace);
  EXPECT_EQ(v.ToolbarColor, clBtnFace);
  EXPECT_FALSE(v.USE_FLATMENUS);
  EXPECT_EQ(v.MenuColor, clMenu);
  TBXThemeManager().SetMenuStyle(2);
  EXPECT_TRUE(v.USE_FLATMENUS);
  EXPECT_EQ(v.MenuColor, clWindow);
  EXPECT_EQ(v.MenuTextColor, clWindowText);
  TBXThemeManager().SetMenuStyle(0);
  EXPECT_FALSE(v.USE_FLATMENUS);
  EXPECT_EQ(v.MenuTextColor, clMenuText);
}
