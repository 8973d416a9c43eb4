#include "utilities/extract/extract_writer.h"

#include <vector>

namespace modGlobal {

namespace {

bool IsBlank(const QString& text) {
    return text.trimmed().isEmpty();
}

void AppendQuoted(QString& text, const QString& field) {
    text += u'"';
    text += field;
    text += u'"';
}

// The first two fields of every line below one parent, with the delimiter after them.
QString ParentFields(const ExtractFormat& format, const QString& label,
                     const QString& description) {
    QString fields;
    AppendQuoted(fields, label);
    fields += format.delimiter;
    AppendQuoted(fields, description);
    fields += format.delimiter;
    return fields;
}

struct Member {
    QString label;
    QString description;
    bool parent = false;
};

Member ReadMember(tarsel::DimensionTree& dimension, const ExtractFormat& format,
                  tarsel::MemberId id) {
    return {dimension.GetMemberLabel(id), dimension.GetMemberDescription(id, format.languageIndex),
            dimension.IsParent(id)};
}

void AppendLine(QString& text, const ExtractFormat& format, const QString& parentFields,
                const Member& member) {
    text += parentFields;
    AppendQuoted(text, member.label);
    text += format.delimiter;
    AppendQuoted(text, member.description);
    const QString& indicator = member.parent ? format.parentIndicator : format.baseIndicator;
    if (!IsBlank(indicator)) {
        text += format.delimiter;
        AppendQuoted(text, indicator);
    }
    text += QLatin1String("\r\n");
}

}  // namespace

QString ExtractHeaderRow(const ExtractFormat& format) {
    QString header = QLatin1String("PARENT_LABEL") + format.delimiter +
                     QLatin1String("PARENT_DESCRIPTION") + format.delimiter +
                     QLatin1String("CHILD_LABEL") + format.delimiter +
                     QLatin1String("CHILD_DESCRIPTION");
    if (!IsBlank(format.parentIndicator) || !IsBlank(format.baseIndicator)) {
        header += format.delimiter + QLatin1String("INDICATOR");
    }
    return header;
}

void WriteExtract(tarsel::DimensionTree& dimension, const ExtractFormat& format) {
    extractText.clear();
    extractTextWithHeader.clear();
    QString text;
    const QString topFields = ParentFields(format, {}, {});
    for (const tarsel::MemberId id :
         dimension.EnumChildMemberIDs(tarsel::kNoMember, tarsel::kNoMember)) {
        const Member member = ReadMember(dimension, format, id);
        AppendLine(text, format, topFields, member);
        WriteChildLines(dimension, format, id, member.label, member.description, text);
    }
    extractTextWithHeader = ExtractHeaderRow(format) + QLatin1String("\r\n") + text;
    extractText = std::move(text);
}

void WriteChildLines(tarsel::DimensionTree& dimension, const ExtractFormat& format,
                     tarsel::MemberId parentId, const QString& parentLabel,
                     const QString& parentDescription, QString& text) {
    // One frame per parent on the path down: its children and the next one to write. A
    // stack of our own instead of recursion, so a deep hierarchy cannot exhaust the stack.
    struct Frame {
        tarsel::IdArray children;
        size_t next = 0;
        QString parentFields;
    };
    std::vector<Frame> path;
    path.push_back({dimension.EnumChildMemberIDs(tarsel::kNoMember, parentId), 0,
                    ParentFields(format, parentLabel, parentDescription)});
    while (!path.empty()) {
        Frame& frame = path.back();
        if (frame.next == frame.children.size()) {
            path.pop_back();
            continue;
        }
        const tarsel::MemberId id = frame.children[frame.next++];
        const Member member = ReadMember(dimension, format, id);
        AppendLine(text, format, frame.parentFields, member);
        if (member.parent) {
            // frame is not used after this: the push may move it.
            path.push_back({dimension.EnumChildMemberIDs(tarsel::kNoMember, id), 0,
                            ParentFields(format, member.label, member.description)});
        }
    }
}

}  // namespace modGlobal
