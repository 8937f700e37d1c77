#pragma once

#include "platform/fileoutcome.h"

#include <QListWidget>
#include <QString>
#include <QStringList>

// A list of the plain files of one folder that match a mask, by name only, in the listing order
// of the platform layer. Hidden files and folders are not listed.
class TFileListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TFileListBox(QWidget* parent = nullptr);

    // The folder shown, with one trailing "/"; "" before the first one is set.
    const QString& Directory() const { return directory_; }
    // Shows the files of the folder. A folder that cannot be read leaves the list empty; the
    // folder is kept either way, so that Update reads it again.
    platform::FileOutcome SetDirectory(const QString& folder);

    // Masks such as "*.gif;*.jpe;*.jpg"; "*.*" (the default) lists every file.
    const QString& Mask() const { return mask_; }
    void SetMask(const QString& mask);

    // Reads the folder again, keeping the selection of names that are still there.
    platform::FileOutcome Update();

    // The full path of the file in a row, of the current row, of the selected rows (list order).
    QString FilePath(int row) const;
    QString FileName() const;
    QStringList SelectedFiles() const;
    QStringList FileNames() const;

signals:
    // After every fill and every change of the current row.
    void Change();
    // A key was released over the list.
    void KeyUp(int key, Qt::KeyboardModifiers modifiers);

protected:
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    platform::FileOutcome fill();

    QString directory_;
    QString mask_ = QStringLiteral("*.*");
};
