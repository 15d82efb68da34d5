// gen_data DIR [--lines N] [--seed S] [--force]
// Writes a complete synthetic data directory for the benchmarks (or for trying
// the program on a large register: point drive C at a folder holding Jadl/Dane_bar).
#include "store/EngineError.h"
#include "support/DataGenerator.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <exception>

namespace {

int usage()
{
    std::fprintf(stderr,
                 "usage: gen_data DIR [--lines N] [--seed S] [--force]\n"
                 "  --lines N  purchase lines to write (default %lld)\n"
                 "  --seed S   random seed; the same seed gives the same data (default %llu)\n"
                 "  --force    replace table files already in DIR\n",
                 static_cast<long long>(jadl::bench::kDefaultLines),
                 static_cast<unsigned long long>(jadl::bench::kDefaultSeed));
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    jadl::bench::GenOptions opt;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        bool ok = true;
        if (a == QLatin1String("--lines") && i + 1 < args.size())
            opt.lines = args[++i].toLongLong(&ok);
        else if (a == QLatin1String("--seed") && i + 1 < args.size())
            opt.seed = args[++i].toULongLong(&ok);
        else if (a == QLatin1String("--force"))
            opt.replace = true;
        else if (!a.startsWith(QLatin1Char('-')) && opt.directory.isEmpty())
            opt.directory = a;
        else
            return usage();
        if (!ok || opt.lines < 0)
            return usage();
    }
    if (opt.directory.isEmpty())
        return usage();

    try {
        const jadl::bench::GenResult r = jadl::bench::generateData(opt);
        std::printf("%d suppliers, %d goods groups, %d basic goods, 1 restaurant, %lld purchase lines in %s\n",
                    jadl::bench::kSuppliers, jadl::bench::kGroups, jadl::bench::kGoods, static_cast<long long>(r.lines),
                    qPrintable(opt.directory));
        std::printf("time: %.2f s\n", r.seconds);
        return 0;
    } catch (const jadl::EngineError& e) {
        std::fprintf(stderr, "gen_data: %s\n", e.what());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "gen_data: %s\n", e.what());
    }
    return 1;
}
