#pragma once
// What a metadata load makes of the application: the file's model combined with the
// stored one by the load's mode, each member with the id it will be stored under.

#include <memory>

#include "server/local/app_schema.h"

namespace tarsel::local {

enum class MetadataMode {
    Clear,    // the file alone, every member numbered afresh
    Replace,  // each dimension the file has members for becomes the file's
    Merge,    // the file's members, relations and lists added, attributes updated
};

struct PlannedMetadata {
    AppModel model;
    MemberIds ids;  // parallel to model's members
};

// Languages and security classes the file names are added after the stored ones; labels
// are compared without regard to case. The stored member list file is kept unless the
// file carries one.
// Whether the file names anything of the dimension: what MERGE and REPLACE touch.
bool NamesDimension(const DimensionModel& file);

// Dimensions current leaves empty because a REPLACE takes them over: their stored labels
// and ids only. nullptr where current holds the dimension whole.
using ReplacedLabels = std::array<std::unique_ptr<StoredLabels>, kDimensionCount>;

// Takes both models over, so that a large load holds each member once.
PlannedMetadata PlanMetadata(AppModel current, MemberIds currentIds, AppModel file,
                             MetadataMode mode, const ReplacedLabels& replaced = {});

// Turns the places in planned.model that resolved names into the planned ids.
void ResolveToIds(ResolvedModel& resolved, const MemberIds& ids);

}  // namespace tarsel::local
