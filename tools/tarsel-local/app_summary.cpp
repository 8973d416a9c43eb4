#include "tools/tarsel-local/app_summary.h"

namespace tarsel::tools {

namespace {

QString Names(const QStringList& names) {
    return names.isEmpty() ? QStringLiteral("(none)") : names.join(QStringLiteral(", "));
}

}  // namespace

QStringList ApplicationSummary(const QString& cluster, const QString& application,
                               const local::AppModel& model, int maxTop) {
    QStringList lines;
    lines << QStringLiteral("Application %1 in cluster %2").arg(application, cluster);
    lines << QStringLiteral("Languages: %1").arg(Names(model.languages));
    lines << QStringLiteral("Security classes: %1").arg(Names(model.securityClasses));
    lines << QStringLiteral("%1 %2 %3")
                 .arg(QStringLiteral("Dimension"), -9)
                 .arg(QStringLiteral("Members"), 9)
                 .arg(QStringLiteral("Top members"));
    QStringList listLines;
    for (int d = 0; d < kDimensionCount; ++d) {
        const local::DimensionModel& dim = model.dimensions[static_cast<size_t>(d)];
        QStringList top;
        qsizetype topCount = 0;
        for (const local::RelationModel& r : dim.hierarchy) {
            if (r.parent.isEmpty() && topCount++ < maxTop) {
                top << r.child;
            }
        }
        QString topText = Names(top);
        if (topCount > maxTop) {
            topText += QStringLiteral(" and %1 more").arg(topCount - maxTop);
        }
        lines << QStringLiteral("%1 %2 %3")
                     .arg(DimensionDisplayName(d), -9)
                     .arg(static_cast<qsizetype>(dim.members.size()), 9)
                     .arg(topText);
        for (const local::MemberListModel& list : dim.memberLists) {
            listLines << QStringLiteral("  %1: %2 (%3 members)")
                             .arg(DimensionDisplayName(d), list.name)
                             .arg(static_cast<qsizetype>(list.entries.size()));
        }
    }
    lines << QStringLiteral("User member lists:");
    if (listLines.isEmpty()) {
        listLines << QStringLiteral("  (none)");
    }
    lines << listLines;
    lines << (model.memberListFile ? QStringLiteral("Member list file: stored (%1 bytes)")
                                         .arg(model.memberListFile->size())
                                   : QStringLiteral("Member list file: none"));
    return lines;
}

}  // namespace tarsel::tools
