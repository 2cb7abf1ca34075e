#pragma once
// The skinned title strip at the top of the window (XPForm): a bold caption and a
// smaller second line under it.

#include <QWidget>
#include <string>

class QLabel;

namespace vor {

class TitleStrip : public QWidget {
    Q_OBJECT
public:
    explicit TitleStrip(QWidget* parent = nullptr);
    void setCaption(const QString& caption);
    QString caption() const;
    void setSecondLine(const QString& text);
    QString secondLine() const;

private:
    QLabel* caption_;
    QLabel* secondLine_;
};

}  // namespace vor
