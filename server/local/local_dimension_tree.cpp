#include "server/local/local_dimension_tree.h"

#include <array>

#include "server/local/model_check.h"
#include "server/tarsel_error.h"

namespace tarsel::local {

namespace {

using IndexPtr = std::shared_ptr<const DimensionIndex>;

QString DimName(const DimensionIndex& index) {
    return DimensionDisplayName(index.dimension());
}

void CheckId(const DimensionIndex& index, MemberId id) {
    if (!index.IsMember(id)) {
        ThrowClientError(code::kUnknownMemberId,
                         QStringLiteral("The member id %1 is not a member of the %2 dimension.")
                             .arg(id)
                             .arg(DimName(index)));
    }
}

// The bulk reads check every id before they answer, so they fail as a single read would.
void CheckIds(const DimensionIndex& index, const IdArray& ids) {
    for (const MemberId id : ids) {
        CheckId(index, id);
    }
}

void FillUserDefined(const DimensionIndex& index, const IdArray& ids,
                     std::array<QStringList, 3>& userDefined) {
    for (int u = 0; u < 3; ++u) {
        QStringList& column = userDefined[static_cast<size_t>(u)];
        column.reserve(static_cast<qsizetype>(ids.size()));
        for (const MemberId id : ids) {
            column.push_back(index.UserDefined(u, id));
        }
    }
}

IdArray ToArray(std::span<const int32_t> ids) {
    return IdArray(ids.begin(), ids.end());
}

struct SystemList {
    int32_t id;
    const char* name;
};
constexpr std::array<SystemList, 6> kSystemLists{{{system_list::Hierarchy, "[Hierarchy]"},
                                                  {system_list::Base, "[Base]"},
                                                  {system_list::Parents, "[Parents]"},
                                                  {system_list::System, "[System]"},
                                                  {system_list::Currencies, "[Currencies]"},
                                                  {system_list::ConsolMethods, "[ConsolMethods]"}}};

// [Currencies] and [ConsolMethods] are offered only where some member carries the flag;
// the other system lists always.
bool Offered(const DimensionIndex& index, int32_t listId) {
    switch (listId) {
        case system_list::Currencies:
            return index.AnyFlag(member_flag::Currency);
        case system_list::ConsolMethods:
            return index.AnyFlag(member_flag::ConsolMethod);
        default:
            return listId >= 0 && listId < static_cast<int32_t>(kSystemLists.size());
    }
}

bool IsSystemMember(const DimensionIndex& index, int32_t id) {
    const MemberAttributes& a = index.Attributes(id);
    return (a.flags & member_flag::System) != 0 ||
           (index.dimension() == Dimension::Account && a.accountType == account_type::System);
}

IdArray SystemListMembers(const DimensionIndex& index, int32_t listId) {
    const auto& order = index.DistinctOrder();
    IdArray result;
    auto keep = [&](auto predicate) {
        for (const int32_t id : order) {
            if (predicate(id)) {
                result.push_back(id);
            }
        }
    };
    switch (listId) {
        case system_list::Hierarchy:
            return IdArray(order.begin(), order.end());
        case system_list::Base:
            keep([&](int32_t id) { return index.Children(id).empty(); });
            break;
        case system_list::Parents:
            keep([&](int32_t id) { return !index.Children(id).empty(); });
            break;
        case system_list::System:
            keep([&](int32_t id) { return IsSystemMember(index, id); });
            break;
        case system_list::Currencies:
            keep([&](int32_t id) {
                return (index.Attributes(id).flags & member_flag::Currency) != 0;
            });
            break;
        case system_list::ConsolMethods:
            keep([&](int32_t id) {
                return (index.Attributes(id).flags & member_flag::ConsolMethod) != 0;
            });
            break;
        default:
            break;
    }
    return result;
}

[[noreturn]] void UnknownList(const DimensionIndex& index, MemberId listId) {
    ThrowClientError(code::kUnknownMemberList,
                     QStringLiteral("The member list id %1 is not a list of the %2 dimension.")
                         .arg(listId)
                         .arg(DimName(index)));
}

class LocalAccountAttributes : public AccountAttributes {
  public:
    explicit LocalAccountAttributes(std::shared_ptr<ApplicationFile> file)
        : file_(std::move(file)) {}
    int32_t GetAccountType(MemberId id) override { return Get(id).accountType; }
    bool GetIsCalculated(MemberId id) override { return Flag(id, member_flag::Calculated); }
    bool GetUsesLineItems(MemberId id) override { return Flag(id, member_flag::LineItems); }
    bool GetIsConsolidated(MemberId id) override { return Flag(id, member_flag::Consolidated); }
    MemberId GetTopCustomMemberID(int customNumber, MemberId id) override {
        CheckNumber(customNumber, 4, QStringLiteral("custom dimension"));
        return Get(id).topCustom[static_cast<size_t>(customNumber - 1)];
    }
    int32_t GetDecimalPlaces(MemberId id) override { return Get(id).decimalPlaces; }
    bool GetCustomAggregationEnabled(int customNumber, MemberId id) override {
        CheckNumber(customNumber, 4, QStringLiteral("custom dimension"));
        return Flag(id, member_flag::CustomAggregation1 << (customNumber - 1));
    }
    QString GetUserDefined(int number, MemberId id) override {
        CheckNumber(number, 3, QStringLiteral("user-defined field"));
        const IndexPtr index = file_->Index(Dimension::Account);
        CheckId(*index, id);
        return index->UserDefined(number - 1, id);
    }
    int32_t GetSecurityClassID(MemberId id) override { return Get(id).securityClass; }
    int32_t GetICPType(MemberId id) override { return Get(id).icpType; }

    AccountAttributeValues GetAttributes(const IdArray& ids) override {
        const IndexPtr index = file_->Index(Dimension::Account);
        CheckIds(*index, ids);
        AccountAttributeValues v;
        const size_t n = ids.size();
        for (auto* column : {&v.accountType, &v.icpType, &v.securityClass, &v.decimalPlaces}) {
            column->reserve(n);
        }
        for (const MemberId id : ids) {
            const MemberAttributes& a = index->Attributes(id);
            v.accountType.push_back(a.accountType);
            v.icpType.push_back(a.icpType);
            v.securityClass.push_back(a.securityClass);
            v.decimalPlaces.push_back(a.decimalPlaces);
            for (size_t c = 0; c < 4; ++c) {
                v.topCustom[c].push_back(a.topCustom[c]);
                v.customAggregation[c].push_back(
                    (a.flags & (member_flag::CustomAggregation1 << c)) != 0);
            }
            v.isCalculated.push_back((a.flags & member_flag::Calculated) != 0);
            v.usesLineItems.push_back((a.flags & member_flag::LineItems) != 0);
            v.isConsolidated.push_back((a.flags & member_flag::Consolidated) != 0);
        }
        FillUserDefined(*index, ids, v.userDefined);
        return v;
    }

  private:
    MemberAttributes Get(MemberId id) {
        const IndexPtr index = file_->Index(Dimension::Account);
        CheckId(*index, id);
        return index->Attributes(id);
    }
    bool Flag(MemberId id, uint32_t flag) { return (Get(id).flags & flag) != 0; }
    static void CheckNumber(int number, int highest, const QString& what) {
        if (number < 1 || number > highest) {
            ThrowClientError(code::kWrongOptionValue,
                             QStringLiteral("There is no %1 number %2 (1 to %3).")
                                 .arg(what)
                                 .arg(number)
                                 .arg(highest));
        }
    }
    std::shared_ptr<ApplicationFile> file_;
};

void CheckUserDefinedNumber(int number) {
    if (number < 1 || number > 3) {
        ThrowClientError(
            code::kWrongOptionValue,
            QStringLiteral("There is no user-defined field number %1 (1 to 3).").arg(number));
    }
}

class LocalEntityAttributes : public EntityAttributes {
  public:
    explicit LocalEntityAttributes(std::shared_ptr<ApplicationFile> file)
        : file_(std::move(file)) {}
    MemberId GetDefaultCurrencyID(MemberId id) override { return Get(id).defaultCurrency; }
    int32_t GetSecurityClassID(MemberId id) override { return Get(id).securityClass; }
    bool GetAllowAdjs(MemberId id) override { return Get(id).flags & member_flag::AllowAdjs; }
    bool GetIsICP(MemberId id) override { return Get(id).flags & member_flag::Icp; }
    bool GetAllowAdjsFromChildren(MemberId id) override {
        return Get(id).flags & member_flag::AllowAdjsFromChildren;
    }
    QString GetUserDefined(int number, MemberId id) override {
        CheckUserDefinedNumber(number);
        const IndexPtr index = file_->Index(Dimension::Entity);
        CheckId(*index, id);
        return index->UserDefined(number - 1, id);
    }

    EntityAttributeValues GetAttributes(const IdArray& ids) override {
        const IndexPtr index = file_->Index(Dimension::Entity);
        CheckIds(*index, ids);
        EntityAttributeValues v;
        v.defaultCurrency.reserve(ids.size());
        v.securityClass.reserve(ids.size());
        for (const MemberId id : ids) {
            const MemberAttributes& a = index->Attributes(id);
            v.defaultCurrency.push_back(a.defaultCurrency);
            v.securityClass.push_back(a.securityClass);
            v.allowAdjs.push_back((a.flags & member_flag::AllowAdjs) != 0);
            v.isIcp.push_back((a.flags & member_flag::Icp) != 0);
            v.allowAdjsFromChildren.push_back((a.flags & member_flag::AllowAdjsFromChildren) != 0);
        }
        FillUserDefined(*index, ids, v.userDefined);
        return v;
    }

  private:
    MemberAttributes Get(MemberId id) {
        const IndexPtr index = file_->Index(Dimension::Entity);
        CheckId(*index, id);
        return index->Attributes(id);
    }
    std::shared_ptr<ApplicationFile> file_;
};

class LocalCustomAttributes : public CustomAttributes {
  public:
    LocalCustomAttributes(std::shared_ptr<ApplicationFile> file, Dimension dimension)
        : file_(std::move(file)), dimension_(dimension) {}
    QString GetUserDefined(int number, MemberId id) override {
        CheckUserDefinedNumber(number);
        const IndexPtr index = file_->Index(dimension_);
        CheckId(*index, id);
        return index->UserDefined(number - 1, id);
    }
    int32_t GetSecurityClassID(MemberId id) override {
        const IndexPtr index = file_->Index(dimension_);
        CheckId(*index, id);
        return index->Attributes(id).securityClass;
    }

    CustomAttributeValues GetAttributes(const IdArray& ids) override {
        const IndexPtr index = file_->Index(dimension_);
        CheckIds(*index, ids);
        CustomAttributeValues v;
        v.securityClass.reserve(ids.size());
        for (const MemberId id : ids) {
            v.securityClass.push_back(index->Attributes(id).securityClass);
        }
        FillUserDefined(*index, ids, v.userDefined);
        return v;
    }

  private:
    std::shared_ptr<ApplicationFile> file_;
    Dimension dimension_;
};

class LocalDimensionTree : public DimensionTree {
  public:
    LocalDimensionTree(std::shared_ptr<ApplicationFile> file, Dimension dimension)
        : file_(std::move(file)), dimension_(dimension) {}

    QString GetDimensionName() override { return DimensionDisplayName(dimension_); }
    Dimension GetDimension() override { return dimension_; }

    MemberId GetMemberListID(const QString& listName) override {
        const IndexPtr index = Index();
        const QString key = listName.toCaseFolded();
        for (const SystemList& list : kSystemLists) {
            if (QString::fromLatin1(list.name).toCaseFolded() == key) {
                return Offered(*index, list.id) ? list.id : -1;
            }
        }
        const auto& lists = index->UserLists();
        for (size_t l = 0; l < lists.size(); ++l) {
            if (lists[l].name.toCaseFolded() == key) {
                return kFirstUserListId + static_cast<int32_t>(l);
            }
        }
        return -1;
    }

    QStringList EnumMemberListNames() override {
        const IndexPtr index = Index();
        QStringList names;
        for (const SystemList& list : kSystemLists) {
            if (Offered(*index, list.id)) {
                names.append(QString::fromLatin1(list.name));
            }
        }
        for (const UserList& list : index->UserLists()) {
            names.append(list.name);
        }
        return names;
    }

    IdArray EnumMembersInList(MemberId listId, MemberId) override {
        const IndexPtr index = Index();
        if (const UserList* list = FindUserList(*index, listId)) {
            return list->members;
        }
        return SystemListMembers(*index, listId);
    }

    ListMembersForPOV EnumListMembersForPOV(MemberId listId, MemberId, MemberId, MemberId, MemberId,
                                            MemberId) override {
        const IndexPtr index = Index();
        if (const UserList* list = FindUserList(*index, listId)) {
            return {list->members, list->parents};
        }
        ListMembersForPOV result{SystemListMembers(*index, listId), {}};
        result.parents.reserve(result.members.size());
        for (const MemberId id : result.members) {
            result.parents.push_back(index->DefaultParent(id));
        }
        return result;
    }

    IdArray EnumChildMemberIDs(MemberId, MemberId parentId) override {
        const IndexPtr index = Index();
        if (parentId != -1) {
            CheckId(*index, parentId);
        }
        return ToArray(index->Children(parentId));
    }

    QString GetMemberLabel(MemberId id) override {
        if (id == -1) {
            return {};
        }
        const IndexPtr index = Index();
        CheckId(*index, id);
        return index->Label(id);
    }

    QString GetMemberDescription(MemberId id, int languageIndex) override {
        const IndexPtr index = Index();
        CheckId(*index, id);
        return index->Description(id, languageIndex);
    }

    int32_t GetNumberOfChildren(MemberId id) override {
        const IndexPtr index = Index();
        CheckId(*index, id);
        return static_cast<int32_t>(index->Children(id).size());
    }

    bool IsParent(MemberId id) override { return GetNumberOfChildren(id) > 0; }

    MemberId GetMemberID(const QString& label) override {
        const IndexPtr index = Index();
        const int32_t id = index->FindLabel(label);
        if (id < 0) {
            ThrowClientError(code::kUnknownMember,
                             QStringLiteral("The member \"%1\" is not in the %2 dimension.")
                                 .arg(label, DimName(*index)));
        }
        return id;
    }

    IdArray EnumAllMemberIDs() override { return Index()->AllIds(); }

    QStringList EnumAllMemberLabels() override {
        const IndexPtr index = Index();
        QStringList labels;
        labels.reserve(static_cast<qsizetype>(index->AllIds().size()));
        for (const int32_t id : index->AllIds()) {
            labels.append(index->Label(id));
        }
        return labels;
    }

    ParentChildPairs EnumParentChildPairs() override {
        const IndexPtr index = Index();
        const Occurrences& walk = index->Walk();
        return {walk.parents, walk.children};
    }

    IdArray EnumBaseMembers(MemberId topId, int distinctFlag) override {
        const IndexPtr index = Index();
        IdArray all;
        if (topId == -1) {
            all = index->Walk().children;
        } else {
            CheckId(*index, topId);
            if (index->Children(topId).empty()) {
                return {topId};
            }
            all = index->SubtreeOccurrences(topId);
        }
        IdArray result;
        std::vector<uint8_t> seen;
        if (distinctFlag != kEveryOccurrence) {
            seen.assign(static_cast<size_t>(index->IdLimit()), 0);
        }
        for (const int32_t id : all) {
            if (!index->Children(id).empty()) {
                continue;
            }
            if (!seen.empty()) {
                if (seen[static_cast<size_t>(id)]) {
                    continue;
                }
                seen[static_cast<size_t>(id)] = 1;
            }
            result.push_back(id);
        }
        return result;
    }

    IdArray EnumDescendants(MemberId topId, int distinctFlag) override {
        const IndexPtr index = Index();
        if (topId == -1) {
            return distinctFlag == kEveryOccurrence ? index->Walk().children
                                                    : index->DistinctOrder();
        }
        CheckId(*index, topId);
        IdArray all = index->SubtreeOccurrences(topId);
        if (distinctFlag == kEveryOccurrence) {
            return all;
        }
        std::vector<uint8_t> seen(static_cast<size_t>(index->IdLimit()), 0);
        IdArray result;
        for (const int32_t id : all) {
            if (!seen[static_cast<size_t>(id)]) {
                seen[static_cast<size_t>(id)] = 1;
                result.push_back(id);
            }
        }
        return result;
    }

    QString GetDefaultParentLabel(MemberId id) override {
        const IndexPtr index = Index();
        CheckId(*index, id);
        const int32_t parent = index->DefaultParent(id);
        return parent < 0 ? QString() : index->Label(parent);
    }

    int32_t GetDefaultParentGeneration(MemberId id) override {
        const IndexPtr index = Index();
        CheckId(*index, id);
        return index->DefaultGeneration(id);
    }

    int32_t GetLevelsBelow(MemberId id) override {
        const IndexPtr index = Index();
        CheckId(*index, id);
        return index->LevelsBelow(id);
    }

    QStringList GetMemberLabels(const IdArray& ids) override {
        const IndexPtr index = Index();
        QStringList labels;
        labels.reserve(static_cast<qsizetype>(ids.size()));
        for (const MemberId id : ids) {
            if (id == -1) {
                labels.push_back(QString());
                continue;
            }
            CheckId(*index, id);
            labels.push_back(index->Label(id));
        }
        return labels;
    }

    QStringList GetMemberDescriptions(const IdArray& ids, int languageIndex) override {
        const IndexPtr index = Index();
        CheckIds(*index, ids);
        QStringList descriptions;
        descriptions.reserve(static_cast<qsizetype>(ids.size()));
        for (const MemberId id : ids) {
            descriptions.push_back(index->Description(id, languageIndex));
        }
        return descriptions;
    }

    HierarchyPlaces GetHierarchyPlaces(const IdArray& ids) override {
        const IndexPtr index = Index();
        CheckIds(*index, ids);
        HierarchyPlaces places;
        places.defaultParentLabels.reserve(static_cast<qsizetype>(ids.size()));
        for (const MemberId id : ids) {
            const int32_t parent = index->DefaultParent(id);
            places.defaultParentLabels.push_back(parent < 0 ? QString() : index->Label(parent));
            places.defaultGenerations.push_back(index->DefaultGeneration(id));
            places.levelsBelow.push_back(index->LevelsBelow(id));
        }
        return places;
    }

    std::shared_ptr<AccountAttributes> QueryAccountAttributes() override {
        RequireKind(dimension_ == Dimension::Account, QStringLiteral("account"));
        return std::make_shared<LocalAccountAttributes>(file_);
    }
    std::shared_ptr<EntityAttributes> QueryEntityAttributes() override {
        RequireKind(dimension_ == Dimension::Entity, QStringLiteral("entity"));
        return std::make_shared<LocalEntityAttributes>(file_);
    }
    std::shared_ptr<CustomAttributes> QueryCustomAttributes() override {
        const int d = static_cast<int>(dimension_);
        RequireKind(
            d >= static_cast<int>(Dimension::Custom1) && d <= static_cast<int>(Dimension::Custom4),
            QStringLiteral("custom"));
        return std::make_shared<LocalCustomAttributes>(file_, dimension_);
    }

  private:
    IndexPtr Index() { return file_->Index(dimension_); }

    static const UserList* FindUserList(const DimensionIndex& index, MemberId listId) {
        const auto& lists = index.UserLists();
        if (listId >= kFirstUserListId &&
            listId - kFirstUserListId < static_cast<int32_t>(lists.size())) {
            return &lists[static_cast<size_t>(listId - kFirstUserListId)];
        }
        if (!Offered(index, listId)) {
            UnknownList(index, listId);
        }
        return nullptr;
    }

    void RequireKind(bool ok, const QString& kind) {
        if (!ok) {
            ThrowClientError(code::kWrongDimensionKind,
                             QStringLiteral("The %1 dimension has no %2 attributes.")
                                 .arg(GetDimensionName(), kind));
        }
    }

    std::shared_ptr<ApplicationFile> file_;
    Dimension dimension_;
};

}  // namespace

std::shared_ptr<DimensionTree> CreateLocalDimensionTree(std::shared_ptr<ApplicationFile> file,
                                                        Dimension dimension) {
    return std::make_shared<LocalDimensionTree>(std::move(file), dimension);
}

}  // namespace tarsel::local
