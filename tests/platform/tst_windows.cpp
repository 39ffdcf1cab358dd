// How windows look and where they go: placement at the first showing, the
// message box, and the form font.

#include "application_main.h"

#include "platform/application.h"
#include "platform/fonts.h"
#include "platform/message.h"
#include "platform/placement.h"

#include <QDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

using namespace platform;

class WindowsTest : public QObject {
    Q_OBJECT

private slots:
    void screenCentring_data();
    void screenCentring();
    void ownerCentring_data();
    void ownerCentring();

    void screenCenterAppliesAtTheFirstShowingOnly();
    void ownerFormCenterCentresOverTheOwnerOrTheMainWindow();
    void messageBoxIsPlainModalAndCentred();
    void formFontFindsAJapaneseGothic();
};

void WindowsTest::screenCentring_data()
{
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QPoint>("expected");

    QTest::newRow("even differences") << QRect(0, 0, 800, 600) << QSize(300, 200) << QPoint(250, 200);
    QTest::newRow("odd differences round toward zero") << QRect(0, 0, 801, 601) << QSize(300, 200) << QPoint(250, 200);
    QTest::newRow("wider than the screen") << QRect(0, 0, 800, 600) << QSize(803, 200) << QPoint(0, 200);
    QTest::newRow("higher than the screen") << QRect(0, 0, 800, 600) << QSize(300, 1000) << QPoint(250, 0);
    QTest::newRow("second screen") << QRect(1024, 0, 1280, 1024) << QSize(400, 300) << QPoint(1464, 362);
}

void WindowsTest::screenCentring()
{
    QFETCH(QRect, screen);
    QFETCH(QSize, window);
    QFETCH(QPoint, expected);
    QCOMPARE(screenCentredPosition(screen, window), expected);
}

void WindowsTest::ownerCentring_data()
{
    QTest::addColumn<QRect>("owner");
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QPoint>("expected");

    QTest::newRow("inside the owner") << QRect(100, 50, 400, 300) << QSize(200, 100) << QPoint(200, 150);
    QTest::newRow("odd difference") << QRect(100, 50, 401, 301) << QSize(200, 100) << QPoint(200, 150);
    // -3 / 2 is -1 toward zero; rounding down would give -2.
    QTest::newRow("negative half toward zero") << QRect(10, 10, 397, 297) << QSize(400, 300) << QPoint(9, 9);
    QTest::newRow("clamped at the left and top") << QRect(0, 0, 200, 100) << QSize(400, 300) << QPoint(0, 0);
    QTest::newRow("owner off the screen") << QRect(-500, -20, 400, 300) << QSize(200, 100) << QPoint(0, 80);
}

void WindowsTest::ownerCentring()
{
    QFETCH(QRect, owner);
    QFETCH(QSize, window);
    QFETCH(QPoint, expected);
    QCOMPARE(ownerCentredPosition(owner, window), expected);
}

void WindowsTest::screenCenterAppliesAtTheFirstShowingOnly()
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QWidget window;
    window.resize(301, 201);
    setPosition(&window, Position::ScreenCenter);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // Outer size: the offscreen platform gives windows a frame too.
    const QSize outer = window.frameGeometry().size();
    QCOMPARE(window.frameGeometry().topLeft(), QPoint(screen.x() + (screen.width() - outer.width()) / 2,
                                                      screen.y() + (screen.height() - outer.height()) / 2));

    window.hide();
    window.move(7, 9);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.frameGeometry().topLeft(), QPoint(7, 9));
}

void WindowsTest::ownerFormCenterCentresOverTheOwnerOrTheMainWindow()
{
    QWidget owner;
    owner.setGeometry(100, 80, 400, 300);
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    const QRect frame = owner.frameGeometry();
    auto expectedFor = [&](const QSize& size) {
        return QPoint(frame.x() + (frame.width() - size.width()) / 2, frame.y() + (frame.height() - size.height()) / 2);
    };

    // A dialog would centre itself over its parent; a window of its own has no parent to go by.
    QDialog dialog;
    dialog.setFixedSize(200, 100);
    setPosition(&dialog, Position::OwnerFormCenter, &owner);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.frameGeometry().topLeft(), expectedFor(dialog.frameGeometry().size()));

    Application::instance().setMainWindow(&owner);
    QWidget noOwner;
    noOwner.resize(120, 60);
    setPosition(&noOwner, Position::OwnerFormCenter);
    noOwner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&noOwner));
    Application::instance().setMainWindow(nullptr);
    QCOMPARE(noOwner.frameGeometry().topLeft(), expectedFor(noOwner.frameGeometry().size()));
}

void WindowsTest::messageBoxIsPlainModalAndCentred()
{
    struct Seen {
        bool found = false;
        QString title, text;
        QMessageBox::Icon icon = QMessageBox::Information;
        QStringList buttons;
        Qt::WindowModality modality = Qt::NonModal;
        QPoint position, centred;
    } seen;

    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen.found = true;
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        for (QAbstractButton* b : box->buttons())
            seen.buttons << b->text();
        seen.modality = box->windowModality();
        seen.position = box->frameGeometry().topLeft();
        seen.centred = screenCentredPosition(box->screen()->geometry(), box->frameGeometry().size());
        box->buttons().value(0)->click();
    });
    showMessage(QStringLiteral("画像を保存できません。"));

    QVERIFY(seen.found);
    QCOMPARE(seen.title, QStringLiteral("Orvane"));
    QCOMPARE(seen.text, QStringLiteral("画像を保存できません。"));
    QCOMPARE(seen.icon, QMessageBox::NoIcon);
    QCOMPARE(seen.buttons, QStringList{"OK"});
    QCOMPARE(seen.modality, Qt::ApplicationModal);
    QCOMPARE(seen.position, seen.centred);

    // A sink takes the texts in place of the box.
    QStringList recorded;
    const MessageSink before = setMessageSink([&](const QString& text) { recorded << text; });
    showMessage(QStringLiteral("一"));
    setMessageSink(before);
    QCOMPARE(recorded, QStringList{"一"});
    QCOMPARE(QApplication::topLevelWidgets().count(), 0);
}

void WindowsTest::formFontFindsAJapaneseGothic()
{
    if (!QFontDatabase::families().contains(QStringLiteral("IPAGothic")))
        QSKIP("IPAGothic is not installed (Debian package fonts-ipafont-gothic)");
    QCOMPARE(formFontFamily(), QStringLiteral("ＭＳ ゴシック"));
    QCOMPARE(QFont::substitutes(formFontFamily()).value(0).toLower(), QStringLiteral("ipagothic"));

    const QFont font = formFont(13);
    QCOMPARE(font.family(), formFontFamily());
    QCOMPARE(font.pixelSize(), 13);
    const QFontInfo info(font);
    QCOMPARE(info.family(), QStringLiteral("IPAGothic"));
    QCOMPARE(info.pixelSize(), 13);
}

ORVANE_APPLICATION_TEST_MAIN(WindowsTest)
#include "tst_windows.moc"
