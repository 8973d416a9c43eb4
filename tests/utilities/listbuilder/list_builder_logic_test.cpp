// The builder's logic against the real local server, and its syntax read back by the
// server's own member list reader.
#include <gtest/gtest.h>

#include <QRandomGenerator>

#include "server/local/format/member_list_file.h"
#include "server/tarsel_error.h"
#include "tests/support/app_builder.h"
#include "tests/support/local_server.h"
#include "utilities/listbuilder/list_builder_logic.h"

namespace {

using tarsel::Dimension;
using tarsel::test::AppBuilder;
using tarsel::test::LocalServer;

QString Key(qsizetype position, tarsel::DimensionTree& tree, const char* label) {
    return QStringLiteral("INDX%1C%2")
        .arg(position)
        .arg(tree.GetMemberID(QString::fromUtf8(label)));
}

TEST(ListbuilderPickers, OneNodePerOccurrenceBelowTheLatestNodeOfItsParentAndExactFlatLabels) {
    // Total > (P10 > (M20 > Leaf), P11 > M20 > Leaf), A100 (no description), -X-1 at the top.
    AppBuilder app;
    app.Relate(Dimension::Account, "", "Total")
        .Children(Dimension::Account, "Total", {"P10", "P11"})
        .Relate(Dimension::Account, "P10", "M20")
        .Relate(Dimension::Account, "M20", "Leaf")
        .Relate(Dimension::Account, "P11", "M20")
        .Relate(Dimension::Account, "", "A100")
        .Relate(Dimension::Account, "", "-X-1")
        .Describe(Dimension::Account, "M20", "Shared - twice")
        .Describe(Dimension::Account, "-X-1", "Dash")
        .Languages({"English", "French"})
        .Describe(Dimension::Account, "Total", "Tout", 1)
        .Describe(Dimension::Account, "Total", "All");
    LocalServer server(app.Build());
    auto tree = server.Tree(Dimension::Account);

    std::vector<std::pair<qsizetype, qsizetype>> reported;
    const auto pickers = listbuilder::LoadPickers(
        *tree, [&](qsizetype done, qsizetype total) { reported.emplace_back(done, total); });

    struct Expected {
        const char* key;
        const char* text;
        int parent;
    };
    const std::vector<Expected> expected{
        {"Total", "Total - All", -1}, {"P10", "P10 - ", 0},    {"M20", "M20 - Shared - twice", 1},
        {"Leaf", "Leaf - ", 2},       {"P11", "P11 - ", 0},    {"M20", "M20 - Shared - twice", 4},
        {"Leaf", "Leaf - ", 5},       {"A100", "A100 - ", -1}, {"-X-1", "-X-1 - Dash", -1}};
    ASSERT_EQ(pickers.nodes.size(), expected.size());
    for (size_t k = 0; k < expected.size(); ++k) {
        SCOPED_TRACE(k);
        const auto& node = pickers.nodes[k];
        EXPECT_EQ(node.key, Key(static_cast<qsizetype>(k), *tree, expected[k].key));
        EXPECT_EQ(node.tag, QString::fromUtf8(expected[k].key));
        EXPECT_EQ(node.text, QString::fromUtf8(expected[k].text));
        EXPECT_EQ(node.parent, expected[k].parent);
    }
    EXPECT_NE(pickers.nodes[2].key, pickers.nodes[5].key);
    EXPECT_TRUE(reported.empty());  // too small to report

    // The flat list follows EnumAllMemberIDs; the exact labels stay beside the texts.
    const QStringList labels = tree->EnumAllMemberLabels();
    ASSERT_EQ(pickers.items.size(), static_cast<size_t>(labels.size()));
    for (size_t i = 0; i < pickers.items.size(); ++i) {
        EXPECT_EQ(pickers.items[i].label, labels[static_cast<qsizetype>(i)]);
        EXPECT_TRUE(pickers.items[i].text.startsWith(labels[static_cast<qsizetype>(i)] + " - "));
    }
}

TEST(ListbuilderPickers, AnEmptyHierarchyGivesEmptyPickers) {
    LocalServer server(AppBuilder().Relate(Dimension::Account, "", "A").Build());
    const auto pickers = listbuilder::LoadPickers(*server.Tree(Dimension::Custom3));
    EXPECT_TRUE(pickers.nodes.empty());
    EXPECT_TRUE(pickers.items.empty());
}

TEST(ListbuilderSyntax, IsTheBuilderTextToTheByte) {
    const QString text =
        listbuilder::GenerateListSyntax("Account", "Sales", {"4100", "Say \"hi\""});
    const QString expected =
        "Sub EnumMemberLists()\r\n"
        "\r\n"
        "\t'# is a placeholder for you for when you go to copy this text into your list file, "
        "replace that with the new number of total lists for that dimension\r\n"
        "\tDim aAccountLists(#)\r\n"
        "\r\n"
        "\tSelect Case BR.Dimension\r\n"
        "\t\tCase \"Account\"\r\n"
        "\t\t\t'# is a placeholder for the extact number of the specific list when you copy "
        "the syntax into your list file\r\n"
        "\t\t\taAccountLists(#) = \"Sales\"\r\n"
        "\t\t\tBR.SetMemberLists aAccountLists\r\n"
        "\tEnd Select\r\n"
        "\r\n"
        "End Sub\r\n"
        "\r\n"
        "Sub EnumMembersInList()\r\n"
        "\r\n"
        "\tSelect Case BR.Dimension\r\n"
        "\t\tCase \"Account\"\r\n"
        "\t\t\tSelect Case BR.MemberListID\r\n"
        "\t\t\t\t'# is a placeholder for the exact number of the list when you copy this "
        "syntax into your list file\r\n"
        "\t\t\t\tCase #\r\n"
        "\t\t\t\t\tBR.AddMemberToList \"4100\"\r\n"
        "\t\t\t\t\tBR.AddMemberToList \"Say \"hi\"\"\r\n"
        "\t\t\tEnd Select\r\n"
        "\tEnd Select\r\n"
        "\r\n"
        "End Sub";
    EXPECT_EQ(text, expected);
    EXPECT_EQ(listbuilder::ListWrittenText("Account", "Sales", 3),
              "Account List 'Sales' successfully written.  The list contains 3 members.\r\r"
              "This syntax will need to be saved or copied directly from here to your existing "
              "list file, then uploaded to Tarsel to see any changes reflected in your "
              "application.");
}

// A label of the characters members are made of, with quotes (doubled too), colons,
// apostrophes, blanks and the placeholder's character anywhere: the builder writes them
// unchanged.
QString RandomLabel(QRandomGenerator& random) {
    static const QString alphabet = QStringLiteral("Ab9 -._&'/éß€(),\":#");
    QString label;
    const int length = random.bounded(1, 12);
    for (int i = 0; i < length; ++i) {
        label += alphabet[random.bounded(alphabet.size())];
    }
    if (random.bounded(6) == 0) {
        label.insert(random.bounded(label.size() + 1), QStringLiteral("\"\""));
    }
    return label;
}

TEST(ListbuilderSyntax, EveryGeneratedTextReadsBackAsTheSameListOnceNumbered) {
    QRandomGenerator random(20261208);
    for (int round = 0; round < 300; ++round) {
        const auto dimension = static_cast<Dimension>(random.bounded(tarsel::kDimensionCount));
        if (dimension == Dimension::Entity) {
            continue;
        }
        // Every spelling of the dimension name the server may give.
        QString dimensionName = tarsel::DimensionDisplayName(dimension);
        if (round % 3 == 1) {
            dimensionName = dimensionName.toUpper();
        }
        QString listName = RandomLabel(random);
        if (listName.trimmed().isEmpty()) {
            listName = QStringLiteral("L");
        }
        QStringList members;
        const int count = random.bounded(1, 8);
        for (int i = 0; i < count; ++i) {
            // Duplicates are allowed and kept.
            members.append(i > 0 && random.bounded(5) == 0 ? members.first() : RandomLabel(random));
        }
        SCOPED_TRACE(QStringLiteral("%1 %2 [%3]")
                         .arg(dimensionName, listName, members.join("|"))
                         .toStdString());

        const QString text = listbuilder::GenerateListSyntax(dimensionName, listName, members);
        // What the administrator does: both placeholders become numbers; a # in a label stays.
        const QString number = QString::number(random.bounded(1, 40));
        QString numbered = text;
        numbered.replace(QStringLiteral("Lists(#)"), "Lists(" + number + ")");
        numbered.replace(QStringLiteral("\t\t\t\tCase #\r\n"), "\t\t\t\tCase " + number + "\r\n");
        const auto content = tarsel::local::format::ParseMemberListFile(numbered.toUtf8(),
                                                                        QStringLiteral("new.lst"));
        for (int d = 0; d < tarsel::kDimensionCount; ++d) {
            const auto& lists = content.lists[static_cast<size_t>(d)];
            if (d != static_cast<int>(dimension)) {
                EXPECT_TRUE(lists.empty());
                continue;
            }
            ASSERT_EQ(lists.size(), 1u);
            EXPECT_EQ(lists[0].name, listName);
            QStringList read;
            for (const auto& entry : lists[0].entries) {
                read.append(entry.member);
                EXPECT_TRUE(entry.parent.isEmpty());
            }
            EXPECT_EQ(read, members);
        }
    }
}

TEST(ListbuilderSyntax, OneMemberGivesOneMemberLine) {
    const QString text = listbuilder::GenerateListSyntax("Custom1", "One", {"X"});
    EXPECT_EQ(text.count(QStringLiteral("BR.AddMemberToList")), 1);
    EXPECT_TRUE(text.contains(
        "\t\t\t\tCase #\r\n\t\t\t\t\tBR.AddMemberToList \"X\"\r\n\t\t\tEnd Select\r\n"));
}

TEST(ListbuilderExisting, ListMembersMarkParentsAndTheStoredFileIsShownAsText) {
    const QByteArray file =
        QStringLiteral("' Listes für Köln\r\nSub EnumMemberLists()\r\nEnd Sub\r\n").toUtf8();
    AppBuilder app;
    app.Relate(Dimension::Account, "", "Assets")
        .Children(Dimension::Account, "Assets", {"Cash", "Bank"})
        .List(Dimension::Account, "Mixed", {"Assets", "Cash"})
        .List(Dimension::Account, "Nothing", {})
        .MemberListFile(file);
    LocalServer server(app.Build());
    auto tree = server.Tree(Dimension::Account);

    const QStringList names = tree->EnumMemberListNames();
    EXPECT_EQ(names.mid(names.size() - 2), QStringList({"Mixed", "Nothing"}));

    auto mixed = listbuilder::ReadListMembers(*tree, "ACCOUNT", "Mixed");
    EXPECT_EQ(mixed.items, QStringList({"Assets **", "Cash"}));
    EXPECT_EQ(mixed.summary, "ACCOUNT list  MIXED  -  2 members");
    auto nothing = listbuilder::ReadListMembers(*tree, "ACCOUNT", "Nothing");
    EXPECT_TRUE(nothing.items.isEmpty());
    EXPECT_EQ(nothing.summary, "ACCOUNT list  ");

    EXPECT_EQ(listbuilder::CurrentListFileText(*server.Session()->SystemInfo()),
              QString::fromUtf8(file));
    LocalServer bare(AppBuilder().Relate(Dimension::Account, "", "A").Build());
    EXPECT_EQ(listbuilder::CurrentListFileText(*bare.Session()->SystemInfo()),
              "No member list file is present in the system.");
}

}  // namespace
