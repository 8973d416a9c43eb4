#include "server/local/format/app_xml.h"

#include <gtest/gtest.h>

#include <QBuffer>

#include "server/local/format/app_text.h"
#include "server/local/format/text_lines.h"
#include "tests/server/local/format/rich_model.h"

namespace tarsel::local::format {
namespace {

using testing_models::Member;
using testing_models::RichModel;

// The faults of reading text as .xml, one line each: "<line>: <reason>".
QStringList Faults(const QByteArray& text, AppModel* model = nullptr) {
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    FileFaults faults(QStringLiteral("m.xml"));
    AppModel read = ReadAppXml(buffer, faults);
    if (model) {
        *model = std::move(read);
    }
    QStringList lines;
    for (const LineFault& f : faults.Sorted()) {
        lines << QStringLiteral("%1: %2").arg(f.line()).arg(f.reason());
    }
    return lines;
}

// Every attribute, awkward labels, both kinds of list entries and a member list file that
// is not text: .xml and .app carry the same model, byte for byte both ways.
TEST(AppXml, CarriesWhatTheAppTextCarries) {
    const QByteArray xml = WriteAppXml(RichModel());
    AppModel read;
    ASSERT_EQ(Faults(xml, &read), QStringList());
    EXPECT_EQ(WriteAppXml(read), xml);
    EXPECT_EQ(WriteAppText(read), WriteAppText(RichModel()));
    EXPECT_TRUE(xml.contains("<member label=\"&lt;Entity Currency&gt;\"/>\r\n")) << xml.data();
    EXPECT_TRUE(xml.contains("<member label=\"Sales\" Type=\"Income\" ICP=\"Restricted\""));

    // Hand-written: any layout, comments, a byte order mark, an encoding that is not
    // taken at its word, CDATA and character references.
    const QByteArray hand =
        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<!-- by hand -->\n"
        "<metadata><languages><language name=\"English\"/><language name=\"Fran\xC3\xA7"
        "ais\"/>"
        "</languages><dimension name=\"entity\"><members>\n"
        "  <member label=\"World\"><description language=\"english\">  all  </description>"
        "<description language=\"fran&#231;ais\">Z&#xFC;rich <!-- c --><![CDATA[<&>]]>"
        "</description></member>\n  <member label=\"France\" UD1=\"a&amp;b\"/>\n</members>\n"
        "<hierarchy><relation child=\"World\"/><relation parent=\"world\" child=\"France\"/>"
        "</hierarchy></dimension></metadata>";
    ASSERT_EQ(Faults(hand, &read), QStringList());
    const DimensionModel& entity = read.dim(Dimension::Entity);
    ASSERT_EQ(entity.members.size(), 2u);
    EXPECT_EQ(entity.members[0].descriptions.value(0), "  all  ");
    EXPECT_EQ(entity.members[0].descriptions.value(1), "Zürich <&>");
    EXPECT_EQ(entity.members[1].userDefined[0], "a&b");
    EXPECT_EQ(entity.hierarchy[1].parent, "World");
}

// Read a block at a time: a file of several blocks, characters of three and four bytes
// cut by a block's end, is read whole, and a bad byte deep in it is named by its line.
TEST(AppXml, ReadsAFileOfManyBlocks) {
    AppModel model;
    model.languages = {"English"};
    DimensionModel& entity = model.dim(Dimension::Entity);
    for (int i = 0; i < 30001; ++i) {
        const QString label = QStringLiteral("E%1").arg(i);
        entity.members.push_back(Member(label));
        entity.members.back().descriptions = {QString(20, QChar(0x20AC)) +
                                              QStringLiteral("\U0001D11E") + label};
        entity.hierarchy.push_back(
            {i == 0 ? QString() : QStringLiteral("E%1").arg((i - 1) / 4), label});
    }
    const QByteArray xml = WriteAppXml(model);
    int cut = 0;
    for (qsizetype at = 1 << 20; at < xml.size(); at += 1 << 20) {
        cut += (static_cast<unsigned char>(xml[at]) & 0xC0) == 0x80 ? 1 : 0;
    }
    ASSERT_GT(xml.size(), 3 << 20);
    ASSERT_GT(cut, 0);
    AppModel read;
    ASSERT_EQ(Faults(xml, &read), QStringList());
    EXPECT_EQ(WriteAppXml(read), xml);
    EXPECT_EQ(read.dim(Dimension::Entity).hierarchy.size(), 30001u);

    QByteArray bad = xml;
    const qsizetype at = bad.indexOf(">\xE2\x82\xAC", bad.indexOf("\"E25000\"")) + 2;
    bad[at] = 'x';
    EXPECT_EQ(
        Faults(bad),
        QStringList(
            QStringLiteral("%1: the file is not valid UTF-8").arg(1 + bad.left(at).count('\n'))));
    // Cut inside its last character.
    const QByteArray truncated = xml.left(xml.indexOf("\"E1\"") + 39);
    EXPECT_EQ(Faults(truncated).value(0).toStdString(),
              QStringLiteral("%1: the file is not valid UTF-8")
                  .arg(1 + truncated.count('\n'))
                  .toStdString());
}

// A fault passes over its element and what the element holds, and the reading goes on
// until a hundred faults, the most a load lists.
TEST(AppXml, FaultsPassOverTheirElementAndStopAtTheMostListed) {
    QByteArray xml =
        "<metadata>\n<dimension name=\"Colour\"><members><member label=\"A\" Bogus=\"1\"/>"
        "</members></dimension>\n<dimension name=\"Entity\"><members>\n"
        "<member label=\"A\" Bogus=\"1\"><description language=\"Klingon\">x</description>"
        "</member>\n<item><member label=\"B\" Bogus=\"1\"/></item>\n";
    EXPECT_EQ(Faults(xml + "</members></dimension></metadata>"),
              QStringList({"2: unknown dimension \"Colour\"",
                           "4: unknown attribute \"Bogus\" for dimension Entity",
                           "4: description for language \"Klingon\", which is not in !LANGUAGES "
                           "(languages are listed before descriptions)",
                           "5: unknown element <item> in <members> (expected <member>)"}));
    for (int i = 0; i < 200; ++i) {
        xml += "<member label=\"M" + QByteArray::number(i) + "\" Bogus=\"1\"/>\n";
    }
    const QStringList faults = Faults(xml);
    ASSERT_EQ(faults.size(), FileFaults::kMostListed);
    EXPECT_EQ(faults.back(), "101: unknown attribute \"Bogus\" for dimension Entity");
}

struct BadXml {
    const char* name;
    QByteArray text;
    QStringList faults;  // pieces: "<line>: <start of the reason>"
};

class AppXmlBad : public testing::TestWithParam<BadXml> {};

TEST_P(AppXmlBad, IsRefusedNamingEveryFaultByLine) {
    const BadXml& c = GetParam();
    const QStringList faults = Faults(c.text);
    ASSERT_EQ(faults.size(), c.faults.size()) << faults.join(u'\n').toStdString();
    for (qsizetype i = 0; i < faults.size(); ++i) {
        EXPECT_TRUE(faults[i].startsWith(c.faults[i])) << faults[i].toStdString();
    }
}

const QByteArray kHead =
    "<metadata>\n<languages><language name=\"English\"/></languages>\n"
    "<dimension name=\"Entity\">\n<members>\n<member label=\"A\"/>\n<member label=\"B\"/>\n"
    "<member label=\"C\"/>\n</members>\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, AppXmlBad,
    testing::Values(
        BadXml{"NotWellFormed",
               kHead + "<hierarchy>\n<relation child=\"A\">\n</dimension>",
               {"11: the file is not well-formed XML"}},
        BadXml{"NotXmlAtAll", "!MEMBERS=Entity\nA\n", {"1: the file is not XML"}},
        BadXml{"WrongRoot",
               "<?xml version=\"1.0\"?>\n\n<application/>",
               {"3: the root element is <application>, not <metadata>"}},
        BadXml{"UnknownDimension",
               "<metadata>\n<dimension name=\"Colour\"/>\n<dimension name=\"Flavour\"/>\n"
               "</metadata>",
               {"2: unknown dimension \"Colour\"", "3: unknown dimension \"Flavour\""}},
        BadXml{"MemberUnderItselfAndCycle",
               kHead +
                   "<hierarchy>\n<relation child=\"A\"/>\n<relation parent=\"B\" child=\"B\"/>\n"
                   "<relation parent=\"A\" child=\"B\"/>\n<relation parent=\"B\" child=\"C\"/>\n"
                   "<relation parent=\"C\" child=\"A\"/>\n</hierarchy></dimension></metadata>",
               {"11: \"B\" is its own parent", "14: \"A\" below \"C\" closes a cycle"}},
        BadXml{"UnknownLanguageAndElements",
               "<metadata>\n<languages><language name=\"English\"/></languages>\n"
               "<dimension name=\"Entity\"><members>\n"
               "<member label=\"A\"><description language=\"Klingon\">x</description></member>\n"
               "<item label=\"B\"/>\n<member label=\"C\" Colour=\"Red\"/>\n</members>\n"
               "<tree/>\n</dimension></metadata>",
               {"4: description for language \"Klingon\"", "5: unknown element <item>",
                "6: unknown attribute \"Colour\"", "8: unknown element <tree>"}},
        BadXml{"EntityDeclarations",
               "<?xml version=\"1.0\"?>\n<!DOCTYPE metadata [\n<!ENTITY a \"aaaaaaaa\">\n"
               "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">\n]>\n<metadata>\n<languages>"
               "<language name=\"&b;\"/></languages></metadata>",
               {"2: the file has a document type declaration"}},
        BadXml{"UndefinedEntity",
               "<metadata>\n<languages><language name=\"&nbsp;\"/></languages></metadata>",
               {"2: the file is not well-formed XML (undefined entity)"}},
        BadXml{"ElementInAnElementOfAttributesOnly",
               "<metadata>\n<languages><language name=\"English\">\n<language name=\"French\"/>"
               "</language></languages></metadata>",
               {"3: unknown element <language> in <language>"}},
        BadXml{"DescriptionLongerThanAnAppLine",
               "<metadata>\n<languages><language name=\"English\"/></languages>\n"
               "<dimension name=\"Entity\"><members>\n"
               "<member label=\"A\"><description language=\"English\">" +
                   QByteArray((4 << 20) + 1, 'x') +
                   "</description></member>\n</members></dimension></metadata>",
               {"4: the description is longer than 4194304 bytes"}},
        BadXml{"NotUtf8",
               "<metadata>\n<languages><language name=\"Fran\xE7"
               "ais\"/>",
               {"2: the file is not valid UTF-8"}}),
    [](const testing::TestParamInfo<BadXml>& info) { return info.param.name; });

}  // namespace
}  // namespace tarsel::local::format
