#include "shell/ServerCommand.h"

#include "store/DataStore.h"
#include "store/EngineError.h"
#include "store/ServerSetup.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace jadl {

namespace {

const char* const kPrepare = "--przygotuj-serwer";
const char* const kSite = "--dodaj-stanowisko";
const char* const kHeadOffice = "--dodaj-centrale";

void out(FILE* to, const QString& line)
{
    std::fputs(line.toLocal8Bit().constData(), to);
    std::fputc('\n', to);
    std::fflush(to);
}

int usage()
{
    out(stderr,
        QStringLiteral("Użycie: jadlonia --przygotuj-serwer | --dodaj-stanowisko LOGIN SYMBOL_RESTAURACJI | "
                       "--dodaj-centrale LOGIN"));
    return 2;
}

} // namespace

bool isServerCommand(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (qstrcmp(argv[i], kPrepare) == 0 || qstrcmp(argv[i], kSite) == 0 || qstrcmp(argv[i], kHeadOffice) == 0)
            return true;
    return false;
}

int runServerCommand(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("jadlonia"));
    const QStringList args = app.arguments().mid(1);
    try {
        const std::optional<QString> server = configuredServer();
        if (!server) {
            out(stderr,
                QStringLiteral("Nie wskazano serwera: ustaw JADL_DATABASE (opis połączenia właściciela bazy) "
                               "lub database= w %1.")
                    .arg(configFilePath()));
            return 1;
        }
        const QString command = args.value(0);
        if (command == QLatin1String(kPrepare) && args.size() == 1) {
            for (const QString& line : serversetup::prepare(*server))
                out(stdout, line);
        } else if (command == QLatin1String(kSite) && args.size() == 3) {
            out(stdout, serversetup::addSite(*server, args.at(1), args.at(2)));
        } else if (command == QLatin1String(kHeadOffice) && args.size() == 2) {
            out(stdout, serversetup::addHeadOffice(*server, args.at(1)));
        } else {
            return usage();
        }
        return 0;
    } catch (const EngineError& e) {
        out(stderr, e.message());
        return 1;
    }
}

} // namespace jadl
