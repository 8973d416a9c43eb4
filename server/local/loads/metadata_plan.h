#pragma once
// What a metadata load makes of the application: the file's model combined with the
// stored one by the load's mode, each member with the id it will be stored under.

#include <functional>

#include "server/local/app_schema.h"

namespace tarsel::local {

enum class MetadataMode {
    Clear,    // the file alone, numbered afresh (but see ReplacedLabels)
    Replace,  // each dimension the file has members for becomes the file's
    Merge,    // the file's members, relations and lists added, attributes updated
};

struct PlannedMetadata {
    AppModel model;
    MemberIds ids;     // parallel to model's members
    ModelProof proof;  // of the dimensions the file's model gave whole
};

// Languages and security classes the file names are added after the stored ones; labels
// are compared without regard to case. The stored member list file is kept unless the
// file carries one.
// Whether the file names anything of the dimension: what MERGE and REPLACE touch.
bool NamesDimension(const DimensionModel& file);

// Dimensions current leaves empty because a REPLACE takes them over: a reading of their
// stored labels and ids (ForEachMemberLabel). Empty where current holds the dimension whole.
// For a CLEAR: the dimensions whose members stored data names, whose members keep their
// ids by label so that the data stays with them (the others are numbered from 0).
using StoredLabelsFn = std::function<void(const LabelFn& each)>;
using ReplacedLabels = std::array<StoredLabelsFn, kDimensionCount>;

// The lowest id a new member of each dimension may take (FirstFreeMemberIds).
using FirstFreeIds = std::array<int32_t, kDimensionCount>;

// Takes both models over, so that a large load holds each member once. fileProof: what
// the reader proved of file, kept for the dimensions the plan takes from it unchanged.
PlannedMetadata PlanMetadata(AppModel current, MemberIds currentIds, AppModel file,
                             MetadataMode mode, const ReplacedLabels& replaced = {},
                             ModelProof fileProof = {}, const FirstFreeIds& firstFree = {});

// The first free ids to keep after a load that stored planned: above every id given, and
// above the ones before unless a CLEAR numbered the dimension afresh.
FirstFreeIds FirstFreeAfter(const PlannedMetadata& planned, MetadataMode mode,
                            const ReplacedLabels& replaced, const FirstFreeIds& before);

// Turns the places in planned.model that resolved names into the planned ids.
void ResolveToIds(ResolvedModel& resolved, const MemberIds& ids);

}  // namespace tarsel::local
