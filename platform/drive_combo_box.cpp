#include "platform/drive_combo_box.h"

#include "platform/application.h"
#include "platform/directory_list_box.h"
#include "platform/drives.h"

#include <QDir>
#include <QSignalBlocker>
#include <QStyle>

namespace platform {

DriveComboBox::DriveComboBox(QWidget* parent) : QComboBox(parent)
{
    fillDrives();
    showDrive(driveOf(QDir::currentPath()));
    // activated() comes from the user only; showDrive() never sends it.
    connect(this, &QComboBox::activated, this, [this](int index) { guarded(this, [&] { userChoseDrive(index); }); });
}

void DriveComboBox::setDirList(DirectoryListBox* list)
{
    if (dirList_ == list)
        return;
    dirList_ = list;
    if (list) {
        list->setDriveCombo(this);
        showDrive(driveOf(list->directory()));
    }
}

QString DriveComboBox::drive() const
{
    return currentData().toString();
}

void DriveComboBox::showDrive(const QString& drive)
{
    int index = findData(drive);
    if (index < 0) {
        fillDrives();
        index = findData(drive);
    }
    if (index < 0) {
        addItem(style()->standardIcon(QStyle::SP_DriveHDIcon), drive, drive);
        index = count() - 1;
    }
    const QSignalBlocker blocker(this);
    setCurrentIndex(index);
}

void DriveComboBox::showPopup()
{
    const QString shown = drive();
    fillDrives();
    showDrive(shown);
    QComboBox::showPopup();
}

void DriveComboBox::fillDrives()
{
    const QSignalBlocker blocker(this);
    const QString shown = drive();
    clear();
    const QIcon icon = style()->standardIcon(QStyle::SP_DriveHDIcon);
    for (const QString& drive : availableDrives())
        addItem(icon, drive, drive);
    const int index = findData(shown);
    if (index >= 0)
        setCurrentIndex(index);
}

void DriveComboBox::userChoseDrive(int index)
{
    const QString chosen = itemData(index).toString();
    if (!dirList_)
        return;
    dirList_->setDirectory(currentFolderOfDrive(chosen));
    // A drive that cannot be entered leaves the list where it was; show its drive again.
    showDrive(driveOf(dirList_->directory()));
}

} // namespace platform
