#include "server/local/format/app_xml.h"

#include <algorithm>

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

// Text as it stands in an attribute value or between tags.
void AppendEscaped(QByteArray& out, const QString& text, const QString& what) {
    const QByteArray utf8 = text.toUtf8();
    for (const char c : utf8) {
        // Every character to replace sorts below '?', UTF-8 lead and trail bytes above.
        if (static_cast<unsigned char>(c) >= '?') {
            out.append(c);
            continue;
        }
        const auto* r = std::find_if(std::begin(kReferences), std::end(kReferences),
                                     [c](const Reference& x) { return x.c == c; });
        if (r != std::end(kReferences)) {
            out.append(r->text);
        } else if (static_cast<unsigned char>(c) < 0x20) {
            ThrowClientError(code::kMalformedFile, QStringLiteral("%1 holds a control character, "
                                                                  "which an .xml file cannot carry")
                                                       .arg(what));
        } else {
            out.append(c);
        }
    }
}

class XmlWriter {
  public:
    QByteArray Write(const AppModel& model) {
        out_.append("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n");
        out_.append("<metadata format=\"").append(QByteArray::number(kAppFormatVersion));
        out_.append("\">\r\n");
        Names("languages", "language", model.languages);
        Names("securityClasses", "class", model.securityClasses);
        for (int d = 0; d < kDimensionCount; ++d) {
            DimensionPart(model, static_cast<Dimension>(d));
        }
        if (model.memberListFile) {
            out_.append("  <memberListFile>").append(model.memberListFile->toBase64());
            out_.append("</memberListFile>\r\n");
        }
        out_.append("</metadata>\r\n");
        return std::move(out_);
    }

  private:
    void Attribute(const char* name, const QString& value, const QString& what) {
        out_.append(' ').append(name).append("=\"");
        AppendEscaped(out_, value, what);
        out_.append('"');
    }

    void Names(const char* section, const char* element, const QStringList& names) {
        if (names.isEmpty()) {
            return;
        }
        out_.append("  <").append(section).append(">\r\n");
        for (const QString& name : names) {
            out_.append("    <").append(element);
            Attribute("name", name, QStringLiteral("The name \"%1\"").arg(name));
            out_.append("/>\r\n");
        }
        out_.append("  </").append(section).append(">\r\n");
    }

    void DimensionPart(const AppModel& model, Dimension dimension) {
        const DimensionModel& dim = model.dim(dimension);
        if (dim.members.empty() && dim.hierarchy.empty() && dim.memberLists.empty()) {
            return;
        }
        out_.append("  <dimension name=\"").append(DimensionDisplayName(dimension).toUtf8());
        out_.append("\">\r\n");
        if (!dim.members.empty()) {
            out_.append("    <members>\r\n");
            for (const MemberModel& m : dim.members) {
                Member(model, dimension, m);
            }
            out_.append("    </members>\r\n");
        }
        if (!dim.hierarchy.empty()) {
            out_.append("    <hierarchy>\r\n");
            for (const RelationModel& r : dim.hierarchy) {
                out_.append("      <relation");
                if (!r.parent.isEmpty()) {
                    Attribute("parent", r.parent, r.parent);
                }
                Attribute("child", r.child, r.child);
                out_.append("/>\r\n");
            }
            out_.append("    </hierarchy>\r\n");
        }
        if (!dim.memberLists.empty()) {
            out_.append("    <memberLists>\r\n");
            for (const MemberListModel& list : dim.memberLists) {
                const QString what = QStringLiteral("The list name \"%1\"").arg(list.name);
                out_.append("      <list");
                Attribute("name", list.name, what);
                if (list.entries.empty()) {
                    out_.append("/>\r\n");
                    continue;
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
            }
            out_.append("    </memberLists>\r\n");
        }
        out_.append("  </dimension>\r\n");
    }

    void Member(const AppModel& model, Dimension dimension, const MemberModel& m) {
        const QString what = QStringLiteral("Member \"%1\"").arg(m.label);
        out_.append("      <member");
        Attribute("label", m.label, what);
        for (const AppAttribute& attribute : AppAttributes()) {
            if (attribute.AppliesTo(dimension)) {
                const QString value = attribute.write(m);
                if (!value.isEmpty()) {
                    Attribute(attribute.name, value, what);
                }
            }
        }
        const qsizetype n = std::min(m.descriptions.size(), model.languages.size());
        bool any = false;
        for (qsizetype l = 0; l < n; ++l) {
            if (m.descriptions[l].isEmpty()) {
                continue;
            }
            out_.append(any ? "<description" : "><description");
            any = true;
            Attribute("language", model.languages[l], what);
            out_.append('>');
            AppendEscaped(out_, m.descriptions[l],
                          QStringLiteral("The description of \"%1\"").arg(m.label));
            out_.append("</description>");
        }
        out_.append(any ? "</member>\r\n" : "/>\r\n");
    }

    QByteArray out_;
};

}  // namespace

QByteArray WriteAppXml(const AppModel& model) {
    return XmlWriter().Write(model);
}

}  // namespace tarsel::local::format
