#include "platform/Keyring.h"

#include <QEventLoop>
#include <QHash>
#include <QMutex>
#include <qt6keychain/keychain.h>

namespace jadl::platform {

namespace {

const QString kService = QStringLiteral("jadlonia");

// The system's keyring (Secret Service, KWallet, the Windows credential store).
class SystemKeyring : public KeyringBackend {
public:
    std::optional<QString> read(const QString& key, QString* why) override
    {
        QKeychain::ReadPasswordJob job(kService);
        job.setAutoDelete(false);
        job.setKey(key);
        run(job);
        if (job.error() == QKeychain::EntryNotFound) {
            why->clear();
            return std::nullopt;
        }
        if (job.error() != QKeychain::NoError) {
            *why = job.errorString();
            return std::nullopt;
        }
        return job.textData();
    }
    bool write(const QString& key, const QString& secret, QString* why) override
    {
        QKeychain::WritePasswordJob job(kService);
        job.setAutoDelete(false);
        job.setKey(key);
        job.setTextData(secret);
        run(job);
        if (job.error() != QKeychain::NoError) {
            *why = job.errorString();
            return false;
        }
        return true;
    }
    bool remove(const QString& key, QString* why) override
    {
        QKeychain::DeletePasswordJob job(kService);
        job.setAutoDelete(false);
        job.setKey(key);
        run(job);
        if (job.error() != QKeychain::NoError && job.error() != QKeychain::EntryNotFound) {
            *why = job.errorString();
            return false;
        }
        return true;
    }

private:
    static void run(QKeychain::Job& job)
    {
        QEventLoop loop;
        QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
        job.start();
        loop.exec();
    }
};

struct Registry {
    QMutex mutex;
    std::shared_ptr<KeyringBackend> backend;
    QHash<QString, QString> session; // secrets no keyring took, for this run only
};

Registry& registry()
{
    static Registry r;
    return r;
}

std::shared_ptr<KeyringBackend> backend()
{
    QMutexLocker lock(&registry().mutex);
    if (!registry().backend)
        registry().backend = std::make_shared<SystemKeyring>();
    return registry().backend;
}

} // namespace

void setKeyringBackend(std::shared_ptr<KeyringBackend> b)
{
    QMutexLocker lock(&registry().mutex);
    registry().backend = std::move(b);
    registry().session.clear();
}

StoredSecret storeSecret(const QString& key, const QString& secret)
{
    QString why;
    if (backend()->write(key, secret, &why)) {
        QMutexLocker lock(&registry().mutex);
        registry().session.remove(key);
        return {SecretPlace::Keyring, {}};
    }
    QMutexLocker lock(&registry().mutex);
    registry().session.insert(key, secret);
    return {SecretPlace::Session, why};
}

std::optional<QString> loadSecret(const QString& key, QString* why)
{
    {
        QMutexLocker lock(&registry().mutex);
        const auto it = registry().session.constFind(key);
        if (it != registry().session.constEnd())
            return *it;
    }
    QString reason;
    std::optional<QString> s = backend()->read(key, &reason);
    if (why)
        *why = reason;
    return s;
}

void forgetSecret(const QString& key)
{
    QString why;
    backend()->remove(key, &why);
    QMutexLocker lock(&registry().mutex);
    registry().session.remove(key);
}

} // namespace jadl::platform
