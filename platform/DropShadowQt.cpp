// The drop shadow of menus: two strips beside the window, each a picture of the screen
// under it darkened from the window's edge outwards, in a window of its own.
#include "platform/DropShadowQt.h"

#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {

const char* const CastsShadowProperty = "orreloCastsDropShadow";

// The darkest the shadow gets, next to the window (of 255).
constexpr int ShadowAlpha = 96;

// One strip: what the screen showed there, and the shade over it. Right strips darken
// leftwards (towards the window), bottom strips upwards; both fade in at their near end.
class TShadowStrip : public QWidget {
public:
  TShadowStrip(QWidget* owner, bool right)
      : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus
                           | Qt::X11BypassWindowManagerHint | Qt::WindowStaysOnTopHint | Qt::WindowTransparentForInput),
        Right(right)
  {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
  }
  void Place(const QRect& r)
  {
    setGeometry(r);
    QScreen* s = screen();
    Under =
        s ? s->grabWindow(0, r.x() - s->geometry().x(), r.y() - s->geometry().y(), r.width(), r.height()) : QPixmap();
    update();
  }

protected:
  void paintEvent(QPaintEvent*) override
  {
    QPainter p(this);
    if (!Under.isNull())
      p.drawPixmap(0, 0, Under);
    const int across = Right ? width() : height();
    const int along = Right ? height() : width();
    for (int i = 0; i < across; ++i)
      for (int j = 0; j < along; ++j) {
        // Lighter away from the window's edge, and over the first DropShadowSize pixels of
        // the strip's near end, so the corner is round.
        const int fadeAcross = across - i;
        const int fadeAlong = std::min(j + 1, DropShadowSize);
        const int a = ShadowAlpha * fadeAcross * fadeAlong / (across * DropShadowSize);
        const QRect px = Right ? QRect(i, j, 1, 1) : QRect(j, i, 1, 1);
        p.fillRect(px, QColor(0, 0, 0, a));
      }
  }

private:
  bool Right;
  QPixmap Under;
};

TShadowStrip* Strip(QWidget* window, bool right)
{
  for (QObject* o : window->children())
    if (auto* s = dynamic_cast<TShadowStrip*>(o); s && s->property("right").toBool() == right)
      return s;
  auto* s = new TShadowStrip(window, right);
  s->setProperty("right", right);
  return s;
}

}   // namespace

void SetCastsDropShadow(QWidget* window) { window->setProperty(CastsShadowProperty, true); }

void UpdateDropShadow(QWidget* window)
{
  if (!window || !window->property(CastsShadowProperty).toBool())
    return;
  TShadowStrip* right = Strip(window, true);
  TShadowStrip* bottom = Strip(window, false);
  const QRect g = window->geometry();
  if (!window->isVisible() || !window->mask().isEmpty() || g.width() <= DropShadowSize
      || g.height() <= DropShadowSize) {
    right->hide();
    bottom->hide();
    return;
  }
  // The strips leave out the window's own corners: the light comes from above left.
  right->Place(QRect(g.right() + 1, g.top() + DropShadowSize, DropShadowSize, g.height()));
  bottom->Place(QRect(g.left() + DropShadowSize, g.bottom() + 1, g.width() - DropShadowSize, DropShadowSize));
  right->show();
  bottom->show();
  right->raise();
  bottom->raise();
}
