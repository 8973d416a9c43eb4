#include "tests/support/app_builder.h"

namespace tarsel::test {

AppBuilder::AppBuilder() {
    model_.name = QStringLiteral("TestApp");
    model_.languages = {QStringLiteral("English")};
}

AppBuilder& AppBuilder::Languages(const QStringList& labels) {
    model_.languages = labels;
    return *this;
}

AppBuilder& AppBuilder::SecurityClass(const QString& name) {
    model_.securityClasses.append(name);
    return *this;
}

local::MemberModel& AppBuilder::Add(Dimension dimension, const QString& label) {
    auto& members = model_.dim(dimension).members;
    for (auto& member : members) {
        if (member.label == label) {
            return member;
        }
    }
    local::MemberModel& member = members.emplace_back();
    member.label = label;
    return member;
}

AppBuilder& AppBuilder::Describe(Dimension dimension, const QString& label,
                                 const QString& description, int languageIndex) {
    local::MemberModel& member = Add(dimension, label);
    member.descriptions.Set(languageIndex, description);
    return *this;
}

AppBuilder& AppBuilder::Relate(Dimension dimension, const QString& parent, const QString& child) {
    if (!parent.isEmpty()) {
        Add(dimension, parent);
    }
    Add(dimension, child);
    model_.dim(dimension).hierarchy.push_back({parent, child});
    return *this;
}

AppBuilder& AppBuilder::Children(Dimension dimension, const QString& parent,
                                 const QStringList& children) {
    for (const QString& child : children) {
        Relate(dimension, parent, child);
    }
    return *this;
}

AppBuilder& AppBuilder::List(Dimension dimension, const QString& name, const QStringList& members,
                             const QStringList& parents) {
    local::MemberListModel list;
    list.name = name;
    for (qsizetype i = 0; i < members.size(); ++i) {
        list.entries.push_back({members[i], i < parents.size() ? parents[i] : QString()});
    }
    model_.dim(dimension).memberLists.push_back(std::move(list));
    return *this;
}

AppBuilder& AppBuilder::MemberListFile(const QByteArray& content) {
    model_.memberListFile = content;
    return *this;
}

}  // namespace tarsel::test
