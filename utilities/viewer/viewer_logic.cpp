#include "utilities/viewer/viewer_logic.h"

namespace viewer {

bool IsViewableDimension(const QString& dimensionName) {
    static const QStringList viewable = {QStringLiteral("ENTITY"),  QStringLiteral("ACCOUNT"),
                                         QStringLiteral("CUSTOM1"), QStringLiteral("CUSTOM2"),
                                         QStringLiteral("CUSTOM3"), QStringLiteral("CUSTOM4")};
    return viewable.contains(dimensionName);
}

QString UnsupportedDimensionText(const QString& dimensionName) {
    return QStringLiteral("The ") + dimensionName +
           QStringLiteral(" dimension is not yet support for metadata viewing.");
}

QString ErrorMessageText(const QString& routine, int32_t number, const QString& description,
                         const QString& source) {
    return QStringLiteral("Error Encountered in ") + routine + QStringLiteral(":\rError#: ") +
           QString::number(number) + QStringLiteral("\rError Desc: ") + description +
           QStringLiteral("\rError Source: ") + source;
}

FilterChoices ReadFilterChoices(const ViewerSource& source) {
    FilterChoices choices;
    if (source.dimensionName != QLatin1String("ENTITY")) {
        return choices;
    }
    choices.securityClasses = SecurityClassChoices(source.security->EnumSecurityClasses().names);
    choices.currencies = CurrencyChoices(source.metadata->Value()->EnumAllMemberLabels());
    return choices;
}

namespace {
MemberTextSource TextsFor(const ViewerSource& source, const TextOptions& options,
                          const EntityFilter& filter) {
    return MemberTextSource(source.dimension, source.dimensionName, source.metadata,
                            source.security, source.languageIndex, options, filter);
}
}  // namespace

void MetadataViewerLogic::BuildMemberTree(const ViewerSource& source,
                                          const BuildProgress& progress) {
    auto texts = TextsFor(source, options, filter);
    BuildHierarchy(*source.dimension, texts, members_, progress);
}

void MetadataViewerLogic::BuildFilteredList(const ViewerSource& source,
                                            const BuildProgress& progress) {
    auto texts = TextsFor(source, options, filter);
    viewer::BuildFilteredList(*source.dimension, texts, members_, progress);
}

bool MetadataViewerLogic::SetTopMember(int index) {
    if (index < 0 || index >= static_cast<int>(members_.nodes.size()) ||
        members_.nodes[static_cast<size_t>(index)].text.isEmpty()) {
        return false;
    }
    top_ = CopySubtree(members_, index);
    topLabel_ = members_.nodes[static_cast<size_t>(index)].label();
    topView_ = true;
    return true;
}

QString MetadataViewerLogic::totalsLine() const {
    if (topView_) {
        return TopMemberTotalsLine(top_.memberCount, topLabel_, top_.maxLevel);
    }
    return TotalsLine(members_.memberCount, members_.maxLevel);
}

}  // namespace viewer
