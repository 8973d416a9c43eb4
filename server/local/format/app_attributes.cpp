#include "server/local/format/app_attributes.h"

#include <array>
#include <cstddef>

namespace tarsel::local::format {

namespace {

const MemberModel kDefaults;

// The field of a MemberModel an attribute keeps its value in, by member pointer and, for
// the attributes numbered 1..4 (TopC1, UD2, ...), the element of an array member.
template <auto Field>
struct In {
    static auto& Of(MemberModel& m) { return m.*Field; }
    static const auto& Of(const MemberModel& m) { return m.*Field; }
};
template <auto Field, std::size_t Index>
struct At {
    static auto& Of(MemberModel& m) { return (m.*Field)[Index]; }
    static const auto& Of(const MemberModel& m) { return (m.*Field)[Index]; }
};

QStringView BoolText(bool value) {
    return value ? QStringView(u"True") : QStringView(u"False");
}

std::optional<bool> ParseBool(QStringView value) {
    static const char* yes[] = {"true", "yes", "y", "1"};
    static const char* no[] = {"false", "no", "n", "0"};
    for (const char* w : yes) {
        if (value.compare(QLatin1String(w), Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    for (const char* w : no) {
        if (value.compare(QLatin1String(w), Qt::CaseInsensitive) == 0) {
            return false;
        }
    }
    return std::nullopt;
}

template <typename Slot>
QString ReadFlag(MemberModel& m, QStringView value, QLatin1String name) {
    const auto flag = ParseBool(value);
    if (!flag) {
        return QStringLiteral("%1 must be True or False, not \"%2\"").arg(name, value);
    }
    Slot::Of(m) = *flag;
    return {};
}

template <typename Slot>
QStringView WriteFlag(const MemberModel& m, QString&) {
    const bool value = Slot::Of(m);
    return value == Slot::Of(kDefaults) ? QStringView() : BoolText(value);
}

template <typename Slot>
QString ReadText(MemberModel& m, QStringView value, QLatin1String) {
    Slot::Of(m) = value.toString();
    return {};
}

template <typename Slot>
QString ReadName(MemberModel& m, QStringView value, QLatin1String) {
    Slot::Of(m) = SharedText::Recent(value);
    return {};
}

// Texts default to empty, so the text itself is what is written.
template <typename Slot>
QStringView WriteText(const MemberModel& m, QString&) {
    const QString& text = Slot::Of(m);
    return text;
}

QString ReadAccountType(MemberModel& m, QStringView value, QLatin1String) {
    if (const auto code = ParseAccountTypeName(value)) {
        m.accountType = *code;
        return {};
    }
    bool ok = false;
    const int code = value.toInt(&ok);
    if (!ok) {
        return QStringLiteral("unknown account type \"%1\"").arg(value);
    }
    if (AccountTypeName(code).isEmpty()) {
        return QStringLiteral("account type %1 is out of range (0 to 12)").arg(code);
    }
    m.accountType = code;
    return {};
}

// A code without a word (a model built in code may hold one) is written as its number,
// which the reader takes back.
QStringView WriteAccountType(const MemberModel& m, QString& made) {
    if (m.accountType == kDefaults.accountType) {
        return {};
    }
    made = AccountTypeName(m.accountType);
    if (made.isEmpty()) {
        made = QString::number(m.accountType);
    }
    return made;
}

QString ReadIcp(MemberModel& m, QStringView value, QLatin1String) {
    const auto code = ParseIcpTypeName(value);
    if (!code) {
        return QStringLiteral("ICP must be Yes, No or Restricted, not \"%1\"").arg(value);
    }
    m.icpType = *code;
    return {};
}

// A code without a word is written as "No", the reader's default.
QStringView WriteIcp(const MemberModel& m, QString& made) {
    if (m.icpType == kDefaults.icpType) {
        return {};
    }
    made = IcpTypeName(m.icpType);
    if (made.isEmpty()) {
        made = IcpTypeName(icp_type::No);
    }
    return made;
}

QString ReadDecimalPlaces(MemberModel& m, QStringView value, QLatin1String) {
    bool ok = false;
    const int places = value.toInt(&ok);
    if (!ok || places < 0 || places > 9) {
        return QStringLiteral("DecimalPlaces must be a whole number from 0 to 9, not \"%1\"")
            .arg(value);
    }
    m.decimalPlaces = places;
    return {};
}

QStringView WriteDecimalPlaces(const MemberModel& m, QString& made) {
    if (m.decimalPlaces == kDefaults.decimalPlaces) {
        return {};
    }
    made = QString::number(m.decimalPlaces);
    return made;
}

template <typename Slot>
constexpr AppAttribute Flag(const char* name, AttributeScope scope) {
    return {name, scope, &ReadFlag<Slot>, &WriteFlag<Slot>};
}

template <typename Slot>
constexpr AppAttribute Text(const char* name, AttributeScope scope) {
    return {name, scope, &ReadText<Slot>, &WriteText<Slot>};
}

template <typename Slot>
constexpr AppAttribute MemberOf(const char* name, AttributeScope scope, Dimension dimension,
                                const char* referredAs) {
    return {name,      scope,     &ReadName<Slot>, &WriteText<Slot>, AttributeReference::Member,
            dimension, referredAs};
}

using S = AttributeScope;
using M = MemberModel;
constexpr const char* kTop = "top custom member";

const AppAttribute kAttributes[] = {
    {"Type", S::Account, &ReadAccountType, &WriteAccountType},
    {"ICP", S::Account, &ReadIcp, &WriteIcp},
    Flag<In<&M::isCalculated>>("IsCalculated", S::Account),
    Flag<In<&M::isConsolidated>>("IsConsolidated", S::Account),
    Flag<In<&M::usesLineItems>>("UsesLineItems", S::Account),
    {"DecimalPlaces", S::Account, &ReadDecimalPlaces, &WriteDecimalPlaces},
    MemberOf<At<&M::topCustom, 0>>("TopC1", S::Account, Dimension::Custom1, kTop),
    MemberOf<At<&M::topCustom, 1>>("TopC2", S::Account, Dimension::Custom2, kTop),
    MemberOf<At<&M::topCustom, 2>>("TopC3", S::Account, Dimension::Custom3, kTop),
    MemberOf<At<&M::topCustom, 3>>("TopC4", S::Account, Dimension::Custom4, kTop),
    Flag<At<&M::customAggregationEnabled, 0>>("C1AggEnabled", S::Account),
    Flag<At<&M::customAggregationEnabled, 1>>("C2AggEnabled", S::Account),
    Flag<At<&M::customAggregationEnabled, 2>>("C3AggEnabled", S::Account),
    Flag<At<&M::customAggregationEnabled, 3>>("C4AggEnabled", S::Account),
    MemberOf<In<&M::defaultCurrency>>("Currency", S::Entity, Dimension::Value, "currency"),
    Flag<In<&M::allowAdjs>>("AllowAdjs", S::Entity),
    Flag<In<&M::allowAdjsFromChildren>>("AllowAdjsFromChildren", S::Entity),
    Flag<In<&M::isIcp>>("IsICP", S::Entity),
    {"Security", S::Any, &ReadName<In<&M::securityClass>>, &WriteText<In<&M::securityClass>>,
     AttributeReference::SecurityClass},
    Text<At<&M::userDefined, 0>>("UD1", S::Any),
    Text<At<&M::userDefined, 1>>("UD2", S::Any),
    Text<At<&M::userDefined, 2>>("UD3", S::Any),
    Flag<In<&M::isSystem>>("IsSystem", S::Any),
    Flag<In<&M::isCurrency>>("IsCurrency", S::Any),
    Flag<In<&M::isConsolMethod>>("IsConsolMethod", S::Any),
};
// The reader marks the attributes a line gave in the bits of one 64-bit word.
static_assert(std::size(kAttributes) <= 64);

}  // namespace

bool AppAttribute::AppliesTo(Dimension dimension) const {
    switch (scope) {
        case AttributeScope::Account:
            return dimension == Dimension::Account;
        case AttributeScope::Entity:
            return dimension == Dimension::Entity;
        case AttributeScope::Any:
            return true;
    }
    return false;
}

std::span<const AppAttribute> AppAttributes() {
    return kAttributes;
}

const AppAttribute* FindAppAttribute(QStringView name) {
    for (const AppAttribute& attribute : kAttributes) {
        const QLatin1String known = attribute.Name();
        if (name.size() == known.size() && name.compare(known, Qt::CaseInsensitive) == 0) {
            return &attribute;
        }
    }
    return nullptr;
}

}  // namespace tarsel::local::format
