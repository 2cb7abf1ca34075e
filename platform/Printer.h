#pragma once
// Printing of a plain text on Letter paper: 10 pt, not bold, each line half an inch
// from the left edge, an empty line first, a new page when one is full.

#include <QString>
#include <QStringList>

class QPrinter;
class QWidget;

namespace vor {

class TextPrinter {
public:
    virtual ~TextPrinter() = default;
    // Empty on success, otherwise why the text could not be printed.
    virtual QString print(QWidget* owner, const QStringList& lines, const QString& fontFamily) = 0;
};

// The system printer, chosen in the printer-selection dialog. The dialog's outcome
// is not examined: a cancelled dialog prints on the default printer.
class SystemTextPrinter : public TextPrinter {
public:
    QString print(QWidget* owner, const QStringList& lines, const QString& fontFamily) override;
};

// Lays the lines out on `printer` (already chosen) and ends the job.
QString PrintLines(QPrinter& printer, const QStringList& lines, const QString& fontFamily);

}  // namespace vor
