#pragma once
// Finding members in a viewer tree: the nodes whose label or description contains a text,
// without regard to case, in depth-first order (the order of the tree's nodes). Every
// occurrence of a shared member is a match of its own.

#include <QString>
#include <vector>

#include "utilities/viewer/view_tree.h"

namespace viewer {

// The indexes of the matching nodes, ascending; none for an empty text.
std::vector<int> FindMatches(const ViewTree& tree, const QString& text);

class TreeSearch {
  public:
    struct Step {
        int node = -1;    // the node found; -1 when nothing matches
        int ordinal = 0;  // 1-based among the matches
        int count = 0;
    };

    // The match after (forward) or before node `from` (-1: from the start or the end),
    // wrapping round at the ends. The matches are found again only when the text or the
    // tree (compared by identity and node count) changes.
    Step Next(const ViewTree& tree, const QString& text, int from, bool forward);
    // After a rebuild: the next step finds the matches again.
    void Forget() { tree_ = nullptr; }

    // "3 of 17 matches for "Paris"", or "No member matches "Paris"".
    static QString StatusText(const Step& step, const QString& text);

  private:
    const ViewTree* tree_ = nullptr;
    size_t nodeCount_ = 0;
    QString text_;
    std::vector<int> matches_;
};

}  // namespace viewer
