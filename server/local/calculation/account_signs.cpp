#include "server/local/calculation/account_signs.h"

#include "server/local/model_check.h"

namespace tarsel::local {

namespace {

// +1 debit, -1 credit, 0 neither.
int Side(int32_t type) {
    switch (type) {
        case account_type::Asset:
        case account_type::Expense:
            return 1;
        case account_type::Liability:
        case account_type::Income:
            return -1;
        default:
            return 0;
    }
}

bool IsParent(const DimensionIndex& index, int32_t id) {
    return index.IsMember(id) && !index.Children(id).empty();
}

}  // namespace

int AccountSign(int32_t childType, int32_t parentType) {
    const int child = Side(childType);
    const int parent = Side(parentType);
    return child != 0 && parent != 0 && child != parent ? -1 : 1;
}

bool IsCalculatedCell(const DimensionIndexes& indexes, const CellMembers& cell) {
    auto at = [&](Dimension d) {
        return std::make_pair(indexes[static_cast<size_t>(d)].get(), cell[static_cast<size_t>(d)]);
    };
    for (const Dimension d : {Dimension::Entity, Dimension::Account, Dimension::Custom1,
                              Dimension::Custom2, Dimension::Custom3, Dimension::Custom4}) {
        const auto [index, id] = at(d);
        if (IsParent(*index, id)) {
            return true;
        }
    }
    const auto [accounts, account] = at(Dimension::Account);
    return accounts->IsMember(account) &&
           (accounts->Attributes(account).flags & member_flag::Calculated) != 0;
}

}  // namespace tarsel::local
