// The contract every local loader keeps: a bound session first, typed options, and a load
// that cannot write its log stores nothing.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "server/local/format/app_text.h"
#include "server/tarsel_error.h"
#include "tests/support/app_builder.h"
#include "tests/support/local_server.h"

namespace tarsel {
namespace {

using test::AppBuilder;
using test::FailureOf;

class LocalLoaders : public test::LocalServerTest {
  protected:
    void SetUp() override {
        StartServer(AppBuilder().Children(Dimension::Entity, {}, {"World"}).Build());
    }
    QString Write(const QString& name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }
    QTemporaryDir dir;
};

TEST_F(LocalLoaders, NothingRunsUnboundAndOptionsKeepTheirKind) {
    auto& library = *server().library();
    auto metadata = library.CreateMetadataLoad();
    auto rules = library.CreateRulesLoad();
    EXPECT_EQ(FailureOf([&] { metadata->GetLoadOptions(); }), code::kNoSession);
    EXPECT_EQ(FailureOf([&] { metadata->Extract("a.app", "a.log"); }), code::kNoSession);
    EXPECT_EQ(FailureOf([&] { rules->LoadMemberListFile("a.lst", "a.log", 0); }), code::kNoSession);
    EXPECT_EQ(FailureOf([&] { rules->SetSession(nullptr, -2); }), code::kNoSession);

    metadata->SetSession(server().Session());
    auto options = metadata->GetLoadOptions();
    EXPECT_EQ(FailureOf([&] { options->Item(19); }), code::kUnknownOption);
    EXPECT_EQ(FailureOf([&] { options->Item(20)->SetCurrentValue(true); }),
              code::kWrongOptionValue);
    EXPECT_EQ(FailureOf([&] { options->Item(20)->SetCurrentValue(int32_t{2}); }),
              code::kWrongOptionValue);
    options->Item(21)->SetCurrentValue(true);
    EXPECT_EQ(metadata->GetLoadOptions()->Item(21)->CurrentValue(), OptionValue(true));
    EXPECT_EQ(FailureOf([&] { metadata->GetExtractOptions()->Item(20); }), code::kUnknownOption);
}

TEST_F(LocalLoaders, ALoadWhoseLogCannotBeWrittenStoresNothing) {
    const QString noFolder = dir.filePath(QStringLiteral("missing/load.log"));
    auto rules = server().library()->CreateRulesLoad();
    rules->SetSession(server().Session(), -2);
    const QString lists = Write(QStringLiteral("lists.lst"),
                                "Sub EnumMemberLists()\n"
                                "Select Case BR.Dimension\n"
                                "Case \"Entity\"\n"
                                "a(1) = \"All\"\n"
                                "End Select\n"
                                "End Sub\n");
    EXPECT_EQ(FailureOf([&] { rules->LoadMemberListFile(lists, noFolder, 0); }),
              code::kFileUnwritable);
    EXPECT_FALSE(server().Session()->SystemInfo()->GetMemberListFile().present);

    auto metadata = server().library()->CreateMetadataLoad();
    metadata->SetSession(server().Session());
    const QString app =
        Write(QStringLiteral("more.app"),
              local::format::WriteAppText(
                  AppBuilder().Children(Dimension::Entity, {}, {"World", "Mars"}).Build()));
    EXPECT_EQ(FailureOf([&] { metadata->Load(app, noFolder); }), code::kFileUnwritable);
    EXPECT_EQ(server().Tree(Dimension::Entity)->GetMemberListID(QStringLiteral("All")), -1);
    EXPECT_EQ(server().Tree(Dimension::Entity)->EnumAllMemberLabels(), QStringList({"World"}));
    EXPECT_EQ(FailureOf([&] { metadata->Load(dir.path(), dir.filePath("x.log")); }),
              code::kFileUnreadable);
}

}  // namespace
}  // namespace tarsel
