#include "platform/Fonts.h"

#include <QApplication>
#include <QFontDatabase>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "platform/SysUtils.h"

namespace {

// The toolkit's application object where the program made none (a tool, a fuzz target), and
// the arguments it keeps for its life. The toolkit has one per process; it lives until the
// process ends: tearing Qt down during static destruction is not safe.
struct TToolkitApplication {
  int Argc = 1;
  char Name[7] = "Orrelo";
  char* Argv[2] = {Name, nullptr};
  // Widgets are used further up, so the application must be the widget kind.
  QApplication* App = std::make_unique<QApplication>(Argc, Argv).release();
};

}   // namespace

void EnsureGuiApplication()
{
  if (QCoreApplication::instance())
    return;
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM"))
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static TToolkitApplication toolkit;   // NOLINT(orrelo-static-local-state): the toolkit's one, as above
  (void)toolkit;
}

namespace {

struct TFontAlias {
  const char* Name;
  const char* Family;
};

constexpr TFontAlias Aliases[] = {
    {"arial", "Liberation Sans"},      {"ms sans serif", "Liberation Sans"},    {"helvetica", "Liberation Sans"},
    {"sans-serif", "Liberation Sans"}, {"times new roman", "Liberation Serif"}, {"times", "Liberation Serif"},
    {"serif", "Liberation Serif"},     {"courier new", "Liberation Mono"},      {"courier", "Liberation Mono"},
    {"monospace", "Liberation Mono"},
};

bool LessNoCase(const std::string& a, const std::string& b) { return LowerCase(a) < LowerCase(b); }

}   // namespace

const std::vector<std::string>& ScreenFonts()
{
  // Read once (on whichever thread asks first): the installed fonts are the process's.
  static const std::vector<std::string> fonts = [] {
    EnsureGuiApplication();
    std::vector<std::string> list;
    for (const QString& f : QFontDatabase::families())
      list.push_back(f.toStdString());
    for (const char* n : {"Arial", "MS Sans Serif", "Times New Roman", "Courier New"})
      list.push_back(n);
    std::sort(list.begin(), list.end(), LessNoCase);
    list.erase(std::unique(list.begin(), list.end(),
                           [](const std::string& a, const std::string& b) { return LowerCase(a) == LowerCase(b); }),
               list.end());
    return list;
  }();
  return fonts;
}

bool IsScreenFont(const std::string& name)
{
  const auto& fonts = ScreenFonts();
  std::string key = LowerCase(Trim(name));
  auto it = std::lower_bound(fonts.begin(), fonts.end(), key,
                             [](const std::string& a, const std::string& k) { return LowerCase(a) < k; });
  return it != fonts.end() && LowerCase(*it) == key;
}

std::string ResolveFontFamily(const std::string& name)
{
  std::string key = LowerCase(Trim(name));
  for (const TFontAlias& a : Aliases)
    if (key == a.Name)
      return a.Family;
  EnsureGuiApplication();
  if (!key.empty() && QFontDatabase::hasFamily(QString::fromStdString(Trim(name))))
    return Trim(name);
  return "Liberation Sans";
}
