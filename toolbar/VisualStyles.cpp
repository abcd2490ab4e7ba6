#include "toolbar/VisualStyles.h"

namespace {

TUxThemeEntryPoints GEntryPoints;
bool GLoaded = false;

}   // namespace

const TUxThemeEntryPoints& UxTheme() { return GEntryPoints; }

bool BindUxTheme()
{
  // No visual-styles library exists on this platform, so there is nothing to load.
  return GLoaded;
}

void UnbindUxTheme()
{
  GEntryPoints = {};
  GLoaded = false;
}

bool UxThemesAvailable()
{
  return GLoaded && GEntryPoints.IsAppThemed && GEntryPoints.IsThemeActive && GEntryPoints.IsAppThemed() != 0
         && GEntryPoints.IsThemeActive() != 0;
}
