#pragma once

#include <QMainWindow>
#include <QString>

#include <array>
#include <exception>
#include <functional>

namespace Ui { class TfrmMain; }
namespace platform { class ImageControl; }
class QObject;

// The browser window: drive, folder and file controls, the thumbnail strip,
// menu, tool bar and status line. It owns the thumbnails and the viewer windows
// and runs the resize command.
class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    Ui::TfrmMain* ui() const { return ui_; }

    // Read by the resize dialog and the batch driver.
    int thumbCount() const { return intThumbCnt; }
    platform::ImageControl* thumb(int index) const { return imgThumb[std::size_t(index)]; }
    int viewCount() const { return intViewCnt; }
    QWidget* view(int index) const { return frmView[std::size_t(index)]; }
    QString appPath() const { return strAppPath; }

    // Handlers, named after the controls and events that run them.
    void FormCreate();
    void FormDestroy();
    void FormResize();
    void splMainMoved();
    void trvDirChange();
    void lstFileClick();
    void mnuFileSClick(QObject* sender);
    void mnuFileXClick(QObject* sender);
    void mnuImgOpenClick(QObject* sender);
    void mnuImgCClick(QObject* sender);
    void mnuHelpHClick(QObject* sender);
    void mnuHelpCClick(QObject* sender);
    void mnuHelpAClick(QObject* sender);
    void tlbMainEndClick(QObject* sender);
    void tlbMainSizeClick(QObject* sender);
    void tlbMainOpenClick(QObject* sender);
    void tlbMainCloseClick(QObject* sender);
    void NewImgClick(QObject* sender);
    void AppException(QObject* sender, std::exception_ptr error);

    // Tests make FormCreate fail right after its first step with this.
    static std::function<void()> formCreateProbe;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FitPathControls();
    void ShowThumbnails();
    void destroyViews();

    Ui::TfrmMain* ui_;
    std::array<QWidget*, 100> frmView{};
    int intThumbCnt = 0;
    int intViewCnt = 0;
    QString strAppPath;
    std::array<platform::ImageControl*, 100> imgThumb{};
};

extern TfrmMain* frmMain;
