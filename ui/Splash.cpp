#include "ui/Splash.h"

#include <QApplication>
#include <QEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QTimer>

namespace korvex {

namespace {
QPixmap splashPicture() {
    QPixmap pixmap(420, 220);
    QPainter p(&pixmap);
    QLinearGradient g(0, 0, 0, 220);
    g.setColorAt(0, QColor(20, 40, 70));
    g.setColorAt(1, QColor(5, 10, 20));
    p.fillRect(pixmap.rect(), g);
    // A stylised sweep: a few carriers above the noise floor.
    p.setPen(QPen(QColor(90, 220, 120), 2));
    QPointF last(20, 170);
    for (int x = 20; x <= 400; x += 4) {
        int y = 170 - (x * 7 % 13);
        if (x > 110 && x < 122)
            y = 90;
        if (x > 250 && x < 258)
            y = 60;
        if (x > 330 && x < 338)
            y = 120;
        const QPointF pt(x, y);
        p.drawLine(last, pt);
        last = pt;
    }
    p.setPen(Qt::white);
    QFont title(QStringLiteral("Arial"), 30, QFont::Bold);
    p.setFont(title);
    p.drawText(QRect(0, 20, 420, 50), Qt::AlignCenter, QStringLiteral("Korvex"));
    QFont sub(QStringLiteral("Arial"), 11);
    p.setFont(sub);
    p.drawText(QRect(0, 185, 420, 25), Qt::AlignCenter,
               QStringLiteral("AR8600 receiver control  v1.41"));
    return pixmap;
}
}  // namespace

CSplash::CSplash() : QSplashScreen(splashPicture()) {}

void CSplash::showFor(QWidget* mainWindow) {
    show();
    qApp->installEventFilter(this);
    QTimer::singleShot(kShowMs, this, [this, mainWindow] { finish(mainWindow); });
}

bool CSplash::eventFilter(QObject* watched, QEvent* event) {
    if (isVisible() &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::MouseButtonPress)) {
        close();
        qApp->removeEventFilter(this);
    }
    return QSplashScreen::eventFilter(watched, event);
}

}  // namespace korvex
