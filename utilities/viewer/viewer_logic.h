#pragma once
// What the metadata viewer window does, without the window: which dimensions it shows,
// the builds of its two trees and of the filtered entity list, the top-member view, the
// totals line and the entries of the entity filter lists.

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "server/tarsel.h"
#include "utilities/viewer/member_text.h"
#include "utilities/viewer/view_tree.h"

namespace viewer {

// Where a build reads from: the current dimension and the session around it.
struct ViewerSource {
    std::shared_ptr<tarsel::DimensionTree> tree;
    std::optional<tarsel::Dimension> dimension;  // the one gDimensionName names
    std::shared_ptr<tarsel::SessionMetadata> metadata;
    std::shared_ptr<tarsel::Security> security;
    int languageIndex = 0;
};

// Entity, Account and Custom1 to Custom4.
bool IsViewableDimension(std::optional<tarsel::Dimension> dimension);
QString UnsupportedDimensionText(const QString& dimensionName);

struct FilterChoices {
    QStringList securityClasses;  // "ALL SECURITY CLASSES" first
    QStringList currencies;       // "ALL CURRENCIES" first
};
// The entries offered by the entity filter lists; empty lists for other dimensions.
FilterChoices ReadFilterChoices(const ViewerSource& source);

class MetadataViewerLogic {
  public:
    TextOptions options;
    EntityFilter filter;

    // The normal view (the hierarchy, or the filtered list while the filters are on).
    const ViewTree& members() const { return members_; }
    const ViewTree& topMembers() const { return top_; }
    const QString& topMemberLabel() const { return topLabel_; }
    bool inTopMemberView() const { return topView_; }

    // Both fail with the server's error; members() then holds what was built before it.
    void BuildMemberTree(const ViewerSource& source, const BuildProgress& progress = {});
    void BuildFilteredList(const ViewerSource& source, const BuildProgress& progress = {});

    // Enters the top-member view for node index of members(); false when there is no such
    // node or it has no text.
    bool SetTopMember(int index);
    void ShowNormalView() { topView_ = false; }

    const ViewTree& visibleTree() const { return topView_ ? top_ : members_; }
    // L of the export: the levels the totals line counts for the visible tree.
    int visibleLevels() const { return visibleTree().maxLevel; }
    QString totalsLine() const;

  private:
    ViewTree members_;
    ViewTree top_;
    QString topLabel_;
    bool topView_ = false;
};

}  // namespace viewer
