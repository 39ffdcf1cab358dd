#pragma once

#include <QListWidget>
#include <QStringList>

namespace platform {

// The file list: the plain names of the ordinary, not hidden files of its folder
// that match the mask (patterns separated by ";", letter case ignored), sorted
// without regard to case. Extended multiple selection. Every selection change the
// user makes, with mouse or keyboard, is reported by clicked(); a refill reports
// nothing and leaves nothing selected.
class FileListBox : public QListWidget {
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent = nullptr);

    QString mask() const { return mask_; }
    void setMask(const QString& mask);

    QString directory() const { return directory_; }
    // Refills the list (nothing selected) when the folder differs from the current one.
    void setDirectory(const QString& folder);
    // Reads the folder again, nothing selected.
    void refill();

    int itemCount() const { return count(); }
    QString itemText(int index) const;
    bool isSelected(int index) const;

signals:
    void clicked(); // OnClick

private:
    QString directory_;
    QString mask_ = QStringLiteral("*.*");
    bool filling_ = false;
};

} // namespace platform
