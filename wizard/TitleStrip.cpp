#include "wizard/TitleStrip.h"

#include <QLabel>
#include <QVBoxLayout>

namespace vor {

TitleStrip::TitleStrip(QWidget* parent) : QWidget(parent), caption_(new QLabel(this)), secondLine_(new QLabel(this)) {
    setAttribute(Qt::WA_StyledBackground);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 1, 8, 1);
    layout->setSpacing(0);
    QFont font(QStringLiteral("Arial"));
    font.setBold(true);
    font.setPointSize(9);
    caption_->setFont(font);
    caption_->setObjectName(QStringLiteral("XPFormCaption"));
    QFont small(QStringLiteral("Arial"));
    small.setPointSize(7);
    secondLine_->setFont(small);
    secondLine_->setObjectName(QStringLiteral("XPFormSecondLine"));
    layout->addWidget(caption_);
    layout->addWidget(secondLine_);
}

void TitleStrip::setCaption(const QString& caption) { caption_->setText(caption); }
QString TitleStrip::caption() const { return caption_->text(); }
void TitleStrip::setSecondLine(const QString& text) { secondLine_->setText(text); }
QString TitleStrip::secondLine() const { return secondLine_->text(); }

}  // namespace vor
