#include "server/local/format/app_text.h"

#include <QStringEncoder>
#include <QStringView>
#include <algorithm>
#include <string>

#include "server/local/format/app_attributes.h"
#include "server/local/format/text_lines.h"
#include "server/tarsel_error.h"

namespace tarsel::local::format {

namespace {

constexpr qsizetype kBase64LineLength = 76;

void RequireWritable(const QString& text, const QString& what) {
    if (HasLineBreak(text)) {
        ThrowClientError(
            code::kMalformedFile,
            QStringLiteral("%1 holds a line break, which an .app file cannot carry").arg(what));
    }
}

// Writes .app text to a sink in pieces of about a megabyte.
class AppTextStream {
  public:
    explicit AppTextStream(const TextSink& sink) : sink_(sink) { buffer_.reserve(kChunk + 4096); }
    AppTextStream(const AppTextStream&) = delete;
    AppTextStream& operator=(const AppTextStream&) = delete;

    void Line(QStringView line) {
        Append(line);
        EndLine();
    }
    void Raw(QByteArrayView bytes) {
        buffer_.append(bytes.data(), static_cast<size_t>(bytes.size()));
    }
    void Append(QStringView text) {
        const size_t at = buffer_.size();
        buffer_.resize(at + static_cast<size_t>(encoder_.requiredSpace(text.size())));
        char* end = encoder_.appendToBuffer(buffer_.data() + at, text);
        buffer_.resize(static_cast<size_t>(end - buffer_.data()));
    }
    void EndLine() {
        buffer_.append("\r\n");
        if (buffer_.size() >= kChunk) {
            Flush();
        }
    }
    void Flush() {
        if (!buffer_.empty()) {
            sink_(QByteArrayView(buffer_.data(), static_cast<qsizetype>(buffer_.size())));
            written_ += static_cast<qsizetype>(buffer_.size());
            buffer_.clear();
        }
    }
    qsizetype Written() const { return written_ + static_cast<qsizetype>(buffer_.size()); }

  private:
    static constexpr size_t kChunk = 1 << 20;

    const TextSink& sink_;
    QStringEncoder encoder_{QStringEncoder::Utf8};
    std::string buffer_;
    qsizetype written_ = 0;
};

QString AttributeFields(Dimension dimension, const MemberModel& member) {
    QString fields;
    for (const AppAttribute& attribute : AppAttributes()) {
        if (!attribute.AppliesTo(dimension)) {
            continue;
        }
        const QString value = attribute.write(member);
        if (!value.isEmpty()) {
            fields += u';';
            fields += QuoteField(attribute.Name() + u'=' + value);
        }
    }
    return fields;
}

// The model as a source.
class ModelSource final : public MetadataSource {
  public:
    explicit ModelSource(const AppModel& model) : model_(model) {}

    QStringList Languages() override { return model_.languages; }
    QStringList SecurityClasses() override { return model_.securityClasses; }
    void Members(Dimension dimension, const MemberFn& each) override {
        for (const MemberModel& m : model_.dim(dimension).members) {
            each(m);
        }
    }
    void Descriptions(Dimension dimension, const DescriptionsFn& each) override {
        for (const MemberModel& m : model_.dim(dimension).members) {
            if (!m.descriptions.isEmpty()) {
                each(m.label, m.descriptions.List());
            }
        }
    }
    void Relations(Dimension dimension, const RelationFn& each) override {
        for (const RelationModel& r : model_.dim(dimension).hierarchy) {
            each(r);
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

}  // namespace

QString SectionHeader(const char* section, Dimension dimension) {
    return u'!' + QLatin1String(section) + u'=' + DimensionDisplayName(dimension);
}

QString MemberLine(Dimension dimension, const MemberModel& member) {
    return QuoteField(member.label) + AttributeFields(dimension, member);
}

QString DescriptionLine(const QString& label, const QString& language, const QString& text) {
    return JoinFields({label, language, text});
}

QString RelationLine(const QString& parent, const QString& child) {
    return JoinFields({parent, child});
}

qsizetype WriteAppText(MetadataSource& source, const TextSink& sink) {
    AppTextStream out(sink);
    out.Line(QStringLiteral("!FILE_FORMAT=%1").arg(kAppFormatVersion));
    const auto writeNames = [&](const char* header, const QStringList& names) {
        if (names.isEmpty()) {
            return;
        }
        out.Raw(header);
        out.EndLine();
        for (const QString& name : names) {
            RequireWritable(name, QStringLiteral("The name \"%1\"").arg(name));
            out.Line(QuoteField(name));
        }
    };
    const QStringList languages = source.Languages();
    writeNames("!LANGUAGES", languages);
    writeNames("!SECURITY_CLASSES", source.SecurityClasses());
    QStringList quotedLanguages;
    for (const QString& language : languages) {
        quotedLanguages << u';' + QuoteField(language) + u';';
    }

    for (int d = 0; d < kDimensionCount; ++d) {
        const auto dimension = static_cast<Dimension>(d);
        const auto header = [&out, dimension](bool& written, const char* section) {
            if (!written) {
                out.Line(SectionHeader(section, dimension));
                written = true;
            }
        };
        bool anyMember = false;
        source.Members(dimension, [&](const MemberModel& m) {
            header(anyMember, "MEMBERS");
            const QString label = QuoteField(m.label);
            const QString fields = AttributeFields(dimension, m);
            if (HasLineBreak(label) || HasLineBreak(fields)) {
                RequireWritable(label + fields, QStringLiteral("Member \"%1\"").arg(m.label));
            }
            out.Append(label);
            out.Append(fields);
            out.EndLine();
        });
        bool anyDescription = false;
        source.Descriptions(dimension, [&](const QString& label, const QStringList& texts) {
            const qsizetype n = std::min(texts.size(), languages.size());
            for (qsizetype l = 0; l < n; ++l) {
                if (texts[l].isEmpty()) {
                    continue;
                }
                header(anyDescription, "DESCRIPTIONS");
                RequireWritable(texts[l], QStringLiteral("The description of \"%1\"").arg(label));
                out.Append(QuoteField(label));
                out.Append(quotedLanguages[l]);
                out.Append(QuoteField(texts[l]));
                out.EndLine();
            }
        });
        bool anyRelation = false;
        source.Relations(dimension, [&](const RelationModel& r) {
            header(anyRelation, "HIERARCHIES");
            out.Append(QuoteField(r.parent));
            out.Raw(";");
            out.Append(QuoteField(r.child));
            out.EndLine();
        });
        bool anyList = false;
        source.MemberLists(dimension, [&](const MemberListModel& list) {
            header(anyList, "MEMBER_LISTS");
            RequireWritable(list.name, QStringLiteral("The list name \"%1\"").arg(list.name));
            if (list.entries.empty()) {
                out.Line(QuoteField(list.name));
            }
            for (const MemberListEntry& e : list.entries) {
                out.Line(e.parent.isEmpty() ? JoinFields({list.name, e.member})
                                            : JoinFields({list.name, e.member, e.parent}));
            }
        });
    }

    if (const std::optional<QByteArray> file = source.MemberListFile()) {
        out.Line(u"!MEMBER_LIST_FILE");
        const QByteArray encoded = file->toBase64();
        for (qsizetype i = 0; i < encoded.size(); i += kBase64LineLength) {
            out.Raw(
                QByteArrayView(encoded).sliced(i, std::min(kBase64LineLength, encoded.size() - i)));
            out.EndLine();
        }
    }
    out.Flush();
    return out.Written();
}

QByteArray WriteAppText(const AppModel& model) {
    QByteArray out;
    ModelSource source(model);
    WriteAppText(source, [&out](QByteArrayView bytes) { out.append(bytes); });
    return out;
}

}  // namespace tarsel::local::format
