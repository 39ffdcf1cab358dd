// The browser window: start-up and exit with STATE.INI, the path controls, the
// error policy in FormCreate, help, tool buttons and the about box.

#include "app_test_support.h"

#include "app/about.h"
#include "app/main.h"
#include "app/save.h"
#include "platform/directory_list_box.h"
#include "platform/drive_combo_box.h"
#include "platform/help_viewer.h"
#include "platform/status_bar.h"
#include "ui_about.h"
#include "ui_main.h"
#include "ui_save.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QSplitter>
#include <QSplitterHandle>
#include <QTemporaryDir>

using namespace app_test;

namespace {

void writeStateIni(const QString& text)
{
    QFile file(stateIni());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
}

QString stateFor(const QString& top, const QString& left, const QString& height, const QString& width,
                 const QString& folder)
{
    return QStringLiteral("[WINDOWS]\nTOP=%1\nLEFT=%2\nHEIGHT=%3\nWIDTH=%4\n[DIRECTORY]\nDIRECTORY=%5\n")
        .arg(top, left, height, width, folder);
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        removeStateIni();
        QVERIFY(QDir::setCurrent(home_.path()));
        TfrmMain::formCreateProbe = nullptr;
    }

    void cleanup()
    {
        TfrmMain::formCreateProbe = nullptr;
        removeStateIni();
    }

    void firstRunOpensAtTheCornerAndWritesFiveKeysInOrder()
    {
        {
            WindowSet windows;
            QCOMPARE(frmMain->pos(), QPoint(0, 0));
            QCOMPARE(frmMain->size(), QSize(400, 300));
            QCOMPARE(frmMain->ui()->trvDir->directory(), home_.path());
            QCOMPARE(frmMain->ui()->txtPath->text(), home_.path());
            QCOMPARE(frmMain->ui()->stbMain->simpleText(), QStringLiteral("0 個の画像ファイルを選択"));
            QCOMPARE(frmMain->windowTitle(), QStringLiteral("Orvane"));
            QCOMPARE(platform::Application::instance().helpFile(), exeFolder() + QStringLiteral("Orvane.hlp"));
            // The dialog's destination list starts on the folder the main window restored.
            QCOMPARE(frmSave->ui()->trvDir->directory(), home_.path());
        }
        QCOMPARE(readStateIni(), stateFor("0", "0", "300", "400", home_.path()));
    }

    void storedStateIsRestoredAndCorrected_data()
    {
        QTest::addColumn<QString>("ini");
        QTest::addColumn<QPoint>("position");
        QTest::addColumn<QSize>("size");
        QTest::newRow("as stored") << stateFor("40", "30", "350", "500", "") << QPoint(30, 40) << QSize(500, 350);
        QTest::newRow("below the minimum") << stateFor("0", "0", "100", "100", "") << QPoint(0, 0) << QSize(400, 300);
        QTest::newRow("letters and hexadecimal")
            << stateFor("abc", "0x20", "$14A", "0X1F4", "") << QPoint(32, 0) << QSize(500, 330);
        QTest::newRow("dollar hexadecimal") << stateFor("$20", "$20", "300", "400", "") << QPoint(32, 32)
                                            << QSize(400, 300);
        QTest::newRow("negative but touching the screen")
            << stateFor("-20", "-100", "300", "400", "") << QPoint(-100, -20) << QSize(400, 300);
        QTest::newRow("wholly off every screen")
            << stateFor("-5000", "20000", "320", "410", "") << QPoint(0, 0) << QSize(410, 320);
    }

    void storedStateIsRestoredAndCorrected()
    {
        QFETCH(QString, ini);
        QFETCH(QPoint, position);
        QFETCH(QSize, size);
        writeStateIni(ini);
        WindowSet windows;
        QCOMPARE(frmMain->pos(), position);
        QCOMPARE(frmMain->size(), size);
    }

    void storedFolderIsEnteredAndBecomesTheWorkingFolder()
    {
        QTemporaryDir photos;
        writeStateIni(stateFor("0", "0", "300", "400", photos.path()));
        WindowSet windows;
        QCOMPARE(frmMain->ui()->trvDir->directory(), photos.path());
        QCOMPARE(frmMain->ui()->txtPath->text(), photos.path());
        QCOMPARE(QDir::currentPath(), photos.path());
        QCOMPARE(frmSave->ui()->trvDir->directory(), photos.path());
    }

    void deletedFolderFallsBackToTheWorkingFolderAndIsForgotten()
    {
        QString gone;
        {
            QTemporaryDir photos;
            gone = photos.path();
        }
        writeStateIni(stateFor("0", "0", "300", "400", gone));
        {
            WindowSet windows;
            QCOMPARE(frmMain->ui()->trvDir->directory(), home_.path());
            QCOMPARE(frmMain->ui()->txtPath->text(), home_.path());
        }
        QCOMPARE(readStateIni(), stateFor("0", "0", "300", "400", home_.path()));
    }

    void maximizedWindowStoresItsMaximizedRectangle()
    {
        QRect maximized;
        {
            WindowSet windows;
            frmMain->showMaximized();
            QVERIFY(QTest::qWaitForWindowExposed(frmMain));
            QTRY_VERIFY(frmMain->isMaximized());
            maximized = QRect(frmMain->pos(), frmMain->size());
            QVERIFY(maximized.width() > 400);
        }
        QCOMPARE(readStateIni(), stateFor(QString::number(maximized.top()), QString::number(maximized.left()),
                                          QString::number(maximized.height()), QString::number(maximized.width()),
                                          home_.path()));
        WindowSet again;
        QVERIFY(!frmMain->isMaximized());
        QCOMPARE(frmMain->size(), maximized.size());
    }

    void anErrorInFormCreateAfterItsFirstStepLeavesTheWindowUsable()
    {
        MessageRecorder messages;
        TfrmMain::formCreateProbe = [] { throw std::runtime_error("failed while starting"); };
        WindowSet windows;
        QVERIFY(platform::Application::instance().hasOnException());
        frmMain->show();
        QVERIFY(QTest::qWaitForWindowExposed(frmMain));
        QVERIFY(messages.texts.isEmpty());
        // The rest of FormCreate did not run; the window still works.
        frmMain->ui()->mnuImgC->trigger();
        QVERIFY(frmMain->isVisible());
    }

    void pathControlsSpanTheirPanesAfterResizeAndSplitterDrag()
    {
        WindowSet windows;
        frmMain->show();
        QVERIFY(QTest::qWaitForWindowExposed(frmMain));
        frmMain->resize(700, 400);
        QTRY_COMPARE(frmMain->ui()->txtPath->width(), frmMain->ui()->pnlPath->width());
        QCOMPARE(frmMain->ui()->cboDrv->width(), frmMain->ui()->pnlDrv->width());

        const int before = frmMain->ui()->pnlDrv->width();
        QSplitterHandle* handle = frmMain->ui()->splMain->handle(1);
        const QPoint grip = handle->rect().center();
        QTest::mousePress(handle, Qt::LeftButton, Qt::NoModifier, grip);
        QTest::mouseMove(handle, grip + QPoint(60, 0));
        // Only a line follows the mouse while dragging.
        QCOMPARE(frmMain->ui()->pnlDrv->width(), before);
        QTest::mouseRelease(handle, Qt::LeftButton, Qt::NoModifier, grip + QPoint(60, 0));
        QTRY_COMPARE(frmMain->ui()->pnlDrv->width(), before + 60);
        QCOMPARE(frmMain->ui()->cboDrv->width(), frmMain->ui()->pnlDrv->width());
        QCOMPARE(frmMain->ui()->txtPath->width(), frmMain->ui()->pnlPath->width());
    }

    void pathDisplayCannotTakeTheFocus()
    {
        WindowSet windows;
        frmMain->show();
        QVERIFY(QTest::qWaitForWindowExposed(frmMain));
        frmMain->ui()->txtPath->setFocus();
        QVERIFY(!frmMain->ui()->txtPath->hasFocus());
    }

    void folderChangeUpdatesPathAndStatusLine()
    {
        QTemporaryDir photos;
        WindowSet windows;
        frmMain->ui()->stbMain->setSimpleText(QStringLiteral("3 個の画像ファイルを選択"));
        frmMain->ui()->trvDir->setDirectory(photos.path());
        QCOMPARE(frmMain->ui()->txtPath->text(), photos.path());
        QCOMPARE(frmMain->ui()->stbMain->simpleText(), QStringLiteral("0 個の画像ファイルを選択"));
    }

    void menusHaveTheirShortcutsAndToolButtonsTheirCommands()
    {
        WindowSet windows;
        QCOMPARE(frmMain->ui()->mnuImgOpen->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
        QCOMPARE(frmMain->ui()->mnuImgC->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
        frmMain->show();
        QVERIFY(QTest::qWaitForWindowExposed(frmMain));
        frmMain->ui()->tlbMainEnd->trigger();
        QVERIFY(!frmMain->isVisible());
    }

    void helpCommandsFindTheFileBesideTheExecutable()
    {
        QTemporaryDir elsewhere;
        WindowSet windows;
        QVERIFY(QDir::setCurrent(elsewhere.path()));
        frmMain->ui()->mnuHelpH->trigger();
        platform::HelpViewer* viewer = platform::HelpViewer::existing();
        QVERIFY(viewer);
        QCOMPARE(viewer->page(), platform::HelpRequest::Contents);
        QVERIFY(viewer->message().isEmpty());
        frmMain->ui()->mnuHelpC->trigger();
        QCOMPARE(viewer->page(), platform::HelpRequest::Search);
        QVERIFY(viewer->message().isEmpty());
        viewer->close();
    }

    void aboutBoxClosesOnEnterAndIgnoresEscape()
    {
        WindowSet windows;
        bool stayedOpenOnEscape = false;
        whenShown([] { return static_cast<QWidget*>(frmAbout); }, [&](QWidget* about) {
            QCOMPARE(about->windowTitle(), QStringLiteral("Orvane のバージョン情報"));
            QCOMPARE(frmAbout->ui()->lblVersion->text(), QStringLiteral("Version 1.1.0"));
            QTest::keyClick(about, Qt::Key_Escape);
            stayedOpenOnEscape = about->isVisible();
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : about, Qt::Key_Return);
        });
        frmMain->ui()->mnuHelpA->trigger(); // returns once the box is closed
        QVERIFY(stayedOpenOnEscape);
        QVERIFY(!frmAbout->isVisible());
        QCOMPARE(frmAbout->size(), QSize(433, 209));
    }

private:
    QTemporaryDir home_;
};

ORVANE_APP_TEST_MAIN(MainWindowTest)
#include "tst_main_window.moc"
