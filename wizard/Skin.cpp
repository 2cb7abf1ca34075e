#include "wizard/Skin.h"

#include <QWidget>

namespace vor {

namespace {

constexpr const char* SkinStyle = R"(
QWidget#MFUMain { background-color: rgb(236, 233, 216); }
QWidget#XPForm {
  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #0a5fd8, stop:0.5 #0a4ec4, stop:1 #003dad);
  border-bottom: 1px solid #002f8f;
}
QWidget#XPForm QLabel { color: white; background: transparent; }
QPushButton {
  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:0.85 #ecebe6, stop:1 #d6d0c5);
  border: 1px solid #003c74; border-radius: 3px; padding: 2px 6px; color: black;
}
QPushButton:hover { border: 1px solid #e5a000; }
QPushButton:pressed { background: #e3e1d8; }
QPushButton:disabled { color: #a19f94; border: 1px solid #c9c7ba; background: #f4f3ee; }
QGroupBox#XPFrame {
  border: 1px solid #d0d0bf; border-radius: 4px; margin-top: 8px; background: transparent;
}
QGroupBox#XPFrame::title {
  subcontrol-origin: margin; left: 8px; padding: 0 3px; color: #0046d5; font-weight: bold;
}
QTableWidget#TaskLst { background: white; gridline-color: #e0dfe3; border: 1px solid #7f9db9; }
QHeaderView::section {
  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #ebeadb);
  border: 0; border-right: 1px solid #c7c5b2; border-bottom: 2px solid #d6d2c2; padding: 2px;
}
)";

}  // namespace

void ApplySkin(QWidget* window) { window->setStyleSheet(QString::fromLatin1(SkinStyle)); }

}  // namespace vor
