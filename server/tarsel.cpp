#include "server/tarsel.h"

#include <array>

namespace tarsel {

TarselError::TarselError(int32_t number, QString source, QString description)
    : std::runtime_error(description.toStdString()),
      number_(number),
      source_(std::move(source)),
      description_(std::move(description)) {}

void ThrowClientError(int32_t number, const QString& description) {
    throw TarselError(number, QString::fromLatin1(kClientLibrarySource), description);
}

namespace {

// Indexed by dimension number.
constexpr std::array<const char*, kDimensionCount> kDimensionNames = {
    "Scenario", "Year", "Period",  "View",    "Entity",  "Value",
    "Account",  "ICP",  "Custom1", "Custom2", "Custom3", "Custom4"};

// Indexed by account type code.
constexpr std::array<const char*, 13> kAccountTypeNames = {
    "Income",       "Expense", "Asset", "Liability",  "Balance",          "Flow",   "Non-Financial",
    "CurrencyRate", "System",  "Text",  "GroupLabel", "BalanceRecurring", "Dynamic"};

struct IcpWord {
    int32_t code;
    const char* word;
};
constexpr std::array<IcpWord, 3> kIcpTypeNames = {{
    {icp_type::Yes, "Yes"},
    {icp_type::No, "No"},
    {icp_type::Restricted, "Restricted"},
}};

template <size_t N>
std::optional<int32_t> IndexOfWord(const std::array<const char*, N>& words, QStringView word) {
    for (size_t i = 0; i < N; ++i) {
        if (word.compare(QLatin1String(words[i]), Qt::CaseInsensitive) == 0) {
            return static_cast<int32_t>(i);
        }
    }
    return std::nullopt;
}

}  // namespace

QString DimensionDisplayName(int dimensionNumber) {
    if (dimensionNumber < 0 || dimensionNumber >= kDimensionCount) {
        return {};
    }
    return QString::fromLatin1(kDimensionNames[static_cast<size_t>(dimensionNumber)]);
}

QString DimensionDisplayName(Dimension dimension) {
    return DimensionDisplayName(static_cast<int>(dimension));
}

QString DimensionUpperName(Dimension dimension) {
    return DimensionDisplayName(dimension).toUpper();
}

std::optional<Dimension> ParseDimensionName(QStringView name) {
    const auto index = IndexOfWord(kDimensionNames, name);
    if (!index) {
        return std::nullopt;
    }
    return static_cast<Dimension>(*index);
}

QString AccountTypeName(int32_t code) {
    if (code < 0 || code >= static_cast<int32_t>(kAccountTypeNames.size())) {
        return {};
    }
    return QString::fromLatin1(kAccountTypeNames[static_cast<size_t>(code)]);
}

std::optional<int32_t> ParseAccountTypeName(QStringView word) {
    return IndexOfWord(kAccountTypeNames, word);
}

QString IcpTypeName(int32_t code) {
    for (const IcpWord& known : kIcpTypeNames) {
        if (known.code == code) {
            return QString::fromLatin1(known.word);
        }
    }
    return {};
}

std::optional<int32_t> ParseIcpTypeName(QStringView word) {
    for (const IcpWord& known : kIcpTypeNames) {
        if (word.compare(QLatin1String(known.word), Qt::CaseInsensitive) == 0) {
            return known.code;
        }
    }
    return std::nullopt;
}

// The bulk reads of a server that answers member by member.

namespace {
template <typename Attributes>
void AppendUserDefined(Attributes& attributes, MemberId id, std::array<QStringList, 3>& columns) {
    for (int u = 0; u < 3; ++u) {
        columns[static_cast<size_t>(u)].push_back(attributes.GetUserDefined(u + 1, id));
    }
}
}  // namespace

QStringList DimensionTree::GetMemberLabels(const IdArray& ids) {
    QStringList labels;
    labels.reserve(static_cast<qsizetype>(ids.size()));
    for (const MemberId id : ids) {
        labels.push_back(GetMemberLabel(id));
    }
    return labels;
}

QStringList DimensionTree::GetMemberDescriptions(const IdArray& ids, int languageIndex) {
    QStringList descriptions;
    descriptions.reserve(static_cast<qsizetype>(ids.size()));
    for (const MemberId id : ids) {
        descriptions.push_back(GetMemberDescription(id, languageIndex));
    }
    return descriptions;
}

HierarchyPlaces DimensionTree::GetHierarchyPlaces(const IdArray& ids) {
    HierarchyPlaces places;
    for (const MemberId id : ids) {
        places.defaultParentLabels.push_back(GetDefaultParentLabel(id));
        places.defaultGenerations.push_back(GetDefaultParentGeneration(id));
        places.levelsBelow.push_back(GetLevelsBelow(id));
    }
    return places;
}

AccountAttributeValues AccountAttributes::GetAttributes(const IdArray& ids) {
    AccountAttributeValues v;
    for (const MemberId id : ids) {
        v.accountType.push_back(GetAccountType(id));
        v.icpType.push_back(GetICPType(id));
        for (int c = 0; c < 4; ++c) {
            v.topCustom[static_cast<size_t>(c)].push_back(GetTopCustomMemberID(c + 1, id));
        }
        v.securityClass.push_back(GetSecurityClassID(id));
        AppendUserDefined(*this, id, v.userDefined);
        v.decimalPlaces.push_back(GetDecimalPlaces(id));
        v.isCalculated.push_back(GetIsCalculated(id));
        v.isConsolidated.push_back(GetIsConsolidated(id));
        v.usesLineItems.push_back(GetUsesLineItems(id));
        for (int c = 0; c < 4; ++c) {
            v.customAggregation[static_cast<size_t>(c)].push_back(
                GetCustomAggregationEnabled(c + 1, id));
        }
    }
    return v;
}

EntityAttributeValues EntityAttributes::GetAttributes(const IdArray& ids) {
    EntityAttributeValues v;
    for (const MemberId id : ids) {
        v.defaultCurrency.push_back(GetDefaultCurrencyID(id));
        v.securityClass.push_back(GetSecurityClassID(id));
        v.allowAdjs.push_back(GetAllowAdjs(id));
        v.allowAdjsFromChildren.push_back(GetAllowAdjsFromChildren(id));
        v.isIcp.push_back(GetIsICP(id));
        AppendUserDefined(*this, id, v.userDefined);
    }
    return v;
}

CustomAttributeValues CustomAttributes::GetAttributes(const IdArray& ids) {
    CustomAttributeValues v;
    for (const MemberId id : ids) {
        AppendUserDefined(*this, id, v.userDefined);
        v.securityClass.push_back(GetSecurityClassID(id));
    }
    return v;
}

}  // namespace tarsel
