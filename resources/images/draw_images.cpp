// Draws the wizard's pictures (side banner, Deep Sleep picture, window icon).
// Not part of the build; regenerate with:
//   g++ -std=c++20 -fPIC draw_images.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/draw_images
//   QT_QPA_PLATFORM=offscreen /tmp/draw_images resources/images

#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>

namespace {

void DrawWatch(QPainter& g, QPointF centre, double radius, bool screenOn, double strap = 1.9) {
    // Strap.
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(35, 35, 40));
    g.drawRoundedRect(QRectF(centre.x() - radius * 0.55, centre.y() - radius * strap, radius * 1.1, radius * 2 * strap),
                      radius * 0.2, radius * 0.2);
    // Case and bezel.
    QRadialGradient bezel(centre, radius * 1.05);
    bezel.setColorAt(0.0, QColor(210, 215, 225));
    bezel.setColorAt(1.0, QColor(90, 95, 110));
    g.setBrush(bezel);
    g.drawEllipse(centre, radius, radius);
    // Buttons: A upper left, S lower left, two on the right.
    g.setBrush(QColor(160, 165, 175));
    for (double dy : {-0.45, 0.45}) {
        g.drawRoundedRect(
            QRectF(centre.x() - radius * 1.12, centre.y() + dy * radius - radius * 0.1, radius * 0.16, radius * 0.2), 2,
            2);
        g.drawRoundedRect(
            QRectF(centre.x() + radius * 0.96, centre.y() + dy * radius - radius * 0.1, radius * 0.16, radius * 0.2), 2,
            2);
    }
    // Display.
    const double inner = radius * 0.78;
    g.setBrush(screenOn ? QColor(170, 205, 160) : QColor(45, 55, 60));
    g.drawEllipse(centre, inner, inner);
    if (screenOn) {
        g.setPen(QColor(20, 40, 20));
        QFont font(QStringLiteral("Sans"));
        font.setBold(true);
        font.setPixelSize(static_cast<int>(radius * 0.55));
        g.setFont(font);
        g.drawText(QRectF(centre.x() - inner, centre.y() - inner * 0.8, 2 * inner, inner), Qt::AlignCenter,
                   QStringLiteral("PC"));
        font.setPixelSize(static_cast<int>(radius * 0.3));
        g.setFont(font);
        g.drawText(QRectF(centre.x() - inner, centre.y(), 2 * inner, inner * 0.7), Qt::AlignCenter,
                   QStringLiteral("120"));
    }
}

// Each picture is drawn in its 96-dpi coordinates, `scale` times as large.
QImage Banner(int scale) {
    QImage img(139 * scale, 334 * scale, QImage::Format_ARGB32);
    QPainter g(&img);
    g.setRenderHint(QPainter::Antialiasing);
    g.scale(scale, scale);
    QLinearGradient sea(0, 0, 0, 334);
    sea.setColorAt(0.0, QColor(40, 150, 210));
    sea.setColorAt(0.45, QColor(10, 80, 150));
    sea.setColorAt(1.0, QColor(2, 20, 55));
    g.fillRect(QRectF(0, 0, 139, 334), sea);
    // Light rays from the surface.
    g.setPen(Qt::NoPen);
    for (int i = 0; i < 5; ++i) {
        QPainterPath ray;
        const double x = 10 + i * 28;
        ray.moveTo(x, 0);
        ray.lineTo(x + 14, 0);
        ray.lineTo(x + 40, 220);
        ray.lineTo(x + 20, 220);
        ray.closeSubpath();
        g.setBrush(QColor(255, 255, 255, 18));
        g.drawPath(ray);
    }
    // Bubbles.
    QRandomGenerator rng(7);
    g.setPen(QPen(QColor(220, 240, 255, 170), 1));
    g.setBrush(QColor(255, 255, 255, 40));
    for (int i = 0; i < 26; ++i) {
        const double r = 1.5 + rng.bounded(5.0);
        g.drawEllipse(QPointF(rng.bounded(139.0), rng.bounded(334.0)), r, r);
    }
    DrawWatch(g, QPointF(69, 215), 34, true);
    // Name.
    QFont font(QStringLiteral("Sans"));
    font.setBold(true);
    font.setPixelSize(34);
    g.setFont(font);
    g.setPen(QColor(255, 255, 255, 235));
    g.drawText(QRectF(0, 40, 139, 44), Qt::AlignCenter, QStringLiteral("VOR"));
    font.setPixelSize(12);
    font.setBold(false);
    g.setFont(font);
    g.drawText(QRectF(0, 82, 139, 20), Qt::AlignCenter, QStringLiteral("Firmware Update"));
    return img;
}

void Arrow(QPainter& g, QPointF from, QPointF to) {
    g.setPen(QPen(QColor(200, 40, 30), 3, Qt::SolidLine, Qt::RoundCap));
    g.drawLine(from, to);
    const QPointF d = (to - from) / std::hypot(to.x() - from.x(), to.y() - from.y());
    const QPointF n(-d.y(), d.x());
    QPolygonF head{to, to - d * 9 + n * 5, to - d * 9 - n * 5};
    g.setBrush(QColor(200, 40, 30));
    g.setPen(Qt::NoPen);
    g.drawPolygon(head);
}

QImage DeepSleep(int scale) {
    // The instruction text starts about 130 px down and runs over the lower part of
    // the picture, so everything is drawn in the top 120 px.
    QImage img(389 * scale, 174 * scale, QImage::Format_ARGB32);
    img.fill(QColor(236, 233, 216));
    QPainter g(&img);
    g.setRenderHint(QPainter::Antialiasing);
    g.scale(scale, scale);
    QFont font(QStringLiteral("Sans"));
    font.setBold(true);
    font.setPixelSize(14);
    // Left: sleeping DC.
    DrawWatch(g, QPointF(80, 60), 40, false, 1.45);
    g.setFont(font);
    g.setPen(QColor(60, 60, 120));
    g.drawText(QPointF(122, 26), QStringLiteral("z"));
    g.drawText(QPointF(132, 16), QStringLiteral("Z"));
    // Hold A and S.
    Arrow(g, QPointF(14, 34), QPointF(34, 42));
    Arrow(g, QPointF(14, 86), QPointF(34, 78));
    g.setPen(QColor(200, 40, 30));
    g.drawText(QPointF(4, 32), QStringLiteral("A"));
    g.drawText(QPointF(4, 102), QStringLiteral("S"));
    g.setPen(QColor(40, 40, 40));
    font.setPixelSize(12);
    font.setBold(false);
    g.setFont(font);
    g.drawText(QRectF(140, 36, 90, 36), Qt::AlignCenter, QStringLiteral("hold A + S\nabout 8 s"));
    Arrow(g, QPointF(155, 82), QPointF(222, 82));
    // Right: DC showing its PC screen.
    DrawWatch(g, QPointF(300, 60), 40, true, 1.45);
    return img;
}

QImage Icon() {
    QImage img(64, 64, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter g(&img);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(10, 80, 160));
    g.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    DrawWatch(g, QPointF(32, 32), 18, true);
    return img;
}

}  // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    // The Windows window draws the large ones on screens scaled above 100 %.
    const bool ok = Banner(1).save(dir + "/banner.png") && DeepSleep(1).save(dir + "/deepsleep.png") &&
                    Banner(2).save(dir + "/banner@2x.png") && DeepSleep(2).save(dir + "/deepsleep@2x.png") &&
                    Icon().save(dir + "/icon.png");
    return ok ? 0 : 1;
}
