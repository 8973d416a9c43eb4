#include "server/local/format/member_list_file.h"

#include <gtest/gtest.h>

#include "server/tarsel_error.h"

namespace tarsel::local::format {
namespace {

// The text the member list builder generates for one list, with its two placeholders
// replaced by list numbers as the administrator does before storing the file.
QByteArray BuilderText(const QString& dim, const QString& name, const QStringList& members,
                       int number = 1) {
    QString t;
    t += "Sub EnumMemberLists()\r\n\r\n";
    t += "\t'# is a placeholder for you for when you go to copy this text into your list file, "
         "replace that with the new number of total lists for that dimension\r\n";
    t += "\tDim a" + dim + "Lists(" + QString::number(number) + ")\r\n\r\n";
    t += "\tSelect Case BR.Dimension\r\n";
    t += "\t\tCase \"" + dim + "\"\r\n";
    t += "\t\t\t'# is a placeholder for the extact number of the specific list when you copy "
         "the syntax into your list file\r\n";
    t += "\t\t\ta" + dim + "Lists(" + QString::number(number) + ") = \"" + name + "\"\r\n";
    t += "\t\t\tBR.SetMemberLists a" + dim + "Lists\r\n";
    t += "\tEnd Select\r\n\r\nEnd Sub\r\n\r\n";
    t += "Sub EnumMembersInList()\r\n\r\n";
    t += "\tSelect Case BR.Dimension\r\n";
    t += "\t\tCase \"" + dim + "\"\r\n";
    t += "\t\t\tSelect Case BR.MemberListID\r\n";
    t += "\t\t\t\t'# is a placeholder for the exact number of the list when you copy this "
         "syntax into your list file\r\n";
    t += "\t\t\t\tCase " + QString::number(number) + "\r\n";
    for (const QString& m : members) {
        t += "\t\t\t\t\tBR.AddMemberToList \"" + m + "\"\r\n";
    }
    t += "\t\t\tEnd Select\r\n\tEnd Select\r\n\r\nEnd Sub";
    return t.toUtf8();
}

TEST(MemberListFile, ReadsWhatTheBuilderGeneratesAsWritten) {
    // Under the string rule most of these would be refused, cut short at a comment, or
    // lose a quote; in the builder's own lines they are labels and names like any other.
    const QStringList labels = {"4100",    "Say \"hi\"", "a\"b:c\"d", "x\"  'y", "two \"\" quotes",
                                " blank ", "#1",         "\""};
    const QString name = "Q\"1\": 'net' \"\"";
    const auto content = ParseMemberListFile(BuilderText("Custom1", name, labels), "q.lst");
    const auto& lists = content.lists[static_cast<size_t>(Dimension::Custom1)];
    ASSERT_EQ(lists.size(), 1u);
    EXPECT_EQ(lists[0].name, name);
    QStringList read;
    for (const auto& entry : lists[0].entries) {
        read << entry.member;
    }
    EXPECT_EQ(read, labels);
    EXPECT_EQ(content.entryLines[static_cast<size_t>(Dimension::Custom1)][0][1], 23);
}

// Hand-written lines follow the string rule, also with the builder's indentation when a
// comment follows: "" is one quote and ' starts a comment.
TEST(MemberListFile, ReadsSeveralDimensionsEntityParentsAndOrdersListsByNumber) {
    const QByteArray text =
        "' lists of the demo\n"
        "Sub EnumMemberLists()\n"
        "  Dim aEntityLists(2)\n"
        "  Select Case BR.Dimension\n"
        "    Case \"Entity\"\n"
        "      aEntityLists(2) = \"Second\"\n"
        "      aEntityLists(1) = \"First\"  ' numbered out of order\n"
        "      BR.SetMemberLists aEntityLists\n"
        "    Case \"account\"\n"
        "      aAccountLists(1) = \"Cash \"\"Lists\"\"\"\n"
        "      BR.SetMemberLists aAccountLists\n"
        "  End Select\n"
        "End Sub\n"
        "sub enummembersinlist\n"
        "  select case br.dimension\n"
        "    case \"Entity\"\n"
        "      Select Case BR.MemberListID\n"
        "        Case 1\n"
        "          BR.AddEntityToList \"Europe\", \"France\"\n"
        "          BR.AddMemberToList \"Group\"\n"
        "      End Select\n"
        "    Case \"Account\"\n"
        "      Select Case BR.MemberListID\n"
        "        Case 1\n"
        "          BR.AddMemberToList \"1000\"\n"
        "\t\t\t\t\tBR.AddMemberToList \"Q \"\"1\"\"\"  ' a note\n"
        "      End Select\n"
        "  End Select\n"
        "End Sub\n";
    const auto content = ParseMemberListFile(text, "m.lst");
    const auto& entity = content.lists[static_cast<size_t>(Dimension::Entity)];
    ASSERT_EQ(entity.size(), 2u);
    EXPECT_EQ(entity[0].name, "First");
    EXPECT_EQ(entity[1].name, "Second");
    EXPECT_TRUE(entity[1].entries.empty());
    ASSERT_EQ(entity[0].entries.size(), 2u);
    EXPECT_EQ(entity[0].entries[0].member, "France");
    EXPECT_EQ(entity[0].entries[0].parent, "Europe");
    EXPECT_EQ(entity[0].entries[1].parent, "");
    const auto& account = content.lists[static_cast<size_t>(Dimension::Account)];
    ASSERT_EQ(account.size(), 1u);
    EXPECT_EQ(account[0].name, "Cash \"Lists\"");
    ASSERT_EQ(account[0].entries.size(), 2u);
    EXPECT_EQ(account[0].entries[1].member, "Q \"1\"");
}

struct BadListCase {
    const char* name;
    QByteArray text;
    int line;
    const char* reason;
};

class MemberListFileMalformed : public testing::TestWithParam<BadListCase> {};

TEST_P(MemberListFileMalformed, IsRefusedNamingLineAndReason) {
    const BadListCase& c = GetParam();
    try {
        ParseMemberListFile(c.text, "bad.lst");
        FAIL() << "accepted: " << c.name;
    } catch (const TarselError& e) {
        EXPECT_EQ(e.number(), code::kMalformedFile);
        EXPECT_TRUE(e.description().startsWith(QStringLiteral("bad.lst, line %1: ").arg(c.line)))
            << e.description().toStdString();
        EXPECT_TRUE(e.description().contains(QString::fromUtf8(c.reason), Qt::CaseInsensitive))
            << e.description().toStdString();
    }
}

const QByteArray kDeclare =
    "Sub EnumMemberLists()\nSelect Case BR.Dimension\nCase \"Account\"\n"
    "aAccountLists(1) = \"L\"\nEnd Select\nEnd Sub\n";  // 6 lines
const QByteArray kMembersHead =
    "Sub EnumMembersInList()\nSelect Case BR.Dimension\nCase \"Account\"\n"
    "Select Case BR.MemberListID\n";  // lines 7 to 10

INSTANTIATE_TEST_SUITE_P(
    Cases, MemberListFileMalformed,
    testing::Values(
        BadListCase{"PlaceholderLeft",
                    BuilderText("Account", "S", {"1"}).replace("Lists(1)", "Lists(#)"), 4,
                    "placeholder #"},
        BadListCase{"DynamicList",
                    kDeclare + kMembersHead + "Case 1\nFor Each x In BR.Entity.List(\"\")\n", 12,
                    "not understood"},
        BadListCase{"UnknownDimension",
                    "Sub EnumMemberLists()\nSelect Case BR.Dimension\nCase \"Colour\"\n", 3,
                    "unknown dimension"},
        BadListCase{"UndeclaredListNumber",
                    kDeclare + kMembersHead +
                        "Case 2\nBR.AddMemberToList \"x\"\nEnd Select\n"
                        "End Select\nEnd Sub\n",
                    11, "not named"},
        BadListCase{"UnterminatedString",
                    "Sub EnumMemberLists()\nSelect Case BR.Dimension\nCase \"Account\n", 3,
                    "unterminated"},
        BadListCase{"MissingEndSub", kDeclare + kMembersHead + "Case 1\n", 11, "End Sub"},
        BadListCase{"EntityCallOutsideEntity",
                    kDeclare + kMembersHead + "Case 1\nBR.AddEntityToList \"p\", \"c\"\n", 12,
                    "only for Entity"},
        BadListCase{"MemberBeforeCase", kDeclare + kMembersHead + "BR.AddMemberToList \"x\"\n", 11,
                    "before any Case"},
        BadListCase{"ListNamedTwice",
                    "Sub EnumMemberLists()\nSelect Case BR.Dimension\nCase \"Account\"\n"
                    "a(1) = \"L\"\na(2) = \"l\"\n",
                    5, "declared twice"},
        BadListCase{"StatementOutsideSub", "x = 1\n", 1, "outside Sub"},
        BadListCase{"InvalidUtf8", "Sub EnumMemberLists()\n\xFF\n", 2, "UTF-8"}),
    [](const testing::TestParamInfo<BadListCase>& info) { return info.param.name; });

AppModel SmallModel() {
    AppModel model;
    auto& account = model.dim(Dimension::Account);
    account.members.resize(2);
    account.members[0].label = "Sales";
    account.members[1].label = "Cost";
    account.memberLists = {{"Old", {{"Cost", ""}}}};
    return model;
}

TEST(MemberListFile, ApplyMakesTheListsTheApplicationsUserListsAndKeepsTheBytes) {
    AppModel model = SmallModel();
    const QByteArray bytes = BuilderText("Account", "Margin", {"SALES", "Cost"});
    ApplyMemberListFile(model, bytes, "m.lst");
    const auto& lists = model.dim(Dimension::Account).memberLists;
    ASSERT_EQ(lists.size(), 1u);
    EXPECT_EQ(lists[0].name, "Margin");
    EXPECT_EQ(lists[0].entries[0].member, "Sales");  // the label as the dimension spells it
    ASSERT_TRUE(model.memberListFile.has_value());
    EXPECT_EQ(*model.memberListFile, bytes);
}

TEST(MemberListFile, ApplyRefusesAnUnknownMemberAndLeavesTheModelAlone) {
    AppModel model = SmallModel();
    try {
        ApplyMemberListFile(model, BuilderText("Account", "Margin", {"Sales", "Profit"}), "m.lst");
        FAIL();
    } catch (const TarselError& e) {
        EXPECT_TRUE(e.description().startsWith("m.lst, line 23: "))
            << e.description().toStdString();
        EXPECT_TRUE(e.description().contains("\"Profit\" is not a member of Account"));
    }
    EXPECT_EQ(model.dim(Dimension::Account).memberLists[0].name, "Old");
    EXPECT_FALSE(model.memberListFile.has_value());
}

}  // namespace
}  // namespace tarsel::local::format
