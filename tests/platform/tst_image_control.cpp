// The image control and its shared picture: where each combination of the flags
// puts a picture, decoding at paint time (now, or on a worker and repainted when the
// pixels arrive), and controls and pictures that go while their decode runs.

#include "application_main.h"

#include "platform/image_control.h"
#include "platform/picture.h"
#include "test_support.h"

#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

using platform::ImageControl;
using platform::Picture;

namespace {

std::shared_ptr<Picture> makePicture(const QTemporaryDir& dir, const QString& name, int width, int height)
{
    testing_support::JpegFixture fixture;
    fixture.width = width;
    fixture.height = height;
    const QString path = dir.filePath(name);
    testing_support::writeBytes(path.toStdString(), testing_support::makeJpeg(fixture));
    return Picture::fromFile(path);
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

} // namespace

class ImageControlTest : public QObject {
    Q_OBJECT

private slots:
    void flagsPlaceThePicture_data()
    {
        QTest::addColumn<QString>("flags"); // s stretch, p proportional, c center
        QTest::addColumn<QSize>("picture"); // in a 160 x 120 control; 0 x 0 is a picture without size
        QTest::addColumn<QRect>("placed");
        QTest::newRow("none: own size, top left") << "" << QSize(1600, 1200) << QRect(0, 0, 1600, 1200);
        QTest::newRow("center alone: larger, hangs over") << "c" << QSize(1600, 1200) << QRect(-720, -540, 1600, 1200);
        QTest::newRow("center alone: smaller") << "c" << QSize(81, 61) << QRect(39, 29, 81, 61);
        QTest::newRow("stretch alone: the bounds") << "s" << QSize(80, 10) << QRect(0, 0, 160, 120);
        QTest::newRow("stretch, center") << "sc" << QSize(1200, 1600) << QRect(0, 0, 160, 120);
        QTest::newRow("proportional alone: reduced, top left") << "p" << QSize(1200, 1600) << QRect(0, 0, 90, 120);
        QTest::newRow("proportional alone: smaller kept") << "p" << QSize(80, 60) << QRect(0, 0, 80, 60);
        QTest::newRow("stretch, proportional: enlarged") << "sp" << QSize(40, 40) << QRect(0, 0, 120, 120);
        QTest::newRow("all: enlarged, centred") << "spc" << QSize(40, 40) << QRect(20, 0, 120, 120);
        QTest::newRow("all: wide") << "spc" << QSize(400, 100) << QRect(0, 40, 160, 40);
        QTest::newRow("all: no size fills") << "spc" << QSize(0, 0) << QRect(0, 0, 160, 120);
        QTest::newRow("proportional, center: no size") << "pc" << QSize(0, 0) << QRect(80, 60, 0, 0);
    }

    void flagsPlaceThePicture()
    {
        QFETCH(QString, flags);
        QFETCH(QSize, picture);
        QFETCH(QRect, placed);
        QTemporaryDir dir;
        std::shared_ptr<Picture> shown;
        if (picture.isEmpty()) {
            testing_support::writeBytes(dir.filePath("empty.jpg").toStdString(), {});
            shown = Picture::fromFile(dir.filePath("empty.jpg"));
        } else {
            shown = makePicture(dir, "p.jpg", picture.width(), picture.height());
        }
        QVERIFY(shown);
        ImageControl control;
        control.resize(160, 120);
        control.setStretch(flags.contains('s'));
        control.setProportional(flags.contains('p'));
        control.setCenter(flags.contains('c'));
        control.setPicture(shown);
        QCOMPARE(control.destRect(), placed);
    }

    void loadingTellsAPictureWithoutSizeFromAFileThatIsNone()
    {
        QTemporaryDir dir;
        testing_support::writeBytes(dir.filePath("empty.jpg").toStdString(), {});
        testing_support::writeBytes(dir.filePath("text.jpg").toStdString(), {'h', 'i'});
        const std::shared_ptr<Picture> empty = Picture::fromFile(dir.filePath("empty.jpg"));
        QVERIFY(empty);
        QCOMPARE(empty->width(), 0);
        QVERIFY(!Picture::fromFile(dir.filePath("text.jpg")));
        QVERIFY(!Picture::fromFile(dir.filePath("missing.jpg")));
    }

    void withoutBackgroundDecodingThePaintDecodesAtOnce()
    {
        QTemporaryDir dir;
        ImageControl control;
        control.resize(160, 120);
        control.setProportional(true);
        control.setPicture(makePicture(dir, "p.jpg", 1280, 960));
        control.grab();
        QCOMPARE(control.picture()->displayScale(), 1);
        QCOMPARE(control.picture()->pendingScale(), 0);
    }

    void aLargerRequestWhileADecodeRunsIsDecodedNext()
    {
        QTemporaryDir dir;
        const std::shared_ptr<Picture> picture = makePicture(dir, "p.jpg", 800, 800);
        QVERIFY(!picture->displayLater(100, 100, nullptr));
        QCOMPARE(picture->pendingScale(), 1);
        QVERIFY(!picture->displayLater(300, 300, nullptr)); // a viewer made larger meanwhile
        QCOMPARE(picture->pendingScale(), 1);
        QTRY_COMPARE(picture->displayScale(), 3);
        QCOMPARE(picture->pendingScale(), 0);
        const QImage* pixels = picture->displayLater(100, 100, nullptr);
        QVERIFY(pixels);
        QCOMPARE(pixels->size(), QSize(300, 300));
    }

    void everyControlWaitingIsRepaintedAndOneThatWentIsLeftAlone()
    {
        QTemporaryDir dir;
        const std::shared_ptr<Picture> picture = makePicture(dir, "p.jpg", 1600, 1200);
        QWidget window;
        window.resize(400, 200);
        auto* staying = new ImageControl(&window);
        auto* going = new ImageControl(&window);
        for (ImageControl* control : {staying, going}) {
            control->setProportional(true);
            control->setBackgroundDecoding(true);
            control->setPicture(picture);
        }
        staying->setGeometry(0, 0, 160, 120);
        going->setGeometry(200, 0, 160, 120);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        PaintCounter paints(staying);
        staying->repaint();
        going->repaint();
        QCOMPARE(picture->pendingScale(), 1);
        QPointer<ImageControl> gone = going;
        delete going;
        const int before = paints.count;
        QTRY_COMPARE(picture->displayScale(), 1);
        QTRY_VERIFY(paints.count > before);
        QVERIFY(!gone);
    }

    void picturesThatGoWhileTheirDecodesRunAreDroppedQuietly()
    {
        QTemporaryDir dir;
        std::vector<std::weak_ptr<Picture>> gone;
        {
            std::vector<std::shared_ptr<Picture>> pictures;
            for (int i = 0; i < 12; ++i) {
                pictures.push_back(makePicture(dir, QStringLiteral("p%1.jpg").arg(i), 1024, 768));
                QVERIFY(pictures.back());
                pictures.back()->displayLater(128, 96, nullptr);
                gone.push_back(pictures.back());
            }
        }
        for (const std::weak_ptr<Picture>& picture : gone)
            QVERIFY(picture.expired()); // the workers hold no reference to them
        QTest::qWait(300);
        // The workers are free again for the pictures that stay.
        const std::shared_ptr<Picture> later = makePicture(dir, "later.jpg", 256, 256);
        later->displayLater(32, 32, nullptr);
        QTRY_COMPARE(later->displayScale(), 1);
    }

    void aFailedDecodeIsNotTriedAgainAndShowsAFrame()
    {
        QTemporaryDir dir;
        testing_support::JpegFixture fixture;
        std::vector<std::uint8_t> bytes = testing_support::makeJpeg(fixture);
        // The frame header declares 65500 x 65500: the file loads, its decode is refused.
        for (std::size_t i = 0; i + 8 < bytes.size(); ++i)
            if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
                bytes[i + 5] = bytes[i + 7] = 0xFF;
                bytes[i + 6] = bytes[i + 8] = 0xDC;
                break;
            }
        testing_support::writeBytes(dir.filePath("bad.jpg").toStdString(), bytes);
        const std::shared_ptr<Picture> picture = Picture::fromFile(dir.filePath("bad.jpg"));
        QVERIFY(picture);
        QCOMPARE(picture->width(), 65500);
        ImageControl control;
        control.resize(64, 64);
        control.setStretch(true);
        control.setBackgroundDecoding(true);
        control.setPicture(picture);
        control.grab();
        QTRY_VERIFY(picture->decodeFailed());
        QVERIFY(!picture->displayLater(640, 640, nullptr));
        QCOMPARE(picture->pendingScale(), 0);
        const QImage box = control.grab().toImage();
        QCOMPARE(box.pixel(0, 0), control.palette().color(QPalette::Mid).rgb());
        QCOMPARE(box.pixel(32, 32), control.palette().color(QPalette::Window).rgb());
    }
};

ORVANE_APPLICATION_TEST_MAIN(ImageControlTest)
#include "tst_image_control.moc"
