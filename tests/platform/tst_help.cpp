// Help: the file format, the viewer's pages, the help commands and F1.

#include "application_main.h"

#include "platform/application.h"
#include "platform/help_viewer.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QUrl>

using namespace platform;

namespace {

const char* const fixtureText = "\xEF\xBB\xBF# a comment\r\n"
                                "@title テスト ヘルプ\r\n"
                                "text before any topic is ignored\n"
                                "@topic 1 メイン\n"
                                "@keywords ドライブ; フォルダ\n"
                                "最初の段落の一行目\n"
                                "一行目に続く行\n"
                                "\n"
                                "@heading 見出し\n"
                                "二つ目の段落 MARKER-ONE\n"
                                "@topic 2 サイズ変更\n"
                                "@keywords 倍率指定; 画質\n"
                                "保存先を選びます MARKER-TWO\n"
                                "# a comment inside a topic\n"
                                "@topic x 番号のない項目\n"
                                "skipped text\n"
                                "@topic 1 二度目の 1\n"
                                "skipped as well\n"
                                "@topic 7\n";

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QList<int> numbersOf(const QVector<const HelpTopic*>& topics)
{
    QList<int> numbers;
    for (const HelpTopic* topic : topics)
        numbers << topic->number;
    return numbers;
}

} // namespace

class HelpTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void parsesTheHelpFormat();
    void shippedHelpFileHasBothTopics();
    void helpCommandsOpenTheRightPageFromAnotherFolder_data();
    void helpCommandsOpenTheRightPageFromAnotherFolder();
    void missingHelpFileIsReportedInTheViewer_data();
    void missingHelpFileIsReportedInTheViewer();
    void unknownTopicIsReportedWithTheContents();
    void searchPageFindsTopicsByKeywordOrText();
    void contentsLinksOpenTopics();
    void f1AsksForTheNearestContext_data();
    void f1AsksForTheNearestContext();

private:
    QTemporaryDir dir_;
    QString helpFile_;
    QString startFolder_;
};

void HelpTest::initTestCase()
{
    helpFile_ = dir_.filePath("Orvane.hlp");
    writeFile(helpFile_, fixtureText);
    startFolder_ = QDir::currentPath();
}

void HelpTest::init()
{
    Application::instance().setHelpFile(helpFile_);
}

void HelpTest::cleanup()
{
    closeHelp();
    QDir::setCurrent(startFolder_);
}

void HelpTest::parsesTheHelpFormat()
{
    HelpDocument doc;
    QVERIFY(readHelpFile(helpFile_, doc));
    QCOMPARE(doc.title, QStringLiteral("テスト ヘルプ"));
    QCOMPARE(doc.topics.size(), 3); // 1, 2 and 7; the bad and the repeated number are skipped

    const HelpTopic* one = doc.topic(1);
    QVERIFY(one);
    QCOMPARE(one->title, QStringLiteral("メイン"));
    QCOMPARE(one->keywords, (QStringList{"ドライブ", "フォルダ"}));
    QCOMPARE(one->blocks.size(), 3);
    QCOMPARE(one->blocks[0].heading, false);
    QCOMPARE(one->blocks[0].text, QStringLiteral("最初の段落の一行目\n一行目に続く行"));
    QCOMPARE(one->blocks[1].heading, true);
    QCOMPARE(one->blocks[1].text, QStringLiteral("見出し"));
    QCOMPARE(one->blocks[2].text, QStringLiteral("二つ目の段落 MARKER-ONE"));

    QCOMPARE(doc.topic(2)->blocks.size(), 1); // "skipped text" did not join it
    QCOMPARE(doc.topic(2)->blocks[0].text, QStringLiteral("保存先を選びます MARKER-TWO"));
    QVERIFY(doc.topic(7));
    QCOMPARE(doc.topic(7)->title, QString());
    QVERIFY(!doc.topic(3));
}

void HelpTest::shippedHelpFileHasBothTopics()
{
    HelpDocument doc;
    QVERIFY2(readHelpFile(QStringLiteral(ORVANE_HELP_FILE), doc), ORVANE_HELP_FILE);
    QVERIFY(!doc.title.isEmpty());
    QVERIFY(doc.topic(1));
    QVERIFY(doc.topic(2));
    // What a user would look for on the search page.
    QCOMPARE(numbersOf(doc.search(QStringLiteral("サムネイル"))).contains(1), true);
    QCOMPARE(numbersOf(doc.search(QStringLiteral("画像ウィンドウ"))).contains(1), true);
    QCOMPARE(numbersOf(doc.search(QStringLiteral("倍率指定"))), QList<int>{2});
    QCOMPARE(numbersOf(doc.search(QStringLiteral("以降すべて"))), QList<int>{2});
    QCOMPARE(numbersOf(doc.search(QStringLiteral("進行状況"))).contains(2), true);
}

void HelpTest::helpCommandsOpenTheRightPageFromAnotherFolder_data()
{
    QTest::addColumn<int>("command"); // 0: helpContext(data)
    QTest::addColumn<int>("data");
    QTest::addColumn<HelpRequest>("page");
    QTest::addColumn<int>("topic");
    QTest::addColumn<QString>("shows");

    QTest::newRow("contents") << 3 << 0 << HelpRequest::Contents << 0 << "サイズ変更";
    QTest::newRow("search page") << 11 << 0 << HelpRequest::Search << 0 << "サイズ変更";
    QTest::newRow("context 1") << 0 << 1 << HelpRequest::Topic << 1 << "MARKER-ONE";
    QTest::newRow("context 2") << 0 << 2 << HelpRequest::Topic << 2 << "MARKER-TWO";
    QTest::newRow("context command") << 1 << 2 << HelpRequest::Topic << 2 << "MARKER-TWO";
}

void HelpTest::helpCommandsOpenTheRightPageFromAnotherFolder()
{
    QFETCH(int, command);
    QFETCH(int, data);
    QFETCH(HelpRequest, page);
    QFETCH(int, topic);
    QFETCH(QString, shows);

    QTemporaryDir elsewhere;
    QVERIFY(QDir::setCurrent(elsewhere.path()));
    if (command == 0)
        Application::instance().helpContext(data);
    else
        Application::instance().helpCommand(command, data);

    HelpViewer* viewer = HelpViewer::existing();
    QVERIFY(viewer);
    QVERIFY(viewer->isVisible());
    QCOMPARE(viewer->page(), page);
    QCOMPARE(viewer->topic(), topic);
    QCOMPARE(viewer->message(), QString());
    QCOMPARE(viewer->windowTitle(), QStringLiteral("テスト ヘルプ"));
    QVERIFY2(viewer->pageText().contains(shows), qPrintable(viewer->pageText()));

    // One viewer, reused by the next request.
    Application::instance().helpCommand(3, 0);
    QCOMPARE(HelpViewer::existing(), viewer);
    QCOMPARE(viewer->page(), HelpRequest::Contents);
}

void HelpTest::missingHelpFileIsReportedInTheViewer_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("data");
    QTest::newRow("contents") << 3 << 0;
    QTest::newRow("search page") << 11 << 0;
    QTest::newRow("topic") << 1 << 1;
}

void HelpTest::missingHelpFileIsReportedInTheViewer()
{
    QFETCH(int, command);
    QFETCH(int, data);
    const QString missing = dir_.filePath("none.hlp");
    Application::instance().setHelpFile(missing);
    Application::instance().helpCommand(command, data);

    HelpViewer* viewer = HelpViewer::existing();
    QVERIFY(viewer);
    const QString expected = QStringLiteral("ヘルプファイル「%1」を開けません。").arg(missing);
    QCOMPARE(viewer->message(), expected);
    QVERIFY2(viewer->pageText().contains(expected), qPrintable(viewer->pageText()));
    QCOMPARE(viewer->topic(), 0);
}

void HelpTest::unknownTopicIsReportedWithTheContents()
{
    Application::instance().helpContext(5);
    HelpViewer* viewer = HelpViewer::existing();
    QVERIFY(viewer);
    QCOMPARE(viewer->topic(), 0);
    const QString expected = QStringLiteral("ヘルプファイル「%1」にトピック 5 がありません。").arg(helpFile_);
    QCOMPARE(viewer->message(), expected);
    QVERIFY(viewer->pageText().contains(expected));
    QVERIFY(viewer->pageText().contains(QStringLiteral("サイズ変更")));
}

void HelpTest::searchPageFindsTopicsByKeywordOrText()
{
    Application::instance().helpCommand(11, 0);
    HelpViewer* viewer = HelpViewer::existing();
    QVERIFY(viewer);
    auto* query = viewer->findChild<QLineEdit*>();
    QVERIFY(query);

    struct Case {
        const char* typed;
        QStringList results;
    };
    const Case cases[] = {
        {"", {"メイン", "サイズ変更", ""}}, // every topic, 7 has no title
        {"倍率指定", {"サイズ変更"}},          // a keyword
        {"marker-one", {"メイン"}},           // text, without regard to case
        {"見出し MARKER", {"メイン"}},        // every word must be found
        {"どこにもない", {}},
    };
    for (const Case& c : cases) {
        query->setText(QString::fromUtf8(c.typed)); // keyClicks() cannot type Japanese
        const QStringList lines = viewer->pageText().split('\n');
        QCOMPARE(lines.mid(1), c.results);
    }

    // Enter opens the first topic found.
    query->setText(QStringLiteral("画質"));
    QTest::keyClick(query, Qt::Key_Return);
    QCOMPARE(viewer->page(), HelpRequest::Topic);
    QCOMPARE(viewer->topic(), 2);
}

void HelpTest::contentsLinksOpenTopics()
{
    Application::instance().helpCommand(3, 0);
    HelpViewer* viewer = HelpViewer::existing();
    auto* browser = viewer->findChild<QTextBrowser*>();
    QVERIFY(browser);
    QVERIFY(browser->toHtml().contains("topic:2"));

    emit browser->anchorClicked(QUrl("topic:2"));
    QCOMPARE(viewer->topic(), 2);
    emit browser->anchorClicked(QUrl("contents:"));
    QCOMPARE(viewer->page(), HelpRequest::Contents);
}

void HelpTest::f1AsksForTheNearestContext_data()
{
    QTest::addColumn<int>("windowContext");
    QTest::addColumn<int>("panelContext");
    QTest::addColumn<int>("editContext");
    QTest::addColumn<int>("expected"); // 0: nothing opens

    QTest::newRow("from the window") << 1 << 0 << 0 << 1;
    QTest::newRow("from a parent inside the window") << 1 << 2 << 0 << 2;
    QTest::newRow("the widget's own") << 1 << 2 << 7 << 7;
    QTest::newRow("window without a topic") << 0 << 0 << 0 << 0;
}

void HelpTest::f1AsksForTheNearestContext()
{
    QFETCH(int, windowContext);
    QFETCH(int, panelContext);
    QFETCH(int, editContext);
    QFETCH(int, expected);

    // The dialog's owner has a topic; F1 in the dialog must not reach it.
    QWidget owner;
    setHelpContext(&owner, 1);
    QDialog window(&owner);
    auto* panel = new QWidget(&window);
    auto* edit = new QLineEdit(panel);
    setHelpContext(&window, windowContext);
    setHelpContext(panel, panelContext);
    setHelpContext(edit, editContext);
    QCOMPARE(helpContextOf(edit), expected);

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_F1);

    HelpViewer* viewer = HelpViewer::existing();
    if (expected == 0) {
        QCOMPARE(viewer, nullptr);
        return;
    }
    QVERIFY(viewer);
    QCOMPARE(viewer->page(), HelpRequest::Topic);
    QCOMPARE(viewer->topic(), expected);
}

ORVANE_APPLICATION_TEST_MAIN(HelpTest)
#include "tst_help.moc"
