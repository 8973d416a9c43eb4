#pragma once
// Names that become folders or file names of the store (clusters, applications) and the
// names of users. A name that fails is refused with kInvalidName and the reason.

#include <QString>

namespace tarsel::local {

enum class NameKind { Cluster, Application, User };

// Empty when the name is usable, else the reason ("contains a path separator", ...).
QString NameProblem(const QString& name);
// Throws kInvalidName naming the kind, the name and the reason.
void CheckName(NameKind kind, const QString& name);

// The key under which names are compared: without regard to case.
inline QString NameKey(const QString& name) {
    return name.toCaseFolded();
}

}  // namespace tarsel::local
