#pragma once

#include <QListWidget>
#include <QRegularExpression>
#include <QStringList>
#include <QVector>

namespace platform {

// The file list: the plain names of the ordinary, not hidden files of its folder
// that match the mask (patterns separated by ";", letter case ignored; "*.*"
// matches every name), sorted without regard to case. Ordinary files are regular
// files, or links to one. Extended multiple selection. Every selection change the
// user makes, with mouse or keyboard, is reported by clicked(); a refill or a
// change made by the program reports nothing, and a refill leaves nothing selected.
// At creation it is on the working folder.
class FileListBox : public QListWidget {
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent = nullptr);

    QString mask() const { return mask_; }
    // Refills the list.
    void setMask(const QString& mask);

    QString directory() const { return directory_; }
    // Refills the list (nothing selected) when the folder differs from the current one.
    void setDirectory(const QString& folder);
    // Reads the folder again, nothing selected.
    void refill();

    int itemCount() const { return count(); }
    QString itemText(int index) const;
    bool isSelected(int index) const;

    // Whether a plain file name matches the mask.
    bool matchesMask(const QString& name) const;

signals:
    void clicked(); // OnClick

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    template <class F> void asUserInput(F&& deliver);

    QString directory_;
    QString mask_ = QStringLiteral("*.*");
    QVector<QRegularExpression> patterns_;
    bool filling_ = false;
    int userInput_ = 0;
};

} // namespace platform
