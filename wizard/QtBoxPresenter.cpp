#include <QMessageBox>
#include <QPushButton>

#include "wizard/BoxPresenter.h"

namespace vor {

namespace {

QMessageBox::Icon ToQt(BoxIcon icon) {
    switch (icon) {
    case BoxIcon::Critical: return QMessageBox::Critical;
    case BoxIcon::Warning: return QMessageBox::Warning;
    case BoxIcon::Information: return QMessageBox::Information;
    case BoxIcon::Question: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

BoxAnswer QtBoxPresenter::show(QWidget* owner, BoxIcon icon, BoxButtons buttons, const std::string& caption,
                               const std::string& text) {
    QMessageBox box(ToQt(icon), QString::fromStdString(caption), QString::fromStdString(text), QMessageBox::NoButton,
                    owner);
    switch (buttons) {
    case BoxButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case BoxButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case BoxButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        break;
    case BoxButtons::ProfileChoice: {
        // Neither is the default: the diver must pick one, or close the box and pick later.
        QPushButton* useSaved = box.addButton(QString::fromStdString(useSavedLabel_), QMessageBox::AcceptRole);
        QPushButton* keepDc = box.addButton(QString::fromStdString(keepDcLabel_), QMessageBox::RejectRole);
        box.addButton(QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
        box.exec();
        if (box.clickedButton() == useSaved) return BoxAnswer::UseSaved;
        if (box.clickedButton() == keepDc) return BoxAnswer::KeepDc;
        return BoxAnswer::Undecided;
    }
    }
    box.setWindowFlag(Qt::WindowStaysOnTopHint);  // the wizard is top-most; its boxes must not hide behind it
    switch (box.exec()) {
    case QMessageBox::Ok: return BoxAnswer::Ok;
    case QMessageBox::Yes: return BoxAnswer::Yes;
    case QMessageBox::No: return BoxAnswer::No;
    case QMessageBox::Cancel: return BoxAnswer::Cancel;
    default:
        return buttons == BoxButtons::YesNo ? BoxAnswer::No
                                            : (buttons == BoxButtons::Ok ? BoxAnswer::Ok : BoxAnswer::Cancel);
    }
}

}  // namespace vor
