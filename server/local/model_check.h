#pragma once
// Checks an AppModel before the store writes it and resolves every label it refers to
// into member ids, so that the writer only copies numbers and texts.

#include <array>
#include <cstdint>
#include <vector>

#include "server/local/app_model.h"
#include "server/local/model_proof.h"

namespace tarsel::local {

// Bits of the members.flags column.
namespace member_flag {
inline constexpr uint32_t System = 1u << 0, Currency = 1u << 1, ConsolMethod = 1u << 2,
                          Calculated = 1u << 3, Consolidated = 1u << 4, LineItems = 1u << 5,
                          AllowAdjs = 1u << 6, AllowAdjsFromChildren = 1u << 7, Icp = 1u << 8,
                          CustomAggregation1 = 1u << 9;  // ...4 are bits 9..12
}

uint32_t MemberFlags(const MemberModel& member);
void ApplyMemberFlags(uint32_t flags, MemberModel& member);

struct ResolvedList {
    std::vector<int32_t> members;
    std::vector<int32_t> parents;  // -1: none
};

struct ResolvedDimension {
    // Parallel to the model's hierarchy; parent -1 for a top member.
    std::vector<int32_t> relationParent;
    std::vector<int32_t> relationChild;
    // Parallel to the model's members.
    std::vector<int32_t> securityClass;  // -1: none
    // Ids in Custom1..4, -1: none; empty when no member names one, as only accounts do.
    std::vector<std::array<int32_t, 4>> topCustom;
    std::vector<int32_t> defaultCurrency;  // id in Value; -1: none
    std::vector<ResolvedList> lists;       // parallel to memberLists

    std::array<int32_t, 4> TopCustom(size_t member) const {
        return topCustom.empty() ? std::array<int32_t, 4>{-1, -1, -1, -1} : topCustom[member];
    }
};

struct ResolvedModel {
    std::array<ResolvedDimension, kDimensionCount> dimensions;
};

// Throws kMalformedFile with a message naming the dimension, the label and the reason of
// the first fault found; nothing is changed anywhere. What proof holds of a dimension of
// this very model is taken as proved instead of being proved again.
ResolvedModel CheckModel(const AppModel& model, const ModelProof& proof = {});

}  // namespace tarsel::local
