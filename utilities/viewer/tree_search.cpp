#include "utilities/viewer/tree_search.h"

#include <QStringMatcher>
#include <algorithm>

namespace viewer {

std::vector<int> FindMatches(const ViewTree& tree, const QString& text) {
    std::vector<int> matches;
    if (text.isEmpty()) {
        return matches;
    }
    // Prepared once for the million texts it is run over.
    const QStringMatcher matcher(text, Qt::CaseInsensitive);
    for (size_t i = 0; i < tree.nodes.size(); ++i) {
        const ViewNode& node = tree.nodes[i];
        // Views into the node's text: no copy of a million labels per search.
        const QStringView whole(node.text);
        const QStringView label = whole.left(node.labelLength);
        const QStringView description =
            node.text.isEmpty() ? QStringView()
                                : whole.mid(node.labelLength + 3, node.descriptionLength);
        if (matcher.indexIn(label) >= 0 || matcher.indexIn(description) >= 0) {
            matches.push_back(static_cast<int>(i));
        }
    }
    return matches;
}

TreeSearch::Step TreeSearch::Next(const ViewTree& tree, const QString& text, int from,
                                  bool forward) {
    if (tree_ != &tree || nodeCount_ != tree.nodes.size() || text_ != text) {
        tree_ = &tree;
        nodeCount_ = tree.nodes.size();
        text_ = text;
        matches_ = FindMatches(tree, text);
    }
    Step step;
    step.count = static_cast<int>(matches_.size());
    if (matches_.empty()) {
        return step;
    }
    size_t at = 0;
    if (forward) {
        at = from < 0
                 ? 0
                 : static_cast<size_t>(std::upper_bound(matches_.begin(), matches_.end(), from) -
                                       matches_.begin());
        if (at == matches_.size()) {
            at = 0;
        }
    } else {
        const auto below =
            from < 0 ? matches_.end() : std::lower_bound(matches_.begin(), matches_.end(), from);
        at = below == matches_.begin() ? matches_.size() - 1
                                       : static_cast<size_t>(below - matches_.begin()) - 1;
    }
    step.node = matches_[at];
    step.ordinal = static_cast<int>(at) + 1;
    return step;
}

QString TreeSearch::StatusText(const Step& step, const QString& text) {
    if (step.node < 0) {
        return QStringLiteral("No member matches \"%1\"").arg(text);
    }
    return QStringLiteral("%1 of %2 matches for \"%3\"")
        .arg(step.ordinal)
        .arg(step.count)
        .arg(text);
}

}  // namespace viewer
