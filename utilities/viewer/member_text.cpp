#include "utilities/viewer/member_text.h"

#include <array>

namespace viewer {

using tarsel::MemberId;

QString AccountTypeWord(int32_t code) {
    static const std::array<const char*, 13> words = {
        "Income",     "Expense",          "Asset",        "Liability", "Balance",
        "Flow",       "Non-Financial",    "CurrencyRate", "System",    "Text",
        "GroupLabel", "BalanceRecurring", "Dynamic"};
    if (code < 0 || code >= static_cast<int32_t>(words.size())) {
        return QStringLiteral("TYPEERROR");
    }
    return QString::fromLatin1(words[static_cast<size_t>(code)]);
}

QString IcpWord(int32_t code) {
    switch (code) {
        case tarsel::icp_type::Yes:
            return QStringLiteral("Yes");
        case tarsel::icp_type::No:
            return QStringLiteral("No");
        case tarsel::icp_type::Restricted:
            return QStringLiteral("Restricted");
        default:
            return QStringLiteral("**Error**");
    }
}

QString TruthWord(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

namespace {
bool PickPasses(const QString& pick, const QString& allEntry, const QString& value) {
    if (pick.isEmpty() || pick == allEntry) {
        return true;
    }
    return pick.toUpper() == value.toUpper();
}
}  // namespace

bool EntityFilter::Passes(const QString& currencyLabel, const QString& className) const {
    return PickPasses(currency, kAllCurrencies, currencyLabel) &&
           PickPasses(securityClass, kAllSecurityClasses, className);
}

MemberTextSource::MemberTextSource(std::shared_ptr<tarsel::DimensionTree> dimension,
                                   QString dimensionName,
                                   std::shared_ptr<tarsel::SessionMetadata> metadata,
                                   std::shared_ptr<tarsel::Security> security, int languageIndex,
                                   TextOptions options, EntityFilter filter)
    : dimension_(std::move(dimension)),
      dimensionName_(std::move(dimensionName)),
      metadata_(std::move(metadata)),
      security_(std::move(security)),
      languageIndex_(languageIndex),
      options_(options),
      filter_(std::move(filter)) {}

MemberText MemberTextSource::Read(MemberId id) {
    return Read(id, dimension_->GetMemberLabel(id));
}

MemberText MemberTextSource::Read(MemberId id, const QString& label) {
    MemberText text;
    text.label = label;
    text.description = dimension_->GetMemberDescription(id, languageIndex_);
    text.attributes = Attributes(id);
    return text;
}

QString MemberTextSource::Text(MemberId id) {
    return ComposeMemberText(Read(id), options_.showAttributes);
}

std::vector<AttributeItem> MemberTextSource::Attributes(MemberId id) {
    if (dimensionName_ == QLatin1String("ACCOUNT")) {
        return AccountAttributes(id);
    }
    if (dimensionName_ == QLatin1String("ENTITY")) {
        return EntityAttributes(id);
    }
    if (dimensionName_.size() == 7 && dimensionName_.startsWith(QLatin1String("CUSTOM")) &&
        dimensionName_.back() >= QLatin1Char('1') && dimensionName_.back() <= QLatin1Char('4')) {
        return CustomAttributes(id);
    }
    return {};
}

QString MemberTextSource::LabelIn(int dimensionNumber, MemberId id) {
    if (id == tarsel::kNoMember) {
        return {};
    }
    const qint64 key = (static_cast<qint64>(dimensionNumber) << 32) | static_cast<uint32_t>(id);
    auto it = labels_.constFind(key);
    if (it != labels_.constEnd()) {
        return *it;
    }
    auto& tree = otherTrees_[dimensionNumber];
    if (!tree) {
        tree = metadata_->GetDimensionByIndex(dimensionNumber);
    }
    const QString label = tree->GetMemberLabel(id);
    labels_.insert(key, label);
    return label;
}

QString MemberTextSource::SecurityClassValue(int32_t classId) {
    if (classId == -1) {
        return QStringLiteral("[Default]");
    }
    auto it = classNames_.constFind(classId);
    if (it == classNames_.constEnd()) {
        QString name = security_->GetSecurityClassName(classId);
        if (name.trimmed().isEmpty()) {
            name = QStringLiteral("[Default]");
        }
        it = classNames_.insert(classId, name);
    }
    return *it;
}

void MemberTextSource::AddExpandedHierarchyItems(MemberId id, std::vector<AttributeItem>& items) {
    items.push_back({QStringLiteral("DefaultParent"), dimension_->GetDefaultParentLabel(id)});
    const QString generation = QString::number(dimension_->GetDefaultParentGeneration(id));
    const bool base = dimension_->GetLevelsBelow(id) == 0;
    items.push_back(
        {QStringLiteral("HierRelationship"),
         (base ? QStringLiteral("Base[DefParGen:") : QStringLiteral("Parent[DefParGen:")) +
             generation + QLatin1Char(']')});
}

std::vector<AttributeItem> MemberTextSource::AccountAttributes(MemberId id) {
    if (!account_) {
        account_ = dimension_->QueryAccountAttributes();
    }
    auto& a = *account_;
    std::vector<AttributeItem> items;
    items.reserve(options_.expanded ? 20 : 10);
    items.push_back({QStringLiteral("Type"), AccountTypeWord(a.GetAccountType(id))});
    items.push_back({QStringLiteral("IsICP"), IcpWord(a.GetICPType(id))});
    for (int c = 1; c <= 4; ++c) {
        const int customDimension = static_cast<int>(tarsel::Dimension::Custom1) + c - 1;
        items.push_back({QStringLiteral("TopC%1").arg(c),
                         LabelIn(customDimension, a.GetTopCustomMemberID(c, id))});
    }
    items.push_back({QStringLiteral("Security"), SecurityClassValue(a.GetSecurityClassID(id))});
    for (int u = 1; u <= 3; ++u) {
        items.push_back({QStringLiteral("UD%1").arg(u), a.GetUserDefined(u, id)});
    }
    if (options_.expanded) {
        AddExpandedHierarchyItems(id, items);
        items.push_back({QStringLiteral("DecPlaces"), QString::number(a.GetDecimalPlaces(id))});
        items.push_back({QStringLiteral("IsCalc"), TruthWord(a.GetIsCalculated(id))});
        items.push_back({QStringLiteral("IsCons"), TruthWord(a.GetIsConsolidated(id))});
        items.push_back({QStringLiteral("IsLID"), TruthWord(a.GetUsesLineItems(id))});
        for (int c = 1; c <= 4; ++c) {
            items.push_back({QStringLiteral("C%1AggEnabled").arg(c),
                             TruthWord(a.GetCustomAggregationEnabled(c, id))});
        }
    }
    return items;
}

std::vector<AttributeItem> MemberTextSource::EntityAttributes(MemberId id) {
    if (!entity_) {
        entity_ = dimension_->QueryEntityAttributes();
    }
    auto& e = *entity_;
    const QString currency =
        LabelIn(static_cast<int>(tarsel::Dimension::Value), e.GetDefaultCurrencyID(id));
    const QString securityClass = SecurityClassValue(e.GetSecurityClassID(id));
    if (filter_.on && !filter_.Passes(currency, securityClass)) {
        return {};
    }
    std::vector<AttributeItem> items;
    items.reserve(10);
    items.push_back({QStringLiteral("Currency"), currency});
    items.push_back({QStringLiteral("Adjs"), TruthWord(e.GetAllowAdjs(id))});
    items.push_back({QStringLiteral("ChildAdjs"), TruthWord(e.GetAllowAdjsFromChildren(id))});
    items.push_back({QStringLiteral("Security"), securityClass});
    items.push_back({QStringLiteral("ICP"), TruthWord(e.GetIsICP(id))});
    for (int u = 1; u <= 3; ++u) {
        const QString text = e.GetUserDefined(u, id);
        items.push_back({QStringLiteral("UD%1").arg(u),
                         text.trimmed().isEmpty() ? QStringLiteral("[None]") : text});
    }
    if (options_.expanded) {
        AddExpandedHierarchyItems(id, items);
    }
    return items;
}

std::vector<AttributeItem> MemberTextSource::CustomAttributes(MemberId id) {
    if (!custom_) {
        // The attributes come from the dimension named by the session state, as the
        // accessor of that name gives it.
        const int number =
            static_cast<int>(tarsel::Dimension::Custom1) + (dimensionName_.back().unicode() - '1');
        custom_ = metadata_->GetDimensionByIndex(number)->QueryCustomAttributes();
    }
    auto& c = *custom_;
    std::vector<AttributeItem> items;
    items.reserve(4);
    for (int u = 1; u <= 3; ++u) {
        items.push_back({QStringLiteral("UD%1").arg(u), c.GetUserDefined(u, id)});
    }
    items.push_back({QStringLiteral("Security"), SecurityClassValue(c.GetSecurityClassID(id))});
    return items;
}

QString ComposeMemberText(const MemberText& text, bool showAttributes) {
    if (text.attributes.empty()) {
        return {};
    }
    QString result = text.label + QStringLiteral(" - ") + text.description;
    if (showAttributes) {
        result += QStringLiteral(" (");
        bool first = true;
        for (const auto& item : text.attributes) {
            if (!first) {
                result += QStringLiteral(", ");
            }
            first = false;
            result += item.name + QLatin1Char('=') + item.value;
        }
        result += QLatin1Char(')');
    }
    return result;
}

}  // namespace viewer
