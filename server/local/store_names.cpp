#include "server/local/store_names.h"

#include "server/tarsel_error.h"

namespace tarsel::local {

namespace {
constexpr qsizetype kMaxNameLength = 80;

QString KindWord(NameKind kind) {
    switch (kind) {
        case NameKind::Cluster:
            return QStringLiteral("cluster");
        case NameKind::Application:
            return QStringLiteral("application");
        case NameKind::User:
            return QStringLiteral("user");
    }
    return {};
}
}  // namespace

QString NameProblem(const QString& name) {
    if (name.isEmpty()) {
        return QStringLiteral("the name is empty");
    }
    if (name.size() > kMaxNameLength) {
        return QStringLiteral("the name is longer than %1 characters").arg(kMaxNameLength);
    }
    if (name.startsWith(QLatin1Char('.'))) {
        return QStringLiteral("the name starts with a full stop");
    }
    if (name.front().isSpace() || name.back().isSpace()) {
        return QStringLiteral("the name starts or ends with a blank");
    }
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\')) {
            return QStringLiteral("the name contains a path separator");
        }
        if (c.category() == QChar::Other_Control || c.isNull()) {
            return QStringLiteral("the name contains a control character");
        }
    }
    return {};
}

void CheckName(NameKind kind, const QString& name) {
    const QString problem = NameProblem(name);
    if (!problem.isEmpty()) {
        ThrowClientError(code::kInvalidName,
                         QStringLiteral("\"%1\" cannot be used as a %2 name: %3.")
                             .arg(name, KindWord(kind), problem));
    }
}

}  // namespace tarsel::local
