#pragma once
// A small in-memory application behind the client-library interface, for values the local
// store cannot hold (account type 13, intercompany code 2, blank class names) and for
// failures in the middle of a build.

#include <QHash>
#include <QMap>
#include <array>
#include <functional>
#include <map>
#include <memory>

#include "server/tarsel.h"

namespace viewer_test {

using tarsel::IdArray;
using tarsel::MemberId;

struct FakeMember {
    QString label;
    QString description;
    // account
    int32_t accountType = 2;
    int32_t icpType = 0;
    std::array<MemberId, 4> topCustom{-1, -1, -1, -1};
    int32_t decimalPlaces = 0;
    bool isCalculated = false, isConsolidated = true, usesLineItems = false;
    std::array<bool, 4> aggregation{true, true, true, true};
    // entity
    MemberId currency = -1;
    bool allowAdjs = false, allowAdjsFromChildren = false, isIcp = false;
    // all
    std::array<QString, 3> userDefined;
    int32_t securityClass = -1;
    QString defaultParent;
    int32_t defaultParentGeneration = 1;
};

class FakeDimension : public tarsel::DimensionTree,
                      public tarsel::AccountAttributes,
                      public tarsel::EntityAttributes,
                      public tarsel::CustomAttributes,
                      public std::enable_shared_from_this<FakeDimension> {
  public:
    FakeDimension(tarsel::Dimension dimension, QString name)
        : dimension_(dimension), name_(std::move(name)) {}

    // Adds a member (ids from 0 in order) and returns its id.
    MemberId Add(const QString& label, const QString& description = {}) {
        FakeMember member;
        member.label = label;
        member.description = description;
        members_.push_back(member);
        return static_cast<MemberId>(members_.size() - 1);
    }
    FakeMember& member(MemberId id) { return members_.at(static_cast<size_t>(id)); }
    void Relate(MemberId parent, MemberId child) { children_[parent].push_back(child); }

    // Counts GetMemberLabel calls; the call numbered failAtLabelCall (from 1) fails.
    int labelCalls = 0;
    int failAtLabelCall = 0;
    std::function<void(int call)> onLabelCall;  // runs inside every GetMemberLabel

    QString GetDimensionName() override { return name_; }
    tarsel::Dimension GetDimension() override { return dimension_; }
    MemberId GetMemberListID(const QString&) override { return -1; }
    QStringList EnumMemberListNames() override { return {}; }
    IdArray EnumMembersInList(MemberId, MemberId) override { return {}; }
    tarsel::ListMembersForPOV EnumListMembersForPOV(MemberId, MemberId, MemberId, MemberId,
                                                    MemberId, MemberId) override {
        return {};
    }
    IdArray EnumChildMemberIDs(MemberId, MemberId parentId) override {
        auto it = children_.find(parentId);
        return it == children_.end() ? IdArray{} : it->second;
    }
    QString GetMemberLabel(MemberId id) override {
        ++labelCalls;
        if (onLabelCall) {
            onLabelCall(labelCalls);
        }
        if (failAtLabelCall != 0 && labelCalls == failAtLabelCall) {
            tarsel::ThrowClientError(tarsel::code::kStoreFailure,
                                     QStringLiteral("The store went away."));
        }
        return id == -1 ? QString() : member(id).label;
    }
    QString GetMemberDescription(MemberId id, int) override { return member(id).description; }
    int32_t GetNumberOfChildren(MemberId id) override {
        return static_cast<int32_t>(EnumChildMemberIDs(-1, id).size());
    }
    bool IsParent(MemberId id) override { return GetNumberOfChildren(id) > 0; }
    MemberId GetMemberID(const QString& label) override {
        for (size_t i = 0; i < members_.size(); ++i) {
            if (members_[i].label == label) {
                return static_cast<MemberId>(i);
            }
        }
        tarsel::ThrowClientError(tarsel::code::kUnknownMember, label);
    }
    IdArray EnumAllMemberIDs() override {
        IdArray ids;
        for (size_t i = 0; i < members_.size(); ++i) {
            ids.push_back(static_cast<MemberId>(i));
        }
        return ids;
    }
    QStringList EnumAllMemberLabels() override {
        QStringList labels;
        for (const auto& m : members_) {
            labels.push_back(m.label);
        }
        return labels;
    }
    tarsel::ParentChildPairs EnumParentChildPairs() override { return {}; }
    IdArray EnumBaseMembers(MemberId, int) override { return {}; }
    IdArray EnumDescendants(MemberId, int) override { return {}; }
    QString GetDefaultParentLabel(MemberId id) override { return member(id).defaultParent; }
    int32_t GetDefaultParentGeneration(MemberId id) override {
        return member(id).defaultParentGeneration;
    }
    int32_t GetLevelsBelow(MemberId id) override { return IsParent(id) ? 1 : 0; }

    std::shared_ptr<tarsel::AccountAttributes> QueryAccountAttributes() override {
        return shared_from_this();
    }
    std::shared_ptr<tarsel::EntityAttributes> QueryEntityAttributes() override {
        return shared_from_this();
    }
    std::shared_ptr<tarsel::CustomAttributes> QueryCustomAttributes() override {
        return shared_from_this();
    }

    // AccountAttributes
    int32_t GetAccountType(MemberId id) override { return member(id).accountType; }
    bool GetIsCalculated(MemberId id) override { return member(id).isCalculated; }
    bool GetUsesLineItems(MemberId id) override { return member(id).usesLineItems; }
    bool GetIsConsolidated(MemberId id) override { return member(id).isConsolidated; }
    MemberId GetTopCustomMemberID(int c, MemberId id) override {
        return member(id).topCustom.at(static_cast<size_t>(c - 1));
    }
    int32_t GetDecimalPlaces(MemberId id) override { return member(id).decimalPlaces; }
    bool GetCustomAggregationEnabled(int c, MemberId id) override {
        return member(id).aggregation.at(static_cast<size_t>(c - 1));
    }
    QString GetUserDefined(int number, MemberId id) override {
        return member(id).userDefined.at(static_cast<size_t>(number - 1));
    }
    int32_t GetSecurityClassID(MemberId id) override { return member(id).securityClass; }
    int32_t GetICPType(MemberId id) override { return member(id).icpType; }
    // EntityAttributes
    MemberId GetDefaultCurrencyID(MemberId id) override { return member(id).currency; }
    bool GetAllowAdjs(MemberId id) override { return member(id).allowAdjs; }
    bool GetIsICP(MemberId id) override { return member(id).isIcp; }
    bool GetAllowAdjsFromChildren(MemberId id) override { return member(id).allowAdjsFromChildren; }

  private:
    tarsel::Dimension dimension_;
    QString name_;
    std::vector<FakeMember> members_;
    std::map<MemberId, IdArray> children_;
};

class FakeSecurity : public tarsel::Security {
  public:
    QStringList names;  // id = position
    int nameCalls = 0;
    tarsel::SecurityClasses EnumSecurityClasses() override {
        tarsel::SecurityClasses classes;
        for (int i = 0; i < names.size(); ++i) {
            classes.ids.push_back(i);
        }
        classes.names = names;
        return classes;
    }
    QString GetSecurityClassName(int32_t id) override {
        ++nameCalls;
        if (id < 0 || id >= names.size()) {
            tarsel::ThrowClientError(tarsel::code::kUnknownSecurityClass, QString::number(id));
        }
        return names.at(id);
    }
};

class FakeMetadata : public tarsel::SessionMetadata {
  public:
    FakeMetadata() {
        for (int i = 0; i < tarsel::kDimensionCount; ++i) {
            dims[static_cast<size_t>(i)] = std::make_shared<FakeDimension>(
                static_cast<tarsel::Dimension>(i), tarsel::DimensionDisplayName(i));
        }
    }
    std::shared_ptr<tarsel::DimensionTree> GetDimensionByIndex(int n) override {
        return dims.at(static_cast<size_t>(n));
    }
    tarsel::Languages GetLanguages() override { return {{0}, {QStringLiteral("English")}}; }
    FakeDimension& dim(tarsel::Dimension d) { return *dims[static_cast<size_t>(d)]; }
    std::shared_ptr<FakeDimension> ptr(tarsel::Dimension d) { return dims[static_cast<size_t>(d)]; }

    std::array<std::shared_ptr<FakeDimension>, tarsel::kDimensionCount> dims;
};

}  // namespace viewer_test

namespace viewer_test {

class FakeSession : public tarsel::ApplicationSession {
  public:
    std::shared_ptr<FakeMetadata> metadata = std::make_shared<FakeMetadata>();
    std::shared_ptr<FakeSecurity> security = std::make_shared<FakeSecurity>();

    std::shared_ptr<tarsel::SystemInfo> SystemInfo() override { return nullptr; }
    std::shared_ptr<tarsel::SessionMetadata> Metadata() override { return metadata; }
    std::shared_ptr<tarsel::Security> Security() override { return security; }
    std::shared_ptr<tarsel::ApplicationAdmin> GetAdministration() override { return nullptr; }
    std::shared_ptr<tarsel::CalculationService> GetCalculation() override { return nullptr; }
};

}  // namespace viewer_test
