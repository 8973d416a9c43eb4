#pragma once
// What the member list builder does, without the window: the two member pickers read
// from a dimension, the generated list syntax and its confirmation, the members of an
// existing list and the stored list file as text.

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "server/tarsel.h"

namespace listbuilder {

// One node of the hierarchy picker: one occurrence of a member under a parent.
struct HierarchyNode {
    QString key;      // "INDX" + position of the pair + "C" + member id
    QString tag;      // the member's label
    QString text;     // label + " - " + description
    int parent = -1;  // index of the parent node, -1 at the top
};

// One item of the flat picker. label is the exact label, whatever text shows.
struct FlatItem {
    QString label;
    QString text;  // label + " - " + description
};

struct Pickers {
    std::vector<HierarchyNode> nodes;  // in order of addition; a parent before its children
    std::vector<FlatItem> items;       // in EnumAllMemberIDs order
};

// Called now and then with the pairs placed so far and their total.
using LoadProgress = std::function<void(qsizetype done, qsizetype total)>;

// Reads both pickers, descriptions in language 0. Each occurrence hangs below the most
// recently added node of its parent member; an occurrence whose parent has no earlier
// node goes to the top rather than being lost.
Pickers LoadPickers(tarsel::DimensionTree& dimension, const LoadProgress& progress = {});

// The text of the one new list for the dimension named dimensionName (as the server
// spells it), with "#" where the list numbers go.
QString GenerateListSyntax(const QString& dimensionName, const QString& listName,
                           const QStringList& members);
// The confirmation shown after generating; memberCount counts duplicates too.
QString ListWrittenText(const QString& dimensionName, const QString& listName,
                        qsizetype memberCount);

// The list viewer for one chosen list: its members (parents followed by " **") and the
// summary line, dimensionName in upper case.
struct ListMembers {
    QStringList items;
    QString summary;
};
ListMembers ReadListMembers(tarsel::DimensionTree& dimension, const QString& dimensionName,
                            const QString& listName);

// The stored member list file as text, or the sentence saying there is none.
QString CurrentListFileText(tarsel::SystemInfo& systemInfo);

}  // namespace listbuilder
