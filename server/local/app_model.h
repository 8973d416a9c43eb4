#pragma once
// The metadata of one application as plain values: what the .app reader produces, what
// the store creates an application from, and what the store reads back for writing.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

#include "server/tarsel.h"

namespace tarsel::local {

struct MemberModel {
    QString label;
    // One per application language, in the order of AppModel::languages; missing or empty
    // entries mean "no description in that language".
    QStringList descriptions;
    QString securityClass;             // empty: none
    std::array<QString, 3> userDefined;  // UD1..UD3

    // Flags that feed the computed system lists.
    bool isSystem = false;        // [System]
    bool isCurrency = false;      // [Currencies] (Custom1 currency members)
    bool isConsolMethod = false;  // [ConsolMethods]

    // Account attributes
    int accountType = account_type::Balance;
    bool isCalculated = false;
    bool isConsolidated = true;
    bool usesLineItems = false;
    int icpType = icp_type::No;
    int decimalPlaces = 0;
    std::array<QString, 4> topCustom;  // labels in Custom1..Custom4; empty: none
    std::array<bool, 4> customAggregationEnabled{true, true, true, true};

    // Entity attributes
    QString defaultCurrency;  // a Value member label; empty: none
    bool allowAdjs = false;
    bool allowAdjsFromChildren = false;
    bool isIcp = false;
};

// One occurrence of a member in the hierarchy. parent empty: a top member. The order of
// relations is the order of top members and of each parent's children.
struct RelationModel {
    QString parent;
    QString child;
};

struct MemberListEntry {
    QString member;
    QString parent;  // entity lists: the parent of this occurrence; empty otherwise / top
};

struct MemberListModel {
    QString name;
    std::vector<MemberListEntry> entries;
};

struct DimensionModel {
    std::vector<MemberModel> members;    // in the order they were defined
    std::vector<RelationModel> hierarchy;
    std::vector<MemberListModel> memberLists;  // user lists, in the order defined
};

struct AppModel {
    QString name;
    QStringList languages;        // language labels; index = language index
    QStringList securityClasses;  // names, in order
    std::array<DimensionModel, kDimensionCount> dimensions;  // indexed by Dimension
    std::optional<QByteArray> memberListFile;                 // the stored file's bytes

    DimensionModel& dim(Dimension d) { return dimensions[static_cast<size_t>(d)]; }
    const DimensionModel& dim(Dimension d) const { return dimensions[static_cast<size_t>(d)]; }
};

}  // namespace tarsel::local
