// The window's controls with their geometry, captions and build-time states.

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "flow/WindowTexts.h"
#include "wizard/MFUMain.h"
#include "wizard/Twips.h"
#include "wizard/TitleStrip.h"

namespace vor {

namespace {

const QColor FormBackground(236, 233, 216);

QFont ControlFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    return font;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, QRect geometry) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setFont(ControlFont());
    button->setAutoDefault(false);
    button->hide();
    return button;
}

}  // namespace

void MFUMain::buildControls() {
    setObjectName(QStringLiteral("MFUMain"));
    setFixedSize(TwipsToPixels(controls::Client.width), TwipsToPixels(controls::Client.height));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_StyledBackground);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, FormBackground);
    setPalette(palette);
    setAutoFillBackground(true);
    setFont(ControlFont());
    setWindowIcon(QIcon(QStringLiteral(":/images/icon.png")));

    xpForm_ = new TitleStrip(this);
    xpForm_->setObjectName(QStringLiteral("XPForm"));
    xpForm_->setGeometry(TwipsRect(controls::XPForm));
    xpForm_->setCaption(QString::fromLatin1(WindowTexts::BuiltInCaption));

    image1_ = new QLabel(this);
    image1_->setObjectName(QStringLiteral("Image1"));
    image1_->setGeometry(TwipsRect(controls::Image1));
    image1_->setPixmap(QPixmap(QStringLiteral(":/images/banner.png")));
    image1_->setScaledContents(true);

    xpFrame_ = new QGroupBox(this);
    xpFrame_->setObjectName(QStringLiteral("XPFrame"));
    xpFrame_->setGeometry(TwipsRect(controls::XPFrame));
    xpFrame_->setFont(ControlFont());

    lbl1_ = new QLabel(xpFrame_);
    lbl1_->setObjectName(QStringLiteral("Lbl1"));
    lbl1_->setGeometry(TwipsRect(controls::Lbl1));
    lbl1_->setFont(ControlFont());
    lbl1_->setTextFormat(Qt::PlainText);
    lbl1_->setWordWrap(true);
    lbl1_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    image2_ = new QLabel(xpFrame_);
    image2_->setObjectName(QStringLiteral("Image2"));
    image2_->setGeometry(TwipsRect(controls::Image2));
    image2_->setPixmap(QPixmap(QStringLiteral(":/images/deepsleep.png")));
    image2_->setScaledContents(true);
    image2_->hide();
    image2_->stackUnder(lbl1_);  // the text stays readable where it runs over the picture

    taskLst_ = new TaskList(this);
    taskLst_->setObjectName(QStringLiteral("TaskLst"));
    taskLst_->setGeometry(TwipsRect(controls::TaskLst));
    taskLst_->setFont(ControlFont());
    taskLst_->hide();
    saveLogAct_ = new QAction(QStringLiteral("Save log..."), taskLst_);
    saveLogAct_->setObjectName(QStringLiteral("SaveLogAction"));
    taskLst_->addAction(saveLogAct_);
    taskLst_->setContextMenuPolicy(Qt::CustomContextMenu);

    printCmd_ = MakeButton(this, "PrintCmd", "Print", TwipsRect(controls::PrintCmd));
    backCmd_ = MakeButton(this, "BackCmd", "Back", TwipsRect(controls::BackCmd));
    backCmd_->setEnabled(false);
    nextCmd_ = MakeButton(this, "NextCmd", "Next", TwipsRect(controls::NextCmd));
    closeCmd_ = MakeButton(this, "CloseCmd", "Close", TwipsRect(controls::CloseCmd));
    agreeCmd_ = MakeButton(this, "AgreeCmd", "I agree and want to proceed to the firmware update",
                           TwipsRect(controls::AgreeCmd));
    disagreeCmd_ = MakeButton(this, "DisagreeCmd", "I do not agree", TwipsRect(controls::DisagreeCmd));

    connect(nextCmd_, &QPushButton::clicked, this, &MFUMain::NextCmd_Click);
    connect(backCmd_, &QPushButton::clicked, this, &MFUMain::BackCmd_Click);
    connect(closeCmd_, &QPushButton::clicked, this, &MFUMain::CloseCmd_Click);
    connect(printCmd_, &QPushButton::clicked, this, &MFUMain::PrintCmd_Click);
    // AgreeCmd does nothing: the agreement page only asks to print or to disagree.
    connect(disagreeCmd_, &QPushButton::clicked, this, &MFUMain::DisagreeCmd_Click);
    connect(saveLogAct_, &QAction::triggered, this, &MFUMain::SaveLogCmd_Click);
    connect(taskLst_, &QWidget::customContextMenuRequested, this, &MFUMain::TaskLstMenu);
}

}  // namespace vor
