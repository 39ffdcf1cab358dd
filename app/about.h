#pragma once

#include <QDialog>

namespace Ui { class TfrmAbout; }

// The version window: icon, title, version and a short notice. Shown modally;
// OK (or Enter) closes it, Escape does nothing.
class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget* parent = nullptr);
    ~TfrmAbout() override;

    Ui::TfrmAbout* ui() const { return ui_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void cmdOKClick();

    Ui::TfrmAbout* ui_;
};

extern TfrmAbout* frmAbout;
