#pragma once

#include <QDialog>

namespace Ui { class TfrmSave; }

// The resize settings dialog, shown once per file by the resize command: the
// destination folder, the size (a percentage of the source size, or a width and a
// height in pixels) and the JPEG quality. OK resizes the current file and closes
// the dialog only when the copy was written.
class TfrmSave : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSave(QWidget* parent = nullptr);
    ~TfrmSave() override;

    Ui::TfrmSave* ui() const { return ui_; }

    // Written by the batch driver and read by the job; they keep their values
    // between files and commands.
    int intMotoWidth = 0;  // size of the current source picture
    int intMotoHeight = 0;
    int intFileCnt = 0;    // files in the running command
    int intFileNo = 0;     // zero-based index of the current file
    bool blnOK = false;    // true after an OK whose job succeeded, false after Cancel

    // Records the size of the main window's thumbnail number intFileNo.
    void RecordSourceSize();

    void FormShow();
    void rdbRituClick();
    void rdbSiteiClick();
    bool cboRituKeyPress(QChar key);
    bool txtWidthKeyPress(QChar key);
    bool txtHeightKeyPress(QChar key);
    void cboRituExit();
    void txtWidthExit();
    void txtHeightExit();
    void cmdOKClick(QObject* sender);
    void cmdCancelClick(QObject* sender);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool ChangeSize();
    void switchMode();

    Ui::TfrmSave* ui_;
};

extern TfrmSave* frmSave;
