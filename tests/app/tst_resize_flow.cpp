// The resize command from the menu or the tool button over the real windows:
// the dialog asked file by file, apply-to-all, the files written, the job's
// messages and the progress window.

#include "app_test_support.h"

#include "app/main.h"
#include "app/prg.h"
#include "app/save.h"
#include "platform/directory_list_box.h"
#include "platform/image_control.h"
#include "platform/progress_bar.h"
#include "test_support.h"
#include "ui_main.h"
#include "ui_save.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>

#include <memory>
#include <stdexcept>

using namespace app_test;

namespace {

const QString kSameFolder = QStringLiteral("画像の出力先が変換元画像のフォルダと同じであるため、サイズ変更を行なえません。");
const QString kLoadFailed = QStringLiteral("の読み込みに失敗しました。");
const QString kSaveFailed = QStringLiteral("の保存に失敗しました。");

Ui::TfrmSave& dialog() { return *frmSave->ui(); }

void setRatio(const QString& percent)
{
    click(dialog().cboRitu);
    pressKey(frmSave, Qt::Key_End);
    for (int i = 0; i < 4; ++i)
        pressKey(frmSave, Qt::Key_Backspace);
    typeText(frmSave, percent);
}

void setPixels(const QString& width, const QString& height)
{
    click(dialog().rdbSitei);
    for (auto [field, text] : {std::pair{dialog().txtWidth, width}, std::pair{dialog().txtHeight, height}}) {
        click(field);
        pressKey(frmSave, Qt::Key_End);
        for (int i = 0; i < 5; ++i)
            pressKey(frmSave, Qt::Key_Backspace);
        typeText(frmSave, text);
    }
}

// What the progress window shows as each job starts its rows.
struct JobStart {
    QString file;
    int fileBar;
    int fileBarMax;
    int rowBarMax;
    bool progressShown;
    bool dialogShown;
    bool painted; // the window reached the screen with this job's label and bars
};

bool operator==(const JobStart& a, const JobStart& b)
{
    return a.file == b.file && a.fileBar == b.fileBar && a.fileBarMax == b.fileBarMax && a.rowBarMax == b.rowBarMax &&
           a.progressShown == b.progressShown && a.dialogShown == b.dialogShown && a.painted == b.painted;
}

char* toString(const JobStart& s)
{
    return QTest::toString(QStringLiteral("%1 file bar %2/%3 rows %4 progress %5 dialog %6 painted %7")
                               .arg(s.file)
                               .arg(s.fileBar)
                               .arg(s.fileBarMax)
                               .arg(s.rowBarMax)
                               .arg(s.progressShown)
                               .arg(s.dialogShown)
                               .arg(s.painted));
}

// Watches the row bar: the job sets it to 1 as it begins a picture's first row.
// The job holds the event loop, so whatever is painted meanwhile is painted at
// once; a window that the window system has not yet exposed gets no paint at all.
class JobWatcher : public QObject {
public:
    JobWatcher()
    {
        frmPrg->lblFile->installEventFilter(this);
        connection_ = QObject::connect(frmPrg->pgbChg, &QProgressBar::valueChanged, [this](int value) {
            if (value != 1)
                return;
            starts << JobStart{frmPrg->lblFile->text(), frmPrg->pgbFileCnt->position(), frmPrg->pgbFileCnt->max(),
                               frmPrg->pgbChg->max(),   frmPrg->isVisible(),             frmSave->isVisible(),
                               labelPainted_ == frmPrg->lblFile->text()};
        });
    }
    ~JobWatcher() override
    {
        QObject::disconnect(connection_);
        frmPrg->lblFile->removeEventFilter(this);
    }
    QList<JobStart> starts;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            labelPainted_ = frmPrg->lblFile->text();
        return false;
    }

private:
    QMetaObject::Connection connection_;
    QString labelPainted_;
};
} // namespace

class ResizeFlowTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void withoutThumbnailsTheCommandDoesNothing();
    void firstShowingRefusesTheSourceFolderAndStaysOpen();
    void counterAndSourceSizeFollowEachFileAndCancelWritesNothing();
    void askingEachFileWritesItAtItsOwnRatio();
    void tickAndOkOnTheFirstFileWritesAllFiveWithTheFileBarAdvancing();
    void tickAndCancelOnTheSecondFileEndsTheCommand();
    void aFileDeletedSinceItsThumbnailGetsTheLoadMessageAndTheNextIsWritten();
    void anErrorThatEscapesTheJobDoesNotEndTheCommand();
    void applyToAllScalesEachFileByItsOwnSize();
    void aSecondCommandAsksAgainWithThePreviousSettings();
    void qualityReachesTheEncoder();
    void aSaveFailureKeepsTheDialogAndTheProgressWindowOpen();
    void progressWindowIsCentredOnTheScreenOnceAndKeepsItsPlace();

private:
    void open(const QList<Photo>& photos) { QVERIFY(startWithPhotos(source_->path(), photos, windows_)); }
    void runCommand() { frmMain->ui()->mnuFileS->trigger(); }
    QString source(const QString& name) const { return source_->filePath(name); }
    QString target(const QString& name) const { return destination_->filePath(name); }
    QStringList written() const { return QDir(destination_->path()).entryList(QDir::Files, QDir::Name); }
    void chooseDestination() { dialog().trvDir->setDirectory(destination_->path()); }

    QTemporaryDir home_;
    std::unique_ptr<QTemporaryDir> source_;
    std::unique_ptr<QTemporaryDir> destination_;
    std::unique_ptr<WindowSet> windows_;
};

void ResizeFlowTest::init()
{
    removeStateIni();
    source_ = std::make_unique<QTemporaryDir>();
    destination_ = std::make_unique<QTemporaryDir>();
}

void ResizeFlowTest::cleanup()
{
    windows_.reset();
    QVERIFY(QDir::setCurrent(home_.path()));
    source_.reset();
    destination_.reset();
    removeStateIni();
}

void ResizeFlowTest::withoutThumbnailsTheCommandDoesNothing()
{
    open({});
    MessageRecorder messages;
    DialogSteps steps;
    frmSave->ui()->chkSame->setChecked(true);
    runCommand();
    frmMain->ui()->tlbMainSize->trigger();
    QCOMPARE(steps.showings(), 0);
    QVERIFY(!frmPrg->isVisible());
    QVERIFY(messages.texts.isEmpty());
    QVERIFY(frmSave->ui()->chkSame->isChecked()); // not even unticked
}

void ResizeFlowTest::firstShowingRefusesTheSourceFolderAndStaysOpen()
{
    QVERIFY(QDir(source_->path()).mkdir("out"));
    open({{"a.jpg", 40, 30}});
    MessageRecorder messages;
    bool openAfterRefusal = false;
    bool progressAfterRefusal = true;
    DialogSteps steps({[&] {
        QCOMPARE(dialog().trvDir->directory(), frmMain->ui()->trvDir->directory());
        click(dialog().cmdOK);
        openAfterRefusal = frmSave->isVisible();
        progressAfterRefusal = frmPrg->isVisible();
        // The user then enters a subfolder with a double click and tries again.
        QListWidget* list = dialog().trvDir;
        const QList<QListWidgetItem*> found = list->findItems("out", Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        const QRect row = list->visualItemRect(found.first());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
        QCOMPARE(dialog().trvDir->directory(), source("out"));
        click(dialog().cmdOK);
    }});
    runCommand();
    QCOMPARE(messages.texts, QStringList{kSameFolder});
    QVERIFY(openAfterRefusal);
    QVERIFY(!progressAfterRefusal);
    QCOMPARE(steps.showings(), 1);
    QCOMPARE(steps.unplanned(), 0);
    QCOMPARE(jpegSize(source("out/a.jpg")), QSize(40, 30));
    QCOMPARE(QDir(source_->path()).entryList(QDir::Files), QStringList{"a.jpg"});
    QVERIFY(frmSave->blnOK);
}

void ResizeFlowTest::counterAndSourceSizeFollowEachFileAndCancelWritesNothing()
{
    open({{"a.jpg", 1600, 1200}, {"b.jpg", 640, 480}, {"c.jpg", 300, 400}});
    struct Seen {
        QString counter, size, caption;
        int pictureWidth;
    };
    QList<Seen> seen;
    auto note = [&] {
        seen << Seen{dialog().lblCnt->text(), dialog().lblMotoSize->text(), frmSave->windowTitle(),
                     dialog().imgSlide->picture() ? dialog().imgSlide->picture()->width() : 0};
    };
    DialogSteps steps({[&] {
                           note();
                           chooseDestination();
                           click(dialog().cmdCancel);
                       },
                       [&] {
                           note();
                           click(dialog().cmdCancel);
                       },
                       [&] {
                           note();
                           pressKey(frmSave, Qt::Key_Return); // Cancel has the focus
                       }});
    runCommand();
    QCOMPARE(steps.showings(), 3);
    QCOMPARE(steps.unplanned(), 0);
    QCOMPARE(seen.size(), 3);
    const QStringList counters{"1/3", "2/3", "3/3"};
    const QStringList sizes{"1600×1200", "640×480", "300×400"};
    const QStringList names{"a.jpg", "b.jpg", "c.jpg"};
    const QList<int> widths{1600, 640, 300};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(seen[i].counter, counters[i]);
        QCOMPARE(seen[i].size, sizes[i]);
        QCOMPARE(seen[i].caption, source(names[i]));
        QCOMPARE(seen[i].pictureWidth, widths[i]);
    }
    QVERIFY(written().isEmpty());
    QVERIFY(!frmPrg->isVisible());
    QVERIFY(!frmSave->blnOK);
}

void ResizeFlowTest::askingEachFileWritesItAtItsOwnRatio()
{
    open({{"a.jpg", 400, 300}, {"b.jpg", 300, 400}, {"c.jpg", 123, 45}});
    JobWatcher jobs;
    QList<bool> progressShownAtShowing;
    QList<bool> progressShownAfterOk;
    auto ok = [&] {
        progressShownAtShowing << frmPrg->isVisible();
        click(dialog().cmdOK);
        progressShownAfterOk << frmPrg->isVisible();
    };
    DialogSteps steps({[&] {
                           chooseDestination();
                           setRatio("50");
                           ok();
                       },
                       ok, ok});
    runCommand();
    QCOMPARE(steps.unplanned(), 0);
    QCOMPARE(written(), QStringList({"a.jpg", "b.jpg", "c.jpg"}));
    QCOMPARE(jpegSize(target("a.jpg")), QSize(200, 150));
    QCOMPARE(jpegSize(target("b.jpg")), QSize(150, 200));
    // Halves go to the even neighbour: 61.5 gives 62 and 22.5 gives 22.
    QCOMPARE(jpegSize(target("c.jpg")), QSize(62, 22));
    // Shown by each job in front of the dialog, hidden again before the next showing.
    QCOMPARE(jobs.starts, QList<JobStart>({{"a.jpg", 1, 3, 150, true, true, true},
                                           {"b.jpg", 2, 3, 200, true, true, true},
                                           {"c.jpg", 3, 3, 22, true, true, true}}));
    QCOMPARE(progressShownAtShowing, QList<bool>({false, false, false}));
    QCOMPARE(progressShownAfterOk, QList<bool>({true, true, true}));
    QVERIFY(!frmPrg->isVisible());
    QVERIFY(frmSave->blnOK);
}

void ResizeFlowTest::tickAndOkOnTheFirstFileWritesAllFiveWithTheFileBarAdvancing()
{
    open({{"a.jpg", 40, 30}, {"b.jpg", 40, 30}, {"c.jpg", 40, 30}, {"d.jpg", 40, 30}, {"e.jpg", 40, 30}});
    JobWatcher jobs;
    MessageRecorder messages;
    DialogSteps steps({[&] {
        chooseDestination();
        click(dialog().chkSame);
        click(dialog().cmdOK);
    }});
    frmMain->ui()->tlbMainSize->trigger();
    QCOMPARE(steps.showings(), 1);
    QCOMPARE(steps.unplanned(), 0);
    QVERIFY(messages.texts.isEmpty());
    QCOMPARE(written(), QStringList({"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"}));
    QCOMPARE(jobs.starts, QList<JobStart>({{"a.jpg", 1, 5, 30, true, true, true},
                                           {"b.jpg", 2, 5, 30, true, false, true},
                                           {"c.jpg", 3, 5, 30, true, false, true},
                                           {"d.jpg", 4, 5, 30, true, false, true},
                                           {"e.jpg", 5, 5, 30, true, false, true}}));
    // Closed at the end; the last job left its name and a full row bar.
    QVERIFY(!frmPrg->isVisible());
    QCOMPARE(frmPrg->windowTitle(), QStringLiteral("サイズを変更しています…"));
    QCOMPARE(frmPrg->lblFile->text(), QStringLiteral("e.jpg"));
    QCOMPARE(frmPrg->pgbChg->position(), frmPrg->pgbChg->max());
    QCOMPARE(frmPrg->pgbFileCnt->position(), 5);
}

void ResizeFlowTest::tickAndCancelOnTheSecondFileEndsTheCommand()
{
    open({{"a.jpg", 40, 30}, {"b.jpg", 40, 30}, {"c.jpg", 40, 30}, {"d.jpg", 40, 30}, {"e.jpg", 40, 30}});
    JobWatcher jobs;
    DialogSteps steps({[&] {
                           chooseDestination();
                           click(dialog().cmdOK);
                       },
                       [&] {
                           click(dialog().chkSame);
                           click(dialog().cmdCancel);
                       }});
    runCommand();
    QCOMPARE(steps.showings(), 2);
    QCOMPARE(steps.unplanned(), 0);
    QCOMPARE(written(), QStringList{"a.jpg"});
    QCOMPARE(jobs.starts.size(), 1);
    QVERIFY(!frmPrg->isVisible());
    QVERIFY(!frmSave->blnOK);
    QCOMPARE(frmPrg->pgbFileCnt->position(), 3); // the driver reached file 3 and stopped there
}

void ResizeFlowTest::aFileDeletedSinceItsThumbnailGetsTheLoadMessageAndTheNextIsWritten()
{
    open({{"a.jpg", 40, 30}, {"b.jpg", 50, 20}, {"c.jpg", 40, 30}});
    QVERIFY(QFile::remove(source("b.jpg")));
    QStringList texts;
    struct AtMessage {
        QString file;
        int fileBar;
        int rowBar;
        bool progressShown;
    };
    QList<AtMessage> atMessage;
    const platform::MessageSink previous = platform::setMessageSink([&](const QString& text) {
        texts << text;
        atMessage << AtMessage{frmPrg->lblFile->text(), frmPrg->pgbFileCnt->position(), frmPrg->pgbChg->position(),
                               frmPrg->isVisible()};
    });
    DialogSteps steps({[&] {
        chooseDestination();
        click(dialog().chkSame);
        click(dialog().cmdOK);
    }});
    runCommand();
    platform::setMessageSink(previous);
    QCOMPARE(steps.unplanned(), 0);
    QCOMPARE(texts, QStringList{source("b.jpg") + kLoadFailed});
    // The failed load did not touch the window: the first file's name and rows,
    // with the file bar already on the second file.
    QCOMPARE(atMessage.size(), 1);
    QCOMPARE(atMessage[0].file, QStringLiteral("a.jpg"));
    QCOMPARE(atMessage[0].fileBar, 2);
    QCOMPARE(atMessage[0].rowBar, 30);
    QVERIFY(atMessage[0].progressShown);
    QCOMPARE(written(), QStringList({"a.jpg", "c.jpg"}));
    QVERIFY(!frmPrg->isVisible());
}

void ResizeFlowTest::anErrorThatEscapesTheJobDoesNotEndTheCommand()
{
    // An error leaving the OK handler in apply-to-all mode: here raised where the
    // job shows its message for the second file.
    open({{"a.jpg", 40, 30}, {"b.jpg", 40, 30}, {"c.jpg", 40, 30}});
    QVERIFY(QFile::remove(source("b.jpg")));
    int raised = 0;
    const platform::MessageSink previous = platform::setMessageSink([&](const QString&) {
        ++raised;
        throw std::runtime_error("raised inside the job");
    });
    DialogSteps steps({[&] {
        chooseDestination();
        click(dialog().chkSame);
        click(dialog().cmdOK);
    }});
    runCommand();
    platform::setMessageSink(previous);
    QCOMPARE(steps.unplanned(), 0);
    QCOMPARE(raised, 1);
    QCOMPARE(written(), QStringList({"a.jpg", "c.jpg"}));
    QVERIFY(!frmPrg->isVisible());
    QVERIFY(frmMain->isVisible());
}

void ResizeFlowTest::applyToAllScalesEachFileByItsOwnSize()
{
    open({{"a.jpg", 400, 300}, {"b.jpg", 300, 400}, {"c.jpg", 1000, 10}, {"d.jpg", 1, 1}});
    MessageRecorder messages;
    DialogSteps steps({[&] {
        chooseDestination();
        setRatio("50");
        click(dialog().chkSame);
        click(dialog().cmdOK);
    }});
    runCommand();
    QCOMPARE(steps.unplanned(), 0);
    QCOMPARE(jpegSize(target("a.jpg")), QSize(200, 150));
    QCOMPARE(jpegSize(target("b.jpg")), QSize(150, 200));
    QCOMPARE(jpegSize(target("c.jpg")), QSize(500, 5));
    // Half of one pixel rounds to 0, which the job refuses with its message.
    QVERIFY(!QFile::exists(target("d.jpg")));
    QCOMPARE(messages.texts,
             QStringList{QStringLiteral("変更後の画像の大きさが正しくないため、サイズ変更を行なえません。")});
    QVERIFY(!frmPrg->isVisible());
}

void ResizeFlowTest::aSecondCommandAsksAgainWithThePreviousSettings()
{
    open({{"a.jpg", 400, 300}, {"b.jpg", 300, 400}});
    struct Settings {
        bool ticked, ratioMode;
        QString ratio;
        int quality;
        QString destination;
    };
    Settings second{};
    DialogSteps steps({[&] {
                           chooseDestination();
                           setRatio("25");
                           dialog().scbQ->setValue(30);
                           click(dialog().chkSame);
                           click(dialog().cmdOK);
                       },
                       [&] {
                           second = {dialog().chkSame->isChecked(), dialog().rdbRitu->isChecked(),
                                     dialog().cboRitu->currentText(), dialog().scbQ->value(),
                                     dialog().trvDir->directory()};
                           // Pixel mode this time, for every file.
                           setPixels("64", "48");
                           click(dialog().chkSame);
                           click(dialog().cmdOK);
                       }});
    runCommand();
    QCOMPARE(jpegSize(target("b.jpg")), QSize(75, 100));
    runCommand();
    QCOMPARE(steps.showings(), 2);
    QCOMPARE(steps.unplanned(), 0);
    QVERIFY(!second.ticked);
    QVERIFY(second.ratioMode);
    QCOMPARE(second.ratio, QStringLiteral("25"));
    QCOMPARE(second.quality, 30);
    QCOMPARE(second.destination, destination_->path());
    QCOMPARE(jpegSize(target("a.jpg")), QSize(64, 48));
    QCOMPARE(jpegSize(target("b.jpg")), QSize(64, 48));
}

void ResizeFlowTest::qualityReachesTheEncoder()
{
    open({{"a.jpg", 64, 48}});
    QList<int> qualities;
    QList<std::vector<std::uint8_t>> files;
    auto okAt = [&](int quality) {
        return [&, quality] {
            chooseDestination();
            if (quality >= 0) {
                click(dialog().scbQ);
                pressKey(frmSave, quality == 0 ? Qt::Key_Home : Qt::Key_End);
            }
            qualities << dialog().scbQ->value();
            click(dialog().cmdOK);
        };
    };
    // 80 untouched at start, then the left end, then the right end.
    DialogSteps steps({okAt(-1), okAt(0), okAt(100)});
    for (int i = 0; i < 3; ++i) {
        runCommand();
        files << testing_support::readBytes(target("a.jpg").toStdString());
    }
    QCOMPARE(steps.unplanned(), 0);
    QCOMPARE(qualities, QList<int>({80, 0, 100}));
    for (int i = 0; i < 3; ++i) {
        const testing_support::JpegStructure jpeg = testing_support::describe(files[i]);
        const int quality = qualities[i] == 0 ? 1 : qualities[i]; // 0 counts as 1
        QCOMPARE(jpeg.tables[0], testing_support::expectedQuantTable(0, quality));
        QCOMPARE(jpeg.tables[1], testing_support::expectedQuantTable(1, quality));
    }
    QVERIFY(files[1].size() < files[0].size());
    QVERIFY(files[0].size() < files[2].size());
}

void ResizeFlowTest::aSaveFailureKeepsTheDialogAndTheProgressWindowOpen()
{
    open({{"a.jpg", 40, 30}});
    const QString gone = destination_->filePath("gone");
    QVERIFY(QDir().mkdir(gone));
    QStringList texts;
    QList<bool> progressShownAtMessage;
    const platform::MessageSink previous = platform::setMessageSink([&](const QString& text) {
        texts << text;
        progressShownAtMessage << frmPrg->isVisible();
    });
    bool stayedOpen = false;
    DialogSteps steps({[&] {
        dialog().trvDir->setDirectory(gone);
        QVERIFY(QDir().rmdir(gone)); // deleted after it was chosen
        click(dialog().cmdOK);
        stayedOpen = frmSave->isVisible();
        click(dialog().cmdCancel);
    }});
    runCommand();
    platform::setMessageSink(previous);
    QCOMPARE(steps.unplanned(), 0);
    QCOMPARE(texts, QStringList{gone + "/a.jpg" + kSaveFailed});
    QCOMPARE(progressShownAtMessage, QList<bool>{true});
    QVERIFY(stayedOpen);
    QVERIFY(!frmSave->blnOK);
    QVERIFY(!frmPrg->isVisible());
}

void ResizeFlowTest::progressWindowIsCentredOnTheScreenOnceAndKeepsItsPlace()
{
    open({{"a.jpg", 40, 30}});
    QRect firstFrame;
    QPoint secondPlace;
    DialogSteps steps({[&] {
                           chooseDestination();
                           click(dialog().cmdOK);
                           firstFrame = frmPrg->frameGeometry();
                           frmPrg->move(40, 50); // the user moves it while it is up
                       },
                       [&] {
                           click(dialog().cmdOK);
                           secondPlace = frmPrg->pos();
                       }});
    runCommand();
    runCommand();
    QCOMPARE(steps.unplanned(), 0);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCOMPARE(firstFrame.topLeft(), QPoint((screen.width() - firstFrame.width()) / 2,
                                          (screen.height() - firstFrame.height()) / 2));
    QCOMPARE(frmPrg->size(), QSize(297, 73));
    QCOMPARE(secondPlace, QPoint(40, 50));
}

ORVANE_APP_TEST_MAIN(ResizeFlowTest)
#include "tst_resize_flow.moc"
