// The .xml metadata read as a stream: expat parses the device a block at a time and each
// member, relation, description, ... goes to the record checker as its tag is read, so
// that no more than a block of the file is held besides the model being built.

#include <expat.h>

#include <QIODevice>
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "server/local/format/app_records.h"
#include "server/local/format/app_text.h"
#include "server/local/format/app_xml.h"
#include "server/local/format/text_lines.h"
#include "server/tarsel_error.h"

namespace tarsel::local::format {

namespace {

constexpr const char* kRoot = "metadata";
constexpr qsizetype kBlock = qsizetype{1} << 20;

// Checks UTF-8 handed over in blocks, a sequence cut by a block's end included.
class Utf8Blocks {
  public:
    // The offset in block of the first byte that is not valid UTF-8 there, or -1. A
    // sequence the block ends in is checked with the next block.
    qsizetype Check(QByteArrayView block) {
        qsizetype from = 0;
        if (carried_ > 0) {
            // Only the bytes the carried sequence lacks, so that a bad byte further on is
            // not taken for the carried sequence's fault.
            const qsizetype length = SequenceLength(carry_[0]);
            const qsizetype need = std::min(length - carried_, block.size());
            std::memcpy(carry_ + carried_, block.data(), static_cast<size_t>(need));
            carried_ += need;
            if (carried_ < length) {
                return -1;
            }
            carried_ = 0;
            if (!IsValidUtf8(QByteArrayView(carry_, length))) {
                return 0;
            }
            from = need;
        }
        qsizetype end = block.size();
        // A sequence begun in the last three bytes and not finished there waits.
        for (qsizetype back = 1; back <= 3 && end - back >= from; ++back) {
            const auto c = static_cast<unsigned char>(block[end - back]);
            if (c < 0x80) {
                break;
            }
            if (c >= 0xC0) {
                if (SequenceLength(static_cast<char>(c)) > back) {
                    carried_ = back;
                    std::memcpy(carry_, block.data() + end - back, static_cast<size_t>(back));
                    end -= back;
                }
                break;
            }
        }
        const QByteArrayView body = block.sliced(from, end - from);
        if (IsValidUtf8(body)) {
            return -1;
        }
        return from + FirstInvalid(body);
    }

    // True when no sequence was left unfinished at the end of the file.
    bool Finish() const { return carried_ == 0; }

  private:
    static qsizetype SequenceLength(char lead) {
        const auto c = static_cast<unsigned char>(lead);
        return c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    }

    // Only on the way to a fault: a sequence at a time.
    static qsizetype FirstInvalid(QByteArrayView bytes) {
        qsizetype at = 0;
        while (at < bytes.size()) {
            const qsizetype n = std::min(SequenceLength(bytes[at]), bytes.size() - at);
            if (!IsValidUtf8(bytes.sliced(at, n))) {
                return at;
            }
            at += n;
        }
        return bytes.size();
    }

    char carry_[4] = {};
    qsizetype carried_ = 0;
};

struct ParserFree {
    void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};

// Where in the document an element stands, which decides what may be in it.
enum class Kind {
    Metadata,
    Names,  // <languages>, <securityClasses>
    Dimension,
    Members,
    Member,
    Description,
    Hierarchy,
    MemberLists,
    List,
    MemberListFile,
    Leaf,    // <language>, <class>, <relation>, <entry>: attributes only
    Refused  // an element with a fault, passed over with all it holds
};

struct Open {
    Open(Kind k, const char* n, const char* c = nullptr) : kind(k), name(n), child(c) {}

    Kind kind;
    const char* name;   // the element's own name, for messages about what it holds
    const char* child;  // the one element it may hold, when there is one
    int line = 0;
    bool anyChild = false;  // of a list: whether it holds any element
};

// The UTF-8 texts one after another into out, whose room is used again when it is its
// own: most texts are ASCII, and a record's fields then cost no allocation.
void SetUtf8(QString& out, std::initializer_list<const char*> texts) {
    qsizetype n = 0;
    for (const char* text : texts) {
        n += static_cast<qsizetype>(std::strlen(text));
    }
    out.resize(n);
    char16_t* to = reinterpret_cast<char16_t*>(out.data());
    for (const char* text : texts) {
        for (; *text; ++text) {
            const auto c = static_cast<unsigned char>(*text);
            if (c >= 0x80) {
                out.clear();
                for (const char* t : texts) {
                    out.append(QString::fromUtf8(t));
                }
                return;
            }
            *to++ = c;
        }
    }
}

void SetUtf8(QString& out, const char* text) {
    SetUtf8(out, {text});
}

class XmlStreamReader {
  public:
    XmlStreamReader(QIODevice& device, FileFaults& faults)
        : device_(device),
          faults_(faults),
          records_(faults, AppSyntax::Xml),
          parser_(XML_ParserCreate("UTF-8")) {
        if (!parser_) {
            throw std::bad_alloc();
        }
        XML_SetUserData(parser_.get(), this);
        XML_SetElementHandler(parser_.get(), &XmlStreamReader::OnStart, &XmlStreamReader::OnEnd);
        XML_SetCharacterDataHandler(parser_.get(), &XmlStreamReader::OnText);
        XML_SetStartDoctypeDeclHandler(parser_.get(), &XmlStreamReader::OnDoctype);
    }

    AppModel Read(ModelProof* proof) {
        // A small file gets a block of its size: a byte more, so that one read finds the end.
        const qsizetype size = device_.isSequential()
                                   ? kBlock
                                   : static_cast<qsizetype>(std::clamp<qint64>(
                                         device_.size() - device_.pos() + 1, 1, kBlock));
        QByteArray block(size, Qt::Uninitialized);
        while (true) {
            const qint64 got = device_.read(block.data(), size);
            if (got < 0) {
                ThrowClientError(code::kFileUnreadable,
                                 QStringLiteral("%1: cannot be read (%2)")
                                     .arg(faults_.fileName(), device_.errorString()));
            }
            const QByteArrayView bytes(block.constData(), got);
            if (const qsizetype bad = utf8_.Check(bytes);
                bad >= 0 || (got == 0 && !utf8_.Finish())) {
                const qsizetype upTo = bad >= 0 ? bad : 0;
                faults_.Add(static_cast<int>(lines_ + 1 +
                                             std::count(bytes.begin(), bytes.begin() + upTo, '\n')),
                            QStringLiteral("the file is not valid UTF-8"));
                return {};
            }
            lines_ += std::count(bytes.begin(), bytes.end(), '\n');
            blockStart_ = read_;
            read_ += got;
            block_ = bytes;
            const XML_Status status =
                XML_Parse(parser_.get(), bytes.data(), static_cast<int>(got), got == 0);
            if (failure_) {
                std::rethrow_exception(failure_);
            }
            if (status != XML_STATUS_OK) {
                if (!stopped_) {
                    faults_.Add(
                        CurrentLine(),
                        QStringLiteral("the file is not well-formed XML (%1)")
                            .arg(QLatin1String(XML_ErrorString(XML_GetErrorCode(parser_.get())))));
                }
                return {};
            }
            if (got == 0) {
                break;
            }
        }
        return records_.Finish(proof);
    }

  private:
    static void OnStart(void* self, const XML_Char* name, const XML_Char** attributes) {
        static_cast<XmlStreamReader*>(self)->Start(name, attributes);
    }
    static void OnEnd(void* self, const XML_Char*) { static_cast<XmlStreamReader*>(self)->End(); }
    static void OnText(void* self, const XML_Char* text, int length) {
        static_cast<XmlStreamReader*>(self)->Text(text, length);
    }
    static void OnDoctype(void* self, const XML_Char*, const XML_Char*, const XML_Char*, int) {
        // Declarations could define entities, whose expansion would be the file's to size.
        auto* reader = static_cast<XmlStreamReader*>(self);
        reader->Stop(
            QStringLiteral("the file has a document type declaration (<!DOCTYPE>), "
                           "which an .xml metadata file cannot have"));
    }

    int CurrentLine() const { return static_cast<int>(XML_GetCurrentLineNumber(parser_.get())); }

    // A fault after which the rest of the file is not read.
    void Stop(const QString& reason) {
        faults_.Add(CurrentLine(), reason);
        StopParser();
    }

    void StopParser() {
        stopped_ = true;
        XML_StopParser(parser_.get(), XML_FALSE);
    }

    [[noreturn]] void Fail(const QString& reason) const {
        ThrowMalformed(faults_.fileName(), CurrentLine(), reason);
    }

    // Runs the work of one event, recording its fault; no exception may cross the parser.
    template <typename Work>
    bool Guard(const Work& work) {
        try {
            work();
            return true;
        } catch (const LineFault& fault) {
            if (!faults_.Add(fault)) {
                StopParser();
            }
        } catch (...) {
            failure_ = std::current_exception();
            StopParser();
        }
        return false;
    }

    static QString Utf8(const char* text) { return QString::fromUtf8(text); }

    static const char* Value(const XML_Char** attributes, const char* name) {
        for (; *attributes; attributes += 2) {
            if (std::strcmp(attributes[0], name) == 0) {
                return attributes[1];
            }
        }
        return nullptr;
    }

    static QString Attribute(const XML_Char** attributes, const char* name) {
        const char* value = Value(attributes, name);
        return value ? Utf8(value) : QString();
    }

    // Only the attributes names allows; another is a fault.
    void Attributes(const char* element, const XML_Char** attributes,
                    std::initializer_list<const char*> names) const {
        for (; *attributes; attributes += 2) {
            const char* a = attributes[0];
            if (std::none_of(names.begin(), names.end(),
                             [&](const char* n) { return std::strcmp(a, n) == 0; })) {
                Fail(
                    QStringLiteral("unknown attribute \"%1\" of <%2>").arg(Utf8(a), Utf8(element)));
            }
        }
    }

    // A record of the values of the attributes names, in that order; a missing one is
    // empty. first, when given, comes before them.
    void Add(const XML_Char** attributes, std::initializer_list<const char*> names,
             const QString* first = nullptr) {
        fields_.resize(static_cast<qsizetype>(names.size()) + (first ? 1 : 0));
        qsizetype f = 0;
        if (first) {
            fields_[f++] = *first;
        }
        for (const char* name : names) {
            const char* value = Value(attributes, name);
            SetUtf8(fields_[f++], value ? value : "");
        }
        records_.Add(fields_, CurrentLine());
    }

    // A stopped parser may still report the events of the token it stopped in.
    void Start(const char* name, const XML_Char** attributes) {
        if (stopped_) {
            return;
        }
        if (open_.empty()) {
            Root(name, attributes);
            return;
        }
        if (open_.back().kind == Kind::Refused) {
            open_.emplace_back(Kind::Refused, "");
            return;
        }
        open_.back().anyChild = true;
        // Refused unless the element is all it should be; a fault of its record alone
        // leaves what it holds to be read.
        Open element(Kind::Refused, "");
        const int line = CurrentLine();
        const bool placed = Guard([&] { element = Child(open_.back(), name, attributes); });
        element.line = line;
        open_.push_back(std::move(element));
        if (placed) {
            Guard([&] { Record(open_[open_.size() - 2], open_.back(), attributes); });
        }
    }

    void Root(const char* name, const XML_Char** attributes) {
        if (std::strcmp(name, kRoot) != 0) {
            Stop(QStringLiteral("the root element is <%1>, not <%2>")
                     .arg(Utf8(name), QLatin1String(kRoot)));
            return;
        }
        if (const char* format = Value(attributes, "format");
            format && Utf8(format) != QString::number(kAppFormatVersion)) {
            Stop(QStringLiteral("file format \"%1\" is not supported (expected %2)")
                     .arg(Utf8(format))
                     .arg(kAppFormatVersion));
            return;
        }
        open_.emplace_back(Kind::Metadata, kRoot);
    }

    // What name may be in parent, its attributes checked; throws LineFault when it may not.
    Open Child(const Open& parent, const char* name, const XML_Char** attributes) {
        const auto is = [name](const char* n) { return std::strcmp(name, n) == 0; };
        const auto unknown = [&] {
            if (parent.child) {
                Fail(QStringLiteral("unknown element <%1> in <%2> (expected <%3>)")
                         .arg(Utf8(name), QLatin1String(parent.name), QLatin1String(parent.child)));
            }
            Fail(QStringLiteral("unknown element <%1> in <%2>")
                     .arg(Utf8(name), QLatin1String(parent.name)));
        };
        if (parent.child && !is(parent.child)) {
            unknown();
        }
        switch (parent.kind) {
            case Kind::Metadata:
                if (is("languages") || is("securityClasses")) {
                    Attributes(name, attributes, {});
                    return {Kind::Names, is("languages") ? "languages" : "securityClasses",
                            is("languages") ? "language" : "class"};
                }
                if (is("dimension")) {
                    Attributes(name, attributes, {"name"});
                    const QString dimension = Attribute(attributes, "name");
                    const auto d = ParseDimensionName(dimension);
                    if (!d) {
                        Fail(QStringLiteral("unknown dimension \"%1\"").arg(dimension));
                    }
                    dimension_ = *d;
                    return {Kind::Dimension, "dimension"};
                }
                if (is("memberListFile")) {
                    Attributes(name, attributes, {});
                    return {Kind::MemberListFile, "memberListFile"};
                }
                break;
            case Kind::Names:
                Attributes(name, attributes, {"name"});
                return {Kind::Leaf, parent.child};
            case Kind::Dimension:
                if (is("members")) {
                    Attributes(name, attributes, {});
                    return {Kind::Members, "members", "member"};
                }
                if (is("hierarchy")) {
                    Attributes(name, attributes, {});
                    return {Kind::Hierarchy, "hierarchy", "relation"};
                }
                if (is("memberLists")) {
                    Attributes(name, attributes, {});
                    return {Kind::MemberLists, "memberLists", "list"};
                }
                break;
            case Kind::Members:
                // A member's attributes are the checker's: they are the .app's Name=Value.
                return {Kind::Member, "member", "description"};
            case Kind::Member:
                Attributes(name, attributes, {"language"});
                return {Kind::Description, "description"};
            case Kind::Hierarchy:
                Attributes(name, attributes, {"parent", "child"});
                return {Kind::Leaf, "relation"};
            case Kind::MemberLists:
                Attributes(name, attributes, {"name"});
                return {Kind::List, "list", "entry"};
            case Kind::List:
                Attributes(name, attributes, {"member", "parent"});
                return {Kind::Leaf, "entry"};
            case Kind::Description:
            case Kind::MemberListFile:
            case Kind::Leaf:
            case Kind::Refused:
                break;
        }
        unknown();
        return {Kind::Refused, ""};
    }

    // The record an element begins, once it is known to be in its place.
    void Record(const Open& parent, Open& element, const XML_Char** attributes) {
        const int line = element.line;
        switch (element.kind) {
            case Kind::Names:
                records_.Begin(std::strcmp(element.name, "languages") == 0
                                   ? AppSection::Languages
                                   : AppSection::SecurityClasses,
                               Dimension::Scenario, line, 0);
                return;
            case Kind::Leaf:
                if (parent.kind == Kind::Names) {
                    Add(attributes, {"name"});
                } else if (parent.kind == Kind::Hierarchy) {
                    Add(attributes, {"parent", "child"});
                } else if (Value(attributes, "parent")) {
                    Add(attributes, {"member", "parent"}, &list_);
                } else {
                    Add(attributes, {"member"}, &list_);
                }
                return;
            case Kind::Members:
                records_.Begin(AppSection::Members, dimension_, line, ElementsAhead("member"));
                section_ = AppSection::Members;
                return;
            case Kind::Member: {
                label_ = Attribute(attributes, "label");
                if (section_ != AppSection::Members) {
                    records_.Begin(AppSection::Members, dimension_, line, 0);
                    section_ = AppSection::Members;
                }
                qsizetype f = 0;
                for (const XML_Char** a = attributes; *a; a += 2) {
                    f += std::strcmp(a[0], "label") != 0 ? 1 : 0;
                }
                fields_.resize(f + 1);
                fields_[0] = label_;
                f = 1;
                for (; *attributes; attributes += 2) {
                    if (std::strcmp(attributes[0], "label") != 0) {
                        SetUtf8(fields_[f++], {attributes[0], "=", attributes[1]});
                    }
                }
                records_.Add(fields_, line);
                return;
            }
            case Kind::Description:
                if (const char* language = Value(attributes, "language")) {
                    SetUtf8(language_, language);
                } else {
                    language_.clear();
                }
                characters_.resize(0);
                return;
            case Kind::Hierarchy:
                records_.Begin(AppSection::Hierarchies, dimension_, line,
                               ElementsAhead("relation"));
                section_ = AppSection::Hierarchies;
                return;
            case Kind::MemberLists:
                records_.Begin(AppSection::MemberLists, dimension_, line, 0);
                section_ = AppSection::MemberLists;
                return;
            case Kind::List:
                list_ = Attribute(attributes, "name");
                return;
            case Kind::MemberListFile:
                characters_.resize(0);
                records_.Begin(AppSection::MemberListFile, Dimension::Scenario, line, 0);
                section_ = AppSection::MemberListFile;
                return;
            case Kind::Metadata:
            case Kind::Dimension:
            case Kind::Refused:
                return;
        }
    }

    void End() {
        if (stopped_ || open_.empty()) {
            return;
        }
        Open element = std::move(open_.back());
        open_.pop_back();
        Guard([&] {
            switch (element.kind) {
                case Kind::Description:
                    // Descriptions name a member defined above them, as in the .app text.
                    if (section_ != AppSection::Descriptions) {
                        records_.Begin(AppSection::Descriptions, dimension_, element.line, 0);
                        section_ = AppSection::Descriptions;
                    }
                    fields_.resize(3);
                    fields_[0] = label_;
                    fields_[1] = language_;
                    SetUtf8(fields_[2], characters_.constData());
                    records_.Add(fields_, element.line);
                    return;
                case Kind::List:
                    if (!element.anyChild) {
                        fields_ = {list_};
                        records_.Add(fields_, element.line);
                    }
                    return;
                case Kind::MemberListFile:
                    records_.AddBase64(characters_, element.line);
                    return;
                default:
                    return;
            }
        });
    }

    void Text(const char* text, int length) {
        if (stopped_ || open_.empty()) {
            return;
        }
        const Kind kind = open_.back().kind;
        if (kind == Kind::Description && characters_.size() + length > LineReader::kLongestLine) {
            // As long as an .app line may be, so that the application extracts as .app
            // and loads back; and the file cannot make one text of any size.
            Stop(QStringLiteral("the description is longer than %1 bytes")
                     .arg(LineReader::kLongestLine));
            return;
        }
        if (kind == Kind::Description || kind == Kind::MemberListFile) {
            characters_.append(text, length);
        }
    }

    // How many <child> elements lie ahead before the section's end: room to reserve. Read
    // on from the device and put back; a section too long to look through gets what was
    // seen, and a device that cannot seek gets no reservation.
    size_t ElementsAhead(const char* child) {
        if (device_.isSequential()) {
            return 0;
        }
        const QByteArray open = QByteArray("<") + child;
        const QByteArray close = QByteArray("</") + SectionOf(child);
        size_t count = 0;
        QByteArray carry;
        // True at the end of the section.
        const auto scan = [&](QByteArrayView bytes) {
            qsizetype at = 0;
            while ((at = bytes.indexOf('<', at)) >= 0) {
                const QByteArrayView rest = bytes.sliced(at);
                if (rest.size() < close.size() + 1) {
                    carry = rest.toByteArray();
                    return false;
                }
                if (rest.startsWith(close)) {
                    return true;
                }
                if (rest.startsWith(open) && std::strchr(" \t\r\n/>", rest[open.size()])) {
                    ++count;
                }
                ++at;
            }
            carry.clear();
            return false;
        };
        const qint64 here = XML_GetCurrentByteIndex(parser_.get());
        const qsizetype inBlock = std::clamp<qsizetype>(here - blockStart_, 0, block_.size());
        if (scan(block_.sliced(inBlock))) {
            return count;
        }
        constexpr qint64 kFarthest = qint64{256} << 20;
        const qint64 resume = device_.pos();
        QByteArray chunk(kBlock, Qt::Uninitialized);
        qint64 got = 0;
        while (device_.pos() - resume < kFarthest &&
               (got = device_.read(chunk.data(), kBlock)) > 0) {
            QByteArray joined = std::move(carry);
            joined.append(chunk.constData(), got);
            if (scan(joined)) {
                break;
            }
        }
        device_.seek(resume);
        return count;
    }

    static const char* SectionOf(const char* child) {
        return std::strcmp(child, "member") == 0 ? "members" : "hierarchy";
    }

    QIODevice& device_;
    FileFaults& faults_;
    AppRecords records_;
    std::unique_ptr<std::remove_pointer_t<XML_Parser>, ParserFree> parser_;
    Utf8Blocks utf8_;
    std::vector<Open> open_;
    QStringList fields_;
    // Of the element being read: the member's label (for its descriptions), the list's
    // name (for its entries), a description's language, and the text of a description
    // or the member list file.
    QString label_;
    QString list_;
    QString language_;
    QByteArray characters_;
    Dimension dimension_ = Dimension::Scenario;
    AppSection section_ = AppSection::None;
    bool stopped_ = false;
    std::exception_ptr failure_;
    qint64 lines_ = 0;       // line ends before the block being parsed
    qint64 read_ = 0;        // bytes read from the device
    qint64 blockStart_ = 0;  // where in the file the block being parsed begins
    QByteArrayView block_;
};

}  // namespace

AppModel ReadAppXml(QIODevice& device, FileFaults& faults, ModelProof* proof) {
    // A file that does not begin as XML is refused before the rest is read.
    const QByteArray head = device.peek(4096);
    qsizetype first = head.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (first < head.size() && std::strchr(" \t\r\n", head[first]) != nullptr) {
        ++first;
    }
    if (first < head.size() && head[first] != '<') {
        faults.Add(static_cast<int>(1 + std::count(head.begin(), head.begin() + first, '\n')),
                   QStringLiteral("the file is not XML (it does not begin with '<')"));
        return {};
    }
    return XmlStreamReader(device, faults).Read(proof);
}

}  // namespace tarsel::local::format
