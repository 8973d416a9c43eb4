#pragma once
// Reader of the static member lists of a member list file: the script dialect that the
// member list builder writes (docs/formats.md). Only static lists are understood: a
// routine EnumMemberLists that names the lists of each dimension and a routine
// EnumMembersInList that adds their members.

#include <QByteArray>
#include <QString>
#include <array>
#include <vector>

#include "server/local/app_model.h"

namespace tarsel::local::format {

struct MemberListFileContent {
    // Per dimension, the lists in the order of their numbers.
    std::array<std::vector<MemberListModel>, kDimensionCount> lists;
    // The line of each entry, parallel to lists[d][i].entries.
    std::array<std::vector<std::vector<int>>, kDimensionCount> entryLines;
};

// Fails with kMalformedFile naming fileName, the line and what was not understood.
MemberListFileContent ParseMemberListFile(const QByteArray& bytes, const QString& fileName);

// Makes the file's lists the model's user lists and stores the bytes as the
// application's member list file. Every listed member (and entity parent) must be a
// member of its dimension in the model; otherwise kMalformedFile naming the line, and
// the model is left unchanged.
void ApplyMemberListFile(AppModel& model, const QByteArray& bytes, const QString& fileName);

}  // namespace tarsel::local::format
