#pragma once

#include <QString>
#include <cstdint>
#include <stdexcept>

namespace tarsel {

// The one exception type of both programs and of the client library. Client-library
// failures carry negative numbers; the programs' own validation errors are 40000 and up.
class TarselError : public std::runtime_error {
public:
    TarselError(int32_t number, QString source, QString description);

    int32_t number() const noexcept { return number_; }
    const QString& source() const noexcept { return source_; }
    const QString& description() const noexcept { return description_; }

private:
    int32_t number_;
    QString source_;
    QString description_;
};

// The source every client-library failure carries; the batch program classifies errors
// by it (together with a negative number) as server errors.
inline constexpr const char* kClientLibrarySource = "Brennic.TarselErrorHandler.1";

// Failure codes of the client library. Stable: callers and logs may rely on them.
namespace code {
inline constexpr int32_t kUnknownCluster = -2147215000;
inline constexpr int32_t kUnknownApplication = -2147215001;
inline constexpr int32_t kUnknownUser = -2147215002;
inline constexpr int32_t kWrongPassword = -2147215003;
inline constexpr int32_t kNotProvisioned = -2147215004;
inline constexpr int32_t kNotLoggedOn = -2147215005;
inline constexpr int32_t kNoLogonInfo = -2147215006;
inline constexpr int32_t kUnknownProduct = -2147215007;
inline constexpr int32_t kUnknownMember = -2147215010;
inline constexpr int32_t kUnknownMemberId = -2147215011;
inline constexpr int32_t kUnknownDimension = -2147215012;
inline constexpr int32_t kUnknownMemberList = -2147215013;
inline constexpr int32_t kUnknownSecurityClass = -2147215014;
inline constexpr int32_t kWrongDimensionKind = -2147215015;
inline constexpr int32_t kUnknownOption = -2147215020;
inline constexpr int32_t kWrongOptionValue = -2147215021;
inline constexpr int32_t kNoSession = -2147215022;
inline constexpr int32_t kAccessDenied = -2147215023;
inline constexpr int32_t kFileNotFound = -2147215030;
inline constexpr int32_t kFileUnreadable = -2147215031;
inline constexpr int32_t kFileUnwritable = -2147215032;
inline constexpr int32_t kMalformedFile = -2147215033;
inline constexpr int32_t kStoreFailure = -2147215040;
inline constexpr int32_t kStoreBusy = -2147215041;
inline constexpr int32_t kSchemaMismatch = -2147215042;
inline constexpr int32_t kAlreadyExists = -2147215043;
inline constexpr int32_t kInvalidName = -2147215044;
inline constexpr int32_t kNotImplemented = -2147215050;
inline constexpr int32_t kInternal = -2147215099;
}  // namespace code

// Throws a client-library failure (negative number, library source).
[[noreturn]] void ThrowClientError(int32_t number, const QString& description);

}  // namespace tarsel
