#pragma once
// Writer of the member list file dialect that member_list_file.h reads: the text the
// member list builder generates for one new list, for the administrator to paste into the
// application's list file.

#include <QString>

#include "server/local/app_model.h"

namespace tarsel::local::format {

// Stands for a list number the writer cannot know: the number of lists of the dimension
// once the new one is added, and the new list's own number. The administrator replaces it.
inline constexpr QChar kListNumberPlaceholder = u'#';

// The two routines EnumMemberLists and EnumMembersInList declaring list and adding its
// members in order, for the dimension named dimensionName (written as given, also inside
// the array name a<dimensionName>Lists). Lines end with CR LF, the last line has none.
// The list name and the labels are written unchanged between double quotes: nothing is
// escaped, and the reader takes these lines as written. An entry with a parent is written
// as BR.AddEntityToList "parent", "member", which the reader takes by the string rule, so
// its labels must hold no double quote to come back unchanged.
QString WriteMemberListScript(const QString& dimensionName, const MemberListModel& list);

}  // namespace tarsel::local::format
