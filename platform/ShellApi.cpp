#include "platform/ShellApi.h"

#include <QDesktopServices>
#include <QUrl>

#include "platform/Application.h"
#include "platform/Files.h"
#include "platform/Fonts.h"

namespace {

// The handler tests set; the application holds it.
struct TShellOpenHandler : TApplicationState {
  std::function<bool(const std::string&)> Handler;
};

}   // namespace

void SetShellOpenHandler(std::function<bool(const std::string& target)> handler)
{
  if (TShellOpenHandler* state = ApplicationState<TShellOpenHandler>())
    state->Handler = std::move(handler);
}

bool ShellOpen(const std::string& target)
{
  if (const TShellOpenHandler* state = FoundApplicationState<TShellOpenHandler>(); state && state->Handler)
    return state->Handler(target);
  EnsureGuiApplication();
  QString t = QString::fromStdString(target);
  QUrl url = t.contains(QStringLiteral("://")) ? QUrl(t)
                                               : QUrl::fromLocalFile(QString::fromStdString(ResolveFileName(target)));
  return QDesktopServices::openUrl(url);
}
