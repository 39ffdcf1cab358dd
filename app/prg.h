#pragma once

#include <QDialog>

namespace Ui { class TfrmPrg; }
class QLabel;
namespace platform { class ProgressBar; }

// The progress window of the resize command: the file being resized, its place in
// the batch and the rows of the target picture started. It has no behaviour of its
// own; the batch driver and the resize job set its controls and show and hide it.
class TfrmPrg : public QDialog {
    Q_OBJECT
public:
    explicit TfrmPrg(QWidget* parent = nullptr);
    ~TfrmPrg() override;

    QLabel* lblFile;
    platform::ProgressBar* pgbFileCnt;
    platform::ProgressBar* pgbChg;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    Ui::TfrmPrg* ui_;
};

extern TfrmPrg* frmPrg;
