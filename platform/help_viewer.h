#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <QWidget>

class QLineEdit;
class QListWidget;
class QStackedWidget;
class QTextBrowser;

namespace platform {

enum class HelpRequest { Contents, Search, Topic };

// A help file as read (the format is described in help_viewer.cpp).
struct HelpBlock {
    bool heading = false;
    QString text; // lines separated by "\n"
};

struct HelpTopic {
    int number = 0;
    QString title;
    QStringList keywords;
    QVector<HelpBlock> blocks;
};

struct HelpDocument {
    QString title;
    QVector<HelpTopic> topics; // in file order

    const HelpTopic* topic(int number) const;
    // The topics whose title, keywords or text hold every word of the query
    // (letter case ignored); all topics for an empty query.
    QVector<const HelpTopic*> search(const QString& query) const;
};

HelpDocument parseHelpText(const QString& text);
// False when the file cannot be opened.
bool readHelpFile(const QString& path, HelpDocument& document);

// The help viewer: one window, reused, showing the contents page, the search
// page or a topic of one help file. The file is read again at each open(), and
// a missing or unreadable file or an unknown topic is reported inside it.
class HelpViewer : public QWidget {
    Q_OBJECT
public:
    // The viewer, made on first use.
    static HelpViewer* instance();
    // The viewer if one is open, else nullptr.
    static HelpViewer* existing();

    void open(const QString& helpFile, HelpRequest request, int topic = 0);

    HelpRequest page() const { return page_; }
    int topic() const { return topic_; }            // 0 unless a topic is shown
    QString message() const { return message_; }    // the problem reported, if any
    QString pageText() const;                        // the visible page as plain text
    const HelpDocument& document() const { return document_; }

    void showContents();
    void showSearch();
    void showTopic(int number);

private:
    HelpViewer();
    bool startPage(HelpRequest page);
    void showHtml(const QString& html);
    void updateResults();
    void followLink(const QString& link);

    QString file_;
    HelpDocument document_;
    bool loaded_ = false;
    HelpRequest page_ = HelpRequest::Contents;
    int topic_ = 0;
    QString message_;

    QStackedWidget* stack_ = nullptr;
    QTextBrowser* browser_ = nullptr;
    QWidget* searchPage_ = nullptr;
    QLineEdit* query_ = nullptr;
    QListWidget* results_ = nullptr;
};

// Opens the help viewer (one window, reused) on the help file: its contents, its
// search page, or the topic with this context number. A missing or unreadable
// file is reported inside the viewer.
void openHelp(const QString& helpFile, HelpRequest request, int topic = 0);

// Closes and destroys the viewer; the application does this before Qt goes away.
void closeHelp();

} // namespace platform
