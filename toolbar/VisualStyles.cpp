#include "toolbar/VisualStyles.h"

namespace {

// Nothing is ever bound: there is no visual-styles library to load.
const TUxThemeEntryPoints NoEntryPoints;

}   // namespace

const TUxThemeEntryPoints& UxTheme() { return NoEntryPoints; }

bool BindUxTheme()
{
  // No visual-styles library exists on this platform, so there is nothing to load.
  return false;
}

void UnbindUxTheme() {}

bool UxThemesAvailable() { return false; }
