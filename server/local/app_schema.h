#pragma once
// The layout of an application file (<name>.tapp) and the two bulk operations on it:
// writing a checked model into an empty file and reading a whole model back.
//
// Tables (schema version kApplicationSchemaVersion, kept in PRAGMA user_version):
//   application(key, value)       'name', 'change_counter' (loads add 1 per commit)
//   languages(idx, label)          idx = language index
//   security_classes(id, name)
//   members(dim, id, label, descriptions, security_class, ud1, ud2, ud3, flags,
//           account_type, icp_type, decimal_places, top_c1..top_c4, default_currency)
//           descriptions: one per language joined by U+001F; ids are 0.. per dimension in
//           the order the members were defined; member ids of other dimensions for
//           top_c1..4 (Custom1..4) and default_currency (Value), -1 for none.
//   relations(dim, seq, parent, child)   seq = stored order; parent -1 for a top member
//   member_lists(dim, id, name)          user lists; id = 0.. in the order defined
//   member_list_entries(dim, list, seq, member, parent)
//   member_list_file(id = 0, content)    absent row: no member list file

#include "server/local/app_model.h"
#include "server/local/model_check.h"
#include "server/local/sqlite_db.h"

namespace tarsel::local {

inline constexpr int kApplicationSchemaVersion = 1;

// Fails with kSchemaMismatch when the file is not an application file of a version this
// build reads.
void CheckApplicationSchema(sql::Database& db);

// Creates the tables in an empty file and writes the model in the caller's transaction.
void WriteApplication(sql::Database& db, const QString& name, const AppModel& model,
                      const ResolvedModel& resolved);

// The whole model, read in one read transaction.
AppModel ReadApplication(sql::Database& db);

}  // namespace tarsel::local
