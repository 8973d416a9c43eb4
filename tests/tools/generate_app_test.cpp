#include <gtest/gtest.h>

#include "server/local/format/app_text.h"
#include "tools/generate-app/synthetic_app.h"

namespace tarsel::tools {
namespace {

QByteArray Generate(const SyntheticOptions& o) {
    QByteArray all;
    WriteSyntheticApp(o, [&](const QByteArray& b) { all += b; });
    return all;
}

int Depth(const local::DimensionModel& dim) {
    std::map<QString, int> generation;
    int deepest = 0;
    for (const auto& r : dim.hierarchy) {  // parents come before their children here
        const int g = r.parent.isEmpty() ? 1 : generation.at(r.parent) + 1;
        generation.try_emplace(r.child, g);
        deepest = std::max(deepest, g);
    }
    return deepest;
}

TEST(GenerateApp, SameSeedSameBytesOtherSeedOtherBytes) {
    SyntheticOptions o;
    o.entities = 3000;
    o.sharedPercent = 5;
    const QByteArray first = Generate(o);
    EXPECT_EQ(Generate(o), first);
    o.seed = 2;
    EXPECT_NE(Generate(o), first);
}

TEST(GenerateApp, GivesAReadableApplicationOfTheRequestedShape) {
    SyntheticOptions o;
    o.entities = 5000;
    o.accounts = 40;
    o.depth = 4;
    o.sharedPercent = 10;
    const local::AppModel model = local::format::ParseAppText(Generate(o), "synthetic.app");
    const auto& entity = model.dim(Dimension::Entity);
    EXPECT_EQ(entity.members.size(), 5000u);
    EXPECT_EQ(Depth(entity), 4);
    const size_t shared = entity.hierarchy.size() - entity.members.size();
    // About ten percent of the base members, which are most of the members.
    EXPECT_GT(shared, 300u);
    EXPECT_LT(shared, 600u);
    EXPECT_EQ(model.dim(Dimension::Account).members.size(), 40u);
    EXPECT_EQ(model.languages.size(), 2);
    EXPECT_EQ(model.dim(Dimension::Custom3).members.size(), 4u);

    // Custom dimensions of any size, each member under the top, labels unique.
    o.customs = 1234;
    const local::AppModel wide = local::format::ParseAppText(Generate(o), "wide.app");
    for (Dimension d :
         {Dimension::Custom1, Dimension::Custom2, Dimension::Custom3, Dimension::Custom4}) {
        const auto& custom = wide.dim(d);
        EXPECT_EQ(custom.members.size(), 1234u);
        EXPECT_EQ(custom.hierarchy.size(), 1234u);
        EXPECT_EQ(Depth(custom), 2);
    }
    o.customs = 2;
    EXPECT_EQ(local::format::ParseAppText(Generate(o), "narrow.app")
                  .dim(Dimension::Custom4)
                  .members.size(),
              2u);
}

TEST(GenerateApp, CsvRowsMatchTheApplicationsRelations) {
    SyntheticOptions o;
    o.entities = 500;
    o.sharedPercent = 20;
    const local::AppModel model = local::format::ParseAppText(Generate(o), "s.app");
    QByteArray members, relations;
    WriteSyntheticEntityCsv(
        o, [&](const QByteArray& b) { members += b; },
        [&](const QByteArray& b) { relations += b; });
    const QList<QByteArray> rows = relations.trimmed().split('\n');
    const auto& hierarchy = model.dim(Dimension::Entity).hierarchy;
    ASSERT_EQ(static_cast<size_t>(rows.size()), hierarchy.size());
    for (size_t i = 0; i < hierarchy.size(); ++i) {
        const QList<QByteArray> f = rows[static_cast<qsizetype>(i)].trimmed().split(',');
        ASSERT_EQ(f.size(), 3);
        EXPECT_EQ(QString::fromUtf8(f[0]), hierarchy[i].parent);
        EXPECT_EQ(QString::fromUtf8(f[1]), hierarchy[i].child);
        EXPECT_EQ(f[2].toLongLong(), static_cast<qlonglong>(i));
    }
    EXPECT_EQ(members.count('\n'), 500);
}

}  // namespace
}  // namespace tarsel::tools
