#include "wizard/SaveLog.h"

#include <QFileDialog>

namespace vor {

std::string AskSaveLogPath(QWidget* owner, const std::string& caption, const std::string& suggestedPath) {
    return QFileDialog::getSaveFileName(owner, QString::fromStdString(caption), QString::fromStdString(suggestedPath),
                                        QStringLiteral("Text (*.txt);;All files (*)"))
        .toStdString();
}

}  // namespace vor
