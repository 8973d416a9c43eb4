#pragma once
// A client library for in-process tests of the batch program: one cluster with one
// application and the users given; everything a batch command does not reach fails.

#include <QString>
#include <functional>
#include <map>
#include <memory>

#include "server/client_library.h"

namespace tarsel::batch::test {

struct FakeServer {
    QString cluster = QStringLiteral("Demo");
    QString application = QStringLiteral("Demo");
    std::map<QString, QString> passwords{{QStringLiteral("demo"), QStringLiteral("demo-pw")}};
    // Every SetLogonInfo call: "domain|user|third|password".
    QStringList logonCalls;
    int openSessions = 0;          // sessions alive
    std::function<void()> onOpen;  // runs inside every successful OpenApplication
};

// Installs a library over server for the lifetime of the object.
class FakeLibraryInstall {
  public:
    explicit FakeLibraryInstall(std::shared_ptr<FakeServer> server);
    ~FakeLibraryInstall();
    FakeLibraryInstall(const FakeLibraryInstall&) = delete;
    FakeLibraryInstall& operator=(const FakeLibraryInstall&) = delete;
};

}  // namespace tarsel::batch::test
