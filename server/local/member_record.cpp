#include "server/local/member_record.h"

#include <QStringList>

#include "server/local/model_check.h"
#include "server/tarsel_error.h"

namespace tarsel::local {

const MemberAttributes& DefaultAttributes() {
    static const MemberAttributes defaults = [] {
        MemberAttributes a;
        a.flags = MemberFlags(MemberModel{});
        return a;
    }();
    return defaults;
}

std::optional<AttributeBytes> PackAttributes(const MemberAttributes& a) {
    if (a == DefaultAttributes()) {
        return std::nullopt;
    }
    const std::array<uint32_t, 10> values{
        static_cast<uint32_t>(a.securityClass), a.flags,
        static_cast<uint32_t>(a.accountType),   static_cast<uint32_t>(a.icpType),
        static_cast<uint32_t>(a.decimalPlaces), static_cast<uint32_t>(a.topCustom[0]),
        static_cast<uint32_t>(a.topCustom[1]),  static_cast<uint32_t>(a.topCustom[2]),
        static_cast<uint32_t>(a.topCustom[3]),  static_cast<uint32_t>(a.defaultCurrency)};
    AttributeBytes bytes{};
    for (size_t i = 0; i < values.size(); ++i) {
        for (size_t b = 0; b < 4; ++b) {
            bytes[i * 4 + b] = static_cast<unsigned char>(values[i] >> (8 * b));
        }
    }
    return bytes;
}

MemberAttributes UnpackAttributes(const void* data, int size) {
    if (size == 0 || data == nullptr) {
        return DefaultAttributes();
    }
    if (size != kAttributeBytes) {
        ThrowClientError(code::kMalformedFile,
                         QStringLiteral("A member's attributes in the application file have %1 "
                                        "bytes instead of %2.")
                             .arg(size)
                             .arg(kAttributeBytes));
    }
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::array<uint32_t, 10> v{};
    for (size_t i = 0; i < v.size(); ++i) {
        for (size_t b = 0; b < 4; ++b) {
            v[i] |= static_cast<uint32_t>(bytes[i * 4 + b]) << (8 * b);
        }
    }
    MemberAttributes a;
    a.securityClass = static_cast<int32_t>(v[0]);
    a.flags = v[1];
    a.accountType = static_cast<int32_t>(v[2]);
    a.icpType = static_cast<int32_t>(v[3]);
    a.decimalPlaces = static_cast<int32_t>(v[4]);
    for (size_t c = 0; c < 4; ++c) {
        a.topCustom[c] = static_cast<int32_t>(v[5 + c]);
    }
    a.defaultCurrency = static_cast<int32_t>(v[9]);
    return a;
}

QString JoinUserDefined(const SparseTexts<3>& texts) {
    if (texts[0].isEmpty() && texts[1].isEmpty() && texts[2].isEmpty()) {
        return {};
    }
    return texts[0] + kFieldSeparator + texts[1] + kFieldSeparator + texts[2];
}

std::array<QString, 3> SplitUserDefined(const QString& column) {
    std::array<QString, 3> texts;
    if (column.isEmpty()) {
        return texts;
    }
    const QStringList parts = column.split(kFieldSeparator);
    for (qsizetype i = 0; i < parts.size() && i < 3; ++i) {
        texts[static_cast<size_t>(i)] = parts[i];
    }
    return texts;
}

}  // namespace tarsel::local
