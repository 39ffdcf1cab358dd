// The help viewer and its file format.
//
// A help file is UTF-8 text read line by line (a byte order mark and "\r\n"
// line ends are accepted):
//
//   @title TEXT          the title of the file, shown as the window title;
//                        once, before the first topic
//   @topic N TITLE       opens topic N (a context number above 0) titled TITLE;
//                        the topic runs to the next @topic line
//   @keywords A; B; C    words the search page finds the current topic by;
//                        may be repeated
//   @heading TEXT        a heading inside the current topic
//   # ...                a comment, ignored
//
// Every other line is text of the current topic. Blank lines separate
// paragraphs; a line break inside a paragraph is kept as it is written. Text
// before the first topic is ignored. A topic whose number is not a positive
// integer, or repeats an earlier one, is skipped to its end. The contents page
// lists the topics in file order.

#include "platform/help_viewer.h"

#include "platform/fonts.h"
#include "platform/placement.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

namespace platform {

namespace {

QPointer<HelpViewer> theViewer;

// The text after a directive, or nothing when the line is not that directive.
std::optional<QString> directive(const QString& line, QLatin1String name)
{
    if (!line.startsWith(name))
        return std::nullopt;
    if (line.size() > name.size() && !line.at(name.size()).isSpace())
        return std::nullopt;
    return line.mid(name.size()).trimmed();
}

QString topicText(const HelpTopic& topic)
{
    QStringList parts{topic.title, topic.keywords.join(QLatin1Char('\n'))};
    for (const HelpBlock& block : topic.blocks)
        parts << block.text;
    return parts.join(QLatin1Char('\n'));
}

QString escaped(const QString& text)
{
    return text.toHtmlEscaped().replace(QLatin1Char('\n'), QLatin1String("<br>"));
}

QString topicLink(const HelpTopic& topic)
{
    return QStringLiteral("<a href=\"topic:%1\">%2</a>").arg(topic.number).arg(escaped(topic.title));
}

QString contentsHtml(const HelpDocument& document)
{
    QString html = QStringLiteral("<h2>目次</h2>");
    if (document.topics.isEmpty())
        return html + QStringLiteral("<p>このヘルプファイルにはトピックがありません。</p>");
    html += QStringLiteral("<ul>");
    for (const HelpTopic& topic : document.topics)
        html += QStringLiteral("<li>") + topicLink(topic) + QStringLiteral("</li>");
    return html + QStringLiteral("</ul>");
}

QString messageHtml(const QString& message)
{
    return QStringLiteral("<p><b>") + escaped(message) + QStringLiteral("</b></p>");
}

} // namespace

const HelpTopic* HelpDocument::topic(int number) const
{
    auto it = std::find_if(topics.begin(), topics.end(), [&](const HelpTopic& t) { return t.number == number; });
    return it == topics.end() ? nullptr : &*it;
}

QVector<const HelpTopic*> HelpDocument::search(const QString& query) const
{
    const QStringList words = query.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    QVector<const HelpTopic*> found;
    for (const HelpTopic& topic : topics) {
        const QString text = topicText(topic);
        if (std::all_of(words.begin(), words.end(),
                        [&](const QString& word) { return text.contains(word, Qt::CaseInsensitive); }))
            found << &topic;
    }
    return found;
}

HelpDocument parseHelpText(const QString& source)
{
    HelpDocument document;
    QString text = source;
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);

    HelpTopic* current = nullptr;
    bool skipping = false;
    QStringList paragraph;
    auto flush = [&] {
        if (current && !paragraph.isEmpty())
            current->blocks.push_back(HelpBlock{false, paragraph.join(QLatin1Char('\n'))});
        paragraph.clear();
    };

    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.startsWith(QLatin1Char('#')))
            continue;

        if (const std::optional<QString> topicLine = directive(line, QLatin1String("@topic"))) {
            flush();
            current = nullptr;
            skipping = true;
            const int space = topicLine->indexOf(QRegularExpression(QStringLiteral("\\s")));
            bool ok = false;
            const int number = topicLine->left(space < 0 ? topicLine->size() : space).toInt(&ok);
            if (ok && number > 0 && !document.topic(number)) {
                HelpTopic topic;
                topic.number = number;
                topic.title = space < 0 ? QString() : topicLine->mid(space + 1).trimmed();
                document.topics.push_back(topic);
                current = &document.topics.back();
                skipping = false;
            }
            continue;
        }
        if (const std::optional<QString> title = directive(line, QLatin1String("@title"))) {
            if (!current && !skipping)
                document.title = *title;
            continue;
        }
        if (!current)
            continue;
        if (const std::optional<QString> keywords = directive(line, QLatin1String("@keywords"))) {
            for (const QString& word : keywords->split(QLatin1Char(';'), Qt::SkipEmptyParts))
                if (!word.trimmed().isEmpty())
                    current->keywords << word.trimmed();
            continue;
        }
        if (const std::optional<QString> heading = directive(line, QLatin1String("@heading"))) {
            flush();
            current->blocks.push_back(HelpBlock{true, *heading});
            continue;
        }
        if (line.trimmed().isEmpty())
            flush();
        else
            paragraph << line;
    }
    flush();
    return document;
}

bool readHelpFile(const QString& path, HelpDocument& document)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    document = parseHelpText(QString::fromUtf8(bytes));
    return true;
}

HelpViewer* HelpViewer::instance()
{
    if (!theViewer)
        theViewer = new HelpViewer;
    return theViewer.data();
}

HelpViewer* HelpViewer::existing()
{
    return theViewer.data();
}

HelpViewer::HelpViewer()
{
    setFont(formFont(13));
    setWindowTitle(QStringLiteral("ヘルプ"));
    resize(560, 480);
    setPosition(this, Position::ScreenCenter);

    auto* contentsButton = new QPushButton(QStringLiteral("目次(&C)"), this);
    auto* searchButton = new QPushButton(QStringLiteral("検索(&S)"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contentsButton);
    buttons->addWidget(searchButton);
    buttons->addStretch();

    browser_ = new QTextBrowser(this);
    browser_->setOpenLinks(false);

    searchPage_ = new QWidget(this);
    auto* queryLabel = new QLabel(QStringLiteral("探したい語句を入力してください(&W):"), searchPage_);
    query_ = new QLineEdit(searchPage_);
    queryLabel->setBuddy(query_);
    auto* resultsLabel = new QLabel(QStringLiteral("該当するトピック(&T):"), searchPage_);
    results_ = new QListWidget(searchPage_);
    resultsLabel->setBuddy(results_);
    auto* searchLayout = new QVBoxLayout(searchPage_);
    searchLayout->setContentsMargins(0, 0, 0, 0);
    searchLayout->addWidget(queryLabel);
    searchLayout->addWidget(query_);
    searchLayout->addWidget(resultsLabel);
    searchLayout->addWidget(results_, 1);

    stack_ = new QStackedWidget(this);
    stack_->addWidget(browser_);
    stack_->addWidget(searchPage_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(stack_, 1);

    connect(contentsButton, &QPushButton::clicked, this, &HelpViewer::showContents);
    connect(searchButton, &QPushButton::clicked, this, &HelpViewer::showSearch);
    connect(browser_, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) { followLink(url.toString()); });
    connect(query_, &QLineEdit::textChanged, this, &HelpViewer::updateResults);
    connect(query_, &QLineEdit::returnPressed, this, [this] {
        if (results_->count() > 0)
            showTopic(results_->item(0)->data(Qt::UserRole).toInt());
    });
    auto openResult = [this](QListWidgetItem* item) { showTopic(item->data(Qt::UserRole).toInt()); };
    connect(results_, &QListWidget::itemClicked, this, openResult);
    connect(results_, &QListWidget::itemActivated, this, openResult);
}

void HelpViewer::open(const QString& helpFile, HelpRequest request, int topic)
{
    file_ = helpFile;
    document_ = HelpDocument();
    loaded_ = readHelpFile(helpFile, document_);
    setWindowTitle(loaded_ && !document_.title.isEmpty() ? document_.title : QStringLiteral("ヘルプ"));
    switch (request) {
    case HelpRequest::Contents:
        showContents();
        break;
    case HelpRequest::Search:
        showSearch();
        break;
    case HelpRequest::Topic:
        showTopic(topic);
        break;
    }
    show();
    raise();
    activateWindow();
}

void HelpViewer::showHtml(const QString& html)
{
    browser_->setHtml(html);
    stack_->setCurrentWidget(browser_);
}

// Every page starts here; a file that could not be read is all any page shows.
bool HelpViewer::startPage(HelpRequest page)
{
    page_ = page;
    topic_ = 0;
    message_.clear();
    if (loaded_)
        return true;
    message_ = QStringLiteral("ヘルプファイル「%1」を開けません。").arg(file_);
    showHtml(messageHtml(message_));
    return false;
}

void HelpViewer::showContents()
{
    if (!startPage(HelpRequest::Contents))
        return;
    showHtml(contentsHtml(document_));
}

void HelpViewer::showSearch()
{
    if (!startPage(HelpRequest::Search))
        return;
    stack_->setCurrentWidget(searchPage_);
    updateResults();
    query_->selectAll();
    query_->setFocus();
}

void HelpViewer::showTopic(int number)
{
    if (!startPage(HelpRequest::Topic))
        return;
    const HelpTopic* topic = document_.topic(number);
    if (!topic) {
        message_ = QStringLiteral("ヘルプファイル「%1」にトピック %2 がありません。").arg(file_).arg(number);
        showHtml(messageHtml(message_) + contentsHtml(document_));
        return;
    }
    topic_ = number;
    QString html = QStringLiteral("<h2>") + escaped(topic->title) + QStringLiteral("</h2>");
    for (const HelpBlock& block : topic->blocks) {
        if (block.heading)
            html += QStringLiteral("<h3>") + escaped(block.text) + QStringLiteral("</h3>");
        else
            html += QStringLiteral("<p>") + escaped(block.text) + QStringLiteral("</p>");
    }
    html += QStringLiteral("<p><a href=\"contents:\">目次へ戻る</a></p>");
    showHtml(html);
}

void HelpViewer::updateResults()
{
    results_->clear();
    for (const HelpTopic* topic : document_.search(query_->text())) {
        auto* item = new QListWidgetItem(topic->title, results_);
        item->setData(Qt::UserRole, topic->number);
    }
}

void HelpViewer::followLink(const QString& link)
{
    if (link.startsWith(QLatin1String("topic:")))
        showTopic(link.mid(6).toInt());
    else if (link.startsWith(QLatin1String("contents:")))
        showContents();
}

QString HelpViewer::pageText() const
{
    if (stack_->currentWidget() == browser_)
        return browser_->toPlainText();
    QStringList lines{query_->text()};
    for (int i = 0; i < results_->count(); ++i)
        lines << results_->item(i)->text();
    return lines.join(QLatin1Char('\n'));
}

void openHelp(const QString& helpFile, HelpRequest request, int topic)
{
    HelpViewer::instance()->open(helpFile, request, topic);
}

void closeHelp()
{
    delete theViewer.data();
}

} // namespace platform
