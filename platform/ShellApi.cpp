#include "platform/ShellApi.h"

#include <QDesktopServices>
#include <QUrl>

#include "platform/Files.h"
#include "platform/Fonts.h"

namespace {
std::function<bool(const std::string&)> GHandler;
}

void SetShellOpenHandler(std::function<bool(const std::string& target)> handler) { GHandler = std::move(handler); }

bool ShellOpen(const std::string& target)
{
  if (GHandler)
    return GHandler(target);
  EnsureGuiApplication();
  QString t = QString::fromStdString(target);
  QUrl url = t.contains(QStringLiteral("://")) ? QUrl(t)
                                               : QUrl::fromLocalFile(QString::fromStdString(ResolveFileName(target)));
  return QDesktopServices::openUrl(url);
}
