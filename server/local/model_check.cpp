#include "server/local/model_check.h"

#include <QHash>
#include <algorithm>

#include "server/local/label_index.h"
#include "server/local/member_record.h"

#include "server/tarsel_error.h"

namespace tarsel::local {

namespace {

[[noreturn]] void Refuse(const QString& reason) {
    ThrowClientError(code::kMalformedFile,
                     QStringLiteral("The application was not created: %1.").arg(reason));
}

QString DimName(size_t d) {
    return DimensionDisplayName(static_cast<int>(d));
}

bool HasControlCharacter(const QString& text) {
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; });
}

using LabelMap = LabelIndex;

// The index of the dimension's labels; with indexed false, the labels are only checked
// one by one, their being different already proved.
LabelMap BuildLabelMap(size_t d, const DimensionModel& dim, bool indexed) {
    LabelMap map(
        [&dim](int32_t id) -> const QString& { return dim.members[static_cast<size_t>(id)].label; },
        indexed ? dim.members.size() : 0);
    for (size_t i = 0; i < dim.members.size(); ++i) {
        const QString& label = dim.members[i].label;
        if (label.isEmpty()) {
            Refuse(QStringLiteral("member number %1 of the %2 dimension has an empty label")
                       .arg(i + 1)
                       .arg(DimName(d)));
        }
        if (HasControlCharacter(label)) {
            Refuse(QStringLiteral("the %1 member \"%2\" has a control character in its label")
                       .arg(DimName(d), label));
        }
        if (!indexed) {
            continue;
        }
        const int32_t first = map.Insert(label, static_cast<int32_t>(i));
        if (first >= 0) {
            Refuse(QStringLiteral("the %1 dimension has the label \"%2\" twice (labels are "
                                  "compared without regard to case; the first is \"%3\")")
                       .arg(DimName(d), label, dim.members[static_cast<size_t>(first)].label));
        }
    }
    return map;
}

int32_t Lookup(const LabelMap& map, const QString& label) {
    return map.Find(label);
}

// Depth-first over the child lists with an explicit stack, so a deep chain cannot
// overflow the call stack.
void CheckNoCycle(size_t d, const DimensionModel& dim, const ResolvedDimension& r) {
    const size_t n = dim.members.size();
    std::vector<int32_t> offsets(n + 1, 0);
    for (size_t k = 0; k < r.relationChild.size(); ++k) {
        if (r.relationParent[k] >= 0) {
            ++offsets[static_cast<size_t>(r.relationParent[k]) + 1];
        }
    }
    for (size_t i = 0; i < n; ++i) {
        offsets[i + 1] += offsets[i];
    }
    // Filled from the back, each parent's end moving down to its start: the children stay
    // in hierarchy order without a second array of positions.
    std::vector<int32_t> children(static_cast<size_t>(offsets[n]));
    for (size_t k = r.relationChild.size(); k-- > 0;) {
        if (r.relationParent[k] >= 0) {
            children[static_cast<size_t>(--offsets[static_cast<size_t>(r.relationParent[k]) + 1])] =
                r.relationChild[k];
        }
    }
    // offsets[p + 1] is now where p's children begin; shifted, offsets[p] is.
    std::rotate(offsets.begin(), offsets.begin() + 1, offsets.end());
    offsets[n] = static_cast<int32_t>(children.size());
    enum : uint8_t { White, Grey, Black };
    std::vector<uint8_t> colour(n, White);
    std::vector<std::pair<int32_t, int32_t>> stack;  // member, next child position
    for (size_t start = 0; start < n; ++start) {
        if (colour[start] != White) {
            continue;
        }
        stack.emplace_back(static_cast<int32_t>(start), offsets[start]);
        colour[start] = Grey;
        while (!stack.empty()) {
            auto& [member, next] = stack.back();
            const auto m = static_cast<size_t>(member);
            if (next == offsets[m + 1]) {
                colour[m] = Black;
                stack.pop_back();
                continue;
            }
            const int32_t child = children[static_cast<size_t>(next++)];
            const auto c = static_cast<size_t>(child);
            if (colour[c] == Grey) {
                Refuse(QStringLiteral("the %1 hierarchy has a cycle: \"%2\" is below itself "
                                      "(through \"%3\")")
                           .arg(DimName(d), dim.members[c].label, dim.members[m].label));
            }
            if (colour[c] == White) {
                colour[c] = Grey;
                stack.emplace_back(child, offsets[c]);
            }
        }
    }
}

void ResolveHierarchy(size_t d, const DimensionModel& dim, const LabelMap& map,
                      ResolvedDimension& r) {
    const size_t count = dim.hierarchy.size();
    r.relationParent.resize(count);
    r.relationChild.resize(count);
    // Relations usually come grouped by parent; the last parent found is tried first.
    const QString* lastParentLabel = nullptr;
    int32_t lastParent = -1;
    for (size_t k = 0; k < count; ++k) {
        const RelationModel& rel = dim.hierarchy[k];
        int32_t parent = -1;
        if (lastParentLabel && !rel.parent.isEmpty() && rel.parent == *lastParentLabel) {
            parent = lastParent;
        } else if (!rel.parent.isEmpty()) {
            parent = Lookup(map, rel.parent);
            if (parent < 0) {
                Refuse(QStringLiteral("relation %1 of the %2 hierarchy names the parent \"%3\", "
                                      "which is not a member of the dimension")
                           .arg(k + 1)
                           .arg(DimName(d), rel.parent));
            }
        }
        lastParentLabel = &rel.parent;
        lastParent = parent;
        // A parent's children are mostly the members defined one after another; an exact
        // match is the member, as labels are unique without regard to case.
        const size_t guess = k == 0 ? 0 : static_cast<size_t>(r.relationChild[k - 1]) + 1;
        const int32_t child = guess < dim.members.size() && dim.members[guess].label == rel.child
                                  ? static_cast<int32_t>(guess)
                                  : Lookup(map, rel.child);
        if (child < 0) {
            Refuse(QStringLiteral("relation %1 of the %2 hierarchy names the child \"%3\", "
                                  "which is not a member of the dimension")
                       .arg(k + 1)
                       .arg(DimName(d), rel.child));
        }
        if (child == parent) {
            Refuse(QStringLiteral("the %1 member \"%2\" is its own parent")
                       .arg(DimName(d), rel.child));
        }
        r.relationParent[k] = parent;
        r.relationChild[k] = child;
    }
}

// The proof of the dimension when it is one of this dimension: each relation's members
// where it says, by label. Anything else is no proof, and the dimension is checked whole.
const ProvenHierarchy* Proven(const DimensionModel& dim,
                              const std::optional<ProvenHierarchy>& proof) {
    if (!proof || proof->relations.size() != dim.hierarchy.size()) {
        return nullptr;
    }
    // The reader's labels are the members' own texts, so the comparison is mostly of
    // two pointers.
    const auto same = [](const QString& a, const QString& b) {
        return (a.constData() == b.constData() && a.size() == b.size()) || a == b;
    };
    const auto n = static_cast<int64_t>(dim.members.size());
    for (size_t k = 0; k < dim.hierarchy.size(); ++k) {
        const auto [parent, child] = proof->relations[k];
        const RelationModel& relation = dim.hierarchy[k];
        if (parent < -1 || parent >= n || child < 0 || child >= n ||
            !same(dim.members[static_cast<size_t>(child)].label, relation.child) ||
            (parent < 0 ? !relation.parent.isEmpty()
                        : !same(dim.members[static_cast<size_t>(parent)].label, relation.parent))) {
            return nullptr;
        }
    }
    return &*proof;
}

void TakeHierarchy(const ProvenHierarchy& proof, ResolvedDimension& r) {
    r.relationParent.resize(proof.relations.size());
    r.relationChild.resize(proof.relations.size());
    for (size_t k = 0; k < proof.relations.size(); ++k) {
        r.relationParent[k] = proof.relations[k].first;
        r.relationChild[k] = proof.relations[k].second;
    }
}

// The same member twice under one parent (or twice at the top) would make two identical
// occurrences that no caller can tell apart.
void CheckNoRepeat(size_t d, const DimensionModel& dim, const ResolvedDimension& r) {
    std::vector<int64_t> pairs(r.relationChild.size());
    for (size_t k = 0; k < pairs.size(); ++k) {
        pairs[k] = (static_cast<int64_t>(r.relationParent[k]) << 32) |
                   static_cast<uint32_t>(r.relationChild[k]);
    }
    std::sort(pairs.begin(), pairs.end());
    const auto dup = std::adjacent_find(pairs.begin(), pairs.end());
    if (dup != pairs.end()) {
        const auto parent = static_cast<int32_t>(*dup >> 32);
        const auto child = static_cast<size_t>(static_cast<uint32_t>(*dup & 0xffffffff));
        if (parent < 0) {
            Refuse(QStringLiteral("the %1 member \"%2\" is at the top of the hierarchy twice")
                       .arg(DimName(d), dim.members[child].label));
        }
        Refuse(QStringLiteral("the %1 member \"%2\" is under the parent \"%3\" twice")
                   .arg(DimName(d), dim.members[child].label,
                        dim.members[static_cast<size_t>(parent)].label));
    }
}

void ResolveLists(size_t d, const DimensionModel& dim, const LabelMap& map, ResolvedDimension& r) {
    QHash<QString, QString> names;
    for (const MemberListModel& list : dim.memberLists) {
        if (list.name.trimmed().isEmpty()) {
            Refuse(QStringLiteral("a member list of the %1 dimension has an empty name")
                       .arg(DimName(d)));
        }
        if (list.name.startsWith(QLatin1Char('[')) || HasControlCharacter(list.name)) {
            Refuse(QStringLiteral("the %1 member list name \"%2\" starts with \"[\" or has a "
                                  "control character; \"[\" is kept for the system lists")
                       .arg(DimName(d), list.name));
        }
        if (names.contains(list.name.toCaseFolded())) {
            Refuse(QStringLiteral("the %1 dimension has the member list \"%2\" twice")
                       .arg(DimName(d), list.name));
        }
        names.insert(list.name.toCaseFolded(), list.name);
        ResolvedList resolved;
        for (const MemberListEntry& entry : list.entries) {
            const int32_t member = Lookup(map, entry.member);
            if (member < 0) {
                Refuse(QStringLiteral("the %1 member list \"%2\" names \"%3\", which is not a "
                                      "member of the dimension")
                           .arg(DimName(d), list.name, entry.member));
            }
            int32_t parent = -1;
            if (!entry.parent.isEmpty()) {
                parent = Lookup(map, entry.parent);
                if (parent < 0) {
                    Refuse(QStringLiteral("the %1 member list \"%2\" names the parent \"%3\", "
                                          "which is not a member of the dimension")
                               .arg(DimName(d), list.name, entry.parent));
                }
            }
            resolved.members.push_back(member);
            resolved.parents.push_back(parent);
        }
        r.lists.push_back(std::move(resolved));
    }
}

}  // namespace

uint32_t MemberFlags(const MemberModel& m) {
    using namespace member_flag;
    uint32_t flags = 0;
    flags |= m.isSystem ? System : 0;
    flags |= m.isCurrency ? Currency : 0;
    flags |= m.isConsolMethod ? ConsolMethod : 0;
    flags |= m.isCalculated ? Calculated : 0;
    flags |= m.isConsolidated ? Consolidated : 0;
    flags |= m.usesLineItems ? LineItems : 0;
    flags |= m.allowAdjs ? AllowAdjs : 0;
    flags |= m.allowAdjsFromChildren ? AllowAdjsFromChildren : 0;
    flags |= m.isIcp ? Icp : 0;
    for (unsigned i = 0; i < 4; ++i) {
        flags |= m.customAggregationEnabled[i] ? (CustomAggregation1 << i) : 0;
    }
    return flags;
}

void ApplyMemberFlags(uint32_t flags, MemberModel& m) {
    using namespace member_flag;
    m.isSystem = flags & System;
    m.isCurrency = flags & Currency;
    m.isConsolMethod = flags & ConsolMethod;
    m.isCalculated = flags & Calculated;
    m.isConsolidated = flags & Consolidated;
    m.usesLineItems = flags & LineItems;
    m.allowAdjs = flags & AllowAdjs;
    m.allowAdjsFromChildren = flags & AllowAdjsFromChildren;
    m.isIcp = flags & Icp;
    for (unsigned i = 0; i < 4; ++i) {
        m.customAggregationEnabled[i] = flags & (CustomAggregation1 << i);
    }
}

ResolvedModel CheckModel(const AppModel& model, const ModelProof& proof) {
    QHash<QString, int> languages;
    for (const QString& language : model.languages) {
        if (language.trimmed().isEmpty() || HasControlCharacter(language)) {
            Refuse(QStringLiteral("the language label \"%1\" is empty or has a control "
                                  "character")
                       .arg(language));
        }
        if (languages.contains(language.toCaseFolded())) {
            Refuse(QStringLiteral("the language \"%1\" is given twice").arg(language));
        }
        languages.insert(language.toCaseFolded(), 0);
    }
    LabelMap classes(static_cast<size_t>(model.securityClasses.size()));
    for (qsizetype i = 0; i < model.securityClasses.size(); ++i) {
        const QString& name = model.securityClasses[i];
        if (name.trimmed().isEmpty() || HasControlCharacter(name)) {
            Refuse(QStringLiteral("security class number %1 (\"%2\") is empty or has a control "
                                  "character")
                       .arg(i + 1)
                       .arg(name));
        }
        if (classes.Insert(name, static_cast<int32_t>(i)) >= 0) {
            Refuse(QStringLiteral("the security class \"%1\" is given twice").arg(name));
        }
    }

    const auto valueDim = static_cast<size_t>(Dimension::Value);
    const auto custom1 = static_cast<size_t>(Dimension::Custom1);
    // Any dimension may name members of Value and Custom1..4; the others are looked up
    // only by their own member lists and relations.
    const auto referred = [&](size_t d) {
        return d == valueDim || (d >= custom1 && d < custom1 + 4);
    };
    std::array<const ProvenHierarchy*, kDimensionCount> proven{};
    for (size_t d = 0; d < kDimensionCount; ++d) {
        proven[d] = Proven(model.dimensions[d], proof[d]);
    }
    std::array<LabelMap, kDimensionCount> maps;
    for (size_t d = 0; d < kDimensionCount; ++d) {
        const DimensionModel& dim = model.dimensions[d];
        maps[d] = BuildLabelMap(d, dim, !proven[d] || referred(d) || !dim.memberLists.empty());
    }

    ResolvedModel resolved;
    for (size_t d = 0; d < kDimensionCount; ++d) {
        const DimensionModel& dim = model.dimensions[d];
        ResolvedDimension& r = resolved.dimensions[d];
        const size_t n = dim.members.size();
        r.securityClass.assign(n, -1);
        r.defaultCurrency.assign(n, -1);
        for (size_t i = 0; i < n; ++i) {
            const MemberModel& m = dim.members[i];
            if (m.descriptions.size() > model.languages.size()) {
                Refuse(QStringLiteral("the %1 member \"%2\" has %3 descriptions but the "
                                      "application has %4 languages")
                           .arg(DimName(d), m.label)
                           .arg(m.descriptions.size())
                           .arg(model.languages.size()));
            }
            if (m.descriptions.Holds(kFieldSeparator)) {
                Refuse(QStringLiteral("a description of the %1 member \"%2\" contains the "
                                      "control character U+001F")
                           .arg(DimName(d), m.label));
            }
            for (const QString& text : m.userDefined) {
                if (text.contains(kFieldSeparator)) {
                    Refuse(QStringLiteral("a user-defined text of the %1 member \"%2\" contains "
                                          "the control character U+001F")
                               .arg(DimName(d), m.label));
                }
            }
            if (!m.securityClass.isEmpty()) {
                r.securityClass[i] = Lookup(classes, m.securityClass);
                if (r.securityClass[i] < 0) {
                    Refuse(QStringLiteral("the %1 member \"%2\" names the security class \"%3\", "
                                          "which the application does not have")
                               .arg(DimName(d), m.label, m.securityClass));
                }
            }
            for (size_t c = 0; c < 4; ++c) {
                if (m.topCustom[c].isEmpty()) {
                    continue;
                }
                if (r.topCustom.empty()) {
                    r.topCustom.assign(n, {-1, -1, -1, -1});
                }
                r.topCustom[i][c] = Lookup(maps[custom1 + c], m.topCustom[c]);
                if (r.topCustom[i][c] < 0) {
                    Refuse(QStringLiteral("the %1 member \"%2\" names the top custom member "
                                          "\"%3\", which is not a member of %4")
                               .arg(DimName(d), m.label, m.topCustom[c], DimName(custom1 + c)));
                }
            }
            if (!m.defaultCurrency.isEmpty()) {
                r.defaultCurrency[i] = Lookup(maps[valueDim], m.defaultCurrency);
                if (r.defaultCurrency[i] < 0) {
                    Refuse(QStringLiteral("the %1 member \"%2\" names the default currency "
                                          "\"%3\", which is not a member of Value")
                               .arg(DimName(d), m.label, m.defaultCurrency));
                }
            }
        }
        if (proven[d]) {
            TakeHierarchy(*proven[d], r);
        } else {
            ResolveHierarchy(d, dim, maps[d], r);
        }
        ResolveLists(d, dim, maps[d], r);
        // A map serves only its own dimension's checks, except those of the dimensions
        // others refer to; the others go before the checks that follow, which need room
        // of their own.
        if (!referred(d)) {
            maps[d] = LabelMap();
        }
        if (!proven[d]) {
            CheckNoRepeat(d, dim, r);
            CheckNoCycle(d, dim, r);
        }
    }
    return resolved;
}

}  // namespace tarsel::local
