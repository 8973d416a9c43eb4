#include "server/local/password_hash.h"

#include <sodium.h>

#include <QByteArray>
#include <atomic>

#include "server/tarsel_error.h"

namespace tarsel::local {

namespace {
std::atomic<HashCost> gCost{HashCost::Interactive};

void EnsureSodium() {
    static const int result = sodium_init();
    if (result < 0) {
        ThrowClientError(code::kInternal,
                         QStringLiteral("The password library (libsodium) cannot start."));
    }
}

// Wipes the clear-text bytes when the call ends, whichever way it ends.
class ClearText {
  public:
    explicit ClearText(const QString& password) : bytes_(password.toUtf8()) {}
    ~ClearText() { sodium_memzero(bytes_.data(), static_cast<size_t>(bytes_.size())); }
    ClearText(const ClearText&) = delete;
    ClearText& operator=(const ClearText&) = delete;
    const char* data() const { return bytes_.constData(); }
    unsigned long long size() const { return static_cast<unsigned long long>(bytes_.size()); }

  private:
    QByteArray bytes_;
};
}  // namespace

void SetPasswordHashCost(HashCost cost) {
    gCost = cost;
}

QString HashPassword(const QString& password) {
    EnsureSodium();
    const bool minimal = gCost.load() == HashCost::Minimal;
    const unsigned long long ops =
        minimal ? crypto_pwhash_OPSLIMIT_MIN : crypto_pwhash_OPSLIMIT_INTERACTIVE;
    const size_t mem = minimal ? crypto_pwhash_MEMLIMIT_MIN : crypto_pwhash_MEMLIMIT_INTERACTIVE;
    ClearText clear(password);
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str_alg(out, clear.data(), clear.size(), ops, mem,
                              crypto_pwhash_ALG_ARGON2ID13) != 0) {
        ThrowClientError(code::kInternal,
                         QStringLiteral("The password cannot be hashed (out of memory)."));
    }
    return QString::fromLatin1(out);
}

bool VerifyPassword(const QString& hash, const QString& password) {
    EnsureSodium();
    const QByteArray stored = hash.toLatin1();
    ClearText clear(password);
    return crypto_pwhash_str_verify(stored.constData(), clear.data(), clear.size()) == 0;
}

}  // namespace tarsel::local
