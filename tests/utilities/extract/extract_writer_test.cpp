// The extract writer against the real local server.
#include <gtest/gtest.h>

#include "tests/support/app_builder.h"
#include "tests/support/local_server.h"
#include "utilities/extract/extract_writer.h"

namespace {

using modGlobal::ExtractFormat;
using tarsel::Dimension;
using tarsel::test::AppBuilder;
using tarsel::test::LocalServer;

// Total > (North > (Shared > Leaf), South > Shared > Leaf), Single; Shared under two parents.
AppBuilder SharedHierarchy() {
    AppBuilder app;
    app.Languages({"English", "French"})
        .Relate(Dimension::Custom2, "", "Total")
        .Children(Dimension::Custom2, "Total", {"North", "South"})
        .Relate(Dimension::Custom2, "North", "Shared")
        .Relate(Dimension::Custom2, "Shared", "Leaf")
        .Relate(Dimension::Custom2, "South", "Shared")
        .Relate(Dimension::Custom2, "", "Single")
        .Describe(Dimension::Custom2, "Total", "All regions")
        .Describe(Dimension::Custom2, "Total", "Toutes", 1)
        .Describe(Dimension::Custom2, "Shared", "Both")
        .Describe(Dimension::Custom2, "Leaf", "Bottom");
    return app;
}

TEST(ExtractWriter, WalksSharedMembersWithTheirSubtreesUnderEachParentInEveryFormat) {
    LocalServer server(SharedHierarchy().Build());
    auto tree = server.Tree(Dimension::Custom2);

    // Comma, no indicators: four fields, no INDICATOR column.
    modGlobal::WriteExtract(*tree, {});
    const QString plain =
        "\"\",\"\",\"Total\",\"All regions\"\r\n"
        "\"Total\",\"All regions\",\"North\",\"\"\r\n"
        "\"North\",\"\",\"Shared\",\"Both\"\r\n"
        "\"Shared\",\"Both\",\"Leaf\",\"Bottom\"\r\n"
        "\"Total\",\"All regions\",\"South\",\"\"\r\n"
        "\"South\",\"\",\"Shared\",\"Both\"\r\n"
        "\"Shared\",\"Both\",\"Leaf\",\"Bottom\"\r\n"
        "\"\",\"\",\"Single\",\"\"\r\n";
    EXPECT_EQ(modGlobal::extractText, plain);
    EXPECT_EQ(modGlobal::extractTextWithHeader,
              "PARENT_LABEL,PARENT_DESCRIPTION,CHILD_LABEL,CHILD_DESCRIPTION\r\n" + plain);

    // Comma, blank parent indicator, base indicator X: only base lines get the fifth field,
    // and the header names it.
    modGlobal::WriteExtract(*tree, {",", "  ", "X", 0});
    const QStringList lines = modGlobal::extractText.split("\r\n");
    EXPECT_EQ(lines[0], "\"\",\"\",\"Total\",\"All regions\"");
    EXPECT_EQ(lines[3], "\"Shared\",\"Both\",\"Leaf\",\"Bottom\",\"X\"");
    EXPECT_EQ(lines[7], "\"\",\"\",\"Single\",\"\",\"X\"");
    EXPECT_TRUE(modGlobal::extractTextWithHeader.startsWith(
        "PARENT_LABEL,PARENT_DESCRIPTION,CHILD_LABEL,CHILD_DESCRIPTION,INDICATOR\r\n"));

    // Tab with the fixed indicators, descriptions of the second language; the indicator is
    // written unchanged, blanks and all.
    modGlobal::WriteExtract(*tree, {"\t", "Dynamic", " Store ", 1});
    EXPECT_TRUE(modGlobal::extractText.startsWith(
        "\"\"\t\"\"\t\"Total\"\t\"Toutes\"\t\"Dynamic\"\r\n"
        "\"Total\"\t\"Toutes\"\t\"North\"\t\"\"\t\"Dynamic\"\r\n"));
    EXPECT_TRUE(modGlobal::extractText.endsWith("\"\"\t\"\"\t\"Single\"\t\"\"\t\" Store \"\r\n"));
    EXPECT_TRUE(modGlobal::extractTextWithHeader.startsWith(
        "PARENT_LABEL\tPARENT_DESCRIPTION\tCHILD_LABEL\tCHILD_DESCRIPTION\tINDICATOR\r\n"));
}

TEST(ExtractWriter, AnEmptyDimensionGivesNoLinesAndAHeaderWithOneLineBreak) {
    LocalServer server(SharedHierarchy().Build());
    modGlobal::extractText = "stale";
    modGlobal::WriteExtract(*server.Tree(Dimension::Custom4), {});
    EXPECT_EQ(modGlobal::extractText, "");
    EXPECT_EQ(modGlobal::extractTextWithHeader,
              "PARENT_LABEL,PARENT_DESCRIPTION,CHILD_LABEL,CHILD_DESCRIPTION\r\n");
}

TEST(ExtractWriter, QuotesAndDelimitersInsideTextsAreWrittenUnchanged) {
    AppBuilder app;
    app.Relate(Dimension::Account, "", "Say \"hi\"")
        .Relate(Dimension::Account, "Say \"hi\"", "a,b")
        .Describe(Dimension::Account, "Say \"hi\"", "x\",\"y")
        .Describe(Dimension::Account, "a,b", "Crème, brûlée");
    LocalServer server(app.Build());
    modGlobal::WriteExtract(*server.Tree(Dimension::Account), {",", "P", "B", 0});
    EXPECT_EQ(modGlobal::extractText,
              "\"\",\"\",\"Say \"hi\"\",\"x\",\"y\",\"P\"\r\n"
              "\"Say \"hi\"\",\"x\",\"y\",\"a,b\",\"Crème, brûlée\",\"B\"\r\n");
}

TEST(ExtractWriter, AParentWithMoreChildrenThanASixteenBitIndexAndADeepChain) {
    // 40,000 children below one parent, and a chain 20,000 deep below the last of them.
    tarsel::local::AppModel model = AppBuilder().Build();
    auto& dim = model.dim(Dimension::Custom1);
    const auto add = [&](const QString& parent, const QString& child) {
        dim.members.push_back({});
        dim.members.back().label = child;
        dim.hierarchy.push_back({parent, child});
    };
    add({}, "Top");
    constexpr int kChildren = 40000;
    constexpr int kDepth = 20000;
    for (int i = 0; i < kChildren; ++i) {
        add("Top", QStringLiteral("C%1").arg(i));
    }
    QString parent = QStringLiteral("C%1").arg(kChildren - 1);
    for (int i = 0; i < kDepth; ++i) {
        const QString child = QStringLiteral("D%1").arg(i);
        add(parent, child);
        parent = child;
    }
    LocalServer server(model);
    modGlobal::WriteExtract(*server.Tree(Dimension::Custom1), {",", "", "", 0});
    const QString& text = modGlobal::extractText;
    EXPECT_EQ(text.count(QLatin1String("\r\n")), 1 + kChildren + kDepth);
    EXPECT_TRUE(text.contains("\"Top\",\"\",\"C39999\",\"\"\r\n\"C39999\",\"\",\"D0\",\"\"\r\n"));
    EXPECT_TRUE(text.endsWith("\"D19998\",\"\",\"D19999\",\"\"\r\n"));
}

}  // namespace
