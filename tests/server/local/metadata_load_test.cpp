// Metadata loads of the local server: every fault of a file in the load log, nothing
// stored when there is one, and files of the wrong kind refused without reading them whole.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include "server/local/format/app_text.h"
#include "server/local/format/text_lines.h"
#include "server/local/model_check.h"
#include "server/local/sqlite_db.h"
#include "server/tarsel_error.h"
#include "tests/server/local/data_test_app.h"
#include "tests/support/app_builder.h"
#include "tests/support/local_server.h"

namespace tarsel {
namespace {

using test::AppBuilder;

class MetadataLoadTest : public test::LocalServerTest {
  protected:
    void SetUp() override {
        StartServer(AppBuilder()
                        .Children(Dimension::Entity, {}, {"World"})
                        .Children(Dimension::Entity, "World", {"France", "Spain"})
                        .Build());
        load = server().library()->CreateMetadataLoad();
        load->SetSession(server().Session());
    }
    QString Write(const QString& name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }
    QByteArray Read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QByteArray Extract() {
        const QString path = dir.filePath(QStringLiteral("extract.app"));
        load->Extract(path, dir.filePath(QStringLiteral("extract.log")));
        return Read(path);
    }
    // The client error of a load that must fail, and its load log's lines.
    std::pair<QString, QStringList> Refused(const QString& file, const QString& log) {
        try {
            load->Load(file, log);
        } catch (const TarselError& error) {
            return {error.description(),
                    QString::fromUtf8(Read(log)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)};
        }
        ADD_FAILURE() << "loaded: " << file.toStdString();
        return {};
    }

    QTemporaryDir dir;
    std::shared_ptr<MetadataLoad> load;
};

TEST_F(MetadataLoadTest, EveryFaultOfAFileIsListedAndNothingIsStored) {
    const QByteArray before = Extract();
    load->GetLoadOptions()->Item(21)->SetCurrentValue(true);
    // Faults in lines, in references checked at the end, repeats and two cycles: each
    // named in line order, however the reader found it, a relation given three times at
    // both of its later lines.
    const QString bad = Write(QStringLiteral("bad.app"),
                              "!LANGUAGES\nEnglish\n"
                              "!MEMBERS=Entity\nWorld\nFrance;Currency=XXX\nSpain;Colour=Red\n"
                              "Italy\nItaly\n"
                              "!DESCRIPTIONS=Entity\nFrance;Klingon;Qapla\n"
                              "!HIERARCHIES=Entity\n;World\nWorld;France\nWorld;France\n"
                              "France;World\nSpain;Italy\nItaly;Spain\nWorld;Mars\n"
                              "world;FRANCE\n;WORLD\n");
    const auto [error, lines] = Refused(bad, dir.filePath(QStringLiteral("bad.log")));
    EXPECT_TRUE(error.contains(QStringLiteral("has 10 error(s)"))) << error.toStdString();
    const QStringList expected = {
        "Error: %1, line 5: currency \"XXX\" of \"France\" is not a member of Value",
        "Error: %1, line 6: unknown attribute \"Colour\" for dimension Entity",
        "Error: %1, line 8: member \"Italy\" is defined twice in dimension Entity",
        "Error: %1, line 10: description for language \"Klingon\"",
        "Error: %1, line 14: \"France\" is below \"World\" twice",
        "Error: %1, line 15: \"World\" below \"France\" closes a cycle",
        "Error: %1, line 17: \"Spain\" below \"Italy\" closes a cycle",
        "Error: %1, line 18: unknown member \"Mars\"",
        "Error: %1, line 19: \"France\" is below \"World\" twice",
        "Error: %1, line 20: \"World\" is a top member twice",
    };
    ASSERT_EQ(lines.size(), expected.size() + 1) << lines.join(u'\n').toStdString();
    for (qsizetype i = 0; i < expected.size(); ++i) {
        EXPECT_TRUE(lines[i].startsWith(expected[i].arg(bad))) << lines[i].toStdString();
    }
    EXPECT_FALSE(lines.back().startsWith(QStringLiteral("Error")));
    EXPECT_EQ(Extract(), before);

    // A scan reads and reports alike and stores nothing either.
    load->GetLoadOptions()->Item(18)->SetCurrentValue(true);
    EXPECT_EQ(Refused(bad, dir.filePath(QStringLiteral("scan.log"))).second, lines);
    EXPECT_EQ(Extract(), before);
}

TEST_F(MetadataLoadTest, ReplaceKeepsTheIdsOfTheMembersThatStayWhateverTheirOrderAndCase) {
    auto entity = server().Tree(Dimension::Entity);
    const MemberId world = entity->GetMemberID(QStringLiteral("World"));
    const MemberId france = entity->GetMemberID(QStringLiteral("France"));
    const MemberId spain = entity->GetMemberID(QStringLiteral("Spain"));
    load->GetLoadOptions()->Item(21)->SetCurrentValue(true);
    // Another order than the stored one, labels in another case, Spain gone, Italy new.
    load->Load(Write(QStringLiteral("replace.app"),
                     "!LANGUAGES\nEnglish\n!MEMBERS=Entity\nFRANCE\nItaly\nworld\n"
                     "!DESCRIPTIONS=Entity\nItaly;English;Italia\nworld;English;The World\n"
                     "!HIERARCHIES=Entity\n;world\nworld;Italy\nworld;FRANCE\n"),
               dir.filePath(QStringLiteral("replace.log")));
    entity = server().Tree(Dimension::Entity);
    EXPECT_EQ(entity->GetMemberID(QStringLiteral("world")), world);
    EXPECT_EQ(entity->GetMemberID(QStringLiteral("France")), france);
    EXPECT_EQ(entity->GetMemberID(QStringLiteral("Italy")), std::max({world, france, spain}) + 1);
    EXPECT_EQ(entity->EnumAllMemberLabels(), QStringList({"world", "FRANCE", "Italy"}));

    // The extract lists the members and their descriptions in id order (past Spain's
    // unused id) under the file's labels, and loads back to itself.
    const QByteArray extracted = Extract();
    EXPECT_TRUE(
        extracted.contains("!MEMBERS=Entity\r\nworld\r\nFRANCE\r\nItaly\r\n"
                           "!DESCRIPTIONS=Entity\r\nworld;English;The World\r\n"
                           "Italy;English;Italia\r\n!HIERARCHIES=Entity\r\n"))
        << extracted.toStdString();
    load->Load(Write(QStringLiteral("again.app"), extracted),
               dir.filePath(QStringLiteral("again.log")));
    EXPECT_EQ(Extract(), extracted);
}

TEST_F(MetadataLoadTest, WhatAFileProvesOfItselfDoesNotExcuseTheModelItIsMergedInto) {
    // On its own the file's hierarchy is sound; merged into the stored World > France it
    // closes a cycle, which the model check finds in the merged model.
    const QByteArray before = Extract();
    const auto [error, lines] =
        Refused(Write(QStringLiteral("merge.app"),
                      "!MEMBERS=Entity\nFrance\nWorld\n!HIERARCHIES=Entity\nFrance;World\n"),
                dir.filePath(QStringLiteral("merge.log")));
    EXPECT_TRUE(lines.join(u'\n').contains(QStringLiteral("the Entity hierarchy has a cycle")))
        << lines.join(u'\n').toStdString();
    EXPECT_EQ(Extract(), before);

    // The same relations as a REPLACE are the file's alone, and are taken as read.
    load->GetLoadOptions()->Item(21)->SetCurrentValue(true);
    load->Load(Write(QStringLiteral("replace.app"),
                     "!MEMBERS=Entity\nFrance\nWorld\n"
                     "!HIERARCHIES=Entity\n;France\nFrance;World\n"),
               dir.filePath(QStringLiteral("replace.log")));
    EXPECT_TRUE(Extract().contains("!HIERARCHIES=Entity\r\n;France\r\nFrance;World\r\n"));
    auto entity = server().Tree(Dimension::Entity);
    EXPECT_TRUE(entity->IsParent(entity->GetMemberID(QStringLiteral("France"))));
    EXPECT_FALSE(entity->IsParent(entity->GetMemberID(QStringLiteral("World"))));
}

TEST(ModelCheckTest, AProofCountsOnlyForTheModelItWasMadeFor) {
    QByteArray text =
        "!MEMBERS=Entity\nWorld\nEurope\nFrance\nSpain\n"
        "!HIERARCHIES=Entity\n;World\nWorld;Europe\nEurope;France\nEurope;Spain\n";
    QBuffer buffer(&text);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    local::format::FileFaults faults(QStringLiteral("proved.app"));
    local::ModelProof proof;
    const local::AppModel model = local::format::ReadAppText(buffer, faults, {}, &proof);
    ASSERT_TRUE(faults.empty());
    const auto entity = static_cast<size_t>(Dimension::Entity);
    ASSERT_TRUE(proof[entity].has_value());
    const local::ResolvedModel proved = local::CheckModel(model, proof);
    const local::ResolvedModel checked = local::CheckModel(model);
    EXPECT_EQ(proved.dimensions[entity].relationParent, checked.dimensions[entity].relationParent);
    EXPECT_EQ(proved.dimensions[entity].relationChild, checked.dimensions[entity].relationChild);

    // The proof of that file does not fit a model whose relations differ, even with as
    // many of them: the model is checked whole, and its faults found.
    const auto refusedWith = [&](local::AppModel other, const char* reason) {
        try {
            local::CheckModel(other, proof);
            ADD_FAILURE() << "accepted, expected: " << reason;
        } catch (const TarselError& error) {
            EXPECT_TRUE(error.description().contains(QLatin1String(reason)))
                << error.description().toStdString();
        }
    };
    local::AppModel repeated = model;
    repeated.dim(Dimension::Entity).hierarchy[3] = {"Europe", "France"};
    refusedWith(repeated, "\"France\" is under the parent \"Europe\" twice");
    local::AppModel cycle = model;
    cycle.dim(Dimension::Entity).hierarchy[0] = {"Spain", "World"};
    refusedWith(cycle, "has a cycle");

    // A file with a fault proves nothing.
    QByteArray faulty = text + "Spain;World\n";
    QBuffer faultyBuffer(&faulty);
    ASSERT_TRUE(faultyBuffer.open(QIODevice::ReadOnly));
    local::format::FileFaults found(QStringLiteral("cycle.app"));
    local::format::ReadAppText(faultyBuffer, found, {}, &proof);
    EXPECT_FALSE(found.empty());
    EXPECT_FALSE(proof[entity].has_value());
}

TEST_F(MetadataLoadTest, FilesOfTheWrongKindAreRefusedAtOnce) {
    const QByteArray before = Extract();
    // 2 GiB that go wrong on the first line: refused after the first chunk, without
    // the memory or the time that reading it all would take.
    const QString huge = Write(QStringLiteral("huge.app"), "This is not metadata\n");
    ASSERT_TRUE(QFile::resize(huge, qint64{2} << 30));
    QElapsedTimer timer;
    timer.start();
    auto [error, lines] = Refused(huge, dir.filePath(QStringLiteral("huge.log")));
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_TRUE(lines.value(0).contains(QStringLiteral("line 1: a line outside any section")))
        << lines.join(u'\n').toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("has 1 error(s)")));

    // A valid start, then one endless line of zeros: stopped at the length of a line.
    QFile::remove(huge);
    Write(QStringLiteral("huge.app"), "!MEMBERS=Entity\nWorld\n");
    ASSERT_TRUE(QFile::resize(huge, qint64{2} << 30));
    timer.restart();
    lines = Refused(huge, dir.filePath(QStringLiteral("huge.log"))).second;
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_TRUE(lines.value(0).contains(QStringLiteral("line 3: the line is longer than")))
        << lines.join(u'\n').toStdString();
    QFile::remove(huge);

    // The same in .xml: read as a stream, so refused at the first block too.
    const QString xml = Write(QStringLiteral("huge.xml"), "<metadata>\n");
    ASSERT_TRUE(QFile::resize(xml, qint64{2} << 30));
    load->GetLoadOptions()->Item(20)->SetCurrentValue(int32_t{1});
    timer.restart();
    lines = Refused(xml, dir.filePath(QStringLiteral("xml.log"))).second;
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_TRUE(lines.value(0).contains(QStringLiteral("line 2: the file is not well-formed XML")))
        << lines.join(u'\n').toStdString();
    load->GetLoadOptions()->Item(20)->SetCurrentValue(int32_t{0});
    QFile::remove(xml);

    // Latin-1 where UTF-8 belongs: the first such line is named and the reading stops,
    // as every line after it would be suspect.
    lines = Refused(Write(QStringLiteral("latin1.app"),
                          "!MEMBERS=Entity\nWorld\nZ\xFCrich\nM\xFCnchen\n"),
                    dir.filePath(QStringLiteral("latin1.log")))
                .second;
    EXPECT_TRUE(lines.value(0).contains(QStringLiteral("line 3: the line is not valid UTF-8")));
    EXPECT_EQ(lines.size(), 2);

    // A file of nothing but faults stops at the most a log lists.
    QByteArray noise = "!MEMBERS=Entity\n";
    for (int i = 0; i < 500; ++i) {
        noise += "M" + QByteArray::number(i) + ";Nonsense=1\n";
    }
    lines = Refused(Write(QStringLiteral("noise.app"), noise),
                    dir.filePath(QStringLiteral("noise.log")))
                .second;
    EXPECT_EQ(lines.filter(QStringLiteral("Error:")).size(), 100);

    // Missing files and folders are client errors of their own, before any log.
    try {
        load->Load(dir.path(), dir.filePath(QStringLiteral("folder.log")));
        ADD_FAILURE() << "a folder was loaded";
    } catch (const TarselError& e) {
        EXPECT_EQ(e.number(), code::kFileUnreadable);
        EXPECT_TRUE(e.description().contains(QStringLiteral("is a folder")));
    }
    EXPECT_EQ(Extract(), before);
}

class MetadataOverDataTest : public MetadataLoadTest {
  protected:
    void SetUp() override {
        StartServer(test::DataTestApp());
        load = server().library()->CreateMetadataLoad();
        load->SetSession(server().Session());
        LoadCell("France", "100");
    }

    // Loads one cell of the entity, as the only record of a data file.
    void LoadCell(const char* entity, const char* amount) {
        auto data = server().library()->CreateDataLoad();
        data->SetSession(server().Session());
        const QString name = QString::fromLatin1(entity);
        data->Load(Write(name + QStringLiteral(".dat"),
                         QStringLiteral("!DATA\nActual;2026;01;YTD;%1;<Entity Currency>;Sales;"
                                        "[ICP None];P1;[None];[None];[None];%2\n")
                             .arg(name, QString::fromLatin1(amount))
                             .toUtf8()),
                   dir.filePath(name + QStringLiteral("_data.log")));
    }
};

TEST_F(MetadataOverDataTest, MembersWithDataAreKeptUnlessTheCheckIsOff) {
    const QByteArray before = Extract();
    auto options = load->GetLoadOptions();

    // A file with nothing in it is refused, loaded or scanned, whatever it is made of.
    for (const QByteArray& nothing : {QByteArray(), QByteArray("\xEF\xBB\xBF"),
                                      QByteArray("' written by the nightly job\n\n")}) {
        for (const bool scan : {false, true}) {
            options->Item(18)->SetCurrentValue(scan);
            const auto [error, lines] = Refused(Write(QStringLiteral("empty.app"), nothing),
                                                dir.filePath(QStringLiteral("empty.log")));
            EXPECT_TRUE(error.contains(QStringLiteral("has 1 error(s)"))) << error.toStdString();
            EXPECT_TRUE(lines.value(0).startsWith(QStringLiteral("Error: ")) &&
                        lines.value(0).contains(QStringLiteral("holds no metadata")))
                << lines.join(u'\n').toStdString();
        }
    }
    options->Item(18)->SetCurrentValue(false);

    // France, period 01 and P1 hold the one cell: the first two would go, P1 would gain
    // a child. Germany and US go too, but hold nothing.
    options->Item(21)->SetCurrentValue(true);
    options->Item(29)->SetCurrentValue(true);
    const QString harmful = Write(QStringLiteral("harmful.app"),
                                  "!MEMBERS=Entity\nWorld\nEurope\nSpain\n"
                                  "!HIERARCHIES=Entity\n;World\nWorld;Europe\nEurope;Spain\n"
                                  "!MEMBERS=Period\n02\n!HIERARCHIES=Period\n;02\n"
                                  "!MEMBERS=Custom1\n[None]\nProducts\nP1\nP1a\nP2\n"
                                  "!HIERARCHIES=Custom1\n;[None]\n;Products\nProducts;P1\n"
                                  "Products;P2\nP1;P1a\n");
    for (const bool scan : {true, false}) {
        options->Item(18)->SetCurrentValue(scan);
        const auto [error, lines] = Refused(harmful, dir.filePath(QStringLiteral("harm.log")));
        EXPECT_TRUE(error.contains(QStringLiteral("has 3 error(s)"))) << error.toStdString();
        const QStringList named = lines.filter(QStringLiteral("has data"));
        ASSERT_EQ(named.size(), 3) << lines.join(u'\n').toStdString();
        EXPECT_TRUE(
            named[0].contains(QStringLiteral("Period member 01 has data and would be "
                                             "removed")));
        EXPECT_TRUE(
            named[1].contains(QStringLiteral("Entity member France has data and "
                                             "would be removed")));
        EXPECT_TRUE(
            named[2].contains(QStringLiteral("Custom1 member P1 has data and would "
                                             "stop being a base member")));
        for (const QString& line : named) {
            EXPECT_TRUE(line.startsWith(QStringLiteral("Error: ") + harmful));
        }
    }
    options->Item(18)->SetCurrentValue(false);
    EXPECT_EQ(Extract(), before);

    // Removing members without data passes the check; without it, the harmful file loads.
    const int32_t france = server().Tree(Dimension::Entity)->GetMemberID("France");
    load->Load(Write(QStringLiteral("harmless.app"),
                     "!MEMBERS=Entity\nWorld\nEurope\nFrance\n"
                     "!HIERARCHIES=Entity\n;World\nWorld;Europe\nEurope;France\n"),
               dir.filePath(QStringLiteral("harmless.log")));
    EXPECT_THROW(server().Tree(Dimension::Entity)->GetMemberID("Germany"), TarselError);
    EXPECT_EQ(server().Tree(Dimension::Entity)->GetMemberID("France"), france);
    options->Item(29)->SetCurrentValue(false);
    load->Load(harmful, dir.filePath(QStringLiteral("harm.log")));
    EXPECT_THROW(server().Tree(Dimension::Entity)->GetMemberID("France"), TarselError);
}

TEST_F(MetadataOverDataTest, RecordsOfARemovedMemberPassToNoOtherMember) {
    // Without the check, loads leave the records of the members they remove; no member
    // loaded later may take those ids, or it would silently take the records over.
    auto options = load->GetLoadOptions();
    options->Item(29)->SetCurrentValue(false);
    const auto id = [this](const char* label) {
        return server().Tree(Dimension::Entity)->GetMemberID(QString::fromLatin1(label));
    };
    load->Load(Write(QStringLiteral("norway.app"),
                     "!MEMBERS=Entity\nEurope\nNorway\n!HIERARCHIES=Entity\nEurope;Norway\n"),
               dir.filePath(QStringLiteral("norway.log")));
    const int32_t norway = id("Norway");
    LoadCell("Norway", "7");

    // REPLACE removes Norway, the newest member; the next member added is numbered after it.
    options->Item(21)->SetCurrentValue(true);
    load->Load(Write(QStringLiteral("without.app"),
                     "!MEMBERS=Entity\nWorld\nEurope\nFrance\n"
                     "!HIERARCHIES=Entity\n;World\nWorld;Europe\nEurope;France\n"),
               dir.filePath(QStringLiteral("without.log")));
    options->Item(21)->SetCurrentValue(false);
    load->Load(Write(QStringLiteral("italy.app"),
                     "!MEMBERS=Entity\nEurope\nItaly\n!HIERARCHIES=Entity\nEurope;Italy\n"),
               dir.filePath(QStringLiteral("italy.log")));
    const int32_t italy = id("Italy");
    EXPECT_GT(italy, norway);

    // A CLEAR numbers afresh only where no data names the members: here the members that
    // stay keep their ids whatever the file's order, and the new one comes after them all.
    const int32_t france = id("France");
    options->Item(23)->SetCurrentValue(true);
    load->Load(Write(QStringLiteral("clear.app"),
                     "!MEMBERS=Entity\nItaly\nSpain\nWorld\nEurope\nFrance\n"
                     "!HIERARCHIES=Entity\n;World\nWorld;Europe\nEurope;Italy\n"
                     "Europe;Spain\nEurope;France\n"),
               dir.filePath(QStringLiteral("clear.log")));
    EXPECT_EQ(id("France"), france);
    EXPECT_EQ(id("Italy"), italy);
    EXPECT_GT(id("Spain"), italy);
    EXPECT_TRUE(server().Tree(Dimension::Account)->EnumAllMemberLabels().isEmpty());

    // A kept value that cannot be one is taken again from the members and the data.
    {
        local::sql::Database db(server().applicationPath(), local::sql::OpenMode::ReadWrite);
        db.Exec(
            "UPDATE application SET value = trim(replace(hex(zeroblob(12)), '00', "
            "'2000000000 ')) WHERE key = 'first_free_member_ids'");
    }
    options->Item(23)->SetCurrentValue(false);
    load->Load(Write(QStringLiteral("norway_again.app"),
                     "!MEMBERS=Entity\nEurope\nNorway\n!HIERARCHIES=Entity\nEurope;Norway\n"),
               dir.filePath(QStringLiteral("norway_again.log")));
    EXPECT_EQ(id("Norway"), id("Spain") + 1);
}

}  // namespace
}  // namespace tarsel
