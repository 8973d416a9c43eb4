#pragma once
// A viewer tree as an item model for a QTreeView: one row per node, its text shown and its
// key, tag and node index given through the roles below. The model keeps only the child
// lists of the nodes, in flat arrays, and reads everything else from the tree when asked,
// so a tree of a million nodes costs a few integers per node beyond the tree itself.

#include <QAbstractItemModel>
#include <vector>

#include "utilities/viewer/view_tree.h"

namespace viewer {

class ViewTreeModel : public QAbstractItemModel {
  public:
    static constexpr int kKeyRole = Qt::UserRole;
    static constexpr int kTagRole = Qt::UserRole + 1;
    static constexpr int kNodeRole = Qt::UserRole + 2;  // index into the tree's nodes

    explicit ViewTreeModel(QObject* parent = nullptr);

    // Shows tree, which must stay unchanged until the next SetTree; nullptr shows nothing.
    // A tree is detached before it is rebuilt, since a build lets paint events through.
    void SetTree(const ViewTree* tree);
    const ViewTree* tree() const { return tree_; }

    // The index of node number node; invalid for a number outside the tree.
    QModelIndex IndexOf(int node) const;
    // The node number of index; -1 for an invalid index.
    static int NodeOf(const QModelIndex& index);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  private:
    // The children of node p are children_[first_[p + 1]] up to first_[p + 2]; the top
    // nodes are slot 0.
    size_t Slot(const QModelIndex& parent) const;

    const ViewTree* tree_ = nullptr;
    std::vector<int> first_;
    std::vector<int> children_;
    std::vector<int> row_;  // each node's row under its parent
};

}  // namespace viewer
