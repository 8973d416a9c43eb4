#pragma once
// Where the local loaders plug into the local client library: the part that implements
// them registers its factories once at start (before CreateLocalClientLibrary is used);
// a loader without a factory fails every operation with kNotImplemented.

#include <functional>
#include <memory>

#include "server/tarsel.h"

namespace tarsel::local {

struct LocalLoaderFactories {
    std::function<std::shared_ptr<MetadataLoad>()> metadata;
    std::function<std::shared_ptr<RulesLoad>()> rules;
    std::function<std::shared_ptr<DataLoad>()> data;
    std::function<std::shared_ptr<JournalLoad>()> journal;
    std::function<std::shared_ptr<SecurityLoad>()> security;
};

// Replaces the registered factories; empty members keep the unavailable loaders.
void RegisterLocalLoaders(LocalLoaderFactories factories);

}  // namespace tarsel::local
