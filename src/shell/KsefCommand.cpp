#include "shell/KsefCommand.h"

#include "invoices/KsefApi.h"
#include "platform/Drives.h"
#include "store/DataStore.h"
#include "store/Database.h"
#include "store/EngineError.h"
#include "work/KsefFetch.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdio>

namespace jadl {

namespace {

void out(FILE* to, const QString& line)
{
    std::fputs(line.toLocal8Bit().constData(), to);
    std::fputc('\n', to);
    std::fflush(to);
}

} // namespace

bool isKsefCommand(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (qstrcmp(argv[i], "--pobierz-ksef") == 0)
            return true;
    return false;
}

int runKsefCommand(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("jadlonia"));
    QTranslator qt;
    if (qt.load(QStringLiteral("qtbase_pl"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qt);
    try {
        // The same data store as the windows: the configured server, else the data directory.
        if (const std::optional<QString> server = configuredServer())
            Aliases::setAliasServer(QStringLiteral("dane_bar"), *server);
        else
            Aliases::setAlias(QStringLiteral("dane_bar"), platform::Drives::dataDirectory());
        Aliases::bindDatabase(QStringLiteral("jadlonia"), QStringLiteral("dane_bar"));

        const kseffetch::Config config = kseffetch::loadConfig();
        ksef::api::Settings s;
        s.base = kseffetch::baseUrl(config);
        s.nip = config.nip;
        s.token = kseffetch::loadToken(config);
        s.caBundle = QString::fromLocal8Bit(qgetenv("JADL_KSEF_CA"));
        ksef::api::Client client(s);
        client.setNotice([](const QString& n) { out(stderr, n); });
        out(stdout,
            QStringLiteral("Pobieranie faktur zakupu z KSeF (%1) dla NIP %2...").arg(client.serverName(), config.nip));
        const kseffetch::Result r = kseffetch::fetchInvoices(client, config.nip, [](const kseffetch::Event& e) {
            if (e.kind == kseffetch::Event::Kind::Stored)
                out(stdout, QStringLiteral("Pobrano: %1").arg(e.text));
        });
        out(stdout,
            QStringLiteral("Razem pobrano %1 nowych faktur (pominięto już pobrane: %2).")
                .arg(r.stored)
                .arg(r.duplicates));
        return 0;
    } catch (const ksef::api::ApiError& e) {
        out(stderr, QStringLiteral("Błąd: %1").arg(e.message()));
    } catch (const EngineError& e) {
        out(stderr, QStringLiteral("Błąd: %1").arg(e.message()));
    }
    return 1;
}

} // namespace jadl
