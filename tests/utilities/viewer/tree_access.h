#pragma once
// The viewer's trees read the way a user sees them: top nodes, children by position, a
// node's text, item data and whether it is expanded, over the view's model.

#include <QTreeView>

#include "utilities/viewer/view_tree_model.h"

namespace viewer_test {

class TreeNode {
  public:
    TreeNode(QTreeView* view, QModelIndex index) : view_(view), index_(index) {}
    const TreeNode* operator->() const { return this; }

    bool valid() const { return index_.isValid(); }
    const QModelIndex& index() const { return index_; }
    QString text(int /*column*/) const { return index_.data().toString(); }
    QVariant data(int /*column*/, int role) const { return index_.data(role); }
    int childCount() const { return index_.isValid() ? view_->model()->rowCount(index_) : 0; }
    TreeNode child(int row) const { return {view_, view_->model()->index(row, 0, index_)}; }
    bool isExpanded() const { return view_->isExpanded(index_); }

  private:
    QTreeView* view_;
    QModelIndex index_;
};

class TreeAccess {
  public:
    explicit TreeAccess(QTreeView* view) : view_(view) {}
    const TreeAccess* operator->() const { return this; }

    QTreeView* view() const { return view_; }
    bool isHidden() const { return view_->isHidden(); }
    int width() const { return view_->width(); }
    int topLevelItemCount() const { return view_->model()->rowCount(); }
    TreeNode topLevelItem(int row) const { return {view_, view_->model()->index(row, 0)}; }
    TreeNode currentItem() const { return {view_, view_->currentIndex()}; }
    void setCurrentItem(const TreeNode& node) const { view_->setCurrentIndex(node.index()); }
    // The node number of the current node, -1 when there is none.
    int currentNode() const { return viewer::ViewTreeModel::NodeOf(view_->currentIndex()); }

  private:
    QTreeView* view_;
};

}  // namespace viewer_test
