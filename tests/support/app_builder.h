#pragma once
// Small applications written in code for tests:
//
//   AppBuilder app;                                  // one language, "English"
//   app.Relate(Dimension::Entity, "", "World")       // top member
//      .Relate(Dimension::Entity, "World", "France") // members are added when first named
//      .Describe(Dimension::Entity, "France", "La France");
//   app.Add(Dimension::Entity, "France").isIcp = true;
//   AppModel model = app.Build();

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "server/local/app_model.h"

namespace tarsel::test {

class AppBuilder {
  public:
    AppBuilder();

    AppBuilder& Languages(const QStringList& labels);
    AppBuilder& SecurityClass(const QString& name);

    // The member with that label (compared exactly), added at the end when new. The
    // reference is valid until the next member of the dimension is added.
    local::MemberModel& Add(Dimension dimension, const QString& label);
    // Sets the description of the language at languageIndex.
    AppBuilder& Describe(Dimension dimension, const QString& label, const QString& description,
                         int languageIndex = 0);
    // One occurrence: child under parent (empty parent: at the top), after the parent's
    // children so far. Unknown members are added.
    AppBuilder& Relate(Dimension dimension, const QString& parent, const QString& child);
    // Several children under one parent, in order.
    AppBuilder& Children(Dimension dimension, const QString& parent, const QStringList& children);
    // A user list of members in order; parents[i], when given, is the parent of entry i.
    AppBuilder& List(Dimension dimension, const QString& name, const QStringList& members,
                     const QStringList& parents = {});
    AppBuilder& MemberListFile(const QByteArray& content);

    const local::AppModel& model() const { return model_; }
    local::AppModel Build() const { return model_; }

  private:
    local::AppModel model_;
};

}  // namespace tarsel::test
