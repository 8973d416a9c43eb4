#pragma once
// The one line of text a viewer node shows for its member: label, " - ", description and,
// when attributes are shown, " (" + the name=value items joined by ", " + ")". The pieces
// are kept apart as well, so the export writes them without parsing the text back.

#include <QHash>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "server/tarsel.h"

namespace viewer {

struct AttributeItem {
    QString name;
    QString value;
};

struct MemberText {
    QString label;
    QString description;
    // Empty for a member the entity filters leave out (and for dimensions without
    // attributes): such a member has no text at all.
    std::vector<AttributeItem> attributes;

    bool isEmpty() const { return attributes.empty(); }
};

// "Income" ... "Dynamic" for the account type codes 0 to 12, "TYPEERROR" for any other.
QString AccountTypeWord(int32_t code);
// "Yes", "No", "Restricted" for the intercompany codes -1, 0, 1, "**Error**" otherwise.
QString IcpWord(int32_t code);
// "True" / "False"
QString TruthWord(bool value);

struct TextOptions {
    bool showAttributes = true;  // "Show Attributes" selected
    bool expanded = false;       // "Display Expanded Attributes" checked
};

// The entity filters as picked: an empty pick or the "ALL ..." entry lets every entity pass.
struct EntityFilter {
    bool on = false;
    QString currency;
    QString securityClass;

    // Compared without regard to case; className is the security class value, so
    // "[Default]" for an entity without a (named) class.
    bool Passes(const QString& currencyLabel, const QString& className) const;
};

inline const QString kAllCurrencies = QStringLiteral("ALL CURRENCIES");
inline const QString kAllSecurityClasses = QStringLiteral("ALL SECURITY CLASSES");

// Reads member texts for one tree build. Labels of custom top members, currencies and
// security class names are remembered for the build, since many members share them.
class MemberTextSource {
  public:
    // dimension (the one gDimensionName names) selects the attributes read from tree.
    MemberTextSource(std::shared_ptr<tarsel::DimensionTree> tree,
                     std::optional<tarsel::Dimension> dimension,
                     std::shared_ptr<tarsel::SessionMetadata> metadata,
                     std::shared_ptr<tarsel::Security> security, int languageIndex,
                     TextOptions options, EntityFilter filter);

    const TextOptions& options() const { return options_; }

    MemberText Read(tarsel::MemberId id);
    // The texts of many members, one per id in that order, read with a few bulk calls.
    std::vector<MemberText> ReadMany(const tarsel::IdArray& ids);
    // GetMemberAttributes: the items for the dimension; empty for other dimensions and
    // for an entity that fails the filters.
    std::vector<AttributeItem> Attributes(tarsel::MemberId id);
    using ItemLists = std::vector<std::vector<AttributeItem>>;
    ItemLists AttributesOf(const tarsel::IdArray& ids);
    // GetMemberText: the composed text.
    QString Text(tarsel::MemberId id);

    // The security class value: "[Default]" for id -1 or a blank class name.
    QString SecurityClassValue(int32_t classId);

  private:
    ItemLists AccountAttributes(const tarsel::IdArray& ids);
    ItemLists EntityAttributes(const tarsel::IdArray& ids);
    ItemLists CustomAttributes(const tarsel::IdArray& ids);
    // The expanded hierarchy items of each of ids, after the items already in lists.
    void AddExpandedHierarchyItems(const tarsel::IdArray& ids, ItemLists& lists);
    QString LabelIn(int dimensionNumber, tarsel::MemberId id);

    std::shared_ptr<tarsel::DimensionTree> tree_;
    std::optional<tarsel::Dimension> dimension_;
    std::shared_ptr<tarsel::SessionMetadata> metadata_;
    std::shared_ptr<tarsel::Security> security_;
    int languageIndex_;
    TextOptions options_;
    EntityFilter filter_;

    std::shared_ptr<tarsel::AccountAttributes> account_;
    std::shared_ptr<tarsel::EntityAttributes> entity_;
    std::shared_ptr<tarsel::CustomAttributes> custom_;
    std::shared_ptr<tarsel::DimensionTree> otherTrees_[tarsel::kDimensionCount];
    QHash<qint64, QString> labels_;  // (dimension number, id) -> label
    QHash<int32_t, QString> classNames_;
};

// label + " - " + description [+ " (" + items + ")"]; empty when there are no items.
QString ComposeMemberText(const MemberText& text, bool showAttributes);

}  // namespace viewer
