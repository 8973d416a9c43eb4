#pragma once

#include <QString>
#include <QStringList>
#include <QTreeWidget>

// The folder tree of one drive (a mounted file system): the folders from the drive's
// root down to the current folder, each folder's subfolders listed when it is opened.
class FolderTree : public QTreeWidget {
    Q_OBJECT
  public:
    explicit FolderTree(QWidget* parent = nullptr);

    // Shows the drive from its root; false (and nothing changed) when the root cannot be
    // read.
    bool SetRoot(const QString& root);
    // Opens the tree down to path; a path outside the drive switches to the path's own
    // drive. Folders of the path that no longer exist end the walk at the last that does.
    void SetPath(const QString& path);
    // The current folder; the drive's root when nothing deeper is chosen.
    QString path() const;
    const QString& root() const { return root_; }

  signals:
    void pathChanged(const QString& path);

  private:
    void Populate(QTreeWidgetItem* item);
    QTreeWidgetItem* AddFolder(QTreeWidgetItem* parent, const QString& path, const QString& name);

    QString root_ = QStringLiteral("/");
};

// The subfolders of folder by name, hidden ones included (a program may live in one).
QStringList ListSubfolders(const QString& folder);
// The files of folder matching pattern ("*.lst"; several patterns separated by ";"), by name.
QStringList ListMatchingFiles(const QString& folder, const QString& pattern);
// The root of the mounted file system that holds path ("/" when unknown).
QString DriveOf(const QString& path);
