#pragma once
// The records of a metadata file, whatever its syntax, checked and built into an
// AppModel: the .app text and the .xml reader hand over the same records, so that the
// two formats accept and refuse exactly the same metadata.

#include <QByteArrayView>
#include <QStringList>
#include <memory>

#include "server/local/app_model.h"
#include "server/local/format/text_lines.h"
#include "server/local/model_proof.h"

namespace tarsel::local::format {

enum class AppSection {
    None,
    Languages,
    SecurityClasses,
    Members,
    Descriptions,
    Hierarchies,
    MemberLists,
    MemberListFile
};

// Where a file defines a dimension's members, for the hint given with an unknown member.
enum class AppSyntax { Text, Xml };

class AppRecords {
  public:
    // Faults found at the end (references, repeated relations, cycles) go to faults.
    explicit AppRecords(FileFaults& faults, AppSyntax syntax = AppSyntax::Text);
    ~AppRecords();
    AppRecords(const AppRecords&) = delete;
    AppRecords& operator=(const AppRecords&) = delete;

    // The records that follow belong to section (of dimension, for the sections of one
    // dimension); expected: how many there will be, for the room reserved (0: unknown).
    // A second member list file throws LineFault naming line.
    void Begin(AppSection section, Dimension dimension, int line, size_t expected);
    // One record, its fields as an .app line gives them: a name; label and "Name=Value"
    // attributes; label, language, text; parent (empty for a top member), child; list,
    // member, parent. Throws LineFault naming line; fields is given back, contents unspecified.
    void Add(QStringList& fields, int line);
    // A line of the member list file's base64 text.
    void AddBase64(QByteArrayView text, int line);
    // Runs the checks that need the whole file, recording their faults; the model means
    // nothing when any fault was recorded. proof, when given, receives what the checks
    // proved of each dimension, nothing when the file has a fault.
    AppModel Finish(ModelProof* proof = nullptr);

  private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tarsel::local::format
