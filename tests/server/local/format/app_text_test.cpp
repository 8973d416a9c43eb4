#include "server/local/format/app_text.h"

#include <gtest/gtest.h>

#include <array>

#include "server/tarsel_error.h"
#include "tests/server/local/format/rich_model.h"

namespace tarsel::local::format {
namespace {

using testing_models::Member;
using testing_models::RichModel;

TEST(AppText, WriteReadWriteGivesTheSameBytes) {
    const QByteArray first = WriteAppText(RichModel());
    const AppModel read = ParseAppText(first, "rich.app");
    EXPECT_EQ(WriteAppText(read), first);

    const DimensionModel& entity = read.dim(Dimension::Entity);
    ASSERT_EQ(entity.members.size(), 8u);
    EXPECT_EQ(entity.members[2].label, "France; SA");
    EXPECT_EQ(entity.members[3].label, "\"Quoted\"");
    EXPECT_EQ(entity.members[4].label, " lead");
    EXPECT_EQ(entity.members[2].securityClass, "HR; Payroll");
    EXPECT_EQ(entity.members[7].descriptions.value(0), " padded ");
    EXPECT_EQ(entity.members[0].descriptions.value(1), "Total du groupe");
    EXPECT_EQ(entity.hierarchy.back().parent, "Group");
    EXPECT_EQ(entity.hierarchy.back().child, "Zürich");
    ASSERT_EQ(entity.memberLists.size(), 2u);
    EXPECT_EQ(entity.memberLists[0].entries[0].parent, "Europe");
    EXPECT_TRUE(entity.memberLists[1].entries.empty());

    const MemberModel& sales = read.dim(Dimension::Account).members[0];
    EXPECT_EQ(sales.accountType, account_type::Income);
    EXPECT_EQ(sales.icpType, icp_type::Restricted);
    EXPECT_FALSE(sales.isConsolidated);
    EXPECT_EQ(sales.decimalPlaces, 2);
    EXPECT_FALSE(sales.customAggregationEnabled[1]);
    EXPECT_EQ(read.dim(Dimension::Custom1).members[1].userDefined[2], "u=3");
    ASSERT_TRUE(read.memberListFile.has_value());
    EXPECT_EQ(*read.memberListFile, RichModel().memberListFile);
}

// A text longer than the writer's buffer, with quotes to double and characters beyond
// ASCII throughout, is written whole and read back as it was.
TEST(AppText, TextLongerThanTheBufferComesBackWhole) {
    QString longText;
    for (int i = 0; i < 500000; ++i) {
        longText += QStringView(u"ü\"x");
    }
    AppModel model;
    model.languages = {"English"};
    DimensionModel& entity = model.dim(Dimension::Entity);
    entity.members = {Member("Before"), Member("Long"), Member("After")};
    entity.members[1].descriptions = {longText};
    entity.members[2].descriptions = {"Short"};
    entity.hierarchy = {{"", "Before"}, {"Before", "Long"}, {"Long", "After"}};

    const QByteArray text = WriteAppText(model);
    EXPECT_GT(text.size(), 2 << 20);
    const AppModel read = ParseAppText(text, "long.app");
    ASSERT_EQ(read.dim(Dimension::Entity).members.size(), 3u);
    EXPECT_EQ(read.dim(Dimension::Entity).members[1].descriptions.value(0), longText);
    EXPECT_EQ(read.dim(Dimension::Entity).members[2].descriptions.value(0), "Short");
    EXPECT_EQ(read.dim(Dimension::Entity).hierarchy.back().child, "After");
    EXPECT_EQ(WriteAppText(read), text);
}

TEST(AppText, WritesCrLfAndLeavesDefaultsOut) {
    AppModel model;
    model.dim(Dimension::Scenario).members = {Member("Actual")};
    model.dim(Dimension::Scenario).hierarchy = {{"", "Actual"}};
    EXPECT_EQ(
        WriteAppText(model),
        "!FILE_FORMAT=1\r\n!MEMBERS=Scenario\r\nActual\r\n!HIERARCHIES=Scenario\r\n;Actual\r\n");
}

TEST(AppText, ReadsHandWrittenFiles) {
    const QByteArray text =
        "\xEF\xBB\xBF' a comment\n"
        "!languages\n"
        "English\r\n"
        "\n"
        "!members=ACCOUNT\n"
        "  Cash ; type=asset ; icp=yes ; IsCalculated=y ; DecimalPlaces=3\n"
        "Rate;Type=7\n"
        "!Descriptions=Account\n"
        "cash;english;Cash at bank\n"
        "!HIERARCHIES=account\n"
        ";Cash\n"
        "cash;rate\n";
    const AppModel model = ParseAppText(text, "hand.app");
    const DimensionModel& account = model.dim(Dimension::Account);
    ASSERT_EQ(account.members.size(), 2u);
    EXPECT_EQ(account.members[0].label, "Cash");
    EXPECT_EQ(account.members[0].accountType, account_type::Asset);
    EXPECT_EQ(account.members[0].icpType, icp_type::Yes);
    EXPECT_TRUE(account.members[0].isCalculated);
    EXPECT_EQ(account.members[0].decimalPlaces, 3);
    EXPECT_EQ(account.members[1].accountType, account_type::CurrencyRate);
    EXPECT_EQ(account.members[0].descriptions.value(0), "Cash at bank");
    ASSERT_EQ(account.hierarchy.size(), 2u);
    // Relations name members as they were defined, whatever case the line used.
    EXPECT_EQ(account.hierarchy[1].parent, "Cash");
    EXPECT_EQ(account.hierarchy[1].child, "Rate");
}

// Each attribute reads into its own field and is written back from it: a name that
// reads into a neighbour's field (TopC2 into TopC3, UD1 into UD2) fails here.
TEST(AppText, EveryAttributeHasItsOwnField) {
    const QString account =
        "A;Type=Expense;ICP=Restricted;IsCalculated=True;IsConsolidated=False;"
        "UsesLineItems=True;DecimalPlaces=4;TopC1=T1;TopC2=T2;TopC3=T3;TopC4=T4;"
        "C2AggEnabled=False;C3AggEnabled=False;Security=Pay;UD1=one;UD2=two;UD3=three;"
        "IsSystem=True;IsCurrency=True;IsConsolMethod=True";
    const QString entity =
        "E;Currency=EUR;AllowAdjs=True;AllowAdjsFromChildren=True;IsICP=True;UD3=x";
    const QString text =
        "!SECURITY_CLASSES\nPay\n!MEMBERS=Value\nEUR\n"
        "!MEMBERS=Custom1\nT1\n!MEMBERS=Custom2\nT2\n"
        "!MEMBERS=Custom3\nT3\n!MEMBERS=Custom4\nT4\n"
        "!MEMBERS=Account\n" +
        account + "\n!MEMBERS=Entity\n" + entity + "\n";
    const AppModel model = ParseAppText(text.toUtf8(), "all.app");

    const MemberModel& a = model.dim(Dimension::Account).members.at(0);
    EXPECT_EQ(a.accountType, account_type::Expense);
    EXPECT_EQ(a.icpType, icp_type::Restricted);
    EXPECT_TRUE(a.isCalculated);
    EXPECT_FALSE(a.isConsolidated);
    EXPECT_TRUE(a.usesLineItems);
    EXPECT_EQ(a.decimalPlaces, 4);
    EXPECT_EQ(a.topCustom, (std::array<QString, 4>{"T1", "T2", "T3", "T4"}));
    EXPECT_EQ(a.customAggregationEnabled, (std::array<bool, 4>{true, false, false, true}));
    EXPECT_EQ(a.securityClass, "Pay");
    EXPECT_EQ(a.userDefined, (std::array<QString, 3>{"one", "two", "three"}));
    EXPECT_TRUE(a.isSystem && a.isCurrency && a.isConsolMethod);
    const MemberModel& e = model.dim(Dimension::Entity).members.at(0);
    EXPECT_EQ(e.defaultCurrency, "EUR");
    EXPECT_TRUE(e.allowAdjs && e.allowAdjsFromChildren && e.isIcp);
    EXPECT_EQ(e.userDefined, (std::array<QString, 3>{"", "", "x"}));

    EXPECT_EQ(MemberLine(Dimension::Account, a), account);
    EXPECT_EQ(MemberLine(Dimension::Entity, e), entity);
    // Account attributes belong to accounts only, whatever the writer is handed.
    EXPECT_EQ(MemberLine(Dimension::Entity, a),
              "A;Security=Pay;UD1=one;UD2=two;UD3=three;IsSystem=True;IsCurrency=True;"
              "IsConsolMethod=True");
}

// Descriptions and relations are found whatever order and case the lines use: the
// reader's shortcut for lines in member order must not pick a wrong member.
TEST(AppText, FindsMembersOutOfOrderAndInAnyCase) {
    const QByteArray text =
        "!LANGUAGES\nEnglish\nFrench\nGerman\n"
        "!MEMBERS=Entity\nTop\nA\nB\nC\nD\n"
        "!DESCRIPTIONS=Entity\nc;English;see\nA;English;ay\nB;English;bee\nB;French;bé\n"
        "d;French;dé\nTOP;English;top\n"
        "!HIERARCHIES=Entity\n;top\nTop;D\nTop;b\nb;C\nB;a\nTop;A\nc;d\n";
    // A description longer than 65,535 characters, after one left out.
    const QString longText(70000, u'x');
    const AppModel read = ParseAppText(
        text + "!DESCRIPTIONS=Entity\nC;German;" + longText.toUtf8() + "\n", "order.app");
    const DimensionModel& entity = read.dim(Dimension::Entity);
    const auto description = [&](int member, int language) {
        return entity.members[static_cast<size_t>(member)].descriptions.value(language);
    };
    EXPECT_EQ(description(0, 0), "top");
    EXPECT_EQ(description(1, 0), "ay");
    EXPECT_EQ(description(2, 0), "bee");
    EXPECT_EQ(description(2, 1), "bé");
    EXPECT_EQ(description(3, 0), "see");
    EXPECT_EQ(description(4, 1), "dé");
    EXPECT_TRUE(description(4, 0).isEmpty());
    EXPECT_EQ(entity.members[3].descriptions.List(), QStringList({"see", "", longText}));
    EXPECT_EQ(entity.members[4].descriptions.List(), QStringList({"", "dé", ""}));
    // Relations name the members in their own spelling.
    std::vector<std::pair<QString, QString>> pairs;
    for (const RelationModel& r : entity.hierarchy) {
        pairs.emplace_back(r.parent, r.child);
    }
    const std::vector<std::pair<QString, QString>> expected = {
        {"", "Top"}, {"Top", "D"}, {"Top", "B"}, {"B", "C"}, {"B", "A"}, {"Top", "A"}, {"C", "D"}};
    EXPECT_EQ(pairs, expected);

    // A second description of one member is still found when it follows the first.
    try {
        ParseAppText(
            "!LANGUAGES\nEnglish\n!MEMBERS=Entity\nA\nB\n!DESCRIPTIONS=Entity\n"
            "B;English;x\nb;English;y\n",
            "twice.app");
        FAIL() << "a second description was accepted";
    } catch (const TarselError& e) {
        EXPECT_TRUE(e.description().startsWith("twice.app, line 8: "))
            << e.description().toStdString();
    }
    // A cycle among many parents is found and named at the relation that closes it.
    QByteArray chain = "!MEMBERS=Entity\n";
    QByteArray relations = "!HIERARCHIES=Entity\n;M0\n";
    for (int i = 0; i < 300; ++i) {
        chain += "M" + QByteArray::number(i) + "\n";
        if (i > 0) {
            relations += "M" + QByteArray::number(i - 1) + ";M" + QByteArray::number(i) + "\n";
        }
    }
    try {
        ParseAppText(chain + relations + "M299;M150\n", "chain.app");
        FAIL() << "a cycle was accepted";
    } catch (const TarselError& e) {
        EXPECT_TRUE(e.description().startsWith("chain.app, line 603: "))
            << e.description().toStdString();
        EXPECT_TRUE(e.description().contains("cycle"));
    }
}

// A million members are held in memory at once: what each costs is part of the contract.
static_assert(sizeof(MemberModel) <= 88, "a member's model grew");

TEST(AppText, RecurringNamesAreSharedAndDescriptionsKeepEveryLength) {
    // Descriptions on both sides of the length that takes a second unit to write down.
    const QString justShort(0x7FFF, u'x');
    const QString justLong(0x8000, u'y');
    const QByteArray text =
        "!LANGUAGES\nEnglish\nFrench\n!SECURITY_CLASSES\nRegion\n"
        "!MEMBERS=Entity\nA;Currency=EUR;Security=Region\nB;Currency=USD\n"
        "C;Currency=EUR;Security=Region\n"
        "!DESCRIPTIONS=Entity\nA;French;" +
        justShort.toUtf8() + "\nB;English;" + justLong.toUtf8() +
        "\nB;French;\xc3\xa9\nC;English;c\n"
        "!MEMBERS=Value\nEUR\nUSD\n";
    const AppModel read = ParseAppText(text, "shared.app");
    const auto& members = read.dim(Dimension::Entity).members;
    ASSERT_EQ(members.size(), 3u);
    const MemberModel& a = members[0];
    const MemberModel& b = members[1];
    const MemberModel& c = members[2];
    EXPECT_EQ(a.defaultCurrency, "EUR");
    EXPECT_EQ(b.defaultCurrency, "USD");
    EXPECT_TRUE(b.securityClass.isEmpty());
    // One copy of each name, however many members give it.
    EXPECT_EQ(a.defaultCurrency.Text().constData(), c.defaultCurrency.Text().constData());
    EXPECT_EQ(a.securityClass.Text().constData(), c.securityClass.Text().constData());

    EXPECT_EQ(a.descriptions.List(), QStringList({"", justShort}));
    EXPECT_EQ(b.descriptions.List(), QStringList({justLong, QStringLiteral("\u00e9")}));
    EXPECT_EQ(b.descriptions.value(1), QStringLiteral("\u00e9"));
    EXPECT_TRUE(b.descriptions.value(2).isEmpty());
    EXPECT_EQ(c.descriptions.List(), QStringList({"c", ""}));
    // Copies stand alone; a moved-from set of descriptions is empty, not dangling.
    Descriptions copy = b.descriptions;
    copy.Set(0, QStringLiteral("z"));
    EXPECT_EQ(b.descriptions.value(0), justLong);
    Descriptions moved = std::move(copy);
    EXPECT_TRUE(copy.isEmpty());  // NOLINT: the moved-from state is what is checked
    EXPECT_EQ(moved, Descriptions({QStringLiteral("z"), QStringLiteral("\u00e9")}));
    EXPECT_FALSE(moved == b.descriptions);
}

TEST(AppText, ReportsProgressOnLargeInput) {
    QByteArray text = "!MEMBERS=Entity\n";
    for (int i = 0; i < 200000; ++i) {
        text += "E" + QByteArray::number(i) + "\n";
    }
    int calls = 0;
    qsizetype last = 0;
    const AppModel model = ParseAppText(text, "big.app", [&](qsizetype done, qsizetype total) {
        ++calls;
        EXPECT_GE(done, last);
        EXPECT_EQ(total, text.size());
        last = done;
    });
    EXPECT_EQ(model.dim(Dimension::Entity).members.size(), 200000u);
    EXPECT_GE(calls, 3);
    EXPECT_EQ(last, text.size());
}

TEST(AppText, WriterRefusesLineBreaksItCannotCarry) {
    const auto refused = [](const AppModel& model, const char* named) {
        try {
            WriteAppText(model);
            ADD_FAILURE() << "a line break was written";
        } catch (const TarselError& e) {
            EXPECT_EQ(e.number(), code::kMalformedFile);
            EXPECT_TRUE(e.description().contains(named)) << e.description().toStdString();
        }
    };
    AppModel model;
    model.languages = {"English"};
    model.dim(Dimension::Entity).members = {Member("A"), Member("B")};
    model.dim(Dimension::Entity).hierarchy = {{"", "A"}, {"A", "B"}};
    model.dim(Dimension::Entity).members[1].userDefined[0] = "two\nlines";
    refused(model, "\"B\"");
    model.dim(Dimension::Entity).members[1].userDefined[0] = "";
    model.dim(Dimension::Entity).members[1].descriptions = {"one\rtwo"};
    refused(model, "description of \"B\"");
    model.dim(Dimension::Entity).members[1].descriptions = {};
    model.dim(Dimension::Entity).hierarchy[1].child = "B\r\n";
    refused(model, "\"A\"");
}

TEST(AppText, MissingFileIsReportedByPath) {
    try {
        ParseAppFile("/nonexistent/x.app");
        FAIL();
    } catch (const TarselError& e) {
        EXPECT_EQ(e.number(), code::kFileNotFound);
        EXPECT_TRUE(e.description().contains("/nonexistent/x.app"));
    }
}

struct MalformedCase {
    const char* name;
    QByteArray text;
    int line;
    const char* reason;  // a piece of the message
};

class AppTextMalformed : public testing::TestWithParam<MalformedCase> {};

TEST_P(AppTextMalformed, IsRefusedNamingFileLineAndReason) {
    const MalformedCase& c = GetParam();
    try {
        ParseAppText(c.text, "bad.app");
        FAIL() << "accepted: " << c.name;
    } catch (const TarselError& e) {
        EXPECT_EQ(e.number(), code::kMalformedFile);
        EXPECT_EQ(e.source(), QString::fromLatin1(kClientLibrarySource));
        const QString expected = QStringLiteral("bad.app, line %1: ").arg(c.line);
        EXPECT_TRUE(e.description().startsWith(expected)) << e.description().toStdString();
        EXPECT_TRUE(e.description().contains(QString::fromUtf8(c.reason), Qt::CaseInsensitive))
            << e.description().toStdString();
    }
}

const QByteArray kHead = "!LANGUAGES\nEnglish\n!SECURITY_CLASSES\nFinance\n!MEMBERS=Entity\nA\nB\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, AppTextMalformed,
    testing::Values(
        MalformedCase{"UnknownSection", kHead + "!NONSENSE\n", 8, "unknown section"},
        MalformedCase{"UnknownDimension", "!MEMBERS=Colour\n", 1, "unknown dimension"},
        MalformedCase{"LineBeforeSection", "A;B\n", 1, "outside any section"},
        MalformedCase{"UnknownAttribute", kHead + "C;Colour=Red\n", 8, "unknown attribute"},
        MalformedCase{"AccountAttributeOnEntity", kHead + "C;Type=Asset\n", 8,
                      "unknown attribute \"Type\" for dimension Entity"},
        MalformedCase{"BadBoolean", kHead + "C;AllowAdjs=maybe\n", 8, "True or False"},
        MalformedCase{"BadNumber", "!MEMBERS=Account\nX;DecimalPlaces=two\n", 2, "DecimalPlaces"},
        MalformedCase{"AccountTypeOutOfRange", "!MEMBERS=Account\nX;Type=13\n", 2, "out of range"},
        MalformedCase{"UnknownAccountType", "!MEMBERS=Account\nX;Type=Cash\n", 2,
                      "unknown account type"},
        MalformedCase{"NotNameValue", kHead + "C;AllowAdjs\n", 8, "Name=Value"},
        MalformedCase{"AttributeTwice", kHead + "C;UD1=a;ud1=b\n", 8, "twice"},
        MalformedCase{"DuplicateMember", kHead + "a\n", 8, "defined twice"},
        MalformedCase{"EmptyLabel", kHead + ";UD1=x\n", 8, "empty member label"},
        MalformedCase{"RelationToUnknownMember", kHead + "!HIERARCHIES=Entity\n;A\nA;Z\n", 10,
                      "unknown member \"Z\""},
        MalformedCase{"SharedUnderSameParentTwice", kHead + "!HIERARCHIES=Entity\n;A\nA;B\nA;B\n",
                      11, "twice"},
        MalformedCase{"TopMemberTwice", kHead + "!HIERARCHIES=Entity\n;A\n;A\n", 10,
                      "top member twice"},
        MalformedCase{"OwnParent", kHead + "!HIERARCHIES=Entity\nA;A\n", 9, "its own parent"},
        MalformedCase{"Cycle", kHead + "C\n!HIERARCHIES=Entity\n;A\nA;B\nB;C\nC;A\n", 13, "cycle"},
        MalformedCase{"UnknownSecurityClass", kHead + "C;Security=Nobody\n", 8,
                      "unknown security class"},
        MalformedCase{"UnknownCurrency", kHead + "C;Currency=XXX\n!MEMBERS=Value\nEUR\n", 8,
                      "currency \"XXX\""},
        MalformedCase{"UnknownTopCustom", "!MEMBERS=Account\nX;TopC2=Nope\n", 2,
                      "top custom member"},
        MalformedCase{"WrongFieldCount", kHead + "!HIERARCHIES=Entity\n;A;B\n", 9,
                      "3 fields where a hierarchy line"},
        MalformedCase{"DescriptionFieldCount", kHead + "!DESCRIPTIONS=Entity\nA;English\n", 9,
                      "2 fields"},
        MalformedCase{"InvalidUtf8", kHead + "C\xC3\x28\n", 8, "not valid UTF-8"},
        MalformedCase{"OverlongUtf8", kHead + "C\xC0\xAF\n", 8, "not valid UTF-8"},
        MalformedCase{"NulByte", kHead + QByteArray("C\0D\n", 4), 8, "NUL"},
        MalformedCase{"LoneCarriageReturn", kHead + "C\rD\n", 8, "carriage return"},
        MalformedCase{"UnterminatedQuote", kHead + "\"C;D\n", 8, "unterminated quote"},
        MalformedCase{"TextAfterQuote", kHead + "\"C\"x;D\n", 8, "after the closing quote"},
        MalformedCase{"QuoteInsideUnquoted", kHead + "C\"D\n", 8, "quote inside"},
        MalformedCase{"DescriptionForUnknownLanguage",
                      kHead + "!DESCRIPTIONS=Entity\nA;Klingon;Qapla\n", 9, "language \"Klingon\""},
        MalformedCase{"DescriptionTwice",
                      kHead + "!DESCRIPTIONS=Entity\nA;English;x\nA;english;y\n", 10,
                      "second description"},
        MalformedCase{"LanguageTwice", "!LANGUAGES\nEnglish\nENGLISH\n", 3, "defined twice"},
        MalformedCase{"ListOfUnknownMember", kHead + "!MEMBER_LISTS=Entity\nL;Q\n", 9,
                      "unknown member \"Q\""},
        MalformedCase{"ParentInNonEntityList",
                      "!MEMBERS=Account\nX\nY\n!MEMBER_LISTS=Account\nL;X;Y\n", 5,
                      "only entity lists"},
        MalformedCase{"SystemListName", kHead + "!MEMBER_LISTS=Entity\n[Base];A\n", 9,
                      "system's lists"},
        MalformedCase{"BadBase64", "!MEMBER_LIST_FILE\n@@@@\n", 2, "base64"},
        MalformedCase{"UnsupportedVersion", "!FILE_FORMAT=7\n", 1, "not supported"}),
    [](const testing::TestParamInfo<MalformedCase>& info) { return info.param.name; });

}  // namespace
}  // namespace tarsel::local::format
