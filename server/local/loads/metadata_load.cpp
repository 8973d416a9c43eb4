#include "server/local/loads/metadata_load.h"

#include "server/local/app_schema.h"
#include "server/local/format/app_text.h"
#include "server/tarsel_error.h"

namespace tarsel::local {

namespace {

namespace option {
constexpr int32_t kScan = 18, kFormat = 20, kReplace = 21, kCheckIntegrity = 29,
                  kExtractFormat = 14;
constexpr int32_t kClear[] = {9, 10, 11, 12, 13, 14, 15, 16, 23};
}  // namespace option

constexpr int32_t kAppFormat = 0;

const QString kLoader = QStringLiteral("metadata loader");

}  // namespace

LocalMetadataLoad::LocalMetadataLoad()
    : loadOptions_(std::make_shared<OptionSet>(
          std::initializer_list<OptionSpec>{
              {9, false, {}},
              {10, false, {}},
              {11, false, {}},
              {12, false, {}},
              {13, false, {}},
              {14, false, {}},
              {15, false, {}},
              {16, false, {}},
              {23, false, {}},
              {option::kScan, false, {}},
              {option::kFormat, int32_t{0}, {0, 1}},
              {option::kReplace, false, {}},
              {option::kCheckIntegrity, false, {}},
          },
          kLoader)),
      extractOptions_(std::make_shared<OptionSet>(
          std::initializer_list<OptionSpec>{{option::kExtractFormat, int32_t{0}, {0, 1}}},
          kLoader)) {}

void LocalMetadataLoad::SetSession(std::shared_ptr<ApplicationSession> session) {
    session_.Bind(session);
}

std::shared_ptr<LoadOptions> LocalMetadataLoad::GetLoadOptions() {
    session_.Require(QStringLiteral("metadata loads"));
    return loadOptions_;
}

std::shared_ptr<LoadOptions> LocalMetadataLoad::GetExtractOptions() {
    session_.Require(QStringLiteral("metadata extracts"));
    return extractOptions_;
}

void LocalMetadataLoad::Load(const QString&, const QString&) {
    session_.Require(QStringLiteral("metadata loads"));
    ThrowNotAvailable(QStringLiteral("Metadata loads"));
}

void LocalMetadataLoad::Extract(const QString& metadataFile, const QString& logFile) {
    LocalApplicationSession& session = session_.Require(QStringLiteral("metadata extracts"));
    if (extractOptions_->Int(option::kExtractFormat) != kAppFormat) {
        ThrowNotAvailable(QStringLiteral("Metadata extracts in the .xml format"));
    }
    const AppModel model = ReadApplication(session.file()->db());
    const QByteArray text = format::WriteAppText(model);
    LoadLog log(logFile);
    log.Note(QStringLiteral("Extracted the metadata of %1 (%2 bytes, .app) to %3.")
                 .arg(session.file()->name())
                 .arg(text.size())
                 .arg(metadataFile));
    WriteOutputFile(metadataFile, text);
    log.Write();
}

}  // namespace tarsel::local
