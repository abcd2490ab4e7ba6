#include "platform/ReferenceGLWindow.h"

#include <QApplication>
#include <QEvent>
#include <QOpenGLFunctions>
#include <QOpenGLWidget>
#include <QOpenGLWindow>
#include <QScreen>
#include <QWidget>

namespace {

// Marks a moment from the event loop, once, and quits when both moments are marked.
class TMarks {
public:
  explicit TMarks(const std::function<void(const char*)>& mark) : FMark(mark) {}
  void Post(const char* what, bool& done)
  {
    if (done)
      return;
    done = true;
    QMetaObject::invokeMethod(
        qApp,
        [this, what] {
          FMark(what);
          if (++FCount == 2)
            QApplication::quit();
        },
        Qt::QueuedConnection);
  }
  bool Shown = false, Frame = false;

private:
  std::function<void(const char*)> FMark;
  int FCount = 0;
};

class TPaintWatch : public QObject {
public:
  explicit TPaintWatch(TMarks& marks) : FMarks(marks) {}
  bool eventFilter(QObject* watched, QEvent* event) override
  {
    if (event->type() == QEvent::Paint)
      FMarks.Post("shown", FMarks.Shown);
    return QObject::eventFilter(watched, event);
  }

private:
  TMarks& FMarks;
};

class TClearWidget : public QOpenGLWidget, protected QOpenGLFunctions {
public:
  explicit TClearWidget(QWidget* parent) : QOpenGLWidget(parent) {}

protected:
  void initializeGL() override { initializeOpenGLFunctions(); }
  void paintGL() override
  {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }
};

class TClearWindow : public QOpenGLWindow, protected QOpenGLFunctions {
protected:
  void initializeGL() override { initializeOpenGLFunctions(); }
  void paintGL() override
  {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }
};

}   // namespace

int RunReferenceGLWindow(int argc, char** argv, TReferenceGLKind kind, const std::function<int(int)>& glWidth,
                         const std::function<void(const char*)>& mark)
{
  QApplication app(argc, argv);
  TMarks marks(mark);
  QWidget window;
  window.setWindowTitle("Qt GL window");
  const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
  window.setGeometry(work);
  TPaintWatch watch(marks);
  window.installEventFilter(&watch);
  const QRect view(0, 0, glWidth(work.width()), work.height());
  // The window owns the GL view (the container owns the GL window).
  if (kind == TReferenceGLKind::Widget) {
    auto* widget = new TClearWidget(&window);
    widget->setGeometry(view);
    QObject::connect(widget, &QOpenGLWidget::frameSwapped, [&] { marks.Post("frame", marks.Frame); });
  } else {
    auto* glWindow = new TClearWindow;
    QWidget::createWindowContainer(glWindow, &window)->setGeometry(view);
    QObject::connect(glWindow, &QOpenGLWindow::frameSwapped, [&] { marks.Post("frame", marks.Frame); });
  }
  window.show();
  return QApplication::exec();
}
