// The thumbnail strip: what a selection in the file list makes of it (places, sizes,
// order, the limit of 100, the status line), files that cannot be loaded or drawn,
// paths and tooltips, and when and at what scale the pictures are decoded.

#include "app_test_support.h"

#include "app/main.h"
#include "platform/directory_list_box.h"
#include "platform/file_list_box.h"
#include "platform/image_control.h"
#include "platform/status_bar.h"
#include "platform/window_style.h"
#include "test_support.h"
#include "ui_main.h"

#include <QDir>
#include <QFile>
#include <QHelpEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QToolTip>

#include <unistd.h>

using namespace app_test;
using platform::ImageControl;

namespace {

const QString kLimitText = QStringLiteral("サムネイルに表示できる画像は100枚までです。");
constexpr QRgb kRed = 0xD02020;

QString selectedText(int n) { return QString::number(n) + QStringLiteral(" 個の画像ファイルを選択"); }

Ui::TfrmMain* ui() { return frmMain->ui(); }

int rowOf(const QString& name)
{
    for (int i = 0; i < ui()->lstFile->itemCount(); ++i)
        if (ui()->lstFile->itemText(i) == name)
            return i;
    return -1;
}

// Every image control on the strip, counted or not.
QList<ImageControl*> stripControls()
{
    return ui()->scbGrhContents->findChildren<ImageControl*>(QString(), Qt::FindDirectChildrenOnly);
}

QStringList thumbHints()
{
    QStringList hints;
    for (int i = 0; i < frmMain->thumbCount(); ++i)
        hints << frmMain->thumb(i)->hint();
    return hints;
}

QList<int> thumbLefts()
{
    QList<int> lefts;
    for (int i = 0; i < frmMain->thumbCount(); ++i)
        lefts << frmMain->thumb(i)->x();
    return lefts;
}

bool close(QRgb a, QRgb b, int tolerance = 24)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance
           && qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

// A real JPEG header declaring 65500 x 65500: it loads, and its decode is refused.
void writeDeclaredHugeJpeg(const QString& path)
{
    testing_support::JpegFixture fixture;
    std::vector<std::uint8_t> bytes = testing_support::makeJpeg(fixture);
    for (std::size_t i = 0; i + 8 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
            bytes[i + 5] = bytes[i + 7] = 0xFF;
            bytes[i + 6] = bytes[i + 8] = 0xDC;
            break;
        }
    testing_support::writeBytes(path.toStdString(), bytes);
}

void writeText(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QString bigCorpus() { return QStringLiteral(ORVANE_BIG_CORPUS_DIR); }

} // namespace

class ThumbnailsTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        removeStateIni();
        QVERIFY(QDir::setCurrent(home_.path()));
    }

    void cleanup() { removeStateIni(); }

    void oneSelectedFileGivesOneThumbnailAtTheStartOfTheStrip()
    {
        QTemporaryDir photos;
        writeJpeg(photos.filePath("a.jpg"), 80, 60);
        writeJpeg(photos.filePath("b.jpg"), 80, 60);
        MessageRecorder messages;
        WindowSet windows;
        showMain();
        ui()->trvDir->setDirectory(photos.path());
        selectRows(ui()->lstFile, {0});

        QCOMPARE(frmMain->thumbCount(), 1);
        ImageControl* thumb = frmMain->thumb(0);
        QCOMPARE(thumb->parentWidget(), ui()->scbGrhContents);
        QCOMPARE(thumb->geometry(), QRect(8, 8, 160, 120));
        QCOMPARE(thumb->hint(), photos.path() + QStringLiteral("/a.jpg"));
        QCOMPARE(thumb->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(thumb->isVisible());
        QCOMPARE(ui()->scbGrhContents->width(), 168);
        QCOMPARE(ui()->stbMain->simpleText(), selectedText(1));
        QVERIFY(messages.texts.isEmpty());
    }

    void filesAreShownInListOrderWhateverTheClickOrder()
    {
        QTemporaryDir photos;
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"})
            writeJpeg(photos.filePath(name), 32, 24);
        MessageRecorder messages;
        WindowSet windows;
        showMain();
        ui()->trvDir->setDirectory(photos.path());
        selectRows(ui()->lstFile, {4, 0, 2});

        QCOMPARE(thumbHints(), QStringList({photos.filePath("a.jpg"), photos.filePath("c.jpg"),
                                            photos.filePath("e.jpg")}));
        QCOMPARE(thumbLefts(), QList<int>({8, 176, 344}));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(frmMain->thumb(i)->geometry().size(), QSize(160, 120));
        // Each click rebuilt the strip; nothing of the earlier rebuilds is left.
        QCOMPARE(stripControls().size(), 3);
        QCOMPARE(ui()->scbGrhContents->width(), 3 * 168);
        QCOMPARE(ui()->stbMain->simpleText(), selectedText(3));
    }

    void picturesAreReducedToFitTheBoxButNeverEnlarged_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QRect>("shown");
        QTest::newRow("smaller: own size, centred") << QSize(80, 60) << QRect(40, 30, 80, 60);
        QTest::newRow("4:3 larger: the whole box") << QSize(1600, 1200) << QRect(0, 0, 160, 120);
        QTest::newRow("3:4 portrait: 90 wide, centred") << QSize(1200, 1600) << QRect(35, 0, 90, 120);
        QTest::newRow("exactly the box") << QSize(160, 120) << QRect(0, 0, 160, 120);
        QTest::newRow("only wider than the box") << QSize(161, 10) << QRect(0, 55, 160, 9);
        // The ratio is stored as a double a hair above 8/5, 20/3 or below 1/3; the
        // side worked out from it in extended precision falls short and is truncated.
        QTest::newRow("8:5 loses a pixel") << QSize(320, 200) << QRect(0, 10, 160, 99);
        QTest::newRow("20:3 loses a pixel") << QSize(400, 60) << QRect(0, 48, 160, 23);
        QTest::newRow("1:3 loses a pixel") << QSize(400, 1200) << QRect(60, 0, 39, 120);
    }

    void picturesAreReducedToFitTheBoxButNeverEnlarged()
    {
        QFETCH(QSize, picture);
        QFETCH(QRect, shown);
        QTemporaryDir photos;
        writeSolidJpeg(photos.filePath("p.jpg"), picture.width(), picture.height(), kRed);
        MessageRecorder messages;
        WindowSet windows;
        showMain();
        ui()->trvDir->setDirectory(photos.path());
        selectRows(ui()->lstFile, {0});
        ImageControl* thumb = frmMain->thumb(0);
        QCOMPARE(thumb->destRect(), shown);

        // What is drawn covers exactly that rectangle.
        QTRY_VERIFY(thumb->picture()->displayScale() > 0);
        const QImage image = thumb->grab().toImage();
        const QRgb background = thumb->palette().color(QPalette::Window).rgb();
        QVERIFY(close(image.pixel(shown.center()), kRed));
        QVERIFY(close(image.pixel(shown.topLeft()), kRed));
        QVERIFY(close(image.pixel(shown.bottomRight()), kRed));
        if (shown.left() > 0)
            QCOMPARE(image.pixel(shown.left() - 1, shown.center().y()), background);
        if (shown.right() < 159)
            QCOMPARE(image.pixel(shown.right() + 1, shown.center().y()), background);
        if (shown.top() > 0)
            QCOMPARE(image.pixel(shown.center().x(), shown.top() - 1), background);
        if (shown.bottom() < 119)
            QCOMPARE(image.pixel(shown.center().x(), shown.bottom() + 1), background);
    }

    void theLimitCountsThumbnailsMade_data()
    {
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("broken"); // list index of a file that is not a JPEG, or -1
        QTest::addColumn<int>("thumbnails");
        QTest::addColumn<int>("lastFile"); // list index of the last thumbnail's file
        QTest::addColumn<int>("limitMessages");
        QTest::newRow("99") << 99 << -1 << 99 << 98 << 0;
        QTest::newRow("exactly 100: the message all the same") << 100 << -1 << 100 << 99 << 1;
        QTest::newRow("150: the first 100") << 150 << -1 << 100 << 99 << 1;
        QTest::newRow("100 with one broken") << 100 << 40 << 99 << 99 << 0;
        QTest::newRow("101 with one broken") << 101 << 40 << 100 << 100 << 1;
    }

    void theLimitCountsThumbnailsMade()
    {
        QFETCH(int, selected);
        QFETCH(int, broken);
        QFETCH(int, thumbnails);
        QFETCH(int, lastFile);
        QFETCH(int, limitMessages);
        QTemporaryDir photos;
        auto name = [](int i) { return QStringLiteral("p%1.jpg").arg(i, 3, 10, QLatin1Char('0')); };
        for (int i = 0; i < selected; ++i) {
            if (i == broken)
                writeText(photos.filePath(name(i)), "not a picture");
            else
                writeJpeg(photos.filePath(name(i)), 8, 8);
        }
        MessageRecorder messages;
        int controlsAtMessage = -1;
        platform::setMessageSink([&](const QString& text) {
            messages.texts << text;
            controlsAtMessage = stripControls().size();
        });
        WindowSet windows;
        showMain();
        ui()->trvDir->setDirectory(photos.path());
        selectRange(ui()->lstFile, 0, selected - 1);

        QCOMPARE(frmMain->thumbCount(), thumbnails);
        QCOMPARE(stripControls().size(), thumbnails);
        QCOMPARE(frmMain->thumb(thumbnails - 1)->hint(), photos.filePath(name(lastFile)));
        QCOMPARE(frmMain->thumb(thumbnails - 1)->x(), 8 + 168 * (thumbnails - 1));
        QCOMPARE(ui()->scbGrhContents->width(), 168 * thumbnails);
        QCOMPARE(ui()->stbMain->simpleText(), selectedText(thumbnails));
        QStringList expected;
        for (int i = 0; i < limitMessages; ++i)
            expected << kLimitText;
        QCOMPARE(messages.texts, expected);
        if (limitMessages)
            QCOMPARE(controlsAtMessage, 100); // right after the 100th, not at a 101st
    }

    void emptyingTheSelectionClearsTheStripAndClosesEveryViewer()
    {
        QTemporaryDir photos;
        writeJpeg(photos.filePath("a.jpg"), 40, 30);
        writeJpeg(photos.filePath("b.jpg"), 40, 30);
        MessageRecorder messages;
        WindowSet windows;
        showMain();
        ui()->trvDir->setDirectory(photos.path());
        selectRange(ui()->lstFile, 0, 1);
        frmMain->NewImgClick(frmMain->thumb(0));
        frmMain->NewImgClick(frmMain->thumb(1));
        QPointer<QWidget> shown = frmMain->view(0), hidden = frmMain->view(1);
        hidden->close();

        auto ctrlClick = [](int row) {
            QTest::mouseClick(ui()->lstFile->viewport(), Qt::LeftButton, Qt::ControlModifier,
                              ui()->lstFile->visualItemRect(ui()->lstFile->item(row)).center());
        };
        ctrlClick(0);
        QVERIFY(!shown && !hidden);
        QCOMPARE(frmMain->viewCount(), 0);
        QCOMPARE(thumbHints(), QStringList({photos.filePath("b.jpg")}));
        ctrlClick(1);
        QCOMPARE(frmMain->thumbCount(), 0);
        QCOMPARE(stripControls().size(), 0);
        QCOMPARE(ui()->scbGrhContents->width(), 0);
        QCOMPARE(ui()->stbMain->simpleText(), selectedText(0));
        QVERIFY(messages.texts.isEmpty());
    }

    void capitalisedExtensionsLoadLikeSmallOnes()
    {
        QTemporaryDir photos;
        writeSolidJpeg(photos.filePath("A.JPG"), 40, 30, kRed);
        writeSolidJpeg(photos.filePath("b.Jpeg"), 40, 30, kRed);
        writeSolidJpeg(photos.filePath("c.jpg"), 40, 30, kRed);
        MessageRecorder messages;
        WindowSet windows;
        showMain();
        ui()->trvDir->setDirectory(photos.path());
        selectRange(ui()->lstFile, 0, 2);
        QCOMPARE(thumbHints(), QStringList({photos.filePath("A.JPG"), photos.filePath("b.Jpeg"),
                                            photos.filePath("c.jpg")}));
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(frmMain->thumb(i)->picture()->width(), 40);
            QTRY_VERIFY(frmMain->thumb(i)->picture()->displayScale() > 0);
        }
    }

    void filesThatCannotBeLoadedAreSkippedAndTheWalkGoesOn()
    {
        QTemporaryDir photos;
        writeJpeg(photos.filePath("a.jpg"), 40, 30);
        writeText(photos.filePath("b.jpg"), QByteArray::fromHex("89504e470d0a1a0a0000000d49484452"));
        writeJpeg(photos.filePath("c.jpg"), 40, 30);
        writeJpeg(photos.filePath("d.jpg"), 40, 30); // removed once listed: cannot be opened
        writeText(photos.filePath("e.jpg"), "plain text");
        writeJpeg(photos.filePath("f.jpg"), 40, 30);
        const bool canLockOut = ::geteuid() != 0; // permissions do not stop root
        if (canLockOut) {
            writeJpeg(photos.filePath("g.jpg"), 40, 30);
            QFile::setPermissions(photos.filePath("g.jpg"), QFileDevice::Permissions());
        }
        MessageRecorder messages;
        WindowSet windows;
        showMain();
        ui()->trvDir->setDirectory(photos.path());
        QVERIFY(QFile::remove(photos.filePath("d.jpg")));
        selectRange(ui()->lstFile, 0, ui()->lstFile->itemCount() - 1);

        QCOMPARE(thumbHints(), QStringList({photos.filePath("a.jpg"), photos.filePath("c.jpg"),
                                            photos.filePath("f.jpg")}));
        QCOMPARE(thumbLefts(), QList<int>({8, 176, 344}));
        QCOMPARE(stripControls().size(), 3);
        QCOMPARE(ui()->stbMain->simpleText(), selectedText(3));
        QVERIFY(messages.texts.isEmpty());

        // The next rebuild leaves nothing behind either.
        selectRows(ui()->lstFile, {0});
        QCOMPARE(stripControls().size(), 1);
    }

    void filesThatLoadButDoNotDecodeShowAFramedEmptyBox_data()
    {
        QTest::addColumn<QString>("source"); // "" for one the test makes
        QTest::addColumn<QString>("name");
        QTest::newRow("zero bytes") << QString() << "empty.jpg";
        QTest::newRow("declared 65500 x 65500") << QString() << "huge.jpg";
        QTest::newRow("fatal error after a good header")
            << QStringLiteral(ORVANE_CORPUS_DIR "/corrupt-fatal-after-first-scan-progressive-196x140.jpg")
            << "fatal.jpg";
    }

    void filesThatLoadButDoNotDecodeShowAFramedEmptyBox()
    {
        QFETCH(QString, source);
        QFETCH(QString, name);
        QTemporaryDir photos;
        if (name == "empty.jpg")
            writeText(photos.filePath(name), QByteArray());
        else if (name == "huge.jpg")
            writeDeclaredHugeJpeg(photos.filePath(name));
        else if (!QFile::copy(source, photos.filePath(name)))
            QSKIP("JPEG corpus not found; test skipped");
        writeSolidJpeg(photos.filePath("ok.jpg"), 80, 60, kRed);
        MessageRecorder messages;
        WindowSet windows;
        showMain();
        ui()->trvDir->setDirectory(photos.path());
        selectRange(ui()->lstFile, 0, 1);

        QCOMPARE(frmMain->thumbCount(), 2);
        ImageControl* failing = frmMain->thumb(rowOf(name));
        ImageControl* fine = frmMain->thumb(rowOf("ok.jpg"));
        QCOMPARE(ui()->stbMain->simpleText(), selectedText(2));
        QTRY_VERIFY(fine->picture()->displayScale() > 0);
        if (name != "empty.jpg")
            QTRY_VERIFY(failing->picture()->decodeFailed());
        else
            QCOMPARE(failing->picture()->width(), 0);

        const QImage box = failing->grab().toImage();
        const QRgb frame = failing->palette().color(QPalette::Mid).rgb();
        const QRgb background = failing->palette().color(QPalette::Window).rgb();
        for (const QPoint& corner : {QPoint(0, 0), QPoint(159, 0), QPoint(0, 119), QPoint(159, 119), QPoint(80, 0)})
            QCOMPARE(box.pixel(corner), frame);
        QCOMPARE(box.pixel(80, 60), background);
        QCOMPARE(box.pixel(1, 1), background);
        // A picture that draws has no frame.
        QCOMPARE(fine->grab().toImage().pixel(0, 0), background);
        QVERIFY(messages.texts.isEmpty());
    }

    void aFileInTheRootFolderHasTwoSeparatorsInItsPath()
    {
        const QString name = QStringLiteral("orvane-thumbnail-test-%1.jpg").arg(QCoreApplication::applicationPid());
        const QString path = QStringLiteral("/") + name;
        {
            QFile probe(path);
            if (!probe.open(QIODevice::WriteOnly))
                QSKIP("cannot write into /; the root folder's path is not tested");
        }
        struct Remove {
            QString path;
            ~Remove() { QFile::remove(path); }
        } remove{path};
        writeJpeg(path, 40, 30);
        MessageRecorder messages;
        WindowSet windows;
        showMain();
        ui()->trvDir->setDirectory(QStringLiteral("/"));
        QCOMPARE(ui()->trvDir->directory(), QStringLiteral("/"));
        const int row = rowOf(name);
        QVERIFY(row >= 0);
        selectRows(ui()->lstFile, {row});
        QCOMPARE(frmMain->thumbCount(), 1);
        QCOMPARE(frmMain->thumb(0)->hint(), QStringLiteral("//") + name);
        QCOMPARE(frmMain->thumb(0)->picture()->width(), 40);
        frmMain->NewImgClick(frmMain->thumb(0));
        QCOMPARE(platform::caption(frmMain->view(0)), QStringLiteral("//") + name);
    }

    void aFolderChangeKeepsTheThumbnailsAndTheViewers()
    {
        QTemporaryDir photos, elsewhere;
        writeJpeg(photos.filePath("a.jpg"), 40, 30);
        writeJpeg(photos.filePath("b.jpg"), 40, 30);
        writeJpeg(elsewhere.filePath("z.jpg"), 40, 30);
        MessageRecorder messages;
        WindowSet windows;
        showMain();
        ui()->trvDir->setDirectory(photos.path());
        selectRange(ui()->lstFile, 0, 1);
        frmMain->NewImgClick(frmMain->thumb(0));
        QPointer<QWidget> viewer = frmMain->view(0);

        ui()->trvDir->setDirectory(elsewhere.path());
        QCOMPARE(ui()->lstFile->itemCount(), 1);
        QCOMPARE(ui()->lstFile->selectedItems().size(), 0);
        QCOMPARE(ui()->stbMain->simpleText(), selectedText(0));
        QCOMPARE(thumbHints(), QStringList({photos.filePath("a.jpg"), photos.filePath("b.jpg")}));
        QVERIFY(viewer && viewer->isVisible());
        QCOMPARE(frmMain->viewCount(), 1);
        // "すべて開く" still works on the earlier selection.
        ui()->mnuImgOpen->trigger();
        QCOMPARE(frmMain->viewCount(), 3);
        QCOMPARE(platform::caption(frmMain->view(2)), photos.filePath("b.jpg"));
    }

    void thumbnailsShowTheirPathAsTooltipAndTheStripItsOwnElsewhere()
    {
        QTemporaryDir photos;
        // Looks like markup; the tooltip must still show it as written.
        const QString markup = QStringLiteral("<b>bold.jpg");
        writeJpeg(photos.filePath("a.jpg"), 40, 30);
        writeJpeg(photos.filePath(markup), 40, 30);
        MessageRecorder messages;
        WindowSet windows;
        showMain();
        ui()->trvDir->setDirectory(photos.path());
        selectRange(ui()->lstFile, 0, 1);
        QCOMPARE(thumbHints(), QStringList({photos.filePath(markup), photos.filePath("a.jpg")}));

        auto tooltipAt = [](QWidget* widget, const QPoint& pos) {
            QToolTip::hideText();
            QHelpEvent event(QEvent::ToolTip, pos, widget->mapToGlobal(pos));
            QApplication::sendEvent(widget, &event);
            QTextDocument shown;
            shown.setHtml(QToolTip::text());
            return Qt::mightBeRichText(QToolTip::text()) ? shown.toPlainText() : QToolTip::text();
        };
        QCOMPARE(tooltipAt(frmMain->thumb(1), QPoint(80, 60)), photos.filePath("a.jpg"));
        QVERIFY(Qt::mightBeRichText(photos.filePath(markup)));
        QCOMPARE(tooltipAt(frmMain->thumb(0), QPoint(80, 60)), photos.filePath(markup));
        // Between two thumbnails the strip's own tooltip shows.
        QCOMPARE(tooltipAt(ui()->scbGrhContents, QPoint(172, 60)),
                 QStringLiteral("画像をクリックすると、別ウィンドウに大きく表示されます"));
        QToolTip::hideText();
    }

    void picturesAreDecodedWhenFirstPaintedAndNotWhileOutOfView()
    {
        QTemporaryDir photos;
        for (int i = 0; i < 12; ++i)
            writeJpeg(photos.filePath(QStringLiteral("p%1.jpg").arg(i, 2, 10, QLatin1Char('0'))), 320, 240);
        MessageRecorder messages;
        WindowSet windows;
        showMain();
        ui()->trvDir->setDirectory(photos.path());
        ui()->lstFile->selectAll(); // the program's own change: no rebuild yet
        frmMain->lstFileClick();
        for (int i = 0; i < 12; ++i) {
            QCOMPARE(frmMain->thumb(i)->picture()->displayScale(), 0);
            QCOMPARE(frmMain->thumb(i)->picture()->pendingScale(), 0);
        }
        ImageControl* first = frmMain->thumb(0);
        ImageControl* last = frmMain->thumb(11);
        QTRY_COMPARE(first->picture()->displayScale(), 4); // 160 x 120 of 320 x 240 is 4/8
        QTest::qWait(100);
        QCOMPARE(last->picture()->displayScale(), 0);
        QCOMPARE(last->picture()->pendingScale(), 0);

        QScrollBar* bar = ui()->scbGrh->horizontalScrollBar();
        bar->setValue(bar->maximum());
        QTRY_COMPARE(last->picture()->displayScale(), 4);
    }

    void largePhotosAreDecodedAtTheSmallestScaleThatFills_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QRect>("thumbnail");
        QTest::addColumn<int>("thumbnailScale");
        QTest::addColumn<int>("viewerScale");  // 640 x 480
        QTest::addColumn<int>("largerScale");  // 1600 x 1200, a maximized window on a large screen
        QTest::newRow("12 MP 4:3") << "big-camera-olympus-ep3-12mp-4032x3024.jpg" << QRect(0, 0, 160, 120) << 1 << 2
                                   << 4;
        QTest::newRow("9 MP wide") << "big-camera-nokia-9mp-4608x1976.jpg" << QRect(0, 26, 160, 68) << 1 << 2 << 3;
        QTest::newRow("36 MP square") << "big-black-36mp-6000x6000.jpg" << QRect(20, 0, 120, 120) << 1 << 1 << 2;
        QTest::newRow("20 MP progressive") << "big-photo-20mp-progressive-6028x3391.jpg" << QRect(0, 15, 160, 90)
                                           << 1 << 1 << 3;
    }

    void largePhotosAreDecodedAtTheSmallestScaleThatFills()
    {
        QFETCH(QString, file);
        QFETCH(QRect, thumbnail);
        QFETCH(int, thumbnailScale);
        QFETCH(int, viewerScale);
        QFETCH(int, largerScale);
        QTemporaryDir photos;
        if (!QFile::copy(bigCorpus() + QStringLiteral("/") + file, photos.filePath("photo.jpg")))
            QSKIP("large photos not found at " ORVANE_BIG_CORPUS_DIR "; test skipped");
        MessageRecorder messages;
        WindowSet windows;
        showMain();
        ui()->trvDir->setDirectory(photos.path());
        selectRows(ui()->lstFile, {0});
        ImageControl* thumb = frmMain->thumb(0);
        std::shared_ptr<platform::Picture> picture = thumb->picture();
        QCOMPARE(thumb->destRect(), thumbnail);
        QTRY_COMPARE(picture->displayScale(), thumbnailScale);
        QCOMPARE(picture->pendingScale(), 0);

        // The viewer shares the picture: the file is not read again (it is gone) and
        // the one decode, made larger, serves both.
        QVERIFY(QFile::remove(photos.filePath("photo.jpg")));
        frmMain->NewImgClick(thumb);
        auto* image = frmMain->view(0)->findChild<ImageControl*>();
        QCOMPARE(image->picture().get(), picture.get());
        QCOMPARE(frmMain->view(0)->size(), QSize(640, 480));
        QTRY_COMPARE(picture->displayScale(), viewerScale);
        QTRY_COMPARE(picture->pendingScale(), 0);

        frmMain->view(0)->resize(1600, 1200);
        QTRY_COMPARE(image->size(), QSize(1600, 1200));
        QTRY_COMPARE(picture->displayScale(), largerScale);
        QVERIFY(!picture->decodeFailed());
        // The thumbnail keeps drawing, now from the larger pixels.
        QVERIFY(thumb->grab().toImage().pixel(thumbnail.center()) != thumb->palette().color(QPalette::Window).rgb());
        QVERIFY(messages.texts.isEmpty());
    }

private:
    static void showMain()
    {
        frmMain->show();
        QVERIFY(QTest::qWaitForWindowExposed(frmMain));
    }

    QTemporaryDir home_;
};

ORVANE_APP_TEST_MAIN(ThumbnailsTest)
#include "tst_thumbnails.moc"
