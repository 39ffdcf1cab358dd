#include "app/save.h"

#include "app/main.h"
#include "app/prg.h"
#include "core/resize_job.h"
#include "core/size_rules.h"
#include "platform/application.h"
#include "platform/directory_list_box.h"
#include "platform/drive_combo_box.h"
#include "platform/edit_events.h"
#include "platform/fonts.h"
#include "platform/image_control.h"
#include "platform/item_height.h"
#include "platform/message.h"
#include "platform/placement.h"
#include "platform/progress_bar.h"
#include "platform/window_style.h"
#include "ui_save.h"

#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>

#include <stdexcept>

TfrmSave* frmSave = nullptr;

namespace {

// The job's messages go to the message box; its progress drives the progress window.
class DialogObserver final : public core::ResizeObserver {
public:
    void showMessage(const std::string& text) override { platform::showMessage(QString::fromStdString(text)); }

    void progressStart(const std::string& fileName, std::int32_t rowMaximum) override
    {
        frmPrg->lblFile->setText(QString::fromStdString(fileName));
        frmPrg->pgbChg->setMax(rowMaximum);
        platform::showAndWaitExposed(frmPrg);
        frmPrg->repaint();
    }

    void rowProgress(std::int32_t n) override { frmPrg->pgbChg->setPosition(n); }
};

// The integer value of a size text; a text that is not one is an error, which the
// error policy drops, so the correction stops and the text stays as it is.
int textToInt(const QString& text)
{
    const auto value = core::strToInt(text.toStdString());
    if (!value)
        throw std::invalid_argument("not an integer");
    return *value;
}

bool digitOrBackspace(QChar key) { return key == QChar(8) || (key >= QChar('0') && key <= QChar('9')); }

} // namespace

TfrmSave::TfrmSave(QWidget* parent) : QDialog(parent), ui_(new Ui::TfrmSave)
{
    ui_->setupUi(this);
    setFont(platform::formFont(13));
    platform::setDialogFrame(this, 369, 497);
    platform::useButtonFace(this);
    platform::setPosition(this, platform::Position::OwnerFormCenter, frmMain);
    platform::setHelpContext(this, 2);

    ui_->cboDrv->setDirList(ui_->trvDir);
    platform::setItemHeight(ui_->trvDir, 16);
    // The text is typed, not completed: an editable combo box would otherwise
    // complete "2" to "200" and let Enter take the completion instead of pressing OK.
    ui_->cboRitu->setCompleter(nullptr);
    platform::setItemHeight(ui_->cboRitu, 13);
    // "100" is the text, not a chosen item.
    ui_->cboRitu->setCurrentIndex(-1);
    ui_->cboRitu->setEditText(QStringLiteral("100"));
    platform::setMaxLength(ui_->cboRitu->lineEdit(), 3);
    platform::setMaxLength(ui_->txtWidth, 4);
    platform::setMaxLength(ui_->txtHeight, 4);
    ui_->imgSlide->setStretch(true);
    ui_->imgSlide->setProportional(true);
    ui_->imgSlide->setCenter(true);
    ui_->cmdOK->setAutoDefault(true);
    ui_->cmdCancel->setAutoDefault(true);
    ui_->cboDrv->setFocus();

    using platform::bind;
    bind(ui_->rdbRitu, &QRadioButton::toggled, this, [this](bool on) { if (on) rdbRituClick(); });
    bind(ui_->rdbSitei, &QRadioButton::toggled, this, [this](bool on) { if (on) rdbSiteiClick(); });
    platform::setKeyPressFilter(ui_->cboRitu, [this](QChar key) { return cboRituKeyPress(key); });
    platform::setKeyPressFilter(ui_->txtWidth, [this](QChar key) { return txtWidthKeyPress(key); });
    platform::setKeyPressFilter(ui_->txtHeight, [this](QChar key) { return txtHeightKeyPress(key); });
    platform::setExitHandler(ui_->cboRitu, [this] { cboRituExit(); });
    platform::setExitHandler(ui_->txtWidth, [this] { txtWidthExit(); });
    platform::setExitHandler(ui_->txtHeight, [this] { txtHeightExit(); });
    bind(ui_->cmdOK, &QPushButton::clicked, this, [this] { cmdOKClick(ui_->cmdOK); });
    bind(ui_->cmdCancel, &QPushButton::clicked, this, [this] { cmdCancelClick(ui_->cmdCancel); });
}

TfrmSave::~TfrmSave() { delete ui_; }

void TfrmSave::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        platform::guarded(this, [this] { FormShow(); });
}

void TfrmSave::keyPressEvent(QKeyEvent* event)
{
    // Cancel is not bound to Escape: the dialog closes only through OK or Cancel.
    if (event->key() == Qt::Key_Escape || event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmSave::RecordSourceSize()
{
    const platform::ImageControl* thumb = frmMain->thumb(intFileNo);
    const platform::Picture* picture = thumb ? thumb->picture().get() : nullptr;
    intMotoWidth = picture ? picture->width() : 0;
    intMotoHeight = picture ? picture->height() : 0;
}

void TfrmSave::FormShow()
{
    ui_->lblCnt->setText(QString::number(intFileNo + 1) + QStringLiteral("/") + QString::number(intFileCnt));
    RecordSourceSize();
    ui_->lblMotoSize->setText(QString::number(intMotoWidth) + QStringLiteral("×") + QString::number(intMotoHeight));
}

void TfrmSave::switchMode()
{
    ui_->cboRitu->setEnabled(ui_->rdbRitu->isChecked());
    ui_->txtWidth->setEnabled(ui_->rdbSitei->isChecked());
    ui_->txtHeight->setEnabled(ui_->rdbSitei->isChecked());
}

void TfrmSave::rdbRituClick() { switchMode(); }

void TfrmSave::rdbSiteiClick() { switchMode(); }

bool TfrmSave::cboRituKeyPress(QChar key) { return digitOrBackspace(key); }

bool TfrmSave::txtWidthKeyPress(QChar key) { return digitOrBackspace(key); }

bool TfrmSave::txtHeightKeyPress(QChar key) { return digitOrBackspace(key); }

void TfrmSave::cboRituExit()
{
    if (ui_->cboRitu->currentText().isEmpty())
        ui_->cboRitu->setEditText(QStringLiteral("100"));
    if (textToInt(ui_->cboRitu->currentText()) < 1)
        ui_->cboRitu->setEditText(QStringLiteral("100"));
}

void TfrmSave::txtWidthExit()
{
    if (ui_->txtWidth->text().isEmpty())
        ui_->txtWidth->setText(QString::number(intMotoWidth));
    if (textToInt(ui_->txtWidth->text()) < 1)
        ui_->txtWidth->setText(QString::number(intMotoWidth));
}

void TfrmSave::txtHeightExit()
{
    if (ui_->txtHeight->text().isEmpty())
        ui_->txtHeight->setText(QString::number(intMotoHeight));
    if (textToInt(ui_->txtHeight->text()) < 1)
        ui_->txtHeight->setText(QString::number(intMotoHeight));
}

bool TfrmSave::ChangeSize()
{
    core::ResizeRequest request;
    request.sourcePath = platform::caption(this).toStdString();
    request.destinationFolder = ui_->trvDir->directory().toStdString();
    request.sizeMode = ui_->rdbSitei->isChecked() ? core::SizeMode::pixels : core::SizeMode::ratio;
    request.ratioText = ui_->cboRitu->currentText().toStdString();
    request.widthText = ui_->txtWidth->text().toStdString();
    request.heightText = ui_->txtHeight->text().toStdString();
    request.recordedWidth = intMotoWidth;
    request.recordedHeight = intMotoHeight;
    request.quality = ui_->scbQ->value();
    DialogObserver observer;
    return core::changeSize(request, observer);
}

void TfrmSave::cmdOKClick(QObject*)
{
    if (ChangeSize()) {
        blnOK = true;
        close();
    }
}

void TfrmSave::cmdCancelClick(QObject*)
{
    blnOK = false;
    close();
}
