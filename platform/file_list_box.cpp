#include "platform/file_list_box.h"

#include <QDir>
#include <QFile>

#include <algorithm>

#include <sys/stat.h>

namespace platform {

namespace {

QVector<QRegularExpression> compileMask(const QString& mask)
{
    QVector<QRegularExpression> patterns;
    for (QString pattern : mask.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        pattern = pattern.trimmed();
        if (pattern.isEmpty())
            continue;
        // "*.*" has always meant every file, with or without an extension.
        if (pattern == QLatin1String("*.*"))
            pattern = QStringLiteral("*");
        patterns << QRegularExpression::fromWildcard(pattern, Qt::CaseInsensitive);
    }
    return patterns;
}

// Follows a link: a link to a regular file is listed, a dangling one is not.
bool isRegularFile(const QString& path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    patterns_ = compileMask(mask_);
    connect(this, &QListWidget::itemSelectionChanged, this, [this] {
        if (!filling_ && userInput_ > 0)
            emit clicked();
    });
    directory_ = QDir::currentPath();
    refill();
}

void FileListBox::setMask(const QString& mask)
{
    mask_ = mask;
    patterns_ = compileMask(mask);
    refill();
}

void FileListBox::setDirectory(const QString& folder)
{
    if (folder == directory_)
        return;
    directory_ = folder;
    refill();
}

bool FileListBox::matchesMask(const QString& name) const
{
    return std::any_of(patterns_.begin(), patterns_.end(),
                       [&](const QRegularExpression& p) { return p.match(name).hasMatch(); });
}

void FileListBox::refill()
{
    struct Filling {
        bool& flag;
        explicit Filling(bool& f) : flag(f) { flag = true; }
        ~Filling() { flag = false; }
    } filling(filling_);

    clear();
    const QString prefix = directory_ == QLatin1String("/") ? directory_ : directory_ + QLatin1Char('/');
    QStringList names;
    const QStringList entries = QDir(directory_).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QString& name : entries) {
        if (name.startsWith(QLatin1Char('.')) || !matchesMask(name) || !isRegularFile(prefix + name))
            continue;
        names << name;
    }
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    addItems(names);
}

QString FileListBox::itemText(int index) const
{
    const QListWidgetItem* it = item(index);
    return it ? it->text() : QString();
}

bool FileListBox::isSelected(int index) const
{
    const QListWidgetItem* it = item(index);
    return it && it->isSelected();
}

// Selection changes made while a mouse or key event is delivered are the user's.
template <class F> void FileListBox::asUserInput(F&& deliver)
{
    struct Scope {
        int& depth;
        explicit Scope(int& d) : depth(d) { ++depth; }
        ~Scope() { --depth; }
    } scope(userInput_);
    deliver();
}

void FileListBox::mousePressEvent(QMouseEvent* event)
{
    asUserInput([&] { QListWidget::mousePressEvent(event); });
}

void FileListBox::mouseMoveEvent(QMouseEvent* event)
{
    asUserInput([&] { QListWidget::mouseMoveEvent(event); });
}

void FileListBox::mouseReleaseEvent(QMouseEvent* event)
{
    asUserInput([&] { QListWidget::mouseReleaseEvent(event); });
}

void FileListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    asUserInput([&] { QListWidget::mouseDoubleClickEvent(event); });
}

void FileListBox::keyPressEvent(QKeyEvent* event)
{
    asUserInput([&] { QListWidget::keyPressEvent(event); });
}

} // namespace platform
