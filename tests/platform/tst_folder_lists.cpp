// The drive selector, folder list and file list, and how they follow each other.

#include "platform/directory_list_box.h"
#include "platform/drive_combo_box.h"
#include "platform/drives.h"
#include "platform/file_list_box.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace platform;

namespace {

void touch(const QString& path)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
}

void makeFolder(const QString& path)
{
    QVERIFY2(QDir().mkpath(path), qPrintable(path));
}

QStringList itemsOf(const FileListBox& list)
{
    QStringList items;
    for (int i = 0; i < list.itemCount(); ++i)
        items << list.itemText(i);
    return items;
}

QList<int> selectedOf(const FileListBox& list)
{
    QList<int> selected;
    for (int i = 0; i < list.itemCount(); ++i)
        if (list.isSelected(i))
            selected << i;
    return selected;
}

QStringList entriesOf(const DirectoryListBox& list)
{
    QStringList entries;
    for (int i = 0; i < list.count(); ++i)
        entries << list.item(i)->text();
    return entries;
}

QString canonical(const QString& path)
{
    return QFileInfo(path).canonicalFilePath();
}

} // namespace

class FolderListsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void fileListMatchesTheMaskWithoutCase_data();
    void fileListMatchesTheMaskWithoutCase();
    void fileListLeavesOutHiddenAndNonRegularFiles();
    void fileListReportsOnlyTheUsersSelectionChanges();
    void fileListRefillsOnlyForAnotherFolder();

    void folderListShowsAncestorsThenSortedSubfolders();
    void settingTheFolder_data();
    void settingTheFolder();
    void enteringByDoubleClickOrEnterOnly();

    void drivesComeFromTheRealFileSystemsOfTheMountTable();
    void anotherDriveSwitchesFirstAndTheSelectorFollows();
    void choosingADriveSendsTheListToItsCurrentFolder();

private:
    QString path(const QString& relative) const { return root_.path() + "/" + relative; }
    void writeMountTable(const QStringList& extraLines);

    QTemporaryDir root_;
    QString startFolder_;
};

void FolderListsTest::initTestCase()
{
    QVERIFY(root_.isValid());
    // photos: the folder most cases look at.
    makeFolder(path("photos/alpha"));
    makeFolder(path("photos/sub/deeper"));
    makeFolder(path("photos/Zeta"));
    makeFolder(path("photos/.secret"));
    makeFolder(path("photos/x.jpg")); // a folder, not a file
    for (const char* name : {"A.JPG", "b.Jpeg", "c.jpg", "d.txt", ".hidden.jpg", "e.jpg.bak"})
        touch(path("photos/") + name);
    QVERIFY(QFile::link(path("photos/c.jpg"), path("photos/link.jpg")));
    QVERIFY(QFile::link(path("photos/missing.jpg"), path("photos/dangling.jpg")));
    QVERIFY(::mkfifo(QFile::encodeName(path("photos/fifo.jpg")).constData(), 0644) == 0);
    touch(path("photos/sub/in-sub.jpg"));
    makeFolder(path("empty"));
    makeFolder(path("disk2/deep/deeper"));
    touch(path("plain-file.jpg"));
    startFolder_ = QDir::currentPath();
}

void FolderListsTest::init()
{
    QVERIFY(QDir::setCurrent(path("photos")));
}

void FolderListsTest::cleanup()
{
    setMountTable(QString());
    QDir::setCurrent(startFolder_);
}

void FolderListsTest::writeMountTable(const QStringList& extraLines)
{
    QFile table(path("mounts"));
    QVERIFY(table.open(QIODevice::WriteOnly | QIODevice::Truncate));
    table.write("/dev/vda / ext4 rw 0 0\n");
    for (const QString& line : extraLines)
        table.write(line.toUtf8() + "\n");
    table.close();
    setMountTable(table.fileName());
}

void FolderListsTest::fileListMatchesTheMaskWithoutCase_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("listed");

    QTest::newRow("two patterns, any case")
        << "*.jpg;*.jpeg" << QStringList{"A.JPG", "b.Jpeg", "c.jpg", "d.txt", "e.jpg.bak", "f.jpe", "jpg"}
        << QStringList{"A.JPG", "b.Jpeg", "c.jpg"};
    QTest::newRow("sorted without regard to case")
        << "*.jpg;*.jpeg" << QStringList{"c.JPG", "B1.jpg", "a2.jpeg", "b0.jpg"}
        << QStringList{"a2.jpeg", "b0.jpg", "B1.jpg", "c.JPG"};
    QTest::newRow("star dot star lists names without a dot too")
        << "*.*" << QStringList{"README", "x.y"} << QStringList{"README", "x.y"};
    QTest::newRow("blanks and empty patterns")
        << " *.jpg ; ;*.png" << QStringList{"a.jpg", "b.PNG", "c.gif"} << QStringList{"a.jpg", "b.PNG"};
    QTest::newRow("question mark is one character")
        << "?.jpg" << QStringList{"a.jpg", "ab.jpg"} << QStringList{"a.jpg"};
    QTest::newRow("Japanese names") << "*.jpg" << QStringList{"写真.JPG", "いぬ.jpg"}
                                    << QStringList{"いぬ.jpg", "写真.JPG"};
}

void FolderListsTest::fileListMatchesTheMaskWithoutCase()
{
    QFETCH(QString, mask);
    QFETCH(QStringList, names);
    QFETCH(QStringList, listed);
    QTemporaryDir folder;
    for (const QString& name : names)
        touch(folder.filePath(name));

    FileListBox list;
    list.setMask(mask);
    list.setDirectory(folder.path());
    QCOMPARE(itemsOf(list), listed);
}

void FolderListsTest::fileListLeavesOutHiddenAndNonRegularFiles()
{
    FileListBox list;
    list.setMask("*.jpg;*.jpeg");
    list.setDirectory(path("photos"));
    // Not listed: x.jpg (a folder), fifo.jpg, dangling.jpg (a link to nothing), .hidden.jpg.
    QCOMPARE(itemsOf(list), (QStringList{"A.JPG", "b.Jpeg", "c.jpg", "link.jpg"}));
}

void FolderListsTest::fileListReportsOnlyTheUsersSelectionChanges()
{
    FileListBox list;
    list.setMask("*.jpg;*.jpeg");
    list.setDirectory(path("photos"));
    list.resize(200, 200);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QSignalSpy clicks(&list, &FileListBox::clicked);
    auto clickItem = [&](int row, Qt::KeyboardModifiers modifiers = {}) {
        const QRect rect = list.visualItemRect(list.item(row));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, modifiers, rect.center());
    };

    clickItem(1);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(selectedOf(list), QList<int>{1});

    clickItem(1); // the same single item again: no change, nothing reported
    QCOMPARE(clicks.count(), 1);

    clickItem(3, Qt::ShiftModifier);
    QCOMPARE(clicks.count(), 2);
    QCOMPARE(selectedOf(list), (QList<int>{1, 2, 3}));

    clickItem(2, Qt::ControlModifier); // removes one
    QCOMPARE(clicks.count(), 3);
    QCOMPARE(selectedOf(list), (QList<int>{1, 3}));

    clickItem(2, Qt::ControlModifier); // adds it again
    QCOMPARE(clicks.count(), 4);
    QCOMPARE(selectedOf(list), (QList<int>{1, 2, 3}));

    QTest::keyClick(&list, Qt::Key_Up);
    QCOMPARE(clicks.count(), 5);
    QCOMPARE(selectedOf(list), QList<int>{1});

    QTest::keyClick(&list, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(clicks.count(), 6);
    QCOMPARE(selectedOf(list), (QList<int>{1, 2}));

    // Changes made by the program are not the user's.
    list.item(0)->setSelected(true);
    list.clearSelection();
    list.selectAll();
    QCOMPARE(clicks.count(), 6);
}

void FolderListsTest::fileListRefillsOnlyForAnotherFolder()
{
    FileListBox list;
    list.setMask("*.jpg;*.jpeg");
    list.setDirectory(path("photos"));
    QSignalSpy clicks(&list, &FileListBox::clicked);
    list.item(2)->setSelected(true);

    list.setDirectory(path("photos"));
    QCOMPARE(selectedOf(list), QList<int>{2});

    list.setDirectory(path("photos/sub"));
    QCOMPARE(itemsOf(list), QStringList{"in-sub.jpg"});
    QCOMPARE(selectedOf(list), QList<int>{});

    list.item(0)->setSelected(true);
    list.refill();
    QCOMPARE(selectedOf(list), QList<int>{});
    QCOMPARE(clicks.count(), 0);
}

void FolderListsTest::folderListShowsAncestorsThenSortedSubfolders()
{
    DirectoryListBox list;
    QCOMPARE(list.directory(), path("photos")); // made on the working folder

    QStringList expected{"/"};
    expected << path("photos").split('/', Qt::SkipEmptyParts);
    expected << QStringList{"alpha", "sub", "x.jpg", "Zeta"}; // no .secret
    QCOMPARE(entriesOf(list), expected);
    QCOMPARE(DirectoryListBox::folderOf(list.currentItem()), path("photos"));
    QCOMPARE(DirectoryListBox::folderOf(list.item(0)), QStringLiteral("/"));
    QCOMPARE(DirectoryListBox::folderOf(list.item(list.count() - 1)), path("photos/Zeta"));

    list.setDirectory("/");
    QCOMPARE(list.directory(), QStringLiteral("/"));
    QCOMPARE(list.item(0)->text(), QStringLiteral("/"));
    QCOMPARE(DirectoryListBox::folderOf(list.item(1)), "/" + list.item(1)->text());
}

// Each row starts on photos with a linked file list in which c.jpg is selected.
void FolderListsTest::settingTheFolder_data()
{
    QTest::addColumn<QString>("folder");   // what is set; "@" stands for the fixture root
    QTest::addColumn<QString>("expected"); // the folder afterwards
    QTest::addColumn<int>("changes");      // changed() signals
    QTest::addColumn<bool>("refilled");    // the file list was refilled, nothing selected

    QTest::newRow("empty text does nothing") << "" << "@/photos" << 0 << false;
    QTest::newRow("the current folder reports nothing") << "@/photos" << "@/photos" << 0 << false;
    QTest::newRow("another folder") << "@/photos/sub" << "@/photos/sub" << 1 << true;
    QTest::newRow("relative to the current folder") << "sub/deeper" << "@/photos/sub/deeper" << 1 << true;
    QTest::newRow("parent") << ".." << "@" << 1 << true;
    QTest::newRow("trailing slash is another text, same folder") << "@/photos/" << "@/photos" << 1 << false;
    QTest::newRow("missing folder keeps the old one") << "@/photos/gone" << "@/photos" << 1 << false;
    QTest::newRow("a file is not entered") << "@/plain-file.jpg" << "@/photos" << 1 << false;
    QTest::newRow("the root") << "/" << "/" << 1 << true;
}

void FolderListsTest::settingTheFolder()
{
    QFETCH(QString, folder);
    QFETCH(QString, expected);
    QFETCH(int, changes);
    QFETCH(bool, refilled);
    folder.replace("@", root_.path());
    expected.replace("@", root_.path());

    DirectoryListBox dirs;
    FileListBox files;
    files.setMask("*.jpg;*.jpeg");
    dirs.setFileList(&files);
    QCOMPARE(files.directory(), path("photos"));
    files.item(2)->setSelected(true);

    QStringList seenInHandler;
    connect(&dirs, &DirectoryListBox::changed, this, [&] {
        // By the time the change is reported, the working folder and the file list have followed.
        seenInHandler << dirs.directory() << canonical(QDir::currentPath()) << files.directory();
    });

    dirs.setDirectory(folder);

    QCOMPARE(dirs.directory(), expected);
    QCOMPARE(seenInHandler.size(), 3 * changes);
    if (changes > 0) {
        QCOMPARE(seenInHandler, (QStringList{expected, canonical(expected), expected}));
        QCOMPARE(DirectoryListBox::folderOf(dirs.currentItem()), expected); // rebuilt
    } else {
        QCOMPARE(canonical(QDir::currentPath()), canonical(path("photos")));
    }
    if (refilled)
        QCOMPARE(selectedOf(files), QList<int>{});
    else
        QCOMPARE(selectedOf(files), QList<int>{2});
}

void FolderListsTest::enteringByDoubleClickOrEnterOnly()
{
    DirectoryListBox list;
    list.resize(300, 400);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QSignalSpy changes(&list, &DirectoryListBox::changed);
    auto entry = [&](const QString& name) { return list.findItems(name, Qt::MatchExactly).value(0); };

    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(entry("sub")).center());
    QCOMPARE(list.directory(), path("photos"));
    QCOMPARE(changes.count(), 0);

    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(entry("sub")).center());
    QCOMPARE(list.directory(), path("photos/sub"));
    QCOMPARE(changes.count(), 1);

    list.setCurrentItem(entry("deeper"));
    QTest::keyClick(&list, Qt::Key_Return);
    QCOMPARE(list.directory(), path("photos/sub/deeper"));
    QCOMPARE(changes.count(), 2);
}

void FolderListsTest::drivesComeFromTheRealFileSystemsOfTheMountTable()
{
    makeFolder(path("mnt/home"));
    makeFolder(path("mnt/my usb"));
    makeFolder(path("mnt/cdrom"));
    makeFolder(path("mnt/shm"));
    makeFolder(path("mnt/cg"));
    makeFolder(path("mnt/layer"));
    touch(path("mnt/hosts"));
    const QString m = root_.path() + "/mnt";
    writeMountTable({
        "proc /proc proc rw 0 0",
        "sysfs /sys sysfs rw 0 0",
        "tmpfs " + m + "/shm tmpfs rw 0 0",
        "cgroup " + m + "/cg cgroup rw 0 0",
        "overlay " + m + "/layer overlay rw 0 0",
        "/dev/sdb1 " + m + "/my\\040usb vfat rw 0 0",
        "/dev/sda2 " + m + "/home ext4 rw 0 0",
        "/dev/sda2 " + m + "/home ext4 rw 0 0", // mounted twice: listed once
        "/dev/sr0 " + m + "/cdrom iso9660 ro 0 0",
        "/dev/sda2 " + m + "/hosts ext4 rw 0 0", // a file bound in, not a folder
        "/dev/sda3 " + m + "/absent ext4 rw 0 0",
        "/dev/sda4 /run/user/1000/doc ext4 rw 0 0",
        "garbage",
    });

    QCOMPARE(availableDrives(), (QStringList{"/", m + "/cdrom", m + "/home", m + "/my usb"}));

    QCOMPARE(driveOf(m + "/home"), m + "/home");
    QCOMPARE(driveOf(m + "/home/user/photos"), m + "/home");
    QCOMPARE(driveOf(m + "/homework"), QStringLiteral("/")); // a prefix of the name is not a parent
    QCOMPARE(driveOf(m + "/my usb/DCIM"), m + "/my usb");
    QCOMPARE(driveOf(m + "/shm/x"), QStringLiteral("/"));
    QCOMPARE(driveOf("/"), QStringLiteral("/"));
}

void FolderListsTest::anotherDriveSwitchesFirstAndTheSelectorFollows()
{
    const QString disk2 = path("disk2");
    writeMountTable({"/dev/sdb1 " + disk2 + " ext4 rw 0 0"});

    DriveComboBox drives;
    DirectoryListBox dirs;
    drives.setDirList(&dirs);
    QCOMPARE(drives.drive(), QStringLiteral("/"));
    QCOMPARE(drives.findData(disk2) >= 0, true);

    dirs.setDirectory(disk2 + "/deep");
    QCOMPARE(dirs.directory(), disk2 + "/deep");
    QCOMPARE(drives.drive(), disk2);
    QCOMPARE(entriesOf(dirs), (QStringList{disk2, "deep", "deeper"})); // from the drive's root down
    QCOMPARE(currentFolderOfDrive(disk2), disk2 + "/deep");

    dirs.setDirectory(path("photos"));
    QCOMPARE(drives.drive(), QStringLiteral("/"));

    // A folder on the other drive that cannot be entered: the list stays on
    // that drive's current folder, not on the folder it came from.
    QSignalSpy changes(&dirs, &DirectoryListBox::changed);
    dirs.setDirectory(disk2 + "/gone");
    QCOMPARE(dirs.directory(), disk2 + "/deep");
    QCOMPARE(drives.drive(), disk2);
    QCOMPARE(canonical(QDir::currentPath()), canonical(disk2 + "/deep"));
    QCOMPARE(changes.count(), 1);
}

void FolderListsTest::choosingADriveSendsTheListToItsCurrentFolder()
{
    const QString disk2 = path("disk2");
    writeMountTable({"/dev/sdb1 " + disk2 + " ext4 rw 0 0"});
    rememberFolder(disk2 + "/deep/deeper");

    DirectoryListBox dirs;
    DriveComboBox drives;
    dirs.setDriveCombo(&drives); // linked from the list's side this time
    QCOMPARE(drives.dirList(), &dirs);
    QSignalSpy changes(&dirs, &DirectoryListBox::changed);

    // Keyboard choice in the closed selector: "/" is first, the other drive next.
    QTest::keyClick(&drives, Qt::Key_Down);
    QCOMPARE(drives.drive(), disk2);
    QCOMPARE(dirs.directory(), disk2 + "/deep/deeper");
    QCOMPARE(changes.count(), 1);

    QTest::keyClick(&drives, Qt::Key_Up);
    QCOMPARE(dirs.directory(), path("photos"));
    QCOMPARE(changes.count(), 2);
}

QTEST_MAIN(FolderListsTest)
#include "tst_folder_lists.moc"
