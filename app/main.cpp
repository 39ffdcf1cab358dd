#include "app/main.h"

#include "app/about.h"
#include "app/prg.h"
#include "app/save.h"
#include "platform/application.h"
#include "platform/directory_list_box.h"
#include "platform/drive_combo_box.h"
#include "platform/file_list_box.h"
#include "platform/fonts.h"
#include "platform/image_control.h"
#include "platform/ini_file.h"
#include "platform/message.h"
#include "platform/placement.h"
#include "platform/progress_bar.h"
#include "platform/status_bar.h"
#include "platform/window_style.h"
#include "ui_main.h"
#include "ui_save.h"

#include <QGuiApplication>
#include <QMenu>
#include <QResizeEvent>
#include <QScrollBar>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

TfrmMain* frmMain = nullptr;
std::function<void()> TfrmMain::formCreateProbe;

namespace {

const QString kNoSelection = QStringLiteral("0 個の画像ファイルを選択");

// Whether any part of the rectangle lies on some screen.
bool onSomeScreen(const QRect& bounds)
{
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen->geometry().intersects(bounds))
            return true;
    return false;
}

} // namespace

TfrmMain::TfrmMain(QWidget* parent) : QMainWindow(parent), ui_(new Ui::TfrmMain)
{
    ui_->setupUi(this);
    setFont(platform::formFont(13));
    for (QMenu* menu : {ui_->mnuFile, ui_->mnuImg, ui_->mnuHelp})
        menu->setFont(platform::formFont(13));
    platform::setHelpContext(this, 1);
    platform::setHelpContext(ui_->scbGrh, 1);

    ui_->splMain->setSizes({169, 227});
    ui_->splMain->setStretchFactor(0, 0);
    ui_->splMain->setStretchFactor(1, 1);
    ui_->splMain->handle(1)->setCursor(Qt::SplitHCursor);
    ui_->stbMain->setFont(platform::formFont(13));
    ui_->stbMain->setSimpleText(kNoSelection);
    ui_->lstFile->setMask(QStringLiteral("*.jpg;*.jpeg"));
    ui_->lstFile->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ui_->cboDrv->setDirList(ui_->trvDir);
    ui_->trvDir->setFileList(ui_->lstFile);
    ui_->txtPath->setFocusPolicy(Qt::NoFocus);
    ui_->scbGrh->setBackgroundRole(QPalette::Button);

    using platform::bind;
    bind(ui_->splMain, &QSplitter::splitterMoved, this, [this](int, int) { splMainMoved(); });
    bind(ui_->trvDir, &platform::DirectoryListBox::changed, this, [this] { trvDirChange(); });
    bind(ui_->lstFile, &platform::FileListBox::clicked, this, [this] { lstFileClick(); });
    bind(ui_->mnuFileS, &QAction::triggered, this, [this] { mnuFileSClick(ui_->mnuFileS); });
    bind(ui_->mnuFileX, &QAction::triggered, this, [this] { mnuFileXClick(ui_->mnuFileX); });
    bind(ui_->mnuImgOpen, &QAction::triggered, this, [this] { mnuImgOpenClick(ui_->mnuImgOpen); });
    bind(ui_->mnuImgC, &QAction::triggered, this, [this] { mnuImgCClick(ui_->mnuImgC); });
    bind(ui_->mnuHelpH, &QAction::triggered, this, [this] { mnuHelpHClick(ui_->mnuHelpH); });
    bind(ui_->mnuHelpC, &QAction::triggered, this, [this] { mnuHelpCClick(ui_->mnuHelpC); });
    bind(ui_->mnuHelpA, &QAction::triggered, this, [this] { mnuHelpAClick(ui_->mnuHelpA); });
    bind(ui_->tlbMainEnd, &QAction::triggered, this, [this] { tlbMainEndClick(ui_->tlbMainEnd); });
    bind(ui_->tlbMainSize, &QAction::triggered, this, [this] { tlbMainSizeClick(ui_->tlbMainSize); });
    bind(ui_->tlbMainOpen, &QAction::triggered, this, [this] { tlbMainOpenClick(ui_->tlbMainOpen); });
    bind(ui_->tlbMainClose, &QAction::triggered, this, [this] { tlbMainCloseClick(ui_->tlbMainClose); });

    // The panes take their sizes from the layout only as it runs, which can be
    // after the window's own resize; the path controls follow them either way.
    ui_->pnlDrv->installEventFilter(this);
    ui_->pnlPath->installEventFilter(this);

    platform::Application::instance().setMainWindow(this);
    platform::guarded(this, [this] { FormCreate(); });
}

TfrmMain::~TfrmMain()
{
    platform::guarded(this, [this] { FormDestroy(); });
    destroyViews();
    delete ui_;
}

void TfrmMain::AppException(QObject*, std::exception_ptr) {}

void TfrmMain::FormCreate()
{
    platform::Application& application = platform::Application::instance();
    application.setOnException([this](QObject* sender, std::exception_ptr error) {
        AppException(sender, error);
    });
    if (formCreateProbe)
        formCreateProbe();
    intThumbCnt = 0;
    intViewCnt = 0;
    strAppPath = platform::Application::exeFolder();
    application.setHelpFile(strAppPath + QStringLiteral("Orvane.hlp"));

    int top, left, height, width;
    std::string folder;
    {
        const platform::IniFile ini((strAppPath + QStringLiteral("STATE.INI")).toStdString());
        top = ini.readInteger("WINDOWS", "TOP", 0);
        left = ini.readInteger("WINDOWS", "LEFT", 0);
        height = ini.readInteger("WINDOWS", "HEIGHT", minimumHeight());
        width = ini.readInteger("WINDOWS", "WIDTH", minimumWidth());
        folder = ini.readString("DIRECTORY", "DIRECTORY", ui_->trvDir->directory().toStdString());
    }

    // A place wholly off every screen (a monitor taken away since) would hide the
    // window; it opens at the top left corner instead, with the stored size.
    if (!onSomeScreen(QRect(left, top, std::max(width, minimumWidth()), std::max(height, minimumHeight())))) {
        top = 0;
        left = 0;
    }
    move(left, top);
    resize(width, height); // raised to the minimum size by the window itself

    ui_->trvDir->setDirectory(QString::fromStdString(folder));
    ui_->txtPath->setText(ui_->trvDir->directory());
}

void TfrmMain::FormDestroy()
{
    // The place and size of the window as last shown: the maximized rectangle when
    // maximized; a minimized window keeps the bounds it had before.
    const QRect bounds(pos(), size());

    platform::IniFile ini((strAppPath + QStringLiteral("STATE.INI")).toStdString());
    ini.writeInteger("WINDOWS", "TOP", bounds.top());
    ini.writeInteger("WINDOWS", "LEFT", bounds.left());
    ini.writeInteger("WINDOWS", "HEIGHT", bounds.height());
    ini.writeInteger("WINDOWS", "WIDTH", bounds.width());
    ini.writeString("DIRECTORY", "DIRECTORY", ui_->trvDir->directory().toStdString());
}

void TfrmMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    platform::guarded(this, [this] { FormResize(); });
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize && (watched == ui_->pnlDrv || watched == ui_->pnlPath))
        platform::guarded(this, [this] { FitPathControls(); });
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::FormResize() { FitPathControls(); }

void TfrmMain::splMainMoved() { FitPathControls(); }

void TfrmMain::FitPathControls()
{
    ui_->cboDrv->resize(ui_->pnlDrv->width(), ui_->cboDrv->height());
    ui_->txtPath->resize(ui_->pnlPath->width(), ui_->txtPath->height());
}

void TfrmMain::trvDirChange()
{
    ui_->txtPath->setText(ui_->trvDir->directory());
    ui_->stbMain->setSimpleText(kNoSelection);
}

void TfrmMain::mnuFileXClick(QObject*) { close(); }

void TfrmMain::mnuHelpHClick(QObject*) { platform::Application::instance().helpCommand(3, 0); }

void TfrmMain::mnuHelpCClick(QObject*) { platform::Application::instance().helpCommand(11, 0); }

void TfrmMain::mnuHelpAClick(QObject*) { frmAbout->exec(); }

void TfrmMain::tlbMainEndClick(QObject* sender) { mnuFileXClick(sender); }

void TfrmMain::tlbMainSizeClick(QObject* sender) { mnuFileSClick(sender); }

void TfrmMain::tlbMainOpenClick(QObject* sender) { mnuImgOpenClick(sender); }

void TfrmMain::tlbMainCloseClick(QObject* sender) { mnuImgCClick(sender); }

void TfrmMain::lstFileClick() { ShowThumbnails(); }

void TfrmMain::destroyViews()
{
    for (int i = 0; i < intViewCnt && i < 100; ++i) {
        delete frmView[std::size_t(i)];
        frmView[std::size_t(i)] = nullptr;
    }
}

void TfrmMain::ShowThumbnails()
{
    destroyViews();
    for (int i = 0; i < intThumbCnt && i < 100; ++i) {
        delete imgThumb[std::size_t(i)];
        imgThumb[std::size_t(i)] = nullptr;
    }
    intThumbCnt = 0;
    intViewCnt = 0;

    QWidget* strip = ui_->scbGrhContents;
    strip->resize(0, strip->height());
    ui_->scbGrh->horizontalScrollBar()->setValue(0); // a new selection starts at its first picture
    QStringList paths;
    for (int i = 0; i < ui_->lstFile->itemCount(); ++i)
        if (ui_->lstFile->isSelected(i))
            paths << ui_->trvDir->directory() + QStringLiteral("/") + ui_->lstFile->itemText(i);
    // Read in list order, the next files already being read while one is placed.
    platform::PictureReader reader(paths);
    int k = 0;
    for (int n = 0; n < reader.count(); ++n) {
        const QString& path = paths[n];
        // A file that cannot be read or is not a JPEG is left out; the walk goes on,
        // so the count and the strip hold exactly the thumbnails made.
        std::shared_ptr<platform::Picture> picture = reader.take(n);
        if (!picture)
            continue;
        auto* thumb = new platform::ImageControl(strip);
        imgThumb[std::size_t(k)] = thumb;
        thumb->setGeometry(8 + 168 * k, 8, 160, 120);
        thumb->setProportional(true);
        thumb->setCenter(true);
        thumb->setCursor(Qt::PointingHandCursor);
        thumb->setHint(path);
        platform::bind(thumb, &platform::ImageControl::clicked, this, [this, thumb] { NewImgClick(thumb); });
        // Decoded on a worker when first painted, so thumbnails out of view cost nothing.
        thumb->setBackgroundDecoding(true);
        thumb->setPicture(std::move(picture));
        thumb->show();
        ++k;
        strip->resize(168 * k, strip->height());
        if (k > 99) {
            platform::showMessage(QStringLiteral("サムネイルに表示できる画像は100枚までです。"));
            break;
        }
    }
    intThumbCnt = k;
    ui_->stbMain->setSimpleText(QString::number(k) + QStringLiteral(" 個の画像ファイルを選択"));
}

void TfrmMain::NewImgClick(QObject* sender)
{
    if (intViewCnt > 99) {
        platform::showMessage(QStringLiteral("表示できる画像は100枚までです。"));
        return;
    }
    auto* source = qobject_cast<platform::ImageControl*>(sender);
    if (!source)
        return;
    // A window of its own rather than one that stays above the main window: the
    // main window owns it (destroyViews, and its destructor), not the window system.
    auto* view = new QWidget(nullptr, Qt::Window);
    view->setAttribute(Qt::WA_QuitOnClose, false);
    frmView[std::size_t(intViewCnt)] = view;
    platform::setPosition(view, platform::Position::DefaultPosOnly);
    platform::setHelpContext(view, 1);
    view->setFont(font());
    view->setWindowIcon(windowIcon()); // a plain window shows the program's icon
    auto* image = new platform::ImageControl(view);
    image->setCenter(true);
    auto* layout = new QVBoxLayout(view); // the image fills the window and follows its size
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(image);
    image->setStretch(true);
    image->setProportional(true);
    image->setBackgroundDecoding(true);
    image->setPicture(source->picture());
    platform::setCaption(view, source->hint());
    // Given its size before showing too, so the window system places it at that size.
    view->resize(640, 480);
    view->show();
    view->resize(640, 480);
    ++intViewCnt;
}

void TfrmMain::mnuImgOpenClick(QObject*)
{
    for (int i = 0; i < intThumbCnt; ++i) {
        if (intViewCnt > 99) {
            platform::showMessage(QStringLiteral("表示できる画像は100枚までです。"));
            return;
        }
        NewImgClick(imgThumb[std::size_t(i)]);
    }
}

void TfrmMain::mnuImgCClick(QObject*)
{
    destroyViews();
    intViewCnt = 0;
}

void TfrmMain::mnuFileSClick(QObject* sender)
{
    if (intThumbCnt < 1)
        return;
    frmSave->ui()->chkSame->setChecked(false);
    const int n = intThumbCnt;
    for (int i = 0; i < n; ++i) {
        repaint();
        frmSave->intFileNo = i;
        frmSave->intFileCnt = intThumbCnt;
        frmSave->ui()->imgSlide->setPicture(imgThumb[std::size_t(i)]->picture());
        platform::setCaption(frmSave, imgThumb[std::size_t(i)]->hint());
        frmPrg->pgbFileCnt->setMax(intThumbCnt);
        frmPrg->pgbFileCnt->setPosition(i + 1);
        if (frmSave->ui()->chkSame->isChecked()) {
            frmSave->hide();
            if (!frmSave->blnOK)
                break;
            // The dialog is not shown for this file, so its size is recorded here,
            // as showing it would: ratio mode scales every file by its own size.
            frmSave->RecordSourceSize();
            // An error that escapes the job goes to the error policy, and the
            // command still goes on with the next file.
            platform::guarded(sender, [&] { frmSave->cmdOKClick(sender); });
        } else {
            frmPrg->hide();
            frmSave->exec();
        }
    }
    frmPrg->close();
}
