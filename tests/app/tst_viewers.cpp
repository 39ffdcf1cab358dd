// The viewer windows: what a click and "すべて開く" make, the count of 100 that only
// "すべて閉じる" and a rebuild reset, closing that only hides, and the picture
// refitted to the window.

#include "app_test_support.h"

#include "app/main.h"
#include "platform/directory_list_box.h"
#include "platform/file_list_box.h"
#include "platform/help_viewer.h"
#include "platform/image_control.h"
#include "platform/window_style.h"
#include "ui_main.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QWindow>

using namespace app_test;
using platform::ImageControl;

namespace {

const QString kLimitText = QStringLiteral("表示できる画像は100枚までです。");
constexpr QRgb kRed = 0xD02020;

Ui::TfrmMain* ui() { return frmMain->ui(); }

ImageControl* imageOf(QWidget* view) { return view->findChild<ImageControl*>(); }

QList<QPointer<QWidget>> allViews()
{
    QList<QPointer<QWidget>> views;
    for (int i = 0; i < frmMain->viewCount(); ++i)
        views << QPointer<QWidget>(frmMain->view(i));
    return views;
}

int visibleViews()
{
    int n = 0;
    for (int i = 0; i < frmMain->viewCount(); ++i)
        n += frmMain->view(i)->isVisible() ? 1 : 0;
    return n;
}

bool close(QRgb a, QRgb b, int tolerance = 24)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance
           && qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

// Ctrl+O and Ctrl+Z reach the menu through the main window's keyboard.
void pressInMain(Qt::Key key)
{
    frmMain->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(frmMain));
    QTest::keyClick(frmMain, key, Qt::ControlModifier);
}

} // namespace

class ViewersTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        removeStateIni();
        QVERIFY(QDir::setCurrent(home_.path()));
    }

    void cleanup() { removeStateIni(); }

    void twoClicksOnAThumbnailOpenTwoWindowsCaptionedWithItsPath()
    {
        QTemporaryDir photos;
        // Qt would take "[*]" for its modified mark and drop it from the title bar.
        writeJpeg(photos.filePath("x[*].jpg"), 80, 60);
        MessageRecorder messages;
        WindowSet windows;
        showThumbnails(photos.path(), 1);
        ImageControl* thumb = frmMain->thumb(0);
        QTest::mouseClick(thumb, Qt::LeftButton, Qt::NoModifier, QPoint(80, 60));
        QTest::mouseClick(thumb, Qt::LeftButton, Qt::NoModifier, QPoint(80, 60));

        QCOMPARE(frmMain->viewCount(), 2);
        QVERIFY(frmMain->view(0) != frmMain->view(1));
        for (QWidget* view : {frmMain->view(0), frmMain->view(1)}) {
            QVERIFY(view->isWindow());
            QVERIFY(view->isVisible());
            QVERIFY(!view->isModal());
            QCOMPARE(view->size(), QSize(640, 480));
            QVERIFY(view->minimumSize() != view->maximumSize()); // sizable
            QCOMPARE(platform::caption(view), photos.filePath("x[*].jpg"));
            QCOMPARE(view->windowHandle()->title(), photos.filePath("x[*].jpg"));
            QCOMPARE(platform::helpContextOf(view), 1);
            ImageControl* image = imageOf(view);
            QCOMPARE(image->picture(), thumb->picture());
            QCOMPARE(image->geometry(), view->rect());
        }
        QVERIFY(messages.texts.isEmpty());

        // A double click makes one click; a right click none. Sent to the window, so
        // that Qt itself makes the double click of two presses, as for a user.
        QTest::mouseDClick(frmMain->windowHandle(), Qt::LeftButton, Qt::NoModifier, thumb->mapTo(frmMain, QPoint(80, 60)));
        QCOMPARE(frmMain->viewCount(), 3);
        QTest::mouseClick(thumb, Qt::RightButton, Qt::NoModifier, QPoint(80, 60));
        QCOMPARE(frmMain->viewCount(), 3);
    }

    void f1InAViewerShowsTheMainWindowsTopic()
    {
        QTemporaryDir photos;
        writeJpeg(photos.filePath("a.jpg"), 80, 60);
        MessageRecorder messages;
        WindowSet windows;
        showThumbnails(photos.path(), 1);
        frmMain->NewImgClick(frmMain->thumb(0));
        QTest::keyClick(imageOf(frmMain->view(0)), Qt::Key_F1);
        platform::HelpViewer* help = platform::HelpViewer::existing();
        QVERIFY(help);
        QCOMPARE(help->page(), platform::HelpRequest::Topic);
        QCOMPARE(help->topic(), 1);
        help->close();
    }

    void openAllStopsAtOneHundredWindowsWithOneMessage()
    {
        QTemporaryDir photos;
        makePhotos(photos.path(), 60);
        MessageRecorder messages;
        WindowSet windows;
        showThumbnails(photos.path(), 60);

        pressInMain(Qt::Key_O);
        QCOMPARE(frmMain->viewCount(), 60);
        QVERIFY(messages.texts.isEmpty());
        ui()->tlbMainOpen->trigger(); // the tool button runs the same command
        QCOMPARE(frmMain->viewCount(), 100);
        QCOMPARE(messages.texts, QStringList({kLimitText}));
        QCOMPARE(visibleViews(), 100);
        // Each run opens a new window for every thumbnail, in order.
        for (int i : {0, 59, 60, 99})
            QCOMPARE(platform::caption(frmMain->view(i)), frmMain->thumb(i % 60)->hint());
    }

    void exactlyOneHundredThumbnailsOpenWithoutAMessage()
    {
        QTemporaryDir photos;
        makePhotos(photos.path(), 100);
        MessageRecorder messages;
        WindowSet windows;
        showThumbnails(photos.path(), 100);
        messages.texts.clear(); // the strip's own limit message
        ui()->mnuImgOpen->trigger();
        QCOMPARE(frmMain->viewCount(), 100);
        QCOMPARE(platform::caption(frmMain->view(99)), frmMain->thumb(99)->hint());
        QVERIFY(messages.texts.isEmpty());
    }

    void closedWindowsOnlyHideAndStillCount()
    {
        QTemporaryDir photos;
        makePhotos(photos.path(), 1);
        MessageRecorder messages;
        WindowSet windows;
        showThumbnails(photos.path(), 1);
        for (int i = 0; i < 100; ++i)
            frmMain->NewImgClick(frmMain->thumb(0));
        const QList<QPointer<QWidget>> views = allViews();
        for (const QPointer<QWidget>& view : views)
            QVERIFY(view->close()); // what the close box does
        QCOMPARE(visibleViews(), 0);
        for (const QPointer<QWidget>& view : views)
            QVERIFY(view);
        QCOMPARE(frmMain->viewCount(), 100);
        QVERIFY(messages.texts.isEmpty());

        const int windowsBefore = QApplication::topLevelWidgets().size();
        QTest::mouseClick(frmMain->thumb(0), Qt::LeftButton, Qt::NoModifier, QPoint(80, 60));
        QCOMPARE(messages.texts, QStringList({kLimitText}));
        QCOMPARE(frmMain->viewCount(), 100);
        QCOMPARE(QApplication::topLevelWidgets().size(), windowsBefore);
    }

    void closeAllDestroysShownAndHiddenWindowsAndResetsTheCount()
    {
        QTemporaryDir photos;
        makePhotos(photos.path(), 3);
        MessageRecorder messages;
        WindowSet windows;
        showThumbnails(photos.path(), 3);
        ui()->mnuImgOpen->trigger();
        const QList<QPointer<QWidget>> views = allViews();
        views[1]->close();

        pressInMain(Qt::Key_Z);
        for (const QPointer<QWidget>& view : views)
            QVERIFY(!view);
        QCOMPARE(frmMain->viewCount(), 0);
        frmMain->NewImgClick(frmMain->thumb(2));
        QCOMPARE(frmMain->viewCount(), 1);
        QCOMPARE(platform::caption(frmMain->view(0)), frmMain->thumb(2)->hint());

        QPointer<QWidget> again = frmMain->view(0);
        ui()->tlbMainClose->trigger();
        QVERIFY(!again);
        QCOMPARE(frmMain->viewCount(), 0);
        QVERIFY(messages.texts.isEmpty());
    }

    void theCountIsResetOnlyByCloseAllAndARebuild()
    {
        QTemporaryDir photos;
        makePhotos(photos.path(), 2);
        MessageRecorder messages;
        WindowSet windows;
        showThumbnails(photos.path(), 2);
        for (int i = 0; i < 100; ++i)
            frmMain->NewImgClick(frmMain->thumb(i % 2));
        QPointer<QWidget> first = frmMain->view(0);
        selectRows(ui()->lstFile, {1});
        QVERIFY(!first);
        QCOMPARE(frmMain->viewCount(), 0);
        frmMain->NewImgClick(frmMain->thumb(0));
        QCOMPARE(frmMain->viewCount(), 1);
        QVERIFY(messages.texts.isEmpty());
    }

    void theViewerFitsThePictureToTheWindowAndRefitsOnResize_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QRect>("at640x480");
        QTest::addColumn<QRect>("at800x400");
        QTest::newRow("80 x 60 is enlarged") << QSize(80, 60) << QRect(0, 0, 640, 480) << QRect(133, 0, 533, 400);
        QTest::newRow("1600 x 1200 is reduced") << QSize(1600, 1200) << QRect(0, 0, 640, 480)
                                               << QRect(133, 0, 533, 400);
        QTest::newRow("portrait") << QSize(300, 400) << QRect(140, 0, 360, 480) << QRect(250, 0, 300, 400);
        QTest::newRow("8:5 loses a pixel") << QSize(320, 200) << QRect(0, 40, 640, 399) << QRect(80, 0, 640, 400);
    }

    void theViewerFitsThePictureToTheWindowAndRefitsOnResize()
    {
        QFETCH(QSize, picture);
        QFETCH(QRect, at640x480);
        QFETCH(QRect, at800x400);
        QTemporaryDir photos;
        writeSolidJpeg(photos.filePath("p.jpg"), picture.width(), picture.height(), kRed);
        MessageRecorder messages;
        WindowSet windows;
        showThumbnails(photos.path(), 1);
        frmMain->NewImgClick(frmMain->thumb(0));
        QWidget* view = frmMain->view(0);
        ImageControl* image = imageOf(view);
        QVERIFY(QTest::qWaitForWindowExposed(view));
        QTRY_COMPARE(image->size(), QSize(640, 480));
        QCOMPARE(image->destRect(), at640x480);
        checkDrawn(image, at640x480);

        view->resize(800, 400);
        QTRY_COMPARE(image->size(), QSize(800, 400));
        QCOMPARE(image->destRect(), at800x400);
        checkDrawn(image, at800x400);

        // Maximized: the largest rectangle of the picture's shape inside the client.
        view->showMaximized();
        QTRY_VERIFY(view->isMaximized());
        QTRY_COMPARE(image->size(), view->size());
        const QRect fitted = image->destRect();
        QVERIFY(fitted.width() == image->width() || fitted.height() == image->height());
        QVERIFY(qAbs(double(fitted.width()) / fitted.height() - double(picture.width()) / picture.height()) < 0.01);
        checkDrawn(image, fitted);
    }

    void aThumbnailWithoutPictureGivesAnEmptyWindowWithoutAMessage()
    {
        QTemporaryDir photos;
        QFile empty(photos.filePath("empty.jpg"));
        QVERIFY(empty.open(QIODevice::WriteOnly));
        empty.close();
        MessageRecorder messages;
        WindowSet windows;
        showThumbnails(photos.path(), 1);
        frmMain->NewImgClick(frmMain->thumb(0));
        QCOMPARE(frmMain->viewCount(), 1);
        QVERIFY(frmMain->view(0)->isVisible());
        QCOMPARE(imageOf(frmMain->view(0))->picture()->width(), 0);
        imageOf(frmMain->view(0))->grab();
        QVERIFY(messages.texts.isEmpty());
    }

    void viewersGoWithTheMainWindow()
    {
        QTemporaryDir photos;
        makePhotos(photos.path(), 1);
        MessageRecorder messages;
        QList<QPointer<QWidget>> views;
        {
            WindowSet windows;
            showThumbnails(photos.path(), 1);
            frmMain->NewImgClick(frmMain->thumb(0));
            frmMain->NewImgClick(frmMain->thumb(0));
            frmMain->view(1)->close();
            views = allViews();
        }
        QCOMPARE(views.size(), 2);
        for (const QPointer<QWidget>& view : views)
            QVERIFY(!view);
    }

private:
    static void makePhotos(const QString& folder, int count)
    {
        for (int i = 0; i < count; ++i)
            writeJpeg(QDir(folder).filePath(QStringLiteral("p%1.jpg").arg(i, 3, 10, QLatin1Char('0'))), 16, 12);
    }

    // Shows the main window on folder and selects its first count files.
    static void showThumbnails(const QString& folder, int count)
    {
        frmMain->show();
        QVERIFY(QTest::qWaitForWindowExposed(frmMain));
        ui()->trvDir->setDirectory(folder);
        selectRange(ui()->lstFile, 0, count - 1);
        QCOMPARE(frmMain->thumbCount(), count);
    }

    // The picture covers exactly rect once its pixels are there.
    static void checkDrawn(ImageControl* image, const QRect& rect)
    {
        QTRY_VERIFY(image->picture()->displayScale() > 0 && image->picture()->pendingScale() == 0);
        const QImage shown = image->grab().toImage();
        const QRgb background = image->palette().color(QPalette::Window).rgb();
        for (const QPoint& p : {rect.topLeft(), rect.bottomRight(), rect.center()})
            QVERIFY2(close(shown.pixel(p), kRed), qPrintable(QStringLiteral("at %1,%2").arg(p.x()).arg(p.y())));
        if (rect.left() > 0)
            QCOMPARE(shown.pixel(rect.left() - 1, rect.center().y()), background);
        if (rect.right() < image->width() - 1)
            QCOMPARE(shown.pixel(rect.right() + 1, rect.center().y()), background);
        if (rect.top() > 0)
            QCOMPARE(shown.pixel(rect.center().x(), rect.top() - 1), background);
        if (rect.bottom() < image->height() - 1)
            QCOMPARE(shown.pixel(rect.center().x(), rect.bottom() + 1), background);
    }

    QTemporaryDir home_;
};

ORVANE_APP_TEST_MAIN(ViewersTest)
#include "tst_viewers.moc"
