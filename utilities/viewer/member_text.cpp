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
    return std::move(ReadMany({id}).front());
}

std::vector<MemberText> MemberTextSource::ReadMany(const tarsel::IdArray& ids) {
    const QStringList labels = tree_->GetMemberLabels(ids);
    const QStringList descriptions = tree_->GetMemberDescriptions(ids, languageIndex_);
    ItemLists attributes = AttributesOf(ids);
    std::vector<MemberText> texts(ids.size());
    for (size_t i = 0; i < ids.size(); ++i) {
        const auto at = static_cast<qsizetype>(i);
        texts[i] = {labels.value(at), descriptions.value(at), std::move(attributes[i])};
    }
    return texts;
}

QString MemberTextSource::Text(MemberId id) {
    return ComposeMemberText(Read(id), options_.showAttributes);
}

std::vector<AttributeItem> MemberTextSource::Attributes(MemberId id) {
    return std::move(AttributesOf({id}).front());
}

MemberTextSource::ItemLists MemberTextSource::AttributesOf(const tarsel::IdArray& ids) {
    using tarsel::Dimension;
    if (!dimension_) {
        return ItemLists(ids.size());
    }
    switch (*dimension_) {
        case Dimension::Account:
            return AccountAttributes(ids);
        case Dimension::Entity:
            return EntityAttributes(ids);
        case Dimension::Custom1:
        case Dimension::Custom2:
        case Dimension::Custom3:
        case Dimension::Custom4:
            return CustomAttributes(ids);
        default:
            return ItemLists(ids.size());
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

namespace {
QString Truth(uint8_t value) {
    return TruthWord(value != 0);
}
const QString kUserDefinedNames[3] = {QStringLiteral("UD1"), QStringLiteral("UD2"),
                                      QStringLiteral("UD3")};
}  // namespace

void MemberTextSource::AddExpandedHierarchyItems(const tarsel::IdArray& ids, ItemLists& lists) {
    const tarsel::HierarchyPlaces places = tree_->GetHierarchyPlaces(ids);
    for (size_t i = 0; i < ids.size(); ++i) {
        if (lists[i].empty()) {
            continue;
        }
        const QString generation = QString::number(places.defaultGenerations[i]);
        const bool base = places.levelsBelow[i] == 0;
        lists[i].push_back({QStringLiteral("DefaultParent"),
                            places.defaultParentLabels.value(static_cast<qsizetype>(i))});
        lists[i].push_back(
            {QStringLiteral("HierRelationship"),
             (base ? QStringLiteral("Base[DefParGen:") : QStringLiteral("Parent[DefParGen:")) +
                 generation + QLatin1Char(']')});
    }
}

MemberTextSource::ItemLists MemberTextSource::AccountAttributes(const tarsel::IdArray& ids) {
    if (!account_) {
        account_ = tree_->QueryAccountAttributes();
    }
    const tarsel::AccountAttributeValues a = account_->GetAttributes(ids);
    ItemLists lists(ids.size());
    for (size_t i = 0; i < ids.size(); ++i) {
        auto& items = lists[i];
        items.reserve(options_.expanded ? 20 : 10);
        items.push_back({QStringLiteral("Type"), AccountTypeWord(a.accountType[i])});
        items.push_back({QStringLiteral("IsICP"), IcpWord(a.icpType[i])});
        for (size_t c = 0; c < 4; ++c) {
            const int customDimension =
                static_cast<int>(tarsel::Dimension::Custom1) + static_cast<int>(c);
            items.push_back(
                {QStringLiteral("TopC%1").arg(c + 1), LabelIn(customDimension, a.topCustom[c][i])});
        }
        items.push_back({QStringLiteral("Security"), SecurityClassValue(a.securityClass[i])});
        for (size_t u = 0; u < 3; ++u) {
            items.push_back(
                {kUserDefinedNames[u], a.userDefined[u].value(static_cast<qsizetype>(i))});
        }
    }
    if (options_.expanded) {
        AddExpandedHierarchyItems(ids, lists);
        for (size_t i = 0; i < ids.size(); ++i) {
            auto& items = lists[i];
            items.push_back({QStringLiteral("DecPlaces"), QString::number(a.decimalPlaces[i])});
            items.push_back({QStringLiteral("IsCalc"), Truth(a.isCalculated[i])});
            items.push_back({QStringLiteral("IsCons"), Truth(a.isConsolidated[i])});
            items.push_back({QStringLiteral("IsLID"), Truth(a.usesLineItems[i])});
            for (size_t c = 0; c < 4; ++c) {
                items.push_back(
                    {QStringLiteral("C%1AggEnabled").arg(c + 1), Truth(a.customAggregation[c][i])});
            }
        }
    }
    return lists;
}

MemberTextSource::ItemLists MemberTextSource::EntityAttributes(const tarsel::IdArray& ids) {
    if (!entity_) {
        entity_ = tree_->QueryEntityAttributes();
    }
    const tarsel::EntityAttributeValues e = entity_->GetAttributes(ids);
    ItemLists lists(ids.size());
    for (size_t i = 0; i < ids.size(); ++i) {
        const QString currency =
            LabelIn(static_cast<int>(tarsel::Dimension::Value), e.defaultCurrency[i]);
        const QString securityClass = SecurityClassValue(e.securityClass[i]);
        if (filter_.on && !filter_.Passes(currency, securityClass)) {
            continue;
        }
        auto& items = lists[i];
        items.reserve(10);
        items.push_back({QStringLiteral("Currency"), currency});
        items.push_back({QStringLiteral("Adjs"), Truth(e.allowAdjs[i])});
        items.push_back({QStringLiteral("ChildAdjs"), Truth(e.allowAdjsFromChildren[i])});
        items.push_back({QStringLiteral("Security"), securityClass});
        items.push_back({QStringLiteral("ICP"), Truth(e.isIcp[i])});
        for (size_t u = 0; u < 3; ++u) {
            const QString text = e.userDefined[u].value(static_cast<qsizetype>(i));
            items.push_back(
                {kUserDefinedNames[u], text.trimmed().isEmpty() ? QStringLiteral("[None]") : text});
        }
    }
    if (options_.expanded) {
        AddExpandedHierarchyItems(ids, lists);
    }
    return lists;
}

MemberTextSource::ItemLists MemberTextSource::CustomAttributes(const tarsel::IdArray& ids) {
    if (!custom_) {
        // The attributes come from the dimension named by the session state, as the
        // accessor of that name gives it.
        custom_ =
            metadata_->GetDimensionByIndex(static_cast<int>(*dimension_))->QueryCustomAttributes();
    }
    const tarsel::CustomAttributeValues c = custom_->GetAttributes(ids);
    ItemLists lists(ids.size());
    for (size_t i = 0; i < ids.size(); ++i) {
        auto& items = lists[i];
        items.reserve(4);
        for (size_t u = 0; u < 3; ++u) {
            items.push_back(
                {kUserDefinedNames[u], c.userDefined[u].value(static_cast<qsizetype>(i))});
        }
        items.push_back({QStringLiteral("Security"), SecurityClassValue(c.securityClass[i])});
    }
    return lists;
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
