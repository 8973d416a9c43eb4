#pragma once
// The .app metadata text of the local Tarsel server (docs/formats.md): languages,
// security classes and, per dimension, members with their attributes, descriptions per
// language, the hierarchy and the user member lists; optionally the member list file.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>

class QIODevice;

#include "server/local/app_model.h"
#include "server/local/model_proof.h"

namespace tarsel::local::format {

// The version of the format this reader reads and this writer writes: !FILE_FORMAT=1.
inline constexpr int kAppFormatVersion = 1;

// Called now and then while a large file is read.
using ProgressFn = std::function<void(qsizetype bytesDone, qsizetype bytesTotal)>;

class FileFaults;

// Reads .app text from the device, a chunk at a time, recording in faults every fault
// found (file, line, reason) instead of stopping at the first. The model means nothing
// when faults is not empty. proof, when given, receives what the reading proved of it.
AppModel ReadAppText(QIODevice& device, FileFaults& faults, const ProgressFn& progress = {},
                     ModelProof* proof = nullptr);

// Reads .app text. A malformed file is refused as a whole with the client error
// kMalformedFile whose description names fileName, the line and the reason. The model's
// name is left empty: the application name is given when the application is created.
AppModel ParseAppText(const QByteArray& bytes, const QString& fileName,
                      const ProgressFn& progress = {});
// As ParseAppText on a file read a chunk at a time; kFileNotFound or kFileUnreadable
// (also for a folder) when it cannot be read.
AppModel ParseAppFile(const QString& path, const ProgressFn& progress = {});

// The model as .app text with CR LF line ends; reading it back gives the same model and
// writing that again the same bytes. Fails with kMalformedFile when a text of the model
// holds a line break, which the format cannot carry.
QByteArray WriteAppText(const AppModel& model);

// Receives the text a writer streams, in pieces of about a megabyte.
using TextSink = std::function<void(QByteArrayView bytes)>;
// As WriteAppText, read from source and handed to sink as it is written, so that a large
// application is never held whole; gives the number of bytes written.
qsizetype WriteAppText(MetadataSource& source, const TextSink& sink);

// A model as the source of a writer that streams.
class ModelSource final : public MetadataSource {
  public:
    explicit ModelSource(const AppModel& model) : model_(model) {}

    QStringList Languages() override { return model_.languages; }
    QStringList SecurityClasses() override { return model_.securityClasses; }
    void Members(Dimension dimension, const MemberFn& each) override {
        for (const MemberModel& m : model_.dim(dimension).members) {
            each(m.label, m);
        }
    }
    void Descriptions(Dimension dimension, const DescriptionFn& each) override {
        for (const MemberModel& m : model_.dim(dimension).members) {
            if (!m.descriptions.isEmpty()) {
                const QStringList texts = m.descriptions.List();
                for (qsizetype l = 0; l < texts.size(); ++l) {
                    each(m.label, l, texts[l]);
                }
            }
        }
    }
    void Relations(Dimension dimension, const RelationFn& each) override {
        for (const RelationModel& r : model_.dim(dimension).hierarchy) {
            each(r.parent, r.child);
        }
    }
    void MemberLists(Dimension dimension, const ListFn& each) override {
        for (const MemberListModel& list : model_.dim(dimension).memberLists) {
            each(list);
        }
    }
    std::optional<QByteArray> MemberListFile() override { return model_.memberListFile; }

  private:
    const AppModel& model_;
};

// The pieces of the writer, for writers that stream a large file line by line (no line end).
QString SectionHeader(const char* section, Dimension dimension);
QString MemberLine(Dimension dimension, const MemberModel& member);
QString DescriptionLine(const QString& label, const QString& language, const QString& text);
QString RelationLine(const QString& parent, const QString& child);

}  // namespace tarsel::local::format
