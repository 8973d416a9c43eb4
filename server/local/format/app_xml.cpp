#include "server/local/format/app_xml.h"

#include <QIODevice>
#include <algorithm>
#include <cstring>
#include <pugixml.hpp>

#include "server/local/format/app_attributes.h"
#include "server/local/format/app_records.h"
#include "server/local/format/app_text.h"
#include "server/local/format/text_lines.h"
#include "server/tarsel_error.h"

namespace tarsel::local::format {

namespace {

constexpr const char* kRoot = "metadata";

// Line numbers of offsets into the document, asked for in document order: each question
// counts only the line ends since the one before.
class LineCounter {
  public:
    explicit LineCounter(QByteArrayView text) : text_(text) {}
    int LineOf(ptrdiff_t offset) {
        if (offset < at_) {
            at_ = 0;
            line_ = 1;
        }
        offset = std::min<ptrdiff_t>(offset, text_.size());
        const char* p = text_.data() + at_;
        const char* end = text_.data() + offset;
        while (const void* lf =
                   p < end ? std::memchr(p, '\n', static_cast<size_t>(end - p)) : nullptr) {
            ++line_;
            p = static_cast<const char*>(lf) + 1;
        }
        at_ = offset;
        return line_;
    }

  private:
    QByteArrayView text_;
    ptrdiff_t at_ = 0;
    int line_ = 1;
};

class XmlReader {
  public:
    XmlReader(QByteArray& text, FileFaults& faults)
        : text_(text), lines_(text), faults_(faults), records_(faults, AppSyntax::Xml) {}

    AppModel Read() {
        if (!IsValidUtf8(text_)) {
            qsizetype good = 0;
            while (good < text_.size() && IsValidUtf8(QByteArrayView(text_).first(good + 1))) {
                ++good;
            }
            faults_.Add(lines_.LineOf(good), QStringLiteral("the file is not valid UTF-8"));
            return {};
        }
        const pugi::xml_parse_result parsed = document_.load_buffer_inplace(
            text_.data(), static_cast<size_t>(text_.size()),
            pugi::parse_escapes | pugi::parse_eol | pugi::parse_ws_pcdata_single,
            pugi::encoding_utf8);
        if (!parsed) {
            faults_.Add(lines_.LineOf(parsed.offset),
                        QStringLiteral("the file is not well-formed XML (%1)")
                            .arg(QLatin1String(parsed.description())));
            return {};
        }
        const pugi::xml_node root = document_.document_element();
        if (std::strcmp(root.name(), kRoot) != 0) {
            faults_.Add(Line(root), QStringLiteral("the root element is <%1>, not <%2>")
                                        .arg(QString::fromUtf8(root.name()), QLatin1String(kRoot)));
            return {};
        }
        if (const pugi::xml_attribute format = root.attribute("format");
            format && QString::fromUtf8(format.value()) != QString::number(kAppFormatVersion)) {
            faults_.Add(Line(root), QStringLiteral("file format \"%1\" is not supported "
                                                   "(expected %2)")
                                        .arg(QString::fromUtf8(format.value()))
                                        .arg(kAppFormatVersion));
            return {};
        }
        for (const pugi::xml_node node : root.children()) {
            if (node.type() != pugi::node_element) {
                continue;
            }
            if (!Guard([&] { Section(node); })) {
                return {};
            }
        }
        return records_.Finish();
    }

  private:
    int Line(const pugi::xml_node node) { return lines_.LineOf(node.offset_debug()); }

    // Runs one record's work, recording its fault; false once the reading must stop.
    template <typename Work>
    bool Guard(const Work& work) {
        try {
            work();
        } catch (const LineFault& fault) {
            return faults_.Add(fault);
        }
        return true;
    }

    [[noreturn]] void Fail(const pugi::xml_node node, const QString& reason) {
        ThrowMalformed(faults_.fileName(), Line(node), reason);
    }

    static bool Is(const pugi::xml_node node, const char* name) {
        return std::strcmp(node.name(), name) == 0;
    }

    static QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

    // The element children of node, each checked to be called name; others are faults.
    template <typename Each>
    void Children(const pugi::xml_node node, const char* name, const Each& each) {
        for (const pugi::xml_node child : node.children()) {
            if (child.type() != pugi::node_element) {
                continue;
            }
            const bool go = Guard([&] {
                if (!Is(child, name)) {
                    Fail(child,
                         QStringLiteral("unknown element <%1> in <%2> (expected <%3>)")
                             .arg(Text(child.name()), Text(node.name()), QLatin1String(name)));
                }
                each(child);
            });
            if (!go) {
                throw Stopped{};
            }
        }
    }

    // Only the attributes names allows; another is a fault.
    void Attributes(const pugi::xml_node node, std::initializer_list<const char*> names) {
        for (const pugi::xml_attribute a : node.attributes()) {
            if (std::none_of(names.begin(), names.end(),
                             [&](const char* n) { return std::strcmp(a.name(), n) == 0; })) {
                Fail(node, QStringLiteral("unknown attribute \"%1\" of <%2>")
                               .arg(Text(a.name()), Text(node.name())));
            }
        }
    }

    static size_t ElementCount(const pugi::xml_node node) {
        size_t n = 0;
        for (const pugi::xml_node child : node.children()) {
            n += child.type() == pugi::node_element ? 1 : 0;
        }
        return n;
    }

    void Add(const pugi::xml_node node, std::initializer_list<QString> fields) {
        fields_ = fields;
        records_.Add(fields_, Line(node));
    }

    struct Stopped {};

    void Section(const pugi::xml_node node) {
        try {
            SectionElements(node);
        } catch (const Stopped&) {
            // The hundredth fault: passed on as a fault of the element the reading stopped in.
            Fail(node, QStringLiteral("the reading stops here"));
        }
    }

    void SectionElements(const pugi::xml_node node) {
        const auto names = [&](AppSection section, const char* element) {
            Attributes(node, {});
            records_.Begin(section, Dimension::Scenario, Line(node), 0);
            Children(node, element, [&](const pugi::xml_node child) {
                Attributes(child, {"name"});
                Add(child, {Text(child.attribute("name").value())});
            });
        };
        if (Is(node, "languages")) {
            names(AppSection::Languages, "language");
        } else if (Is(node, "securityClasses")) {
            names(AppSection::SecurityClasses, "class");
        } else if (Is(node, "dimension")) {
            DimensionPart(node);
        } else if (Is(node, "memberListFile")) {
            Attributes(node, {});
            records_.Begin(AppSection::MemberListFile, Dimension::Scenario, Line(node), 0);
            records_.AddBase64(node.child_value(), Line(node));
        } else {
            Fail(node, QStringLiteral("unknown element <%1> in <%2>")
                           .arg(Text(node.name()), QLatin1String(kRoot)));
        }
    }

    void DimensionPart(const pugi::xml_node node) {
        Attributes(node, {"name"});
        const QString name = Text(node.attribute("name").value());
        const auto dimension = ParseDimensionName(name);
        if (!dimension) {
            Fail(node, QStringLiteral("unknown dimension \"%1\"").arg(name));
        }
        const Dimension d = *dimension;
        for (const pugi::xml_node part : node.children()) {
            if (part.type() != pugi::node_element) {
                continue;
            }
            const bool go = Guard([&] {
                if (Is(part, "members")) {
                    Members(part, d);
                } else if (Is(part, "hierarchy")) {
                    Attributes(part, {});
                    records_.Begin(AppSection::Hierarchies, d, Line(part), ElementCount(part));
                    Children(part, "relation", [&](const pugi::xml_node r) {
                        Attributes(r, {"parent", "child"});
                        Add(r, {Text(r.attribute("parent").value()),
                                Text(r.attribute("child").value())});
                    });
                } else if (Is(part, "memberLists")) {
                    Lists(part, d);
                } else {
                    Fail(part, QStringLiteral("unknown element <%1> in <dimension>")
                                   .arg(Text(part.name())));
                }
            });
            if (!go) {
                throw Stopped{};
            }
        }
    }

    void Members(const pugi::xml_node node, Dimension d) {
        Attributes(node, {});
        records_.Begin(AppSection::Members, d, Line(node), ElementCount(node));
        Children(node, "member", [&](const pugi::xml_node m) {
            fields_.clear();
            fields_ << Text(m.attribute("label").value());
            for (const pugi::xml_attribute a : m.attributes()) {
                if (std::strcmp(a.name(), "label") != 0) {
                    fields_ << Text(a.name()) + u'=' + Text(a.value());
                }
            }
            records_.Add(fields_, Line(m));
        });
        // Descriptions after every member, as the .app text has them: a description
        // names its member, which must be defined by then.
        records_.Begin(AppSection::Descriptions, d, Line(node), 0);
        for (const pugi::xml_node m : node.children("member")) {
            const QString label = Text(m.attribute("label").value());
            Children(m, "description", [&](const pugi::xml_node text) {
                Attributes(text, {"language"});
                Add(text,
                    {label, Text(text.attribute("language").value()), Text(text.child_value())});
            });
        }
    }

    void Lists(const pugi::xml_node node, Dimension d) {
        Attributes(node, {});
        records_.Begin(AppSection::MemberLists, d, Line(node), 0);
        Children(node, "list", [&](const pugi::xml_node list) {
            Attributes(list, {"name"});
            const QString name = Text(list.attribute("name").value());
            if (ElementCount(list) == 0) {
                Add(list, {name});
            }
            Children(list, "entry", [&](const pugi::xml_node e) {
                Attributes(e, {"member", "parent"});
                if (e.attribute("parent")) {
                    Add(e, {name, Text(e.attribute("member").value()),
                            Text(e.attribute("parent").value())});
                } else {
                    Add(e, {name, Text(e.attribute("member").value())});
                }
            });
        });
    }

    QByteArray& text_;
    LineCounter lines_;
    FileFaults& faults_;
    AppRecords records_;
    pugi::xml_document document_;
    QStringList fields_;
};

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

AppModel ReadAppXml(QIODevice& device, FileFaults& faults) {
    // A file that does not begin as XML is refused before the rest is read.
    const QByteArray head = device.peek(4096);
    qsizetype first = head.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (first < head.size() && std::strchr(" \t\r\n", head[first]) != nullptr) {
        ++first;
    }
    if (first < head.size() && head[first] != '<') {
        faults.Add(LineCounter(head).LineOf(first),
                   QStringLiteral("the file is not XML (it does not begin with '<')"));
        return {};
    }
    // The document is parsed whole; past this size the .app text, read a chunk at a time,
    // is the form to use.
    constexpr qint64 kLargest = qint64{1} << 30;
    if (device.size() - device.pos() > kLargest) {
        faults.Add(0, QStringLiteral("the file is larger than 1 GiB, the most an .xml load "
                                     "reads; load the metadata as .app text instead"));
        return {};
    }
    QByteArray text = device.readAll();
    return XmlReader(text, faults).Read();
}

QByteArray WriteAppXml(const AppModel& model) {
    return XmlWriter().Write(model);
}

}  // namespace tarsel::local::format
