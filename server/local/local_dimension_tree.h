#pragma once
// The DimensionTree of the local server and its attribute interfaces: each call takes the
// dimension's current index from the application file and answers from memory.

#include <memory>

#include "server/local/application_file.h"
#include "server/tarsel.h"

namespace tarsel::local {

std::shared_ptr<DimensionTree> CreateLocalDimensionTree(std::shared_ptr<ApplicationFile> file,
                                                        Dimension dimension);

// Ids of the computed system lists of every dimension; user lists follow from
// kFirstUserListId in the order defined.
namespace system_list {
inline constexpr int32_t Hierarchy = 0, Base = 1, Parents = 2, System = 3, Currencies = 4,
                         ConsolMethods = 5;
}
inline constexpr int32_t kFirstUserListId = 100;

}  // namespace tarsel::local
