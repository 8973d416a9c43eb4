#include "server/tarsel.h"

#include <array>

#include "server/client_library.h"

namespace tarsel {

TarselError::TarselError(int32_t number, QString source, QString description)
    : std::runtime_error(description.toStdString()),
      number_(number),
      source_(std::move(source)),
      description_(std::move(description)) {}

void ThrowClientError(int32_t number, const QString& description) {
    throw TarselError(number, QString::fromLatin1(kClientLibrarySource), description);
}

QString DimensionDisplayName(int dimensionNumber) {
    static const std::array<const char*, kDimensionCount> names = {
        "Scenario", "Year",    "Period",  "View",    "Entity",  "Value",
        "Account",  "ICP",     "Custom1", "Custom2", "Custom3", "Custom4"};
    if (dimensionNumber < 0 || dimensionNumber >= kDimensionCount) {
        return {};
    }
    return QString::fromLatin1(names[static_cast<size_t>(dimensionNumber)]);
}

namespace {
std::shared_ptr<ClientLibrary>& installedLibrary() {
    static std::shared_ptr<ClientLibrary> library;
    return library;
}
}  // namespace

void InstallClientLibrary(std::shared_ptr<ClientLibrary> library) {
    installedLibrary() = std::move(library);
}

ClientLibrary& ActiveClientLibrary() {
    auto& library = installedLibrary();
    if (!library) {
        ThrowClientError(code::kNotImplemented,
                         QStringLiteral("The Tarsel client library is not installed."));
    }
    return *library;
}

}  // namespace tarsel
