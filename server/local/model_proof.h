#pragma once
// What a file reader proved of the dimensions it built, so that the model check need not
// prove it again on a million members. A proof holds only for the model it was made for:
// whoever changes a dimension's members or hierarchy drops that dimension's proof.

#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "server/local/app_model.h"

namespace tarsel::local {

// Of one dimension: its labels are none empty and all different without regard to case;
// each relation names members of the dimension (parent -1 for a top member), none its
// own parent, none twice, and together they close no cycle. The members of each relation
// by place in the dimension's members, parallel to its hierarchy.
struct ProvenHierarchy {
    std::vector<std::pair<int32_t, int32_t>> relations;
};

// Per dimension; empty where nothing is proved.
using ModelProof = std::array<std::optional<ProvenHierarchy>, kDimensionCount>;

}  // namespace tarsel::local
