// Printing the agreement text.

#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <filesystem>
#include <gtest/gtest.h>

#include "platform/Printer.h"
#include "tests/wizard/WizardHarness.h"

namespace vor::test {
namespace {

void WriteAgreement(const std::filesystem::path& dir, const QByteArray& content) {
    QFile f(QString::fromStdString((dir / "RD2_EUA.prn").string()));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}

TEST(Agreement, PrintSendsTheFileLineByLineInTheWindowFont) {
    WizardHarness h;
    WriteAgreement(h.dir, "First line\r\n\r\n  indented line\nlast line without end");
    ASSERT_TRUE(h.start());
    h.button("PrintCmd")->click();  // hidden by start-up, so not by mouse
    ASSERT_EQ(h.printer.printed.size(), 1u);
    EXPECT_EQ(h.printer.printed[0], (QStringList{"First line", "", "  indented line", "last line without end"}));
    EXPECT_EQ(h.printer.family, "MS Sans Serif");
    EXPECT_TRUE(h.boxes.shown.empty());
}

TEST(Agreement, MissingFileGivesAnErrorBoxAndPrintsNothing) {
    WizardHarness h;
    ASSERT_TRUE(h.start());
    h.button("PrintCmd")->click();
    EXPECT_TRUE(h.printer.printed.empty());
    ASSERT_EQ(h.boxes.shown.size(), 1u);
    EXPECT_EQ(h.boxes.shown[0].icon, BoxIcon::Critical);
    EXPECT_NE(h.boxes.shown[0].text.find("RD2_EUA.prn"), std::string::npos);
}

TEST(Agreement, PrinterFailureGivesAnErrorBox) {
    WizardHarness h;
    WriteAgreement(h.dir, "text\n");
    h.printer.failure = "out of paper";
    ASSERT_TRUE(h.start());
    h.button("PrintCmd")->click();
    ASSERT_EQ(h.boxes.shown.size(), 1u);
    EXPECT_NE(h.boxes.shown[0].text.find("out of paper"), std::string::npos);
    EXPECT_FALSE(h.flow->ended());
}

TEST(Agreement, LongTextPrintsOnLetterPagesToAFile) {
    EnsureApplication();
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("agreement.pdf"));
    QStringList lines;
    for (int i = 0; i < 200; ++i) lines << QString("Line %1").arg(i);
    EXPECT_TRUE(PrintLines(printer, lines, "Arial").isEmpty());
    EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::Letter);
    QFile pdf(dir.filePath("agreement.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray content = pdf.readAll();
    EXPECT_TRUE(content.startsWith("%PDF"));
    EXPECT_GE(content.count("/Type /Page\n") + content.count("/Type /Page\r") + content.count("/Type /Page "), 2);
}

TEST(Agreement, UnwritablePrinterOutputIsReportedNotIgnored) {
    EnsureApplication();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName("/nonexistent-folder/agreement.pdf");
    EXPECT_FALSE(PrintLines(printer, {"text"}, "Arial").isEmpty());
}

}  // namespace
}  // namespace vor::test
