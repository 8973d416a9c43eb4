#pragma once
// The layout of an application file (<name>.tapp) and the two bulk operations on it:
// writing a checked model into an empty file and reading a whole model back.
//
// Tables (schema version kApplicationSchemaVersion, kept in PRAGMA user_version):
//   application(key, value)       'name', 'change_counter' (loads add 1 per commit)
//   languages(idx, label)          idx = language index
//   security_classes(id, name)
//   members(key, label, descriptions, user_defined, attributes; dim, id)
//           key = dim << 32 | id, so that a dimension is one range of the rowid and a bulk
//           insert only appends; dim and id are generated from the key.
//           descriptions: one per language joined by U+001F; ids are 0.. per dimension in
//           the order the members were defined at creation; a metadata load keeps the id
//           of every member that stays, numbers new members after the highest id and
//           leaves the ids of removed members unused; user_defined and attributes as
//           member_record.h describes (member ids of Custom1..4 for the top custom members,
//           of Value for the default currency, -1 for none).
//   relations(key, parent, child; dim, seq)  key = dim << 32 | seq; seq = stored order;
//           parent -1 for a top member
//   member_lists(dim, id, name)          user lists; id = 0.. in the order defined
//   member_list_entries(dim, list, seq, member, parent)
//   member_list_file(id = 0, content)    absent row: no member list file
//   the rules and security tables of security_store.h
//   cells, consolidation_status          the data: see data_store.h
//   journals, journal_lines              see journal_store.h

#include <cstdlib>
#include <memory>
#include <vector>

#include "server/local/app_model.h"
#include "server/local/dimension_index.h"
#include "server/local/huge_pages.h"
#include "server/local/label_index.h"
#include "server/local/model_check.h"
#include "server/local/sqlite_db.h"

namespace tarsel::local {

inline constexpr int kApplicationSchemaVersion = 2;

// The rowid of a member or relation row: dimension in the high, id / seq in the low half.
constexpr int64_t MemberKey(int64_t dimension, int64_t idOrSeq) {
    return dimension * 4294967296 + idOrSeq;
}

// Fails with kSchemaMismatch when the file is not an application file of a version this
// build reads. A version 1 file is upgraded in place first (its new tables created empty).
void CheckApplicationSchema(sql::Database& db);

// Creates the tables in an empty file and writes the model in the caller's transaction.
void WriteApplication(sql::Database& db, const QString& name, const AppModel& model,
                      const ResolvedModel& resolved);

// The stored id of each member of a model, per dimension, parallel to its members.
using MemberIds = std::array<std::vector<int32_t>, kDimensionCount>;

// Replaces the whole metadata (members, relations, lists, languages, security classes, the
// member list file) with the model's in the caller's write transaction, each member under
// its id of ids; resolved must already name those ids. Adds 1 to the change counter.
void ReplaceMetadata(sql::Database& db, const AppModel& model, const ResolvedModel& resolved,
                     const MemberIds& ids);

// For each dimension, one more than the highest member id that stored data (cells,
// consolidation status, journals) names; 0 where it names none.
std::array<int32_t, kDimensionCount> IdsNamedByData(sql::Database& db);

// The lowest id a new member of each dimension may take. A load that removes a member
// leaves the records that name it (invalid records, until DELETE_INVALID_RECORDS removes
// them); a new member given its id would silently take them over, so ids are not given
// twice. Kept in the file; a file without it, or with a value that cannot be one, gets it
// from its members and its data.
std::array<int32_t, kDimensionCount> FirstFreeMemberIds(sql::Database& db);
void SetFirstFreeMemberIds(sql::Database& db, const std::array<int32_t, kDimensionCount>& ids);

// Adds 1 to the change counter; every committed load calls it once, in its transaction.
void CountChange(sql::Database& db);

// Makes lists (indexed by dimension) the application's user lists and file its stored
// member list file, in the caller's write transaction.
void StoreMemberLists(sql::Database& db,
                      const std::array<std::vector<UserList>, kDimensionCount>& lists,
                      const QByteArray& file);

// The whole model, read in one read transaction, members in id order; ids, when given,
// receives each member's stored id.
AppModel ReadApplication(sql::Database& db, MemberIds* ids = nullptr);
// As ReadApplication, in the caller's transaction (a load reads and writes in one);
// dimensions marked in skip are left empty.
AppModel ReadMetadata(sql::Database& db, MemberIds* ids,
                      const std::array<bool, kDimensionCount>& skip = {});

// The user lists of a dimension as stored, in the order defined.
std::vector<UserList> ReadUserLists(sql::Database& db, Dimension dimension);

// The stored metadata as a source for a streaming writer, members in id order. The caller
// holds a read transaction on db while it reads.
class StoredMetadata final : public MetadataSource {
  public:
    // mostDescriptionBytesKept: see descriptions_.
    explicit StoredMetadata(sql::Database& db, size_t mostDescriptionBytesKept = size_t{64} << 20);

    QStringList Languages() override;
    QStringList SecurityClasses() override { return classes_; }
    void Members(Dimension dimension, const MemberFn& each) override;
    void Descriptions(Dimension dimension, const DescriptionFn& each) override;
    void Relations(Dimension dimension, const RelationFn& each) override;
    void MemberLists(Dimension dimension, const ListFn& each) override;
    std::optional<QByteArray> MemberListFile() override;

  private:
    // Texts of a dimension's members by id (labels, description columns) in one block,
    // so that a million texts are not a million strings.
    class TextTable {
      public:
        // ids ascending; the ids skipped have empty texts. rows: room to make up front.
        explicit TextTable(size_t rows);
        void Add(int64_t id, QStringView text);
        // Empty for an id without a member.
        QStringView Of(int64_t id) const {
            if (id < 0 || static_cast<size_t>(id) >= ends_.size()) {
                return {};
            }
            const size_t begin = id == 0 ? 0 : ends_[static_cast<size_t>(id) - 1];
            return QStringView(Text() + begin,
                               static_cast<qsizetype>(ends_[static_cast<size_t>(id)] - begin));
        }
        size_t size() const { return ends_.size(); }
        size_t TextBytes() const { return used_ * sizeof(char16_t); }

      private:
        char16_t* Text() const { return reinterpret_cast<char16_t*>(text_.data()); }

        // Grown by remapping, which moves a large block without copying it.
        LargeBlock text_;
        size_t used_ = 0;             // in UTF-16 units
        std::vector<uint32_t> ends_;  // where the text of each id ends in text_
    };

    // The labels of a dimension, read on first use.
    const TextTable& Labels(Dimension dimension);
    // The label of a member that attributes refer to; empty for a negative id.
    const SharedText& Referenced(Dimension dimension, int64_t id);

    sql::Database& db_;
    QStringList classes_;
    std::vector<SharedText> sharedClasses_;  // classes_, one text each for every member
    std::array<std::optional<TextTable>, kDimensionCount> labels_;
    // The description columns that Members read in passing, for Descriptions after it:
    // the .app writer asks for them in that order, and one pass over the members costs
    // less than two. Not kept once Descriptions has been asked (the .xml writer's order),
    // nor past mostDescriptionBytesKept_ of text: long texts in many languages are read
    // again rather than held.
    size_t mostDescriptionBytesKept_;
    std::array<std::optional<TextTable>, kDimensionCount> descriptions_;
    std::array<bool, kDimensionCount> descriptionsAsked_{};
    std::array<std::vector<SharedText>, kDimensionCount> referenced_;
};

// Calls each(label, id) for every stored member of the dimension, in id order:
// what a load that replaces the dimension needs of it, read without holding it. The label
// is valid only during the call.
using LabelFn = std::function<void(QStringView label, int32_t id)>;
void ForEachMemberLabel(sql::Database& db, Dimension dimension, const LabelFn& each);

}  // namespace tarsel::local
