// The binding of the system's visual-styles library. This platform has none: binding
// reports "not available" and every theme takes its classic path. The handle type and the
// entry points the kit calls are kept, so the themes read as they would with styles.
#pragma once

#include <cstdint>

#include "platform/Graphics.h"

using HTHEME = uintptr_t;

// The entry points the kit calls, bound by name; empty while the library is not loaded.
struct TUxThemeEntryPoints {
  HTHEME (*OpenThemeData)(uintptr_t Wnd, const char16_t* ClassList) = nullptr;
  int32_t (*CloseThemeData)(HTHEME Theme) = nullptr;
  int32_t (*DrawThemeBackground)(HTHEME Theme, TCanvas* Canvas, int PartId, int StateId, const TRect* R,
                                 const TRect* Clip) = nullptr;
  int32_t (*DrawThemeParentBackground)(uintptr_t Wnd, TCanvas* Canvas, const TRect* R) = nullptr;
  int32_t (*GetThemeBackgroundContentRect)(HTHEME Theme, TCanvas* Canvas, int PartId, int StateId,
                                           const TRect* Bounding, TRect* Content) = nullptr;
  int32_t (*GetThemePartSize)(HTHEME Theme, TCanvas* Canvas, int PartId, int StateId, const TRect* R, int SizeKind,
                              TSize* Size) = nullptr;
  int32_t (*GetThemeColor)(HTHEME Theme, int PartId, int StateId, int PropId, TColor* Color) = nullptr;
  int32_t (*IsAppThemed)() = nullptr;
  int32_t (*IsThemeActive)() = nullptr;
};

// The bound entry points (all empty here).
const TUxThemeEntryPoints& UxTheme();
// Loads the library once and binds every name; true when the library is loaded.
bool BindUxTheme();
// Frees the library and clears every entry point.
void UnbindUxTheme();
// The library is loaded, and the application and the system are both themed.
bool UxThemesAvailable();
