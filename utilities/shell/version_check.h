#pragma once
// The client version check of the start-up: the version text is read as major, minor and
// revision in 16-bit signed arithmetic, the way the program has always judged it.

#include <QString>
#include <cstdint>

namespace modGlobal {

// Runtime error numbers the check raises (source "TarselUtilities").
inline constexpr int32_t kErrOverflow = 6;
inline constexpr int32_t kErrSubscriptOutOfRange = 9;
inline constexpr int32_t kErrTypeMismatch = 13;
// Raised when the client gives release 0 (also what an unreadable version turns into).
inline constexpr int32_t kErrInvalidVersion = 23001;

struct ClientVersion {
    int16_t major = 0;
    int16_t minor = 0;
    int16_t revision = 0;
    int16_t release = 0;  // major * 10 + minor
    int16_t build = 0;    // major * 100 + minor * 10 + revision
};

// Throws TarselError: kErrSubscriptOutOfRange for fewer than three parts,
// kErrTypeMismatch for a part that is not a whole number, kErrOverflow when a part or a
// computed number leaves the 16-bit range.
ClientVersion ParseClientVersion(const QString& version);

// True when the client is new enough: release 41 or later, or exactly build 405. Throws
// the 23001 error for release 0.
bool IsSupportedClientVersion(const ClientVersion& version);

// The text of the "Incompatible Tarsel Version Error" box; versionText exactly as the
// client gave it.
QString IncompatibleVersionMessage(const QString& versionText);

}  // namespace modGlobal
