#pragma once

#include <QComboBox>

namespace platform {

class DirectoryListBox;

// The drive selector: lists the drives and starts on the drive of the working
// folder. Choosing a drive sends the linked folder list to that drive's
// current folder; the selector follows the list when the list changes drive.
// The drive list is read again each time it is opened, so that media mounted
// since then appear.
class DriveComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveComboBox(QWidget* parent = nullptr);

    // Links both ways: the list also tells this selector when it changes drive.
    void setDirList(DirectoryListBox* list);
    DirectoryListBox* dirList() const { return dirList_; }

    QString drive() const;
    // Selects the drive without telling the folder list (used when the list moved).
    void showDrive(const QString& drive);

    void showPopup() override;

private:
    void userChoseDrive(int index);
    void fillDrives();

    DirectoryListBox* dirList_ = nullptr;
};

} // namespace platform
