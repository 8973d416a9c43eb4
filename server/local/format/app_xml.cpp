#include "server/local/format/app_xml.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "server/local/format/app_attributes.h"
#include "server/local/format/app_text.h"
#include "server/tarsel_error.h"

namespace tarsel::local::format {

namespace {

// What XML cannot take as it stands, and how it is written instead.
struct Reference {
    char c;
    const char* text;
};
constexpr Reference kReferences[] = {{'&', "&amp;"},  {'<', "&lt;"},  {'>', "&gt;"},
                                     {'"', "&quot;"}, {'\t', "&#9;"}, {'\n', "&#10;"},
                                     {'\r', "&#13;"}};

// Text as it stands in an attribute value or between tags; what() names the text when
// it holds a control character, which XML cannot carry.
template <typename What>
void AppendEscaped(QByteArray& out, QStringView text, const What& what) {
    const char16_t* p = text.utf16();
    const char16_t* end = p + text.size();
    while (p < end) {
        const char16_t c = *p;
        if (c >= 0x80) {
            // A run beyond ASCII, encoded at once.
            const char16_t* run = p;
            while (p < end && *p >= 0x80) {
                ++p;
            }
            out.append(QStringView(run, p).toUtf8());
            continue;
        }
        ++p;
        // Every character to replace sorts below '?'.
        if (c >= '?') {
            out.append(static_cast<char>(c));
            continue;
        }
        const auto* r = std::find_if(std::begin(kReferences), std::end(kReferences),
                                     [c](const Reference& x) { return x.c == c; });
        if (r != std::end(kReferences)) {
            out.append(r->text);
        } else if (c < 0x20) {
            ThrowClientError(code::kMalformedFile, QStringLiteral("%1 holds a control character, "
                                                                  "which an .xml file cannot carry")
                                                       .arg(what()));
        } else {
            out.append(static_cast<char>(c));
        }
    }
}

// The descriptions of one dimension's members, held while its members are written: the
// source gives them after the members, the file within each member. Held as the bytes
// written, in blocks, so that a million descriptions cost their bytes and no object each.
class HeldDescriptions {
  public:
    // The source's descriptions of dimension that are written: not empty, in a language
    // of languages.
    void Read(MetadataSource& source, Dimension dimension, const QStringList& languages) {
        entries_.clear();
        blocks_.clear();
        next_ = 0;
        std::vector<std::optional<QByteArray>> tags;  // <description language="...">
        for (const QString& language : languages) {
            QByteArray tag = "<description language=\"";
            bool carried = true;
            try {
                AppendEscaped(tag, language, [] { return QString(); });
            } catch (const TarselError&) {
                carried = false;  // refused with the first member that uses it
            }
            tags.push_back(carried ? std::optional(tag + "\">") : std::nullopt);
        }
        bool any = false;
        QString label;
        QByteArray member;  // the current member's label, then its descriptions
        qsizetype labelSize = 0;
        source.Descriptions(dimension, [&](QStringView of, qsizetype language, QStringView text) {
            if (text.isEmpty() || language >= languages.size()) {
                return;
            }
            if (!any || of != label) {
                Keep(member, labelSize);
                any = true;
                label = of.toString();
                member = label.toUtf8();
                labelSize = member.size();
            }
            if (const auto& tag = tags[static_cast<size_t>(language)]) {
                member.append(*tag);
            } else {
                AppendEscaped(member, languages[language],
                              [&] { return QStringLiteral("Member \"%1\"").arg(label); });
            }
            AppendEscaped(member, text,
                          [&] { return QStringLiteral("The description of \"%1\"").arg(label); });
            member.append("</description>");
        });
        Keep(member, labelSize);
    }

    // The descriptions of the member written next as they are written, when it has any.
    QByteArrayView Take(QStringView label) {
        if (next_ == entries_.size()) {
            return {};
        }
        const Entry& e = entries_[next_];
        const QByteArrayView bytes(blocks_[e.block].constData() + e.at, e.size);
        if (!QAnyStringView::equal(QUtf8StringView(bytes.first(e.labelSize)), label)) {
            return {};
        }
        ++next_;
        return bytes.sliced(e.labelSize);
    }

  private:
    static constexpr qsizetype kBlock = qsizetype{1} << 20;

    struct Entry {
        uint32_t block;
        uint32_t at;
        uint32_t size;
        uint32_t labelSize;
    };

    void Keep(const QByteArray& member, qsizetype labelSize) {
        if (member.size() == labelSize) {
            return;
        }
        if (blocks_.empty() || blocks_.back().size() + member.size() > kBlock) {
            blocks_.emplace_back();
            blocks_.back().reserve(std::max(kBlock, member.size()));
        }
        entries_.push_back({static_cast<uint32_t>(blocks_.size() - 1),
                            static_cast<uint32_t>(blocks_.back().size()),
                            static_cast<uint32_t>(member.size()),
                            static_cast<uint32_t>(labelSize)});
        blocks_.back().append(member);
    }

    std::vector<QByteArray> blocks_;
    std::vector<Entry> entries_;
    size_t next_ = 0;
};

class XmlWriter {
  public:
    explicit XmlWriter(const TextSink& sink) : sink_(sink) {}

    qsizetype Write(MetadataSource& source) {
        out_.append("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n");
        out_.append("<metadata format=\"").append(QByteArray::number(kAppFormatVersion));
        out_.append("\">\r\n");
        const QStringList languages = source.Languages();
        Names("languages", "language", languages);
        Names("securityClasses", "class", source.SecurityClasses());
        for (int d = 0; d < kDimensionCount; ++d) {
            DimensionPart(source, static_cast<Dimension>(d), languages);
        }
        if (const std::optional<QByteArray> file = source.MemberListFile()) {
            out_.append("  <memberListFile>").append(file->toBase64());
            out_.append("</memberListFile>\r\n");
        }
        out_.append("</metadata>\r\n");
        Flush();
        return written_;
    }

  private:
    template <typename What>
    void Attribute(const char* name, QStringView value, const What& what) {
        out_.append(' ').append(name).append("=\"");
        AppendEscaped(out_, value, what);
        out_.append('"');
    }

    // Hands on what is written once there is a block of it.
    void Written() {
        if (out_.size() >= kBlock) {
            Flush();
        }
    }

    void Flush() {
        if (!out_.isEmpty()) {
            sink_(out_);
            written_ += out_.size();
            out_.resize(0);
        }
    }

    void Names(const char* section, const char* element, const QStringList& names) {
        if (names.isEmpty()) {
            return;
        }
        out_.append("  <").append(section).append(">\r\n");
        for (const QString& name : names) {
            out_.append("    <").append(element);
            Attribute("name", name, [&] { return QStringLiteral("The name \"%1\"").arg(name); });
            out_.append("/>\r\n");
        }
        out_.append("  </").append(section).append(">\r\n");
    }

    void DimensionPart(MetadataSource& source, Dimension dimension, const QStringList& languages) {
        // Each part is opened with its first element: a dimension with none is left out.
        bool opened = false;
        const auto open = [&](bool& part, const char* tag) {
            if (!opened) {
                out_.append("  <dimension name=\"")
                    .append(DimensionDisplayName(dimension).toUtf8());
                out_.append("\">\r\n");
                opened = true;
            }
            if (!part) {
                out_.append("    <").append(tag).append(">\r\n");
                part = true;
            }
        };
        const auto close = [&](bool part, const char* tag) {
            if (part) {
                out_.append("    </").append(tag).append(">\r\n");
            }
        };

        descriptions_.Read(source, dimension, languages);
        std::vector<const AppAttribute*> attributes;
        for (const AppAttribute& attribute : AppAttributes()) {
            if (attribute.AppliesTo(dimension)) {
                attributes.push_back(&attribute);
            }
        }
        bool members = false;
        QString made;  // for the attribute values made as they are written
        source.Members(dimension, [&](QStringView label, const MemberModel& m) {
            open(members, "members");
            const auto what = [label] { return QStringLiteral("Member \"%1\"").arg(label); };
            out_.append("      <member");
            Attribute("label", label, what);
            for (const AppAttribute* attribute : attributes) {
                const QStringView value = attribute->write(m, made);
                if (!value.isEmpty()) {
                    Attribute(attribute->name, value, what);
                }
            }
            const QByteArrayView described = descriptions_.Take(label);
            if (described.isEmpty()) {
                out_.append("/>\r\n");
            } else {
                out_.append('>').append(described).append("</member>\r\n");
            }
            Written();
        });
        close(members, "members");

        bool hierarchy = false;
        source.Relations(dimension, [&](QStringView parent, QStringView child) {
            open(hierarchy, "hierarchy");
            out_.append("      <relation");
            if (!parent.isEmpty()) {
                Attribute("parent", parent, [parent] { return parent.toString(); });
            }
            Attribute("child", child, [child] { return child.toString(); });
            out_.append("/>\r\n");
            Written();
        });
        close(hierarchy, "hierarchy");

        bool lists = false;
        source.MemberLists(dimension, [&](const MemberListModel& list) {
            open(lists, "memberLists");
            const auto what = [&list] {
                return QStringLiteral("The list name \"%1\"").arg(list.name);
            };
            out_.append("      <list");
            Attribute("name", list.name, what);
            if (list.entries.empty()) {
                out_.append("/>\r\n");
                return;
            }
            out_.append(">\r\n");
            for (const MemberListEntry& e : list.entries) {
                out_.append("        <entry");
                Attribute("member", e.member, what);
                if (!e.parent.isEmpty()) {
                    Attribute("parent", e.parent, what);
                }
                out_.append("/>\r\n");
            }
            out_.append("      </list>\r\n");
            Written();
        });
        close(lists, "memberLists");
        if (opened) {
            out_.append("  </dimension>\r\n");
        }
    }

    static constexpr qsizetype kBlock = qsizetype{1} << 20;

    const TextSink& sink_;
    QByteArray out_;
    qsizetype written_ = 0;
    HeldDescriptions descriptions_;
};

}  // namespace

qsizetype WriteAppXml(MetadataSource& source, const TextSink& sink) {
    return XmlWriter(sink).Write(source);
}

QByteArray WriteAppXml(const AppModel& model) {
    QByteArray out;
    ModelSource source(model);
    WriteAppXml(source, [&out](QByteArrayView bytes) { out.append(bytes); });
    return out;
}

}  // namespace tarsel::local::format
