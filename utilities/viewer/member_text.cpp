#include "utilities/viewer/member_text.h"

namespace viewer {

using tarsel::MemberId;

QString AccountTypeWord(int32_t code) {
    const QString name = tarsel::AccountTypeName(code);
    return name.isEmpty() ? QStringLiteral("TYPEERROR") : name;
}

QString IcpWord(int32_t code) {
    const QString name = tarsel::IcpTypeName(code);
    return name.isEmpty() ? QStringLiteral("**Error**") : name;
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

MemberTextSource::MemberTextSource(std::shared_ptr<tarsel::DimensionTree> tree,
                                   std::optional<tarsel::Dimension> dimension,
                                   std::shared_ptr<tarsel::SessionMetadata> metadata,
                                   std::shared_ptr<tarsel::Security> security, int languageIndex,
                                   TextOptions options, EntityFilter filter)
    : tree_(std::move(tree)),
      dimension_(dimension),
      metadata_(std::move(metadata)),
      security_(std::move(security)),
      languageIndex_(languageIndex),
      options_(options),
      filter_(std::move(filter)) {}

MemberText MemberTextSource::Read(MemberId id) {
    return Read(id, tree_->GetMemberLabel(id));
}

MemberText MemberTextSource::Read(MemberId id, const QString& label) {
    MemberText text;
    text.label = label;
    text.description = tree_->GetMemberDescription(id, languageIndex_);
    text.attributes = Attributes(id);
    return text;
}

QString MemberTextSource::Text(MemberId id) {
    return ComposeMemberText(Read(id), options_.showAttributes);
}

std::vector<AttributeItem> MemberTextSource::Attributes(MemberId id) {
    using tarsel::Dimension;
    if (!dimension_) {
        return {};
    }
    switch (*dimension_) {
        case Dimension::Account:
            return AccountAttributes(id);
        case Dimension::Entity:
            return EntityAttributes(id);
        case Dimension::Custom1:
        case Dimension::Custom2:
        case Dimension::Custom3:
        case Dimension::Custom4:
            return CustomAttributes(id);
        default:
            return {};
    }
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
    items.push_back({QStringLiteral("DefaultParent"), tree_->GetDefaultParentLabel(id)});
    const QString generation = QString::number(tree_->GetDefaultParentGeneration(id));
    const bool base = tree_->GetLevelsBelow(id) == 0;
    items.push_back(
        {QStringLiteral("HierRelationship"),
         (base ? QStringLiteral("Base[DefParGen:") : QStringLiteral("Parent[DefParGen:")) +
             generation + QLatin1Char(']')});
}

std::vector<AttributeItem> MemberTextSource::AccountAttributes(MemberId id) {
    if (!account_) {
        account_ = tree_->QueryAccountAttributes();
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
        entity_ = tree_->QueryEntityAttributes();
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
        custom_ =
            metadata_->GetDimensionByIndex(static_cast<int>(*dimension_))->QueryCustomAttributes();
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
    // Sized once: a build composes a text for every member.
    qsizetype length = text.label.size() + 3 + text.description.size();
    if (showAttributes) {
        length += 1;
        for (const auto& item : text.attributes) {
            length += 2 + item.name.size() + 1 + item.value.size();
        }
    }
    QString result;
    result.reserve(length);
    result += text.label;
    result += QLatin1String(" - ");
    result += text.description;
    if (showAttributes) {
        result += QLatin1String(" (");
        bool first = true;
        for (const auto& item : text.attributes) {
            if (!first) {
                result += QLatin1String(", ");
            }
            first = false;
            result += item.name;
            result += QLatin1Char('=');
            result += item.value;
        }
        result += QLatin1Char(')');
    }
    return result;
}

}  // namespace viewer
