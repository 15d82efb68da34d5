#pragma once
// Secrets (the firm's KSeF token) kept in the system's keyring through QtKeychain,
// never in a table, an archive, a log or a message. Where no keyring serves, the
// secret is kept in this process only, until the program ends, and the caller is
// told why. Tests install a backend of their own so that no test touches the
// user's keyring.
#include <QString>

#include <memory>
#include <optional>

namespace jadl::platform {

class KeyringBackend {
public:
    virtual ~KeyringBackend() = default;
    // nullopt with `why` set when the keyring could not be asked; nullopt with
    // `why` empty when it holds nothing under the key.
    virtual std::optional<QString> read(const QString& key, QString* why) = 0;
    virtual bool write(const QString& key, const QString& secret, QString* why) = 0;
    virtual bool remove(const QString& key, QString* why) = 0;
};

// nullptr puts back the system's keyring.
void setKeyringBackend(std::shared_ptr<KeyringBackend> backend);

// Where the secret went or came from.
enum class SecretPlace { Keyring, Session, Nowhere };

struct StoredSecret {
    SecretPlace place = SecretPlace::Nowhere;
    QString why; // when not the keyring: the keyring's own reason, for the user
};

// Stores the secret in the keyring, else for this run of the program.
StoredSecret storeSecret(const QString& key, const QString& secret);
// The keyring's secret, else this run's; nullopt when neither has one.
std::optional<QString> loadSecret(const QString& key, QString* why = nullptr);
void forgetSecret(const QString& key);

} // namespace jadl::platform
