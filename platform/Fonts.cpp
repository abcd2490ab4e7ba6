#include "platform/Fonts.h"

#include <QApplication>
#include <QFontDatabase>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <mutex>

#include "platform/SysUtils.h"

void EnsureGuiApplication()
{
  if (QCoreApplication::instance())
    return;
  static int argc = 1;
  static char name[] = "Orrelo";
  static char* argv[] = {name, nullptr};
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM"))
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // Widgets are used further up, so the application must be the widget kind. It lives
  // until the process ends: tearing Qt down during static destruction is not safe.
  static QApplication* app = std::make_unique<QApplication>(argc, argv).release();
  (void)app;
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
  static std::vector<std::string> fonts;
  static std::once_flag once;
  std::call_once(once, [] {
    EnsureGuiApplication();
    for (const QString& f : QFontDatabase::families())
      fonts.push_back(f.toStdString());
    for (const char* n : {"Arial", "MS Sans Serif", "Times New Roman", "Courier New"})
      fonts.push_back(n);
    std::sort(fonts.begin(), fonts.end(), LessNoCase);
    fonts.erase(std::unique(fonts.begin(), fonts.end(),
                            [](const std::string& a, const std::string& b) { return LowerCase(a) == LowerCase(b); }),
                fonts.end());
  });
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
