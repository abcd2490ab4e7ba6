// Shortcuts: a key with its shift keys in one number, and the text menus show for it.
#include "platform/Controls.h"

TShortCut ShortCut(Word key, TShiftState shift)
{
  if (key & 0xFF00)
    return 0;
  TShortCut s = key;
  if (shift & ssShift)
    s |= scShift;
  if (shift & ssCtrl)
    s |= scCtrl;
  if (shift & ssAlt)
    s |= scAlt;
  return s;
}

std::string ShortCutToText(TShortCut shortCut)
{
  Word key = shortCut & 0xFF;
  std::string name;
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
    name = std::string(1, static_cast<char>(key));
  else if (key >= VK_F1 && key <= VK_F12)
    name = "F" + IntToStr(key - VK_F1 + 1);
  else
    switch (key) {
    case VK_BACK: name = "BkSp"; break;
    case VK_TAB: name = "Tab"; break;
    case VK_RETURN: name = "Enter"; break;
    case VK_ESCAPE: name = "Esc"; break;
    case VK_SPACE: name = "Space"; break;
    case VK_PRIOR: name = "PgUp"; break;
    case VK_NEXT: name = "PgDn"; break;
    case VK_END: name = "End"; break;
    case VK_HOME: name = "Home"; break;
    case VK_LEFT: name = "Left"; break;
    case VK_UP: name = "Up"; break;
    case VK_RIGHT: name = "Right"; break;
    case VK_DOWN: name = "Down"; break;
    case VK_INSERT: name = "Ins"; break;
    case VK_DELETE: name = "Del"; break;
    case VK_ADD: name = "+"; break;
    case VK_SUBTRACT: name = "-"; break;
    default: break;
    }
  if (name.empty())
    return "";
  std::string out;
  if (shortCut & scShift)
    out += "Shift+";
  if (shortCut & scCtrl)
    out += "Ctrl+";
  if (shortCut & scAlt)
    out += "Alt+";
  return out + name;
}
