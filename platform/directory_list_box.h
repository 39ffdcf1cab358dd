#pragma once

#include <QListWidget>

namespace platform {

class DriveComboBox;
class FileListBox;

// The folder list. Shows the current folder's ancestors from its drive's root
// down, then its subfolders sorted by name (hidden folders left out); double
// click or Enter enters a folder, a single click only highlights it. At
// creation it is on the working folder.
//
// setDirectory(X):
//  1. X empty: nothing happens.
//  2. X names the current folder: nothing happens, no change is reported.
//  3. Otherwise, if X lies on another drive the list first moves to that drive's
//     current folder (the drive selector follows), then enters X. If X cannot be
//     entered, the list keeps the folder it had at that point, without an error.
//  4. In every case of 3 the resulting folder becomes the working folder, the list
//     is rebuilt, the linked file list is pointed at it (refilled with nothing
//     selected when it was on another folder), and changed() is emitted, also when
//     the folder did not change.
// A relative X is taken from the current folder. The folder is kept as a clean
// absolute path without a trailing "/" (the root is "/"); links are not resolved.
class DirectoryListBox : public QListWidget {
    Q_OBJECT
public:
    explicit DirectoryListBox(QWidget* parent = nullptr);

    QString directory() const { return directory_; }
    void setDirectory(const QString& folder);

    // The file list is pointed at the current folder at once.
    void setFileList(FileListBox* list);
    // Links both ways, like DriveComboBox::setDirList.
    void setDriveCombo(DriveComboBox* combo);
    FileListBox* fileList() const { return fileList_; }
    DriveComboBox* driveCombo() const { return driveCombo_; }

    // The full path of the folder an entry stands for.
    static QString folderOf(const QListWidgetItem* item);

signals:
    void changed(); // OnChange

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void enterItem(QListWidgetItem* item);
    void rebuild();

    QString directory_;
    FileListBox* fileList_ = nullptr;
    DriveComboBox* driveCombo_ = nullptr;
};

} // namespace platform
