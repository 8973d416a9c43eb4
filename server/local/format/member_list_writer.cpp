#include "server/local/format/member_list_writer.h"

namespace tarsel::local::format {

namespace {

class ScriptText {
  public:
    // One line at the given depth of tabs; lines are joined with CR LF.
    ScriptText& Line(int tabs, const QString& text = {}) {
        if (!first_) {
            text_ += QLatin1String("\r\n");
        }
        first_ = false;
        text_ += QString(tabs, u'\t');
        text_ += text;
        return *this;
    }
    QString Take() { return std::move(text_); }

  private:
    QString text_;
    bool first_ = true;
};

QString Quoted(const QString& text) {
    return u'"' + text + u'"';
}

}  // namespace

QString WriteMemberListScript(const QString& dimensionName, const MemberListModel& list) {
    const QString number(kListNumberPlaceholder);
    const QString array = QLatin1String("a") + dimensionName + QLatin1String("Lists");
    const QString caseDimension = QLatin1String("Case ") + Quoted(dimensionName);

    ScriptText t;
    t.Line(0, QStringLiteral("Sub EnumMemberLists()")).Line(0);
    t.Line(1, QStringLiteral("'# is a placeholder for you ") +
                  QStringLiteral("for when you go to copy this text into ") +
                  QStringLiteral("your list file, replace that with ") +
                  QStringLiteral("the new number of total lists for ") +
                  QStringLiteral("that dimension"));
    t.Line(1, QLatin1String("Dim ") + array + u'(' + number + u')').Line(0);
    t.Line(1, QStringLiteral("Select Case BR.Dimension"));
    t.Line(2, caseDimension);
    t.Line(3, QStringLiteral("'# is a placeholder for the extact ") +
                  QStringLiteral("number of the specific list ") +
                  QStringLiteral("when you copy the syntax into ") +
                  QStringLiteral("your list file"));
    t.Line(3, array + u'(' + number + QLatin1String(") = ") + Quoted(list.name));
    t.Line(3, QLatin1String("BR.SetMemberLists ") + array);
    t.Line(1, QStringLiteral("End Select")).Line(0);
    t.Line(0, QStringLiteral("End Sub")).Line(0);

    t.Line(0, QStringLiteral("Sub EnumMembersInList()")).Line(0);
    t.Line(1, QStringLiteral("Select Case BR.Dimension"));
    t.Line(2, caseDimension);
    t.Line(3, QStringLiteral("Select Case BR.MemberListID"));
    t.Line(4, QStringLiteral("'# is a placeholder for the exact ") +
                  QStringLiteral("number of the list when you copy ") +
                  QStringLiteral("this syntax into your list file"));
    t.Line(4, QLatin1String("Case ") + number);
    for (const MemberListEntry& entry : list.entries) {
        if (entry.parent.isEmpty()) {
            t.Line(5, QLatin1String("BR.AddMemberToList ") + Quoted(entry.member));
        } else {
            t.Line(5, QLatin1String("BR.AddEntityToList ") + Quoted(entry.parent) +
                          QLatin1String(", ") + Quoted(entry.member));
        }
    }
    t.Line(3, QStringLiteral("End Select"));
    t.Line(1, QStringLiteral("End Select")).Line(0);
    t.Line(0, QStringLiteral("End Sub"));
    return t.Take();
}

}  // namespace tarsel::local::format
