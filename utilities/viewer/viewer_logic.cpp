#include "utilities/viewer/viewer_logic.h"

namespace viewer {

bool IsViewableDimension(std::optional<tarsel::Dimension> dimension) {
    using tarsel::Dimension;
    if (!dimension) {
        return false;
    }
    switch (*dimension) {
        case Dimension::Entity:
        case Dimension::Account:
        case Dimension::Custom1:
        case Dimension::Custom2:
        case Dimension::Custom3:
        case Dimension::Custom4:
            return true;
        default:
            return false;
    }
}

QString UnsupportedDimensionText(const QString& dimensionName) {
    return QStringLiteral("The ") + dimensionName +
           QStringLiteral(" dimension is not yet support for metadata viewing.");
}

FilterChoices ReadFilterChoices(const ViewerSource& source) {
    FilterChoices choices;
    if (source.dimension != tarsel::Dimension::Entity) {
        return choices;
    }
    choices.securityClasses = SecurityClassChoices(source.security->EnumSecurityClasses().names);
    choices.currencies = CurrencyChoices(source.metadata->Value()->EnumAllMemberLabels());
    return choices;
}

namespace {
MemberTextSource TextsFor(const ViewerSource& source, const TextOptions& options,
                          const EntityFilter& filter) {
    return MemberTextSource(source.tree, source.dimension, source.metadata, source.security,
                            source.languageIndex, options, filter);
}
}  // namespace

void MetadataViewerLogic::BuildMemberTree(const ViewerSource& source,
                                          const BuildProgress& progress) {
    auto texts = TextsFor(source, options, filter);
    BuildHierarchy(*source.tree, texts, members_, progress);
}

void MetadataViewerLogic::BuildFilteredList(const ViewerSource& source,
                                            const BuildProgress& progress) {
    auto texts = TextsFor(source, options, filter);
    viewer::BuildFilteredList(*source.tree, texts, members_, progress);
}

bool MetadataViewerLogic::SetTopMember(int index) {
    if (index < 0 || index >= members_.size() || !members_.hasText(index)) {
        return false;
    }
    top_ = members_.CopySubtree(index);
    topLabel_ = members_.label(index);
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
