#pragma once
// The reports of the application information window, without the window: shared
// members, dimension statistics, base member compare, duplicates below a parent, the
// parent members that fill its boxes, and the display of one member list. Each works on
// the DimensionTree it is given and reads it with whole-dimension enumerations, so a
// dimension of a million occurrences costs a few calls, not one per occurrence; the lines
// and their order are those of a walk that asks the server member by member.

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "server/tarsel.h"

namespace appinfo {

// Called now and then during a long report with the items done so far and the items in
// all (total 0 when unknown), so a window can show progress and stay responsive.
using Progress = std::function<void(qsizetype done, qsizetype total)>;

// One line per occurrence of a member that occurs again later in the depth-first walk:
// "<label> (<parent label>)", " **" after a parent member, each followed by CR LF; a top
// occurrence names the parent "<DimRoot>". "No Shared Members Detected" when there is none.
QString SharedMembersReport(tarsel::DimensionTree& tree, const Progress& progress = {});

struct StatisticsReport {
    QString text;
    // Set, and the Entity block left out, when the threshold text is not a whole number.
    QString thresholdProblem;
};

// The nine totals separated by empty lines, then the block of the tree's dimension: the
// [System] accounts, the entity parents with more children than the threshold, the
// [Currencies] and [ConsolMethods] members of Custom1, the [Currencies] of Custom2. A
// system list that the dimension does not offer counts 0. thresholdText is the text of
// the threshold box: compared by its numeric value, repeated in the report as typed.
StatisticsReport DimensionStatistics(tarsel::DimensionTree& tree, const QString& thresholdText);

// The threshold box's whole number (blanks around it allowed); empty for other text.
std::optional<qint64> ParseThreshold(const QString& text);

// The heading, then the label of each base member occurrence below fromParent whose
// member is nowhere below toParent, in the order of the base members of fromParent.
QString BaseMemberCompareReport(tarsel::DimensionTree& tree, const QString& fromParent,
                                const QString& toParent, const Progress& progress = {});

// The heading, then the label of every occurrence below parent of a member that occurs
// there more than once, in walk order (a member k times below the parent: k lines).
QString DuplicatesBelowParentReport(tarsel::DimensionTree& tree, const QString& parent,
                                    const Progress& progress = {});

// The labels of the dimension's parent members, in the order of EnumAllMemberLabels.
QStringList ParentMemberLabels(tarsel::DimensionTree& tree, const Progress& progress = {});

// The member list names a list box offers: every name but "[Hierarchy]" and "[System]".
QStringList OfferedMemberListNames(tarsel::DimensionTree& tree);

struct MemberListDisplay {
    QStringList rows;  // one per member of the list, " **" after a parent
    QString summary;   // "<Dimension> list  <LIST>  -  <n> members", or "<Dimension> list  "
};

// The members of one list of tree's dimension. A name in square brackets is a system list
// and shows the distinct base members below topMember (the whole dimension when it is
// empty); a user list shows its own members, each as often as the list names it.
MemberListDisplay ShowMemberList(tarsel::DimensionTree& tree, const QString& dimensionName,
                                 const QString& listName, const QString& topMember,
                                 const Progress& progress = {});

}  // namespace appinfo
