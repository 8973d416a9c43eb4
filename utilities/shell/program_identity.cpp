#include "utilities/shell/program_identity.h"

#include <QCoreApplication>

namespace modGlobal {

QString ProgramTitle() {
    return QString::fromLatin1(kProgramTitle);
}

QString ProgramVersionText() {
    return QStringLiteral("Version %1.%2.%3")
        .arg(kProgramMajor)
        .arg(kProgramMinor)
        .arg(kProgramRevision);
}

QString ProgramDescription() {
    return QStringLiteral(
        "This utility was built to supply various graphical tools to speed development and "
        "maintenance of Tarsel applications.  No actual changes to the Tarsel application "
        "are made directly by the utility.");
}

QString ProgramNotice() {
    return QStringLiteral(
               "Tarsel Utilities is not a product of the maker of the Tarsel server and is "
               "not supported by it.\n"
               "Please send feedback, enhancement requests and fixes to the Tarsel Utilities "
               "project:\n%1\n%2")
        .arg(QString::fromLatin1(kFeedbackAddress), QString::fromLatin1(kFeedbackMail));
}

void SetProgramIdentity() {
    QCoreApplication::setApplicationName(QStringLiteral("TarselUtilities"));
    QCoreApplication::setApplicationVersion(
        QStringLiteral("%1.%2.%3").arg(kProgramMajor).arg(kProgramMinor).arg(kProgramRevision));
}

}  // namespace modGlobal
