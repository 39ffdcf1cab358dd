#include "platform/status_bar.h"

#include <QLabel>

namespace platform {

StatusBar::StatusBar(QWidget* parent) : QStatusBar(parent), panel_(new QLabel(this))
{
    setSizeGripEnabled(true);
    panel_->setForegroundRole(QPalette::ButtonText);
    addWidget(panel_, 1);
}

QString StatusBar::simpleText() const { return panel_->text(); }

void StatusBar::setSimpleText(const QString& text) { panel_->setText(text); }

} // namespace platform
