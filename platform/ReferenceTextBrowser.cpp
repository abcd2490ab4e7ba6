#include "platform/ReferenceTextBrowser.h"

#include <QApplication>
#include <QScrollBar>
#include <QTextBrowser>
#include <QUrl>

struct TReferenceBrowser::TImpl {
  QTextBrowser Browser;
};

TReferenceBrowser::TReferenceBrowser(int left, int top, int width, int height) : F(std::make_unique<TImpl>())
{
  F->Browser.setWindowTitle("Text browser");
  F->Browser.setGeometry(left, top, width, height);
  F->Browser.setFrameShape(QFrame::Box);
  F->Browser.show();
}

TReferenceBrowser::~TReferenceBrowser() = default;

void TReferenceBrowser::Load(const std::string& file)
{
  F->Browser.clear();
  F->Browser.setSource(QUrl::fromLocalFile(QString::fromStdString(file)));
  F->Browser.viewport()->update();
}

void TReferenceBrowser::Repaint()
{
  F->Browser.update();
  F->Browser.viewport()->repaint();
}

int TReferenceBrowser::ScrollPosition() const { return F->Browser.verticalScrollBar()->value(); }

int TReferenceBrowser::ScrollMaximum() const { return F->Browser.verticalScrollBar()->maximum(); }

void TReferenceBrowser::SetScrollPosition(int y) { F->Browser.verticalScrollBar()->setValue(y); }

void TReferenceBrowser::Hide() { F->Browser.hide(); }

void SettleEvents()
{
  for (int i = 0; i < 3; ++i)
    QApplication::processEvents();
}
