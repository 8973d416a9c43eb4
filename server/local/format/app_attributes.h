#pragma once
// The member attributes of the .app text: one row each, read by the reader and written by
// the writer from the same row, so an attribute is described in one place.

#include <QLatin1String>
#include <QString>
#include <QStringView>
#include <span>

#include "server/local/app_model.h"
#include "server/tarsel.h"

namespace tarsel::local::format {

// The dimensions whose members carry an attribute.
enum class AttributeScope { Account, Entity, Any };

// What an attribute's text names elsewhere in the file, checked once the whole file is read.
enum class AttributeReference { None, SecurityClass, Member };

struct AppAttribute {
    const char* name;
    AttributeScope scope;
    // Sets the member's field from the text after "Name="; gives the reason when the text
    // is not a value of the attribute, else an empty text. name: as the reason calls it.
    QString (*read)(MemberModel& member, QStringView value, QLatin1String name);
    // The value as written, or an empty text when the member has the default. A value
    // made for the call (a number, a word) is kept in made; the view is valid while member
    // and made are unchanged. Most values are the member's own texts or fixed words, so a
    // writer passing a million members copies none of them.
    QStringView (*write)(const MemberModel& member, QString& made);
    AttributeReference reference = AttributeReference::None;
    // For a member reference: its dimension, and what the message calls it.
    Dimension referredDimension = Dimension::Scenario;
    const char* referredAs = "";

    QLatin1String Name() const { return QLatin1String(name); }
    bool AppliesTo(Dimension dimension) const;
};

// Every attribute (at most 64), in the order the writer puts them on a line.
std::span<const AppAttribute> AppAttributes();

// The row of an attribute name, compared without regard to case; nullptr for none.
const AppAttribute* FindAppAttribute(QStringView name);

}  // namespace tarsel::local::format
