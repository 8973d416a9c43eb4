#include "utilities/shell/folder_tree.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace {
constexpr int kPathRole = Qt::UserRole;
constexpr int kPopulatedRole = Qt::UserRole + 1;

bool IsInside(const QString& path, const QString& root) {
    if (root == QLatin1String("/")) {
        return path.startsWith(QLatin1Char('/'));
    }
    return path == root || path.startsWith(root + QLatin1Char('/'));
}
}  // namespace

QStringList ListSubfolders(const QString& folder) {
    return QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                                  QDir::Name | QDir::IgnoreCase);
}

QStringList ListMatchingFiles(const QString& folder, const QString& pattern) {
    QDir dir(folder);
    dir.setNameFilters(pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts));
    // Names in alphabetical order whatever their case, as a file list reads.
    return dir.entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
}

QString DriveOf(const QString& path) {
    const QStorageInfo storage(path);
    if (storage.isValid() && !storage.rootPath().isEmpty()) {
        return storage.rootPath();
    }
    return QStringLiteral("/");
}

FolderTree::FolderTree(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    connect(this, &QTreeWidget::itemExpanded, this, &FolderTree::Populate);
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) {
                if (current != nullptr) {
                    emit pathChanged(current->data(0, kPathRole).toString());
                }
            });
}

QTreeWidgetItem* FolderTree::AddFolder(QTreeWidgetItem* parent, const QString& path,
                                       const QString& name) {
    auto* item = parent == nullptr ? new QTreeWidgetItem(this) : new QTreeWidgetItem(parent);
    item->setText(0, name);
    item->setData(0, kPathRole, path);
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return item;
}

void FolderTree::Populate(QTreeWidgetItem* item) {
    if (item->data(0, kPopulatedRole).toBool()) {
        return;
    }
    item->setData(0, kPopulatedRole, true);
    const QString folder = item->data(0, kPathRole).toString();
    const QDir dir(folder);
    const QStringList names = ListSubfolders(folder);
    for (const QString& name : names) {
        AddFolder(item, dir.filePath(name), name);
    }
    if (names.isEmpty()) {
        item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
    }
}

bool FolderTree::SetRoot(const QString& root) {
    const QFileInfo info(root);
    if (!info.isDir() || !info.isReadable() || !QDir(root).isReadable()) {
        return false;
    }
    root_ = QDir::cleanPath(info.absoluteFilePath());
    SetPath(root_);
    return true;
}

void FolderTree::SetPath(const QString& wanted) {
    const QString target = QDir::cleanPath(QFileInfo(wanted).absoluteFilePath());
    if (!IsInside(target, root_)) {
        root_ = DriveOf(target);
    }
    clear();
    QTreeWidgetItem* item = AddFolder(nullptr, root_, root_);
    Populate(item);
    item->setExpanded(true);
    const QString relative = QDir(root_).relativeFilePath(target);
    if (relative != QLatin1String(".")) {
        for (const QString& part : relative.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
            QTreeWidgetItem* next = nullptr;
            for (int i = 0; i < item->childCount(); ++i) {
                if (item->child(i)->text(0) == part) {
                    next = item->child(i);
                    break;
                }
            }
            if (next == nullptr) {
                break;
            }
            item = next;
            Populate(item);
            item->setExpanded(true);
        }
    }
    setCurrentItem(item);
    scrollToItem(item);
}

QString FolderTree::path() const {
    const QTreeWidgetItem* item = currentItem();
    return item != nullptr ? item->data(0, kPathRole).toString() : root_;
}
