#include "platform/Printer.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

namespace vor {

namespace {
constexpr double LeftMarginInch = 0.5;
constexpr int FontPoints = 10;
}  // namespace

QString SystemTextPrinter::print(QWidget* owner, const QStringList& lines, const QString& fontFamily) {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, owner);
    dialog.exec();
    return PrintLines(printer, lines, fontFamily);
}

QString PrintLines(QPrinter& printer, const QStringList& lines, const QString& fontFamily) {
    printer.setPageSize(QPageSize(QPageSize::Letter));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setFullPage(true);  // coordinates from the paper's edge

    QPainter painter;
    if (!painter.begin(&printer)) return QStringLiteral("The printer could not be started.");

    QFont font(fontFamily);
    font.setPointSize(FontPoints);
    font.setBold(false);
    painter.setFont(font);

    const double dpi = printer.resolution();
    const double left = LeftMarginInch * dpi;
    const double pageHeight = printer.pageRect(QPrinter::DevicePixel).height();
    const QFontMetricsF metrics(painter.font());
    const double lineHeight = metrics.lineSpacing();

    double y = lineHeight;  // the empty first line
    for (const QString& line : lines) {
        if (y + lineHeight > pageHeight) {
            if (!printer.newPage()) {
                painter.end();
                return QStringLiteral("The printer refused a new page.");
            }
            y = 0;
        }
        painter.drawText(QPointF(left, y + metrics.ascent()), line);
        y += lineHeight;
    }
    if (!painter.end()) return QStringLiteral("The print job could not be finished.");
    return {};
}

}  // namespace vor
