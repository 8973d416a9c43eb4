#pragma once
// Password hashes of the cluster's users: Argon2id strings from libsodium. A password is
// never kept beyond the call that hashes or checks it.

#include <QString>

namespace tarsel::local {

enum class HashCost {
    Interactive,  // libsodium's interactive limits; the default
    Minimal,      // the smallest limits libsodium allows; for test fixtures only
};

// Process-wide; affects hashes made afterwards. Checking always uses the cost recorded in
// the stored hash.
void SetPasswordHashCost(HashCost cost);

// An Argon2id hash string; fails with kInternal when libsodium cannot hash (out of memory).
QString HashPassword(const QString& password);
bool VerifyPassword(const QString& hash, const QString& password);

}  // namespace tarsel::local
