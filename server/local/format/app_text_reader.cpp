#include "server/local/format/app_text.h"

#include "server/local/format/app_records.h"
#include "server/local/format/text_lines.h"
#include "server/tarsel_error.h"

namespace tarsel::local::format {

namespace {

// The .app syntax: lines, section headers and fields; what the records mean is
// AppRecords' business.
class AppTextReader {
  public:
    AppTextReader(LineReader reader, FileFaults& faults, const ProgressFn& progress)
        : reader_(std::move(reader)), faults_(faults), records_(faults), progress_(progress) {}

    // Reads on past a fault in a line, so that the file's faults are all found in one
    // load; a fault that leaves the rest unreadable (the encoding, a section header, a
    // line outside any section) stops the reading there.
    AppModel Parse(ModelProof* proof) {
        if (proof) {
            *proof = {};
        }
        while (true) {
            try {
                if (!reader_.Next()) {
                    break;
                }
            } catch (const LineFault& fault) {
                faults_.Add(fault);
                return {};
            }
            if ((reader_.LineNumber() & 0xFFFF) == 0 && progress_) {
                progress_(reader_.BytesRead(), reader_.TotalBytes());
            }
            try {
                ParseLine();
            } catch (const LineFault& fault) {
                if (!faults_.Add(fault) || stop_) {
                    return {};
                }
            }
        }
        AppModel model = records_.Finish(proof);
        if (progress_) {
            progress_(reader_.TotalBytes(), reader_.TotalBytes());
        }
        return model;
    }

  private:
    void ParseLine() {
        const QByteArrayView raw = reader_.Line();
        qsizetype first = 0;
        while (first < raw.size() && (raw[first] == ' ' || raw[first] == '\t')) {
            ++first;
        }
        if (first == raw.size() || raw[first] == '\'') {
            return;  // blank line or comment
        }
        if (raw[first] == '!') {
            StartSection(QString::fromUtf8(raw.sliced(first + 1)).trimmed());
            return;
        }
        if (section_ == AppSection::MemberListFile) {
            records_.AddBase64(raw.sliced(first), reader_.LineNumber());
            return;
        }
        if (section_ == AppSection::None) {
            Stop(
                QStringLiteral("a line outside any section (the file must begin with a section "
                               "such as !LANGUAGES or !MEMBERS=Entity)"));
        }
        const QString error = SplitFields(raw, fields_);
        if (!error.isEmpty()) {
            reader_.Fail(error);
        }
        records_.Add(fields_, reader_.LineNumber());
    }

    // A fault after which the lines that follow cannot be read for what they are.
    [[noreturn]] void Stop(const QString& reason) {
        stop_ = true;
        reader_.Fail(reason);
    }

    void StartSection(const QString& header) {
        const qsizetype eq = header.indexOf(u'=');
        const QString name = (eq < 0 ? header : header.left(eq)).trimmed().toUpper();
        const QString argument = eq < 0 ? QString() : header.mid(eq + 1).trimmed();
        struct Known {
            const char* name;
            AppSection section;
            bool perDimension;
        };
        static const Known known[] = {
            {"LANGUAGES", AppSection::Languages, false},
            {"SECURITY_CLASSES", AppSection::SecurityClasses, false},
            {"MEMBERS", AppSection::Members, true},
            {"DESCRIPTIONS", AppSection::Descriptions, true},
            {"HIERARCHIES", AppSection::Hierarchies, true},
            {"MEMBER_LISTS", AppSection::MemberLists, true},
            {"MEMBER_LIST_FILE", AppSection::MemberListFile, false},
        };
        if (name == u"FILE_FORMAT") {
            if (argument != QString::number(kAppFormatVersion)) {
                Stop(QStringLiteral("file format \"%1\" is not supported (expected %2)")
                         .arg(argument)
                         .arg(kAppFormatVersion));
            }
            section_ = AppSection::None;
            return;
        }
        for (const Known& k : known) {
            if (name != QLatin1String(k.name)) {
                continue;
            }
            Dimension dimension = Dimension::Scenario;
            if (k.perDimension) {
                const auto d = ParseDimensionName(argument);
                if (!d) {
                    Stop(argument.isEmpty()
                             ? QStringLiteral("section !%1 needs a dimension, as in !%1=Entity")
                                   .arg(name)
                             : QStringLiteral("unknown dimension \"%1\" in section !%2")
                                   .arg(argument, name));
                }
                dimension = *d;
            } else if (!argument.isEmpty()) {
                Stop(QStringLiteral("section !%1 takes no \"=\" part").arg(name));
            }
            section_ = k.section;
            const bool sized =
                section_ == AppSection::Members || section_ == AppSection::Hierarchies;
            try {
                records_.Begin(section_, dimension, reader_.LineNumber(),
                               sized ? static_cast<size_t>(reader_.LinesBeforeNextSection()) : 0);
            } catch (const LineFault&) {
                stop_ = true;
                throw;
            }
            return;
        }
        Stop(QStringLiteral("unknown section \"!%1\"").arg(header));
    }

    LineReader reader_;
    FileFaults& faults_;
    AppRecords records_;
    const ProgressFn& progress_;
    bool stop_ = false;
    AppSection section_ = AppSection::None;
    QStringList fields_;
};

}  // namespace

AppModel ReadAppText(QIODevice& device, FileFaults& faults, const ProgressFn& progress,
                     ModelProof* proof) {
    return AppTextReader(LineReader(device, faults.fileName()), faults, progress).Parse(proof);
}

AppModel ParseAppText(const QByteArray& bytes, const QString& fileName,
                      const ProgressFn& progress) {
    FileFaults faults(fileName);
    AppModel model = AppTextReader(LineReader(bytes, fileName), faults, progress).Parse(nullptr);
    faults.ThrowFirst();
    return model;
}

AppModel ParseAppFile(const QString& path, const ProgressFn& progress) {
    const std::unique_ptr<QFile> file = OpenInputFile(path);
    FileFaults faults(path);
    AppModel model = ReadAppText(*file, faults, progress);
    faults.ThrowFirst();
    return model;
}

}  // namespace tarsel::local::format
