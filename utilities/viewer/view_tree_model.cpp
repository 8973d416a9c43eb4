#include "utilities/viewer/view_tree_model.h"

namespace viewer {

ViewTreeModel::ViewTreeModel(QObject* parent) : QAbstractItemModel(parent) {}

void ViewTreeModel::SetTree(const ViewTree* tree) {
    beginResetModel();
    tree_ = tree;
    first_.clear();
    children_.clear();
    row_.clear();
    if (tree_ != nullptr) {
        const ViewTree& nodes = *tree_;
        const auto count = static_cast<size_t>(nodes.size());
        first_.assign(count + 2, 0);
        for (int node = 0; node < nodes.size(); ++node) {
            ++first_[static_cast<size_t>(nodes.parent(node) + 1) + 1];
        }
        for (size_t slot = 1; slot < first_.size(); ++slot) {
            first_[slot] += first_[slot - 1];
        }
        // Pre-order keeps each parent's children in their order as they are dealt out.
        std::vector<int> filled(first_.begin(), first_.end() - 1);
        children_.resize(count);
        row_.resize(count);
        for (size_t i = 0; i < count; ++i) {
            const auto slot = static_cast<size_t>(nodes.parent(static_cast<int>(i)) + 1);
            const int position = filled[slot]++;
            children_[static_cast<size_t>(position)] = static_cast<int>(i);
            row_[i] = position - first_[slot];
        }
    }
    endResetModel();
}

QModelIndex ViewTreeModel::IndexOf(int node) const {
    if (tree_ == nullptr || node < 0 || static_cast<size_t>(node) >= row_.size()) {
        return {};
    }
    return createIndex(row_[static_cast<size_t>(node)], 0, static_cast<quintptr>(node));
}

int ViewTreeModel::NodeOf(const QModelIndex& index) {
    return index.isValid() ? static_cast<int>(index.internalId()) : -1;
}

size_t ViewTreeModel::Slot(const QModelIndex& parent) const {
    return static_cast<size_t>(NodeOf(parent) + 1);
}

QModelIndex ViewTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (tree_ == nullptr || column != 0 || row < 0 || row >= rowCount(parent)) {
        return {};
    }
    const int node = children_[static_cast<size_t>(first_[Slot(parent)] + row)];
    return createIndex(row, 0, static_cast<quintptr>(node));
}

QModelIndex ViewTreeModel::parent(const QModelIndex& child) const {
    const int node = NodeOf(child);
    if (tree_ == nullptr || node < 0) {
        return {};
    }
    return IndexOf(tree_->parent(node));
}

int ViewTreeModel::rowCount(const QModelIndex& parent) const {
    if (tree_ == nullptr || parent.column() > 0) {
        return 0;
    }
    const size_t slot = Slot(parent);
    return first_[slot + 1] - first_[slot];
}

int ViewTreeModel::columnCount(const QModelIndex& /*parent*/) const {
    return 1;
}

bool ViewTreeModel::hasChildren(const QModelIndex& parent) const {
    return rowCount(parent) > 0;
}

QVariant ViewTreeModel::data(const QModelIndex& index, int role) const {
    const int node = NodeOf(index);
    if (tree_ == nullptr || node < 0) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
            return tree_->text(node);
        case kKeyRole: {
            const QString key = tree_->key(node);
            return key.isEmpty() ? QVariant() : QVariant(key);
        }
        case kTagRole: {
            const QString tag = tree_->tag(node);
            return tag.isEmpty() ? QVariant() : QVariant(tag);
        }
        case kNodeRole:
            return node;
        default:
            return {};
    }
}

}  // namespace viewer
