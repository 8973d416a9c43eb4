#include "utilities/viewer/tree_search.h"

#include <QStringMatcher>
#include <algorithm>

namespace viewer {

std::vector<int> FindMatches(const ViewTree& tree, const QString& text) {
    std::vector<int> matches;
    if (text.isEmpty()) {
        return matches;
    }
    // Each member is looked at once, however many nodes show it.
    const MemberTable& members = tree.table();
    const QStringMatcher matcher(text, Qt::CaseInsensitive);
    // Case is compared a UTF-16 unit at a time, so a shorter text cannot hold it.
    auto holds = [&](const QString& haystack) {
        return haystack.size() >= text.size() && matcher.indexIn(haystack) >= 0;
    };
    std::vector<uint8_t> memberMatches(static_cast<size_t>(members.size()), 2);  // 2: not yet
    for (int node = 0; node < tree.size(); ++node) {
        const int slot = tree.slot(node);
        uint8_t& match = memberMatches[static_cast<size_t>(slot)];
        if (match == 2) {
            match = members.hasText(slot) &&
                    (holds(members.label(slot)) || holds(members.description(slot)));
        }
        if (match != 0) {
            matches.push_back(node);
        }
    }
    return matches;
}

TreeSearch::Step TreeSearch::Next(const ViewTree& tree, const QString& text, int from,
                                  bool forward) {
    if (tree_ != &tree || nodeCount_ != static_cast<size_t>(tree.size()) || text_ != text) {
        tree_ = &tree;
        nodeCount_ = static_cast<size_t>(tree.size());
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
