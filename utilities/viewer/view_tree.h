#pragma once
// The contents of the viewer's trees as plain values: the hierarchy in depth-first
// pre-order (one node per occurrence of a member under a parent), the flat list of
// filtered entities, and the copy below a top member.

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "server/tarsel.h"
#include "utilities/viewer/member_text.h"

namespace viewer {

struct ViewNode {
    QString key;   // position in the build + "KEY"; empty in the filtered list
    QString tag;   // parent id "_" parent label "#" id "_" label; empty in the filtered list
    QString text;  // the member text
    tarsel::MemberId id = tarsel::kNoMember;
    int parent = -1;  // index of the parent node, -1 at the top
    int level = 1;    // 1 at the top
    // Where the pieces of text lie, so they are read back without parsing the text.
    int labelLength = 0;
    int descriptionLength = 0;
    std::vector<int> itemLengths;  // one per attribute item inside text; empty when hidden

    QString label() const { return text.left(labelLength); }
    QString description() const { return text.mid(labelLength + 3, descriptionLength); }
    // The attribute items as written in text, name "=" value.
    QStringList items() const;
};

// Node i's parent always comes before it; children follow their parent in order.
struct ViewTree {
    std::vector<ViewNode> nodes;
    int memberCount = 0;  // the nodes counted for the totals line
    int maxLevel = 1;

    void clear() { *this = ViewTree{}; }
};

// Called every few thousand nodes with the number of nodes made so far.
using BuildProgress = std::function<void(int nodesSoFar)>;
inline constexpr int kProgressInterval = 2000;

// Makes the node for a member with its text.
ViewNode MakeNode(const MemberText& text, bool showAttributes);

// Reads the whole hierarchy of the dimension from the top members down, each member's
// label and text once however many parents it has. The tree is
// filled as the walk goes: when a server call fails, the exception leaves it holding
// every node completed before, with its counts. A member met again among its own
// ancestors gets its node but is not descended into again.
void BuildHierarchy(tarsel::DimensionTree& dimension, MemberTextSource& texts, ViewTree& tree,
                    const BuildProgress& progress = {});

// The entities of EnumAllMemberIDs that have a text, one top-level node each, in that
// order. Filled as it goes, like BuildHierarchy.
void BuildFilteredList(tarsel::DimensionTree& dimension, MemberTextSource& texts, ViewTree& tree,
                       const BuildProgress& progress = {});

// The node at index and everything below it, with the same keys, tags and texts:
// memberCount counts the copied nodes and maxLevel is the depth with the top as 1.
ViewTree CopySubtree(const ViewTree& tree, int index);

// "42 Total Members - 4 levels"
QString TotalsLine(int memberCount, int levels);
// "12 Total Members from Top Member of Revenue - 3 levels"
QString TopMemberTotalsLine(int memberCount, const QString& topLabel, int levels);

// The entries of the two filter lists, each starting with its "ALL ..." entry, each
// entry once.
QStringList SecurityClassChoices(const QStringList& classNames);
QStringList CurrencyChoices(const QStringList& valueLabels);
bool IsCurrencyChoice(const QString& valueLabel);

}  // namespace viewer
