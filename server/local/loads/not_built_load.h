#pragma once
// The base of a loader class that is not built yet: every call fails with kNotImplemented
// naming what is missing. A loader derives from it until it is written, then from its
// interface in server/tarsel.h.

#include <QString>
#include <memory>
#include <utility>

#include "server/local/local_session.h"
#include "server/tarsel.h"

namespace tarsel::local {

template <typename Loader>
class NotBuiltLoad : public Loader {
  public:
    // What Loader::Load gives back: nothing, or the invalid-users flag of a security load.
    using LoadResult =
        decltype(std::declval<Loader&>().Load(std::declval<QString>(), std::declval<QString>()));

    void SetSession(std::shared_ptr<ApplicationSession>) override { ThrowNotAvailable(what_); }
    std::shared_ptr<LoadOptions> GetLoadOptions() override { ThrowNotAvailable(what_); }
    std::shared_ptr<LoadOptions> GetExtractOptions() override { ThrowNotAvailable(what_); }
    LoadResult Load(const QString&, const QString&) override { ThrowNotAvailable(what_); }
    void Extract(const QString&, const QString&) override { ThrowNotAvailable(what_); }

  protected:
    // what: the plural that starts the failure text, as in "Data loads".
    explicit NotBuiltLoad(QString what) : what_(std::move(what)) {}

  private:
    QString what_;
};

}  // namespace tarsel::local
