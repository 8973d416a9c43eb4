#pragma once
// How a member's attributes sit in its row of the members table: the user-defined texts
// in one column (joined by U+001F, '' when all are empty) and the other attributes in one
// BLOB of ten little-endian 32-bit integers (NULL when they all have their defaults):
//   security_class, flags, account_type, icp_type, decimal_places, top_c1, top_c2,
//   top_c3, top_c4, default_currency
// Two columns instead of seventeen keep the bulk insert of a million members fast.

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

#include "server/local/app_model.h"

namespace tarsel::local {

struct MemberAttributes {
    int32_t securityClass = -1;
    uint32_t flags = 0;  // member_flag bits
    int32_t accountType = account_type::Balance;
    int32_t icpType = icp_type::No;
    int32_t decimalPlaces = 0;
    std::array<int32_t, 4> topCustom{-1, -1, -1, -1};
    int32_t defaultCurrency = -1;

    bool operator==(const MemberAttributes&) const = default;
};

// The attributes of a member that has none set: those of a default MemberModel.
const MemberAttributes& DefaultAttributes();

inline constexpr int kAttributeBytes = 40;
using AttributeBytes = std::array<unsigned char, kAttributeBytes>;

// Empty when the attributes are the defaults (the column is then NULL).
std::optional<AttributeBytes> PackAttributes(const MemberAttributes& attributes);
// size 0 (NULL) gives the defaults; a BLOB of another size fails with kMalformedFile.
MemberAttributes UnpackAttributes(const void* data, int size);

inline constexpr QChar kFieldSeparator = QChar(0x1f);

QString JoinUserDefined(const SparseTexts<3>& texts);
std::array<QString, 3> SplitUserDefined(const QString& column);

}  // namespace tarsel::local
