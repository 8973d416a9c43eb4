// The .app text through the store: write, create the application, read it back, write;
// and the .xml streamed from the store against the .xml of the model read back.

#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>

#include "server/local/app_schema.h"
#include "server/local/cluster_store.h"
#include "server/local/format/app_text.h"
#include "server/local/format/app_xml.h"
#include "server/local/format/member_list_file.h"
#include "server/local/format/text_lines.h"
#include "tests/server/local/format/rich_model.h"

namespace tarsel::local::format {
namespace {

// The text written from the model read back; the text streamed straight from the stored
// rows (as an extract writes it) must be the same bytes.
QByteArray ThroughTheStore(const QByteArray& text, const QString& name) {
    QTemporaryDir home;
    EXPECT_TRUE(home.isValid());
    ClusterStore cluster = ClusterStore::Create(home.path(), "C");
    cluster.CreateApplication(name, ParseAppText(text, name + ".app"));
    const AppModel model = ReadApplicationModel(cluster.ApplicationPath(name));
    const QByteArray fromModel = WriteAppText(model);

    sql::Database db(cluster.ApplicationPath(name), sql::OpenMode::ReadOnly);
    sql::Transaction read(db, sql::Transaction::Kind::Read);
    StoredMetadata source(db);
    QByteArray streamed;
    int pieces = 0;
    const qsizetype size = WriteAppText(source, [&](QByteArrayView bytes) {
        streamed.append(bytes);
        ++pieces;
    });
    EXPECT_EQ(streamed, fromModel);
    EXPECT_EQ(size, streamed.size());
    EXPECT_EQ(pieces, 1);  // a small application is handed over whole

    // Descriptions too long to keep while the members pass are read again, mid-dimension.
    StoredMetadata rereading(db, 40);
    QByteArray reread;
    WriteAppText(rereading, [&](QByteArrayView bytes) { reread.append(bytes); });
    EXPECT_EQ(reread, fromModel);

    QByteArray xml;
    const qsizetype xmlSize = WriteAppXml(source, [&](QByteArrayView bytes) { xml.append(bytes); });
    EXPECT_EQ(xmlSize, xml.size());
    EXPECT_EQ(xml, WriteAppXml(model));
    return fromModel;
}

TEST(AppTextStore, RichModelComesBackByteForByte) {
    const QByteArray text = WriteAppText(testing_models::RichModel());
    EXPECT_EQ(ThroughTheStore(text, "Rich"), text);
}

TEST(AppTextStore, DemoApplicationComesBackByteForByte) {
    const QString dir = QStringLiteral(TARSEL_DEMO_DIR);
    AppModel demo = ParseAppFile(dir + "/Demo.app");
    ApplyMemberListFile(demo, ReadWholeFile(dir + "/Demo.lst"), dir + "/Demo.lst");
    const QByteArray text = WriteAppText(demo);
    EXPECT_EQ(ThroughTheStore(text, "Demo"), text);
}

}  // namespace
}  // namespace tarsel::local::format
