#pragma once
// A large synthetic application in the .app text, written line by line so that its size
// does not depend on memory: Entity members in a hierarchy of a given depth with a share
// of shared members, accounts, and small other dimensions. The same options and seed give
// the same bytes.

#include <QByteArray>
#include <cstdint>
#include <functional>

namespace tarsel::tools {

struct SyntheticOptions {
    int64_t entities = 1000;
    int64_t accounts = 100;
    int64_t customs = 4;       // members of each of Custom1..Custom4: a top, children, [None]
    int depth = 5;             // generations of the Entity hierarchy, the top one included
    double sharedPercent = 1;  // share of base entities also placed under a second parent
    uint64_t seed = 1;
    int languages = 2;  // 1 or 2
};

// Receives the text in pieces of about a megabyte.
using Sink = std::function<void(const QByteArray&)>;

void WriteSyntheticApp(const SyntheticOptions& options, const Sink& app);

// The Entity members and relations as CSV rows without header, for a plain SQL import:
// member rows "label,description" and relation rows "parent,child,position" (the
// position orders the relations as the .app file does; the parent of a top member is empty).
void WriteSyntheticEntityCsv(const SyntheticOptions& options, const Sink& members,
                             const Sink& relations);

}  // namespace tarsel::tools
