#include "app/about.h"

#include "platform/application.h"
#include "platform/fonts.h"
#include "platform/placement.h"
#include "platform/window_style.h"
#include "ui_about.h"

#include <QKeyEvent>

TfrmAbout* frmAbout = nullptr;

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent), ui_(new Ui::TfrmAbout)
{
    ui_->setupUi(this);
    setFont(platform::formFont(13));
    platform::setDialogFrame(this, 433, 209);
    platform::useButtonFace(this);
    platform::setPosition(this, platform::Position::ScreenCenter);

    QFont title = platform::formFont(27);
    ui_->lblTitle->setFont(title);

    // Nothing on the frame takes the focus or the mouse: OK is the only control
    // that can be reached, so Enter always presses it. (Disabling the frame would
    // grey its text.)
    for (QWidget* child : ui_->pnlMain->findChildren<QWidget*>()) {
        child->setFocusPolicy(Qt::NoFocus);
        child->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    ui_->pnlMain->setAttribute(Qt::WA_TransparentForMouseEvents);
    ui_->memWarning->setTextInteractionFlags(Qt::NoTextInteraction);
    ui_->memWarning->viewport()->setAutoFillBackground(false);
    ui_->memWarning->setStyleSheet(QStringLiteral("QPlainTextEdit { background: transparent; }"));
    ui_->cmdOK->setAutoDefault(true);
    ui_->cmdOK->setFocus();

    platform::bind(ui_->cmdOK, &QPushButton::clicked, this, [this] { cmdOKClick(); });
}

TfrmAbout::~TfrmAbout() { delete ui_; }

void TfrmAbout::cmdOKClick() { close(); }

void TfrmAbout::keyPressEvent(QKeyEvent* event)
{
    // The window has no cancel button, so Escape closes nothing.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
