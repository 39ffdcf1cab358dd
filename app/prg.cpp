#include "app/prg.h"

#include "platform/fonts.h"
#include "platform/placement.h"
#include "platform/progress_bar.h"
#include "platform/window_style.h"
#include "ui_prg.h"

#include <QKeyEvent>

TfrmPrg* frmPrg = nullptr;

TfrmPrg::TfrmPrg(QWidget* parent) : QDialog(parent), ui_(new Ui::TfrmPrg)
{
    ui_->setupUi(this);
    lblFile = ui_->lblFile;
    pgbFileCnt = ui_->pgbFileCnt;
    pgbChg = ui_->pgbChg;
    setFont(platform::formFont(13));
    platform::setDialogFrame(this, 297, 73);
    platform::useButtonFace(this);
    platform::setPosition(this, platform::Position::ScreenCenter);
    // Shown beside the dialog without taking the keyboard from it.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    pgbFileCnt->setFocusPolicy(Qt::NoFocus);
    pgbChg->setFocusPolicy(Qt::NoFocus);
}

TfrmPrg::~TfrmPrg() { delete ui_; }

void TfrmPrg::keyPressEvent(QKeyEvent* event)
{
    // A plain window: Escape does not close it.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
