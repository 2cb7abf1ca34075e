#include "wizard/StatusPictures.h"

#include <QPainter>
#include <QPixmap>

#include "session/WizardServices.h"

namespace vor {

namespace {

constexpr int PictureSize = 16;

QPixmap Canvas() {
    QPixmap pixmap(PictureSize, PictureSize);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

QPixmap Running() {
    QPixmap p = Canvas();
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QPen(QColor(40, 110, 40), 1.5));
    g.setBrush(QColor(220, 245, 220));
    g.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    g.drawLine(QPointF(8, 8), QPointF(8, 4));
    g.drawLine(QPointF(8, 8), QPointF(11, 9.5));
    return p;
}

QPixmap Info() {
    QPixmap p = Canvas();
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(30, 90, 200));
    g.drawEllipse(QRectF(1, 1, 14, 14));
    g.setBrush(Qt::white);
    g.drawEllipse(QRectF(7, 3.5, 2.2, 2.2));
    g.drawRect(QRectF(7, 6.5, 2.2, 6));
    return p;
}

QPixmap Error() {
    QPixmap p = Canvas();
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(200, 30, 30));
    g.drawEllipse(QRectF(1, 1, 14, 14));
    g.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap));
    g.drawLine(QPointF(5, 5), QPointF(11, 11));
    g.drawLine(QPointF(11, 5), QPointF(5, 11));
    return p;
}

}  // namespace

QIcon StatusPicture(int index) {
    switch (index) {
    case IconRunning: return QIcon(Running());
    case IconInfo: return QIcon(Info());
    case IconError: return QIcon(Error());
    default: return {};
    }
}

}  // namespace vor
