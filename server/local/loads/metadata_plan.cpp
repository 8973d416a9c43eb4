#include "server/local/loads/metadata_plan.h"

#include <QHash>
#include <algorithm>
#include <optional>
#include <set>
#include <utility>

namespace tarsel::local {

namespace {

// Appends the names of extra that names lacks; gives the place in names of each of extra.
std::vector<qsizetype> MergeNames(QStringList& names, const QStringList& extra) {
    std::vector<qsizetype> places;
    for (const QString& name : extra) {
        qsizetype place = -1;
        for (qsizetype i = 0; i < names.size() && place < 0; ++i) {
            if (names[i].compare(name, Qt::CaseInsensitive) == 0) {
                place = i;
            }
        }
        if (place < 0) {
            place = names.size();
            names << name;
        }
        places.push_back(place);
    }
    return places;
}

// The file member's descriptions in the order of the combined languages.
QStringList Redescribe(const QStringList& descriptions, const std::vector<qsizetype>& places) {
    QStringList out;
    for (qsizetype i = 0; i < descriptions.size() && i < static_cast<qsizetype>(places.size());
         ++i) {
        if (descriptions[i].isEmpty()) {
            continue;
        }
        while (out.size() <= places[static_cast<size_t>(i)]) {
            out << QString();
        }
        out[places[static_cast<size_t>(i)]] = descriptions[i];
    }
    return out;
}

bool IsIdentity(const std::vector<qsizetype>& places) {
    for (size_t i = 0; i < places.size(); ++i) {
        if (places[i] != static_cast<qsizetype>(i)) {
            return false;
        }
    }
    return true;
}

int32_t NextId(const std::vector<int32_t>& ids) {
    return ids.empty() ? 0 : *std::max_element(ids.begin(), ids.end()) + 1;
}

QHash<QString, size_t> PlacesByLabel(const std::vector<MemberModel>& members) {
    QHash<QString, size_t> places;
    places.reserve(static_cast<qsizetype>(members.size()));
    for (size_t i = 0; i < members.size(); ++i) {
        places.insert(members[i].label.toCaseFolded(), i);
    }
    return places;
}

// The ids of members: a member whose label is stored keeps its id, the others are numbered
// after the highest stored id and from firstFree on. stored: the stored labels and ids.
std::vector<int32_t> IdsByLabel(const std::vector<MemberModel>& members,
                                const StoredLabelsFn& stored, int32_t firstFree) {
    // The stored labels come in id order, which is mostly the file's order (a file
    // extracted, edited and loaded back): each is looked for first where the one before
    // was found, and the index of the file's labels is built only when that misses.
    std::optional<LabelIndex> places;
    size_t guess = 0;
    const auto placeOf = [&](QStringView label) -> int32_t {
        if (guess < members.size() && members[guess].label == label) {
            return static_cast<int32_t>(guess++);
        }
        if (!places) {
            places.emplace(
                [&members](int32_t id) -> const QString& {
                    return members[static_cast<size_t>(id)].label;
                },
                members.size());
            for (size_t i = 0; i < members.size(); ++i) {
                places->Insert(members[i].label, static_cast<int32_t>(i));
            }
        }
        const int32_t place = places->Find(label);
        if (place >= 0) {
            guess = static_cast<size_t>(place) + 1;
        }
        return place;
    };
    std::vector<int32_t> ids(members.size(), -1);
    int32_t next = firstFree;
    stored([&](QStringView label, int32_t id) {
        next = std::max(next, id + 1);
        const int32_t place = placeOf(label);
        if (place >= 0) {
            ids[static_cast<size_t>(place)] = id;
        }
    });
    for (int32_t& id : ids) {
        if (id < 0) {
            id = next++;
        }
    }
    return ids;
}

// Takes the file's dimension over; only the stored labels are looked at, for the ids.
void ReplaceDimension(DimensionModel& dim, std::vector<int32_t>& ids, DimensionModel&& file,
                      const std::vector<qsizetype>& languages, const StoredLabelsFn& stored,
                      int32_t firstFree) {
    ids = IdsByLabel(file.members,
                     stored ? stored : StoredLabelsFn([&dim, &ids](const LabelFn& each) {
                         for (size_t i = 0; i < dim.members.size(); ++i) {
                             each(dim.members[i].label, ids[i]);
                         }
                     }),
                     firstFree);
    if (!IsIdentity(languages)) {
        for (MemberModel& m : file.members) {
            m.descriptions = Redescribe(m.descriptions.List(), languages);
        }
    }
    dim = std::move(file);
}

void MergeDimension(DimensionModel& dim, std::vector<int32_t>& ids, const DimensionModel& file,
                    const std::vector<qsizetype>& languages, int32_t firstFree) {
    QHash<QString, size_t> places = PlacesByLabel(dim.members);
    int32_t next = std::max(NextId(ids), firstFree);
    for (const MemberModel& m : file.members) {
        MemberModel copy = m;
        copy.descriptions = Redescribe(m.descriptions.List(), languages);
        const auto it = places.constFind(m.label.toCaseFolded());
        if (it == places.constEnd()) {
            places.insert(m.label.toCaseFolded(), dim.members.size());
            dim.members.push_back(std::move(copy));
            ids.push_back(next++);
            continue;
        }
        // The attributes are the file's; descriptions it leaves out stay.
        MemberModel& stored = dim.members[it.value()];
        QStringList descriptions = stored.descriptions.List();
        const QStringList given = copy.descriptions.List();
        for (qsizetype l = 0; l < given.size(); ++l) {
            if (given[l].isEmpty()) {
                continue;
            }
            while (descriptions.size() <= l) {
                descriptions << QString();
            }
            descriptions[l] = given[l];
        }
        copy.label = stored.label;
        copy.descriptions = descriptions;
        stored = std::move(copy);
    }
    std::set<std::pair<QString, QString>> relations;
    for (const RelationModel& r : dim.hierarchy) {
        relations.emplace(r.parent.toCaseFolded(), r.child.toCaseFolded());
    }
    for (const RelationModel& r : file.hierarchy) {
        if (relations.emplace(r.parent.toCaseFolded(), r.child.toCaseFolded()).second) {
            dim.hierarchy.push_back(r);
        }
    }
    for (const MemberListModel& list : file.memberLists) {
        const auto same = std::find_if(
            dim.memberLists.begin(), dim.memberLists.end(), [&](const MemberListModel& stored) {
                return stored.name.compare(list.name, Qt::CaseInsensitive) == 0;
            });
        if (same != dim.memberLists.end()) {
            same->entries = list.entries;
        } else {
            dim.memberLists.push_back(list);
        }
    }
}

}  // namespace

bool NamesDimension(const DimensionModel& file) {
    return !file.members.empty() || !file.hierarchy.empty() || !file.memberLists.empty();
}

PlannedMetadata PlanMetadata(AppModel current, MemberIds currentIds, AppModel file,
                             MetadataMode mode, const ReplacedLabels& replaced,
                             ModelProof fileProof, const FirstFreeIds& firstFree) {
    if (mode == MetadataMode::Clear) {
        PlannedMetadata planned{std::move(file), {}, std::move(fileProof)};
        for (size_t d = 0; d < kDimensionCount; ++d) {
            const std::vector<MemberModel>& members = planned.model.dimensions[d].members;
            auto& ids = planned.ids[d];
            if (replaced[d]) {
                ids = IdsByLabel(members, replaced[d], firstFree[d]);
                continue;
            }
            ids.resize(members.size());
            for (size_t i = 0; i < ids.size(); ++i) {
                ids[i] = static_cast<int32_t>(i);
            }
        }
        return planned;
    }
    PlannedMetadata planned{std::move(current), std::move(currentIds), {}};
    AppModel& model = planned.model;
    const std::vector<qsizetype> languages = MergeNames(model.languages, file.languages);
    MergeNames(model.securityClasses, file.securityClasses);
    for (size_t d = 0; d < kDimensionCount; ++d) {
        DimensionModel& fileDim = file.dimensions[d];
        if (!NamesDimension(fileDim)) {
            continue;
        }
        if (mode == MetadataMode::Replace) {
            ReplaceDimension(model.dimensions[d], planned.ids[d], std::move(fileDim), languages,
                             replaced[d], firstFree[d]);
            // The members and relations are the file's as they stand.
            planned.proof[d] = std::move(fileProof[d]);
        } else {
            MergeDimension(model.dimensions[d], planned.ids[d], fileDim, languages, firstFree[d]);
        }
    }
    if (file.memberListFile) {
        model.memberListFile = std::move(file.memberListFile);
    }
    return planned;
}

FirstFreeIds FirstFreeAfter(const PlannedMetadata& planned, MetadataMode mode,
                            const ReplacedLabels& replaced, const FirstFreeIds& before) {
    FirstFreeIds after{};
    for (size_t d = 0; d < kDimensionCount; ++d) {
        const bool afresh = mode == MetadataMode::Clear && !replaced[d];
        after[d] = std::max(afresh ? 0 : before[d], NextId(planned.ids[d]));
    }
    return after;
}

void ResolveToIds(ResolvedModel& resolved, const MemberIds& ids) {
    const auto map = [&ids](size_t d, int32_t& place) {
        if (place >= 0) {
            place = ids[d][static_cast<size_t>(place)];
        }
    };
    for (size_t d = 0; d < kDimensionCount; ++d) {
        ResolvedDimension& r = resolved.dimensions[d];
        for (int32_t& p : r.relationParent) {
            map(d, p);
        }
        for (int32_t& c : r.relationChild) {
            map(d, c);
        }
        for (auto& tops : r.topCustom) {
            for (size_t c = 0; c < 4; ++c) {
                map(static_cast<size_t>(Dimension::Custom1) + c, tops[c]);
            }
        }
        for (int32_t& currency : r.defaultCurrency) {
            map(static_cast<size_t>(Dimension::Value), currency);
        }
        for (ResolvedList& list : r.lists) {
            for (int32_t& m : list.members) {
                map(d, m);
            }
            for (int32_t& p : list.parents) {
                map(d, p);
            }
        }
    }
}

}  // namespace tarsel::local
