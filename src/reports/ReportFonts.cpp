#include "reports/ReportFonts.h"

#include <QFontDatabase>
#include <QHash>

namespace jadl {

namespace {

QString firstInstalled(std::initializer_list<const char*> candidates)
{
    const QStringList families = QFontDatabase::families();
    for (const char* c : candidates) {
        const QString name = QString::fromLatin1(c);
        if (families.contains(name, Qt::CaseInsensitive))
            return name;
    }
    return QString::fromLatin1(*candidates.begin());
}

} // namespace

QString resolveFontFamily(const QString& designedName)
{
    static QHash<QString, QString> cache;
    const QString key = designedName.toLower();
    const auto it = cache.constFind(key);
    if (it != cache.constEnd())
        return *it;
    QString family;
    if (key == QLatin1String("times new roman"))
        family = firstInstalled({"Liberation Serif", "Times New Roman", "DejaVu Serif"});
    else if (key == QLatin1String("arial"))
        family = firstInstalled({"Liberation Sans", "Arial", "DejaVu Sans"});
    else if (key == QLatin1String("small fonts"))
        family = firstInstalled({"DejaVu Sans Condensed", "Liberation Sans Narrow", "Liberation Sans", "DejaVu Sans"});
    else
        family = designedName;
    cache.insert(key, family);
    return family;
}

QFont resolveFont(const ReportFont& font)
{
    QFont f(resolveFontFamily(font.name));
    f.setPointSizeF(font.pointSize);
    f.setBold(font.bold);
    f.setItalic(font.italic);
    f.setUnderline(font.underline);
    // Same glyph advances on screen, printer and PDF: hinting would change them per device.
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setKerning(false);
    return f;
}

} // namespace jadl
