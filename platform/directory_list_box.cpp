#include "platform/directory_list_box.h"

#include "platform/application.h"
#include "platform/drive_combo_box.h"
#include "platform/drives.h"
#include "platform/file_list_box.h"

#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QStyle>
#include <QStyledItemDelegate>

#include <algorithm>

#include <dirent.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr int pathRole = Qt::UserRole;
constexpr int levelRole = Qt::UserRole + 1;
constexpr int indentPerLevel = 10;

// Draws each entry shifted right by its depth, so the ancestors read as a path.
class IndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem shifted(option);
        shifted.rect.setLeft(shifted.rect.left() + indent(index));
        QStyledItemDelegate::paint(painter, shifted, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.rwidth() += indent(index);
        return size;
    }

private:
    static int indent(const QModelIndex& index) { return index.data(levelRole).toInt() * indentPerLevel; }
};

QString absoluteFolder(const QString& base, const QString& folder)
{
    QString path = QDir::cleanPath(QDir::isAbsolutePath(folder) ? folder : base + QLatin1Char('/') + folder);
    // cleanPath keeps ".." above the root; the root's parent is the root.
    while (path.startsWith(QLatin1String("/..")) && (path.size() == 3 || path.at(3) == QLatin1Char('/')))
        path = path.size() == 3 ? QStringLiteral("/") : path.mid(3);
    return path;
}

QString joined(const QString& folder, const QString& name)
{
    return folder == QLatin1String("/") ? folder + name : folder + QLatin1Char('/') + name;
}

// A folder can be entered when it can be both searched and listed.
bool canEnter(const QString& folder)
{
    const QByteArray path = QFile::encodeName(folder);
    DIR* dir = ::opendir(path.constData());
    if (!dir)
        return false;
    ::closedir(dir);
    return ::access(path.constData(), X_OK) == 0;
}

} // namespace

DirectoryListBox::DirectoryListBox(QWidget* parent) : QListWidget(parent)
{
    directory_ = absoluteFolder(QStringLiteral("/"), QDir::currentPath());
    rememberFolder(directory_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setItemDelegate(new IndentDelegate(this));
    connect(this, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { guarded(this, [&] { enterItem(item); }); });
    rebuild();
}

QString DirectoryListBox::folderOf(const QListWidgetItem* item)
{
    return item ? item->data(pathRole).toString() : QString();
}

void DirectoryListBox::setDirectory(const QString& folder)
{
    if (folder.isEmpty() || folder == directory_)
        return;
    const QString target = absoluteFolder(directory_, folder);
    QString result = directory_;
    const QString drive = driveOf(target);
    if (drive != driveOf(directory_)) {
        const QString driveFolder = currentFolderOfDrive(drive);
        if (canEnter(driveFolder))
            result = driveFolder;
        else if (canEnter(drive))
            result = drive;
    }
    if (canEnter(target))
        result = target;

    directory_ = result;
    QDir::setCurrent(directory_);
    rememberFolder(directory_);
    rebuild();
    if (driveCombo_)
        driveCombo_->showDrive(driveOf(directory_));
    if (fileList_)
        fileList_->setDirectory(directory_);
    emit changed();
}

void DirectoryListBox::setFileList(FileListBox* list)
{
    fileList_ = list;
    if (list)
        list->setDirectory(directory_);
}

void DirectoryListBox::setDriveCombo(DriveComboBox* combo)
{
    if (driveCombo_ == combo)
        return;
    driveCombo_ = combo;
    if (combo) {
        combo->setDirList(this);
        combo->showDrive(driveOf(directory_));
    }
}

void DirectoryListBox::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem()) {
        QListWidgetItem* item = currentItem();
        guarded(this, [&] { enterItem(item); });
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void DirectoryListBox::enterItem(QListWidgetItem* item)
{
    const QString folder = folderOf(item);
    setDirectory(folder);
}

void DirectoryListBox::rebuild()
{
    clear();
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    auto add = [this](const QIcon& icon, const QString& text, const QString& path, int level) {
        auto* item = new QListWidgetItem(icon, text, this);
        item->setData(pathRole, path);
        item->setData(levelRole, level);
        return item;
    };

    const QString root = driveOf(directory_);
    QListWidgetItem* current = add(openIcon, root, root, 0);
    int level = 1;
    const QString below = directory_.mid(root == QLatin1String("/") ? 1 : root.size() + 1);
    QString path = root;
    for (const QString& name : below.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        path = joined(path, name);
        current = add(openIcon, name, path, level++);
    }

    QStringList names = QDir(directory_).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
    names.erase(std::remove_if(names.begin(), names.end(),
                               [](const QString& name) { return name.startsWith(QLatin1Char('.')); }),
                names.end());
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    for (const QString& name : names)
        add(closedIcon, name, joined(directory_, name), level);

    setCurrentItem(current);
}

} // namespace platform
