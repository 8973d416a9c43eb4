#include "server/local/format/app_text.h"

#include <QStringEncoder>
#include <QStringView>
#include <algorithm>
#include <array>
#include <cstring>
#include <utility>
#include <vector>

#include "server/local/format/app_attributes.h"
#include "server/local/format/text_lines.h"
#include "server/tarsel_error.h"

namespace tarsel::local::format {

namespace {

constexpr qsizetype kBase64LineLength = 76;

[[noreturn]] void RefuseLineBreak(const QString& what) {
    ThrowClientError(
        code::kMalformedFile,
        QStringLiteral("%1 holds a line break, which an .app file cannot carry").arg(what));
}

void RequireWritable(const QString& text, const QString& what) {
    if (HasLineBreak(text)) {
        RefuseLineBreak(what);
    }
}

// Writes .app text to a sink in pieces of about a megabyte. Texts go from UTF-16 straight
// into the buffer, so that a line costs no string of its own.
class AppTextStream {
  public:
    explicit AppTextStream(const TextSink& sink) : sink_(sink) {}
    AppTextStream(const AppTextStream&) = delete;
    AppTextStream& operator=(const AppTextStream&) = delete;

    void Line(QStringView line) {
        Append(line);
        EndLine();
    }
    void Put(char c) {
        *Room(1) = c;
        ++used_;
    }
    void Raw(QByteArrayView bytes) {
        const auto n = static_cast<size_t>(bytes.size());
        if (n > 0) {  // an empty view may hold no pointer, which memcpy may not be given
            std::memcpy(Room(n), bytes.data(), n);
        }
        used_ += n;
    }
    // The text in UTF-8.
    void Append(QStringView text) {
        const auto n = static_cast<size_t>(text.size());
        char* out = Room(static_cast<size_t>(encoder_.requiredSpace(text.size())));
        const char16_t* in = text.utf16();
        size_t i = 0;
        for (; i < n && in[i] < 0x80; ++i) {
            out[i] = static_cast<char>(in[i]);
        }
        if (i < n) {  // the encoder knows the rest of Unicode
            out = encoder_.appendToBuffer(out + i, text.sliced(static_cast<qsizetype>(i)));
            used_ = static_cast<size_t>(out - buffer_.data());
        } else {
            used_ += n;
        }
    }
    // prefix and field as one field, as QuoteField gives it; false, with nothing written,
    // when field holds a line break. prefix: ASCII, no delimiter, quote or blank.
    bool Field(QStringView field, QByteArrayView prefix = {}) {
        const auto p = static_cast<size_t>(prefix.size());
        const auto n = static_cast<size_t>(field.size());
        const char16_t* in = field.utf16();
        // Most fields are plain ASCII: copied as they are scanned.
        const char16_t first = p > 0 ? static_cast<char16_t>(prefix.front()) : n > 0 ? in[0] : 0;
        if (n == 0 || QuotedWhenFirst(QChar(first)) || QuotedWhenLast(QChar(in[n - 1]))) {
            return QuotedField(field, prefix);
        }
        char* out = Room(p + n);
        if (p > 0) {  // the prefix is mostly empty, and then may hold no pointer
            std::memcpy(out, prefix.data(), p);
        }
        out += p;
        for (size_t i = 0; i < n; ++i) {
            const char16_t c = in[i];
            if (c >= 0x80 || kSpecial[c]) {
                return QuotedField(field, prefix);
            }
            out[i] = static_cast<char>(c);
        }
        used_ += p + n;
        return true;
    }
    void EndLine() {
        char* end = Room(2);
        end[0] = '\r';
        end[1] = '\n';
        used_ += 2;
        if (used_ >= kChunk) {
            Flush();
        }
    }
    void Flush() {
        if (used_ > 0) {
            sink_(QByteArrayView(buffer_.data(), static_cast<qsizetype>(used_)));
            written_ += static_cast<qsizetype>(used_);
            used_ = 0;
        }
    }
    qsizetype Written() const { return written_ + static_cast<qsizetype>(used_); }

  private:
    static constexpr size_t kChunk = 1 << 20;
    // The characters below 0x80 that a plain field cannot hold as it stands.
    static constexpr std::array<bool, 0x80> kSpecial = [] {
        std::array<bool, 0x80> special{};
        special[';'] = special['"'] = special['\n'] = special['\r'] = true;
        return special;
    }();

    // Field when it is not plain ASCII: quoted where needed, the rest of Unicode encoded.
    bool QuotedField(QStringView field, QByteArrayView prefix) {
        if (field.isEmpty() && prefix.isEmpty()) {
            return true;
        }
        if (field.contains(u'\n') || field.contains(u'\r')) {
            return false;
        }
        const char16_t first =
            prefix.isEmpty() ? field.front().unicode() : static_cast<char16_t>(prefix.front());
        const char16_t last =
            field.isEmpty() ? static_cast<char16_t>(prefix.back()) : field.back().unicode();
        const bool quote = QuotedWhenFirst(QChar(first)) || QuotedWhenLast(QChar(last)) ||
                           field.contains(u';') || field.contains(u'"');
        if (quote) {
            Put('"');
        }
        Raw(prefix);
        while (quote) {  // each quote inside doubled
            const qsizetype at = field.indexOf(u'"');
            if (at < 0) {
                break;
            }
            Append(field.first(at + 1));
            Put('"');
            field = field.sliced(at + 1);
        }
        Append(field);
        if (quote) {
            Put('"');
        }
        return true;
    }

    static constexpr size_t kCapacity = kChunk + (64 << 10);

    // Where bytes more may be written, handing on what is there when they would not fit.
    char* Room(size_t bytes) {
        if (used_ + bytes > buffer_.size()) [[unlikely]] {
            Grow(bytes);
        }
        return buffer_.data() + used_;
    }
    [[gnu::noinline]] void Grow(size_t bytes) {
        if (used_ > 0 && used_ + bytes > kCapacity) {
            Flush();
        }
        if (used_ + bytes > buffer_.size()) {
            // Grows as needed, so that writing one line costs no megabyte.
            buffer_.resize(std::max(
                used_ + bytes, std::min(std::max<size_t>(2 * buffer_.size(), 4096), kCapacity)));
        }
    }

    const TextSink& sink_;
    QStringEncoder encoder_{QStringEncoder::Utf8, QStringConverter::Flag::Stateless};
    std::vector<char> buffer_;
    size_t used_ = 0;
    qsizetype written_ = 0;
};

// Writes a field, refusing a line break with the message what() names.
template <typename What>
void PutField(AppTextStream& out, QStringView field, const What& what, QByteArrayView prefix = {}) {
    if (!out.Field(field, prefix)) {
        RefuseLineBreak(what());
    }
}

// Writes member lines of one dimension (without their line ends).
class MemberWriter {
  public:
    explicit MemberWriter(Dimension dimension) {
        for (const AppAttribute& attribute : AppAttributes()) {
            if (attribute.AppliesTo(dimension)) {
                attributes_.push_back({&attribute, QByteArray(attribute.name) + '='});
            }
        }
    }

    // The label and the attributes that differ from the defaults.
    void Write(AppTextStream& out, QStringView label, const MemberModel& member) const {
        const auto what = [label] { return QStringLiteral("Member \"%1\"").arg(label); };
        PutField(out, label, what);
        for (const auto& [attribute, prefix] : attributes_) {
            const QStringView value = attribute->write(member, made_);
            if (!value.isEmpty()) {
                out.Put(';');
                PutField(out, value, what, prefix);
            }
        }
    }

  private:
    // Each attribute of the dimension with "<name>=".
    std::vector<std::pair<const AppAttribute*, QByteArray>> attributes_;
    mutable QString made_;  // for the values made as they are written
};

}  // namespace

QString SectionHeader(const char* section, Dimension dimension) {
    return u'!' + QLatin1String(section) + u'=' + DimensionDisplayName(dimension);
}

QString MemberLine(Dimension dimension, const MemberModel& member) {
    QByteArray line;
    const TextSink sink = [&line](QByteArrayView bytes) { line.append(bytes); };
    AppTextStream out(sink);
    MemberWriter(dimension).Write(out, member.label, member);
    out.Flush();
    return QString::fromUtf8(line);
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
    std::vector<QByteArray> languageFields;  // ";<language>;" as written
    for (const QString& language : languages) {
        languageFields.push_back((u';' + QuoteField(language) + u';').toUtf8());
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
        MemberWriter members(dimension);
        source.Members(dimension, [&](QStringView label, const MemberModel& m) {
            header(anyMember, "MEMBERS");
            members.Write(out, label, m);
            out.EndLine();
        });
        bool anyDescription = false;
        source.Descriptions(dimension,
                            [&](QStringView label, qsizetype language, QStringView text) {
                                if (text.isEmpty() || language >= languages.size()) {
                                    return;
                                }
                                header(anyDescription, "DESCRIPTIONS");
                                const auto what = [label] {
                                    return QStringLiteral("The description of \"%1\"").arg(label);
                                };
                                PutField(out, label, what);
                                out.Raw(languageFields[static_cast<size_t>(language)]);
                                PutField(out, text, what);
                                out.EndLine();
                            });
        bool anyRelation = false;
        source.Relations(dimension, [&](QStringView parent, QStringView child) {
            header(anyRelation, "HIERARCHIES");
            const auto what = [parent, child] {
                return QStringLiteral("The relation of \"%1\" to \"%2\"").arg(parent, child);
            };
            PutField(out, parent, what);
            out.Put(';');
            PutField(out, child, what);
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
