#include "server/local/app_schema.h"

#include <algorithm>

#include "server/tarsel_error.h"

namespace tarsel::local {

namespace {

constexpr const char* kSchema = R"sql(
CREATE TABLE application(key TEXT PRIMARY KEY, value) WITHOUT ROWID;
CREATE TABLE languages(idx INTEGER PRIMARY KEY, label TEXT NOT NULL);
CREATE TABLE security_classes(id INTEGER PRIMARY KEY, name TEXT NOT NULL);
CREATE TABLE members(
  dim INTEGER NOT NULL, id INTEGER NOT NULL, label TEXT NOT NULL,
  descriptions TEXT NOT NULL, security_class INTEGER NOT NULL,
  ud1 TEXT NOT NULL, ud2 TEXT NOT NULL, ud3 TEXT NOT NULL, flags INTEGER NOT NULL,
  account_type INTEGER NOT NULL, icp_type INTEGER NOT NULL, decimal_places INTEGER NOT NULL,
  top_c1 INTEGER NOT NULL, top_c2 INTEGER NOT NULL, top_c3 INTEGER NOT NULL,
  top_c4 INTEGER NOT NULL, default_currency INTEGER NOT NULL,
  PRIMARY KEY(dim, id)) WITHOUT ROWID;
CREATE TABLE relations(dim INTEGER NOT NULL, seq INTEGER NOT NULL, parent INTEGER NOT NULL,
  child INTEGER NOT NULL, PRIMARY KEY(dim, seq)) WITHOUT ROWID;
CREATE TABLE member_lists(dim INTEGER NOT NULL, id INTEGER NOT NULL, name TEXT NOT NULL,
  PRIMARY KEY(dim, id)) WITHOUT ROWID;
CREATE TABLE member_list_entries(dim INTEGER NOT NULL, list INTEGER NOT NULL,
  seq INTEGER NOT NULL, member INTEGER NOT NULL, parent INTEGER NOT NULL,
  PRIMARY KEY(dim, list, seq)) WITHOUT ROWID;
CREATE TABLE member_list_file(id INTEGER PRIMARY KEY CHECK(id = 0), content BLOB NOT NULL);
)sql";

QString JoinDescriptions(const QStringList& descriptions) {
    if (descriptions.size() == 1) {
        return descriptions.front();
    }
    return descriptions.join(kDescriptionSeparator);
}

}  // namespace

void CheckApplicationSchema(sql::Database& db) {
    const int version = db.UserVersion();
    if (version != kApplicationSchemaVersion) {
        ThrowClientError(
            code::kSchemaMismatch,
            version > kApplicationSchemaVersion
                ? QStringLiteral("The application file \"%1\" has store version %2, newer than "
                                 "this build of the local Tarsel server reads (%3). Use the "
                                 "newer build that wrote it.")
                      .arg(db.path())
                      .arg(version)
                      .arg(kApplicationSchemaVersion)
                : QStringLiteral("The file \"%1\" is not an application file of the local "
                                 "Tarsel server (store version %2, expected %3).")
                      .arg(db.path())
                      .arg(version)
                      .arg(kApplicationSchemaVersion));
    }
}

void WriteApplication(sql::Database& db, const QString& name, const AppModel& model,
                      const ResolvedModel& resolved) {
    db.Exec(kSchema);
    {
        sql::Statement put(db, "INSERT INTO application(key, value) VALUES(?1, ?2)");
        const QString nameKey = QStringLiteral("name");
        put.Bind(1, nameKey).Bind(2, name).Run();
        const QString counterKey = QStringLiteral("change_counter");
        put.Bind(1, counterKey).Bind(2, 0).Run();
    }
    {
        sql::Statement put(db, "INSERT INTO languages(idx, label) VALUES(?1, ?2)");
        for (qsizetype i = 0; i < model.languages.size(); ++i) {
            put.Bind(1, static_cast<int64_t>(i)).Bind(2, model.languages[i]).Run();
        }
    }
    {
        sql::Statement put(db, "INSERT INTO security_classes(id, name) VALUES(?1, ?2)");
        for (qsizetype i = 0; i < model.securityClasses.size(); ++i) {
            put.Bind(1, static_cast<int64_t>(i)).Bind(2, model.securityClasses[i]).Run();
        }
    }
    sql::Statement member(db,
                          "INSERT INTO members VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, "
                          "?11, ?12, ?13, ?14, ?15, ?16, ?17)");
    sql::Statement relation(db, "INSERT INTO relations VALUES(?1, ?2, ?3, ?4)");
    sql::Statement list(db, "INSERT INTO member_lists VALUES(?1, ?2, ?3)");
    sql::Statement entry(db, "INSERT INTO member_list_entries VALUES(?1, ?2, ?3, ?4, ?5)");
    for (size_t d = 0; d < kDimensionCount; ++d) {
        const DimensionModel& dim = model.dimensions[d];
        const ResolvedDimension& r = resolved.dimensions[d];
        const auto dimNumber = static_cast<int64_t>(d);
        for (size_t i = 0; i < dim.members.size(); ++i) {
            const MemberModel& m = dim.members[i];
            const QString descriptions = JoinDescriptions(m.descriptions);
            member.Bind(1, dimNumber)
                .Bind(2, static_cast<int64_t>(i))
                .Bind(3, m.label)
                .Bind(4, descriptions)
                .Bind(5, r.securityClass[i])
                .Bind(6, m.userDefined[0])
                .Bind(7, m.userDefined[1])
                .Bind(8, m.userDefined[2])
                .Bind(9, static_cast<int64_t>(MemberFlags(m)))
                .Bind(10, m.accountType)
                .Bind(11, m.icpType)
                .Bind(12, m.decimalPlaces);
            for (int c = 0; c < 4; ++c) {
                member.Bind(13 + c, r.topCustom[i][static_cast<size_t>(c)]);
            }
            member.Bind(17, r.defaultCurrency[i]).Run();
        }
        for (size_t k = 0; k < r.relationChild.size(); ++k) {
            relation.Bind(1, dimNumber)
                .Bind(2, static_cast<int64_t>(k))
                .Bind(3, r.relationParent[k])
                .Bind(4, r.relationChild[k])
                .Run();
        }
        for (size_t l = 0; l < dim.memberLists.size(); ++l) {
            list.Bind(1, dimNumber)
                .Bind(2, static_cast<int64_t>(l))
                .Bind(3, dim.memberLists[l].name)
                .Run();
            const ResolvedList& entries = r.lists[l];
            for (size_t k = 0; k < entries.members.size(); ++k) {
                entry.Bind(1, dimNumber)
                    .Bind(2, static_cast<int64_t>(l))
                    .Bind(3, static_cast<int64_t>(k))
                    .Bind(4, entries.members[k])
                    .Bind(5, entries.parents[k])
                    .Run();
            }
        }
    }
    if (model.memberListFile) {
        sql::Statement put(db, "INSERT INTO member_list_file(id, content) VALUES(0, ?1)");
        put.BindBlob(1, *model.memberListFile).Run();
    }
    db.SetUserVersion(kApplicationSchemaVersion);
}

AppModel ReadApplication(sql::Database& db) {
    CheckApplicationSchema(db);
    sql::Transaction read(db, sql::Transaction::Kind::Read);
    AppModel model;
    {
        sql::Statement q(db, "SELECT value FROM application WHERE key = 'name'");
        if (q.Step()) {
            model.name = q.Text(0);
        }
    }
    {
        sql::Statement q(db, "SELECT label FROM languages ORDER BY idx");
        while (q.Step()) {
            model.languages.append(q.Text(0));
        }
    }
    {
        sql::Statement q(db, "SELECT name FROM security_classes ORDER BY id");
        while (q.Step()) {
            model.securityClasses.append(q.Text(0));
        }
    }
    {
        sql::Statement q(db,
                         "SELECT dim, label, descriptions, security_class, ud1, ud2, ud3, flags, "
                         "account_type, icp_type, decimal_places, top_c1, top_c2, top_c3, "
                         "top_c4, default_currency FROM members ORDER BY dim, id");
        // Labels of the dimensions referred to across (Custom1..4, Value) are known only
        // once every dimension is read, so the ids are kept and turned into labels after.
        struct Reference {
            size_t dim, member;
            std::array<int64_t, 5> ids;
        };
        std::vector<Reference> references;
        while (q.Step()) {
            const auto d = static_cast<size_t>(q.Int(0));
            if (d >= kDimensionCount) {
                continue;
            }
            DimensionModel& dim = model.dimensions[d];
            MemberModel& m = dim.members.emplace_back();
            m.label = q.Text(1);
            const QString descriptions = q.Text(2);
            if (!descriptions.isEmpty()) {
                m.descriptions = descriptions.split(kDescriptionSeparator);
            }
            const int64_t securityClass = q.Int(3);
            if (securityClass >= 0 && securityClass < model.securityClasses.size()) {
                m.securityClass = model.securityClasses[securityClass];
            }
            for (int u = 0; u < 3; ++u) {
                m.userDefined[static_cast<size_t>(u)] = q.Text(4 + u);
            }
            ApplyMemberFlags(static_cast<uint32_t>(q.Int(7)), m);
            m.accountType = static_cast<int>(q.Int(8));
            m.icpType = static_cast<int>(q.Int(9));
            m.decimalPlaces = static_cast<int>(q.Int(10));
            Reference ref{
                d, dim.members.size() - 1, {q.Int(11), q.Int(12), q.Int(13), q.Int(14), q.Int(15)}};
            if (std::any_of(ref.ids.begin(), ref.ids.end(), [](int64_t id) { return id >= 0; })) {
                references.push_back(ref);
            }
        }
        auto labelOf = [&model](Dimension d, int64_t id) {
            const auto& members = model.dim(d).members;
            return id >= 0 && static_cast<size_t>(id) < members.size()
                       ? members[static_cast<size_t>(id)].label
                       : QString();
        };
        for (const Reference& ref : references) {
            MemberModel& m = model.dimensions[ref.dim].members[ref.member];
            for (int c = 0; c < 4; ++c) {
                m.topCustom[static_cast<size_t>(c)] =
                    labelOf(static_cast<Dimension>(static_cast<int>(Dimension::Custom1) + c),
                            ref.ids[static_cast<size_t>(c)]);
            }
            m.defaultCurrency = labelOf(Dimension::Value, ref.ids[4]);
        }
    }
    auto label = [&model](size_t d, int64_t id) {
        const auto& members = model.dimensions[d].members;
        return id >= 0 && static_cast<size_t>(id) < members.size()
                   ? members[static_cast<size_t>(id)].label
                   : QString();
    };
    {
        sql::Statement q(db, "SELECT dim, parent, child FROM relations ORDER BY dim, seq");
        while (q.Step()) {
            const auto d = static_cast<size_t>(q.Int(0));
            if (d < kDimensionCount) {
                model.dimensions[d].hierarchy.push_back({label(d, q.Int(1)), label(d, q.Int(2))});
            }
        }
    }
    {
        sql::Statement q(db, "SELECT dim, name FROM member_lists ORDER BY dim, id");
        while (q.Step()) {
            const auto d = static_cast<size_t>(q.Int(0));
            if (d < kDimensionCount) {
                model.dimensions[d].memberLists.push_back({q.Text(1), {}});
            }
        }
        sql::Statement e(db,
                         "SELECT dim, list, member, parent FROM member_list_entries "
                         "ORDER BY dim, list, seq");
        while (e.Step()) {
            const auto d = static_cast<size_t>(e.Int(0));
            const auto l = static_cast<size_t>(e.Int(1));
            if (d < kDimensionCount && l < model.dimensions[d].memberLists.size()) {
                model.dimensions[d].memberLists[l].entries.push_back(
                    {label(d, e.Int(2)), label(d, e.Int(3))});
            }
        }
    }
    {
        sql::Statement q(db, "SELECT content FROM member_list_file WHERE id = 0");
        if (q.Step()) {
            model.memberListFile = q.Blob(0);
        }
    }
    read.Commit();
    return model;
}

}  // namespace tarsel::local
