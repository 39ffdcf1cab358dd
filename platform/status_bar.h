#pragma once

#include <QStatusBar>

class QLabel;

namespace platform {

// A status line of one simple panel whose whole text is SimpleText.
class StatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit StatusBar(QWidget* parent = nullptr);

    QString simpleText() const;
    void setSimpleText(const QString& text);

private:
    QLabel* panel_;
};

} // namespace platform
