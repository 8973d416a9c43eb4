#pragma once
// Which cells the server calculates, and the sign with which an account adds into its
// parent account.
//
// Sign table (child type under parent type; every other pair adds with +1):
//
//   child \ parent    Asset  Expense  Liability  Income
//   Asset               +1      +1        -1        -1
//   Expense             +1      +1        -1        -1
//   Liability           -1      -1        +1        +1
//   Income              -1      -1        +1        +1
//
// Asset and Expense are debit accounts, Liability and Income credit accounts: a child
// whose side differs from its parent's subtracts (an Expense under an Income parent, a
// Liability under an Asset parent). Balance, Flow and the other types belong to neither
// side and always add, and a parent of such a type adds every child.

#include <cstdint>

#include "server/local/data_store.h"

namespace tarsel::local {

int AccountSign(int32_t childType, int32_t parentType);

// A cell is calculated when its entity is a parent (a consolidated parent), its account
// a parent or flagged IsCalculated, or one of its custom members a parent (a custom
// total). Every other cell is input.
bool IsCalculatedCell(const DimensionIndexes& indexes, const CellMembers& cell);

}  // namespace tarsel::local
