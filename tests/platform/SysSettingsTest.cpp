// The settings record: what the desktop decides is filled in from it unless a test put its
// own values there, and every change of the record is told to the handlers.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/SysSettings.h"

TEST(SysSettings, TheDesktopsChoicesAreFilledInAndInjectedOnesKept)
{
  ResetSystemSettings();
  TSystemSettings s = SystemSettings();
  ASSERT_TRUE(s.MenuAnimation && s.MenuFade && s.DropShadow && s.MenuFont) << "left empty for the callers";
  // A desktop that names no menu font (no desktop environment's settings): menus keep the
  // classic one.
  const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
  if (!desktop || !*desktop) {
    EXPECT_EQ(*s.MenuFont, (TDesktopFont{"MS Sans Serif", 8, 0}));
  }
  TSystemSettings mine;
  mine.MenuAnimation = true;
  mine.DropShadow = true;
  mine.MenuFont = TDesktopFont{"DejaVu Serif", 14, fsBold};
  SetSystemSettings(mine);
  s = SystemSettings();
  EXPECT_TRUE(s.MenuAnimation.value_or(false));
  EXPECT_TRUE(s.DropShadow.value_or(false));
  EXPECT_EQ(*s.MenuFont, (TDesktopFont{"DejaVu Serif", 14, fsBold}));
  ASSERT_TRUE(s.MenuFade.has_value()) << "what the test left empty comes from the desktop";
  ResetSystemSettings();
}

TEST(SysSettings, HandlersHearOfEveryChangeUntilRemoved)
{
  int a = 0, b = 0;
  const int ida = AddSettingsChangeHandler([&] { ++a; });
  const int idb = AddSettingsChangeHandler([&] {
    ++b;
    // A handler may take itself out while the others are told.
    RemoveSettingsChangeHandler(ida);
  });
  TSystemSettings s = SystemSettings();
  s.MenuShowDelay = 10;
  SetSystemSettings(s);
  EXPECT_EQ(b, 1);
  EXPECT_LE(a, 1);
  const int seenA = a;
  ResetSystemSettings();
  EXPECT_EQ(b, 2);
  EXPECT_EQ(a, seenA) << "a removed handler was told";
  RemoveSettingsChangeHandler(idb);
  ResetSystemSettings();
  EXPECT_EQ(b, 2);
}
