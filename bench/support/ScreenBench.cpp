#include "support/ScreenBench.h"

#include <QFile>
#include <QRegularExpression>

#include <stdexcept>

namespace jadl::bench {

const QStringList& screenColumns()
{
    static const QStringList columns = {QStringLiteral("Symbol"),        QStringLiteral("Nazwa"),
                                        QStringLiteral("Ilosc"),         QStringLiteral("JednostkaMiary"),
                                        QStringLiteral("CenaNetto"),     QStringLiteral("WartoscNetto"),
                                        QStringLiteral("WartoscBrutto"), QStringLiteral("DataZakupu")};
    return columns;
}

const QStringList& totalFields()
{
    static const QStringList fields = {QStringLiteral("WartoscNetto"), QStringLiteral("WartoscVat"),
                                       QStringLiteral("WartoscBrutto")};
    return fields;
}

qint64 readScreen(Table& lines, int row)
{
    std::vector<int> columns;
    for (const QString& c : screenColumns())
        columns.push_back(lines.fieldIndex(c));
    qint64 seen = 0;
    const int n = lines.recordCount();
    for (int r = row; r < std::min(n, row + kScreenRows); ++r)
        for (int c : columns)
            seen += lines.valueAt(r, c).isNull() ? 0 : 1;
    return seen;
}

qint64 firstScreen(Table& lines)
{
    const qint64 count = lines.recordCount();
    const std::vector<double> sums = lines.sumsOverView(totalFields());
    return count + readScreen(lines, 0) + (sums.at(2) != 0 ? 1 : 0);
}

namespace {
double statusMb(const char* key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read /proc/self/status");
    const QRegularExpression re(QStringLiteral("^%1:\\s+(\\d+) kB").arg(QLatin1String(key)),
                                QRegularExpression::MultilineOption);
    const auto m = re.match(QString::fromLatin1(f.readAll()));
    if (!m.hasMatch())
        throw std::runtime_error(std::string("no ") + key + " in /proc/self/status");
    return m.captured(1).toDouble() / 1024.0;
}
} // namespace

void resetPeakMemory()
{
    // "5" resets the high-water mark of the resident set (Linux 4.0 and later).
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (!f.open(QIODevice::WriteOnly) || f.write("5") != 1)
        throw std::runtime_error("cannot reset the peak memory mark");
}

double peakMemoryMb()
{
    return statusMb("VmHWM");
}

double currentMemoryMb()
{
    return statusMb("VmRSS");
}

} // namespace jadl::bench
