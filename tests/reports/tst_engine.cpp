// The banded report engine over an in-memory data set: page breaking, running
// numbers, sums, fonts, masks, and the PDF and preview outputs.
#include "platform/Messages.h"
#include "reports/Report.h"
#include "reports/ReportFonts.h"
#include "reports/ReportLayout.h"
#include "reports/ReportPainter.h"
#include "reports/ReportPreview.h"
#include "store/EngineError.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace jadl;

namespace {

const QString kLines = QStringLiteral("TableLines");

QList<FieldDef> lineFields()
{
    return {
        {QStringLiteral("Name"), FieldType::Text, 20, {}, {}},
        {QStringLiteral("Amount"), FieldType::Float, 0, {}, {}},
        {QStringLiteral("Flag"), FieldType::Logical, 0, {}, {}},
        {QStringLiteral("Day"), FieldType::Date, 0, {}, {}},
        {QStringLiteral("Qty"), FieldType::Integer, 0, {}, {}},
        {QStringLiteral("Priced"), FieldType::Float, 0, QStringLiteral("0.00"), {}},
    };
}

std::shared_ptr<MemoryReportData> lines(int count)
{
    auto data = std::make_shared<MemoryReportData>(kLines, lineFields());
    for (int i = 1; i <= count; ++i)
        data->addRow({QStringLiteral("R%1").arg(i), i * 1.25, i % 2 == 0, QDate(2024, 3, i % 28 + 1), i, i * 0.5});
    return data;
}

// Header 20 mm, detail 5 mm, summary 5 mm: 51 details fit under the header on
// one A4 page with 10 mm margins (10 + 20 + 51 * 5 = 285 <= 287).
struct TestReport {
    Report report;
    ReportBand* header;
    ReportBand* detail;
    ReportBand* summary;
    ReportLabel* title;
    ReportSysData* page;
    ReportSysData* date;
    ReportSysData* number;
    ReportDBText* name;
    ReportDBText* amount;
    ReportExpr* sum;

    TestReport()
    {
        header = report.addBand(QStringLiteral("Header"), ReportBand::Type::PageHeader, 20.0,
                                {QStringLiteral("Times New Roman"), 9});
        detail = report.addBand(QStringLiteral("Detail"), ReportBand::Type::Detail, 5.0,
                                {QStringLiteral("Times New Roman"), 8});
        summary = report.addBand(QStringLiteral("Summary"), ReportBand::Type::Summary, 5.0,
                                 {QStringLiteral("Times New Roman"), 8, true});
        title = header->addLabel(QStringLiteral("Title"), QStringLiteral("Zestawienie"), 60, 1, 40);
        page = header->addSysData(QStringLiteral("Page"), ReportSysData::Data::PageNumber, QStringLiteral("Strona : "),
                                  150, 1, 30);
        date = header->addSysData(QStringLiteral("Date"), ReportSysData::Data::Date, QStringLiteral("Data:  "), 150, 6,
                                  30);
        number = detail->addSysData(QStringLiteral("Number"), ReportSysData::Data::DetailNumber, {}, 0, 0.3, 8,
                                    {ReportAlign::Right});
        name = detail->addField(QStringLiteral("Name"), kLines, QStringLiteral("Name"), 10, 0.3, 30);
        amount = detail->addField(QStringLiteral("Amount"), kLines, QStringLiteral("Amount"), 50, 0.3, 20,
                                  {ReportAlign::Right, {}, false, false, true, QStringLiteral("0.00")});
        sum = summary->addExpr(QStringLiteral("Sum"), QStringLiteral("SUM(TableLines.Amount)"), 50, 0.3, 20,
                               {ReportAlign::Right, {}, false, false, false, QStringLiteral("0.00")});
    }
};

bool hasDarkPixel(const QImage& img, const QRect& area)
{
    const QRect r = area.intersected(img.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (qGray(img.pixel(x, y)) < 128)
                return true;
    return false;
}

int pdfPageCount(const QByteArray& pdf)
{
    // Page objects are "/Type /Page" not followed by "s".
    int count = 0;
    qsizetype at = 0;
    while ((at = pdf.indexOf("/Type /Page", at)) >= 0) {
        at += 11;
        if (at < pdf.size() && pdf.at(at) != 's')
            ++count;
    }
    return count;
}

} // namespace

class TestReportEngine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pageBreaks_data();
    void pageBreaks();
    void rowsInOrderAndRunningNumbers();
    void summaryMovesToNewPageWhenFull();
    void emptyViewGivesNoPage();
    void printIfEmptyGivesOnePage();
    void displayTexts_data();
    void displayTexts();
    void bandFontFollowedByElementsWithoutOwnFont();
    void disabledAndHiddenElementsDoNotPrint();
    void positionsInMillimetresFromMargins();
    void autoSizeAndRules();
    void wordWrapGrowsTheBox();
    void lookupReadsCurrentRecord();
    void unknownFieldAndBadExpressionThrow();
    void runDateFixedForTheRun();
    void paintedPageShowsRulesAndText();
    void pdfExport();
    void pdfExportToUnwritablePathNamesFile();
    void previewIsModalAndSavesPdf();
};

void TestReportEngine::pageBreaks_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QList<int>>("perPage");
    QTest::newRow("one row") << 1 << QList<int>{1};
    QTest::newRow("page full, summary fits") << 50 << QList<int>{50};
    QTest::newRow("two pages") << 52 << QList<int>{51, 1};
    QTest::newRow("three pages") << 120 << QList<int>{51, 51, 18};
}

void TestReportEngine::pageBreaks()
{
    QFETCH(int, rows);
    QFETCH(QList<int>, perPage);
    TestReport t;
    t.report.setDataSet(kLines, lines(rows));
    const ReportPages pages = t.report.layoutPages(QDate(2024, 5, 6));
    QCOMPARE(pages.pageCount(), perPage.size());
    for (int i = 0; i < pages.pageCount(); ++i) {
        const ReportPage& p = pages.pages[std::size_t(i)];
        QCOMPARE(p.number, i + 1);
        QCOMPARE(int(p.textsOf(QStringLiteral("Name")).size()), perPage[i]);
        // Page header on every page, the first included, with its own number.
        QCOMPARE(int(p.textsOf(QStringLiteral("Title")).size()), 1);
        QCOMPARE(p.firstTextOf(QStringLiteral("Page"))->text, QStringLiteral("Strona : %1").arg(i + 1));
        // Nothing below the bottom margin.
        for (const PlacedText& text : p.texts)
            QVERIFY2(text.rect.top() < 287.0, qPrintable(text.element));
    }
    // The summary once, on the last page.
    QCOMPARE(pages.textsOf(QStringLiteral("Sum")).size(), 1);
    QVERIFY(pages.pages.back().firstTextOf(QStringLiteral("Sum")) != nullptr);
}

void TestReportEngine::rowsInOrderAndRunningNumbers()
{
    TestReport t;
    t.report.setDataSet(kLines, lines(120));
    const ReportPages pages = t.report.layoutPages(QDate(2024, 5, 6));
    const QStringList names = pages.textsOf(QStringLiteral("Name"));
    const QStringList numbers = pages.textsOf(QStringLiteral("Number"));
    QCOMPARE(names.size(), 120);
    QCOMPARE(numbers.size(), 120);
    double expected = 0;
    for (int i = 0; i < 120; ++i) {
        QCOMPARE(names[i], QStringLiteral("R%1").arg(i + 1));
        QCOMPARE(numbers[i], QString::number(i + 1)); // goes on across pages
        expected += (i + 1) * 1.25;
    }
    // Page 2 starts with number 52.
    QCOMPARE(pages.pages[1].firstTextOf(QStringLiteral("Number"))->text, QStringLiteral("52"));
    // Rows stack downwards, 5 mm apart, right under the header.
    const auto onFirst = pages.pages[0].textsOf(QStringLiteral("Name"));
    QCOMPARE(onFirst[0]->rect.top(), 10.0 + 20.0 + 0.3);
    QCOMPARE(onFirst[1]->rect.top(), 10.0 + 25.0 + 0.3);
    QCOMPARE(pages.textsOf(QStringLiteral("Sum")), QStringList{QStringLiteral("9075,00")});
    QCOMPARE(expected, 9075.0);
}

void TestReportEngine::summaryMovesToNewPageWhenFull()
{
    TestReport t;
    t.report.setDataSet(kLines, lines(51));
    const ReportPages pages = t.report.layoutPages(QDate(2024, 5, 6));
    QCOMPARE(pages.pageCount(), 2);
    QCOMPARE(int(pages.pages[1].textsOf(QStringLiteral("Name")).size()), 0);
    const PlacedText* sum = pages.pages[1].firstTextOf(QStringLiteral("Sum"));
    QVERIFY(sum);
    // Under the second page's header.
    QCOMPARE(sum->rect.top(), 10.0 + 20.0 + 0.3);
    QVERIFY(pages.pages[1].firstTextOf(QStringLiteral("Title")));
}

void TestReportEngine::emptyViewGivesNoPage()
{
    TestReport t;
    t.report.setDataSet(kLines, lines(0));
    QVERIFY(t.report.layoutPages().isEmpty());
    // A closed data set is as empty as an empty view.
    auto closed = lines(5);
    closed->setActive(false);
    t.report.setDataSet(kLines, closed);
    QVERIFY(t.report.layoutPages().isEmpty());
    // No data set bound at all.
    Report bare;
    bare.addBand(QStringLiteral("H"), ReportBand::Type::PageHeader, 10, {});
    QVERIFY(bare.layoutPages().isEmpty());
}

void TestReportEngine::printIfEmptyGivesOnePage()
{
    TestReport t;
    t.report.setPrintIfEmpty(true);
    t.report.setDataSet(kLines, lines(0));
    const ReportPages pages = t.report.layoutPages(QDate(2024, 5, 6));
    QCOMPARE(pages.pageCount(), 1);
    QVERIFY(pages.textsOf(QStringLiteral("Name")).isEmpty());
    QCOMPARE(pages.textsOf(QStringLiteral("Sum")), QStringList{QStringLiteral("0,00")});
}

void TestReportEngine::displayTexts_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("float general") << "Amount"
                                   << "" << QVariant(10.7) << "10,7";
    QTest::newRow("float mask") << "Amount"
                                << "0.00" << QVariant(10.7) << "10,70";
    QTest::newRow("mask rounds") << "Amount"
                                 << "0.00" << QVariant(2.675) << "2,68";
    QTest::newRow("mask no thousands") << "Amount"
                                       << "0.00" << QVariant(1234567.5) << "1234567,50";
    QTest::newRow("mask negative") << "Amount"
                                   << "0.00" << QVariant(-3.1) << "-3,10";
    QTest::newRow("field display format") << "Priced"
                                          << "" << QVariant(4.0) << "4,00";
    QTest::newRow("integer masked") << "Qty"
                                    << "0.00" << QVariant(3) << "3,00";
    QTest::newRow("integer") << "Qty"
                             << "" << QVariant(42) << "42";
    QTest::newRow("logical true") << "Flag"
                                  << "" << QVariant(true) << "Tak";
    QTest::newRow("logical false") << "Flag"
                                   << "" << QVariant(false) << "Nie";
    QTest::newRow("date") << "Day"
                          << "" << QVariant(QDate(2024, 3, 5)) << "5.3.2024";
    QTest::newRow("date as ISO text") << "Day"
                                      << "" << QVariant(QStringLiteral("2024-12-31")) << "31.12.2024";
    QTest::newRow("text ignores mask") << "Name"
                                       << "0.00" << QVariant(QStringLiteral("kg")) << "kg";
    QTest::newRow("null number") << "Amount"
                                 << "0.00" << QVariant() << "";
    QTest::newRow("null text") << "Name"
                               << "" << QVariant() << "";
}

void TestReportEngine::displayTexts()
{
    QFETCH(QString, field);
    QFETCH(QString, mask);
    QFETCH(QVariant, value);
    QFETCH(QString, expected);
    auto data = std::make_shared<MemoryReportData>(kLines, lineFields());
    QVariantList row(lineFields().size());
    row[data->fieldIndex(field)] = value;
    data->addRow(row);

    TestReport t;
    t.name->setDataField(kLines, field);
    t.name->setMask(mask);
    t.report.setDataSet(kLines, data);
    QCOMPARE(t.report.layoutPages().textsOf(QStringLiteral("Name")), QStringList{expected});
}

void TestReportEngine::bandFontFollowedByElementsWithoutOwnFont()
{
    TestReport t;
    const ReportFont own{QStringLiteral("Arial"), 10, true};
    t.amount->setFont(own);
    t.report.setDataSet(kLines, lines(3));

    ReportPages pages = t.report.layoutPages();
    QCOMPARE(pages.pages[0].firstTextOf(QStringLiteral("Name"))->font, t.detail->font());

    const ReportFont small{QStringLiteral("Small Fonts"), 5};
    t.detail->setFont(small);
    pages = t.report.layoutPages();
    const ReportPage& p = pages.pages[0];
    for (const PlacedText* name : p.textsOf(QStringLiteral("Name")))
        QCOMPARE(name->font, small);
    QCOMPARE(p.firstTextOf(QStringLiteral("Number"))->font, small);
    QCOMPARE(p.firstTextOf(QStringLiteral("Amount"))->font, own);
    // Other bands keep theirs.
    QCOMPARE(p.firstTextOf(QStringLiteral("Title"))->font, t.header->font());
    // A smaller font gives a shorter line.
    QVERIFY(lineHeightMm(small) < lineHeightMm(t.header->font()));
    QCOMPARE(resolveFontFamily(QStringLiteral("Times New Roman")), QStringLiteral("Liberation Serif"));
    QCOMPARE(resolveFontFamily(QStringLiteral("Arial")), QStringLiteral("Liberation Sans"));
    QVERIFY(!resolveFontFamily(QStringLiteral("Small Fonts")).isEmpty());
}

void TestReportEngine::disabledAndHiddenElementsDoNotPrint()
{
    TestReport t;
    t.report.setDataSet(kLines, lines(2));
    t.title->setCaption(QStringLiteral("Inny tytuł"));
    QCOMPARE(t.report.layoutPages().textsOf(QStringLiteral("Title")), QStringList{QStringLiteral("Inny tytuł")});

    t.title->setEnabled(false);
    QVERIFY(t.report.layoutPages().textsOf(QStringLiteral("Title")).isEmpty());
    t.title->setEnabled(true);
    t.title->setVisible(false);
    QVERIFY(t.report.layoutPages().textsOf(QStringLiteral("Title")).isEmpty());
    t.name->setEnabled(false);
    const ReportPages pages = t.report.layoutPages();
    QVERIFY(pages.textsOf(QStringLiteral("Name")).isEmpty());
    // The rows still print their other elements.
    QCOMPARE(pages.textsOf(QStringLiteral("Number")).size(), 2);
}

void TestReportEngine::positionsInMillimetresFromMargins()
{
    TestReport t;
    t.report.setDataSet(kLines, lines(1));
    const ReportPages pages = t.report.layoutPages();
    const PlacedText* title = pages.pages[0].firstTextOf(QStringLiteral("Title"));
    QCOMPARE(title->rect.left(), 70.0);
    QCOMPARE(title->rect.top(), 11.0);
    QCOMPARE(title->rect.width(), 40.0);
    // Without a height of its own an element reaches the band's bottom edge.
    QCOMPARE(title->rect.bottom(), 30.0);
    const PlacedText* amount = pages.pages[0].firstTextOf(QStringLiteral("Amount"));
    QCOMPARE(amount->align, ReportAlign::Right);
    QCOMPARE(amount->rect, QRectF(60.0, 30.3, 20.0, 4.7));
    QCOMPARE(pages.pageSize, QSizeF(210, 297));
}

void TestReportEngine::autoSizeAndRules()
{
    TestReport t;
    t.report.setDataSet(kLines, lines(1));
    t.title->setAutoSize(true);
    t.header->setFrame(ReportFrame::all());
    auto* right = t.header->addLabel(QStringLiteral("RightAuto"), QStringLiteral("Wartość"), 100, 10, 30,
                                     {ReportAlign::Right, {}, true});
    Q_UNUSED(right);
    const ReportPages pages = t.report.layoutPages();
    const ReportPage& p = pages.pages[0];

    const PlacedText* title = p.firstTextOf(QStringLiteral("Title"));
    const double w = textWidthMm(QStringLiteral("Zestawienie"), t.header->font());
    QVERIFY(w > 5 && w < 40);
    QCOMPARE(title->rect.width(), w);
    QCOMPARE(title->rect.left(), 70.0);
    QVERIFY(!title->clip);
    // Right-aligned auto-size keeps its right edge.
    const PlacedText* ra = p.firstTextOf(QStringLiteral("RightAuto"));
    QCOMPARE(ra->rect.right(), 140.0);

    // The amount's rule at its right edge, and the header's frame of four rules.
    auto hasRule = [&p](const QLineF& l) {
        for (const PlacedRule& r : p.rules)
            if (qAbs(r.line.x1() - l.x1()) < 1e-9 && qAbs(r.line.y1() - l.y1()) < 1e-9 &&
                qAbs(r.line.x2() - l.x2()) < 1e-9 && qAbs(r.line.y2() - l.y2()) < 1e-9)
                return true;
        return false;
    };
    QVERIFY(hasRule(QLineF(80.0, 30.3, 80.0, 35.0)));
    QVERIFY(hasRule(QLineF(10, 10, 200, 10)));
    QVERIFY(hasRule(QLineF(10, 30, 200, 30)));
    QVERIFY(hasRule(QLineF(10, 10, 10, 30)));
    QVERIFY(hasRule(QLineF(200, 10, 200, 30)));
    // Detail band has no frame here: only the amount rule lies below the header.
    int below = 0;
    for (const PlacedRule& r : p.rules)
        if (r.line.y1() > 30.0)
            ++below;
    QCOMPARE(below, 1);
}

void TestReportEngine::wordWrapGrowsTheBox()
{
    TestReport t;
    t.report.setDataSet(kLines, lines(1));
    t.title->setCaption(QStringLiteral("bardzo długi tytuł zestawienia, który nie mieści się w jednym wierszu"));
    t.title->setGeometry(60, 1, 15, 4.0);
    t.title->setWordWrap(true);
    const ReportPages pages = t.report.layoutPages();
    const PlacedText* title = pages.pages[0].firstTextOf(QStringLiteral("Title"));
    QVERIFY(title->wordWrap);
    QVERIFY(title->rect.height() > 2 * lineHeightMm(t.header->font()));
    QCOMPARE(title->rect.width(), 15.0);
}

void TestReportEngine::lookupReadsCurrentRecord()
{
    TestReport t;
    t.report.setDataSet(kLines, lines(3));
    auto other = std::make_shared<MemoryReportData>(
        QStringLiteral("TableOther"), QList<FieldDef>{{QStringLiteral("Symbol"), FieldType::Text, 20, {}, {}}});
    other->addRow({QStringLiteral("HURT")});
    other->addRow({QStringLiteral("SKLEP")});
    other->setCurrentRow(1);
    t.header->addField(QStringLiteral("Other"), QStringLiteral("TableOther"), QStringLiteral("Symbol"), 10, 10, 30);
    // Not bound yet: prints nothing rather than failing.
    QCOMPARE(t.report.layoutPages().textsOf(QStringLiteral("Other")), QStringList{QString()});
    t.report.setLookup(QStringLiteral("TableOther"), other);
    QCOMPARE(t.report.layoutPages().textsOf(QStringLiteral("Other")), QStringList{QStringLiteral("SKLEP")});
}

void TestReportEngine::unknownFieldAndBadExpressionThrow()
{
    TestReport t;
    t.report.setDataSet(kLines, lines(2));
    t.name->setDataField(kLines, QStringLiteral("Nope"));
    try {
        t.report.layoutPages();
        QFAIL("no error for an unknown field");
    } catch (const EngineError& e) {
        QCOMPARE(e.text(), QStringLiteral("TableLines: Field 'Nope' not found"));
    }
    t.name->setDataField(kLines, QStringLiteral("Name"));
    t.sum->setExpression(QStringLiteral("AVG(TableLines.Amount"));
    QVERIFY_THROWS_EXCEPTION(EngineError, t.report.layoutPages());

    QVERIFY(ReportExpr::parse(QStringLiteral(" sum( TableTowary . WartoscNetto ) ")));
    const auto parsed = ReportExpr::parse(QStringLiteral("SUM(TableDostawcy.WartoscBruttoSuma)"));
    QCOMPARE(parsed->dataSet, QStringLiteral("TableDostawcy"));
    QCOMPARE(parsed->field, QStringLiteral("WartoscBruttoSuma"));
    QVERIFY(!ReportExpr::parse(QStringLiteral("SUM(WartoscNetto)")));
}

void TestReportEngine::runDateFixedForTheRun()
{
    TestReport t;
    t.report.setDataSet(kLines, lines(120));
    const ReportPages pages = t.report.layoutPages(QDate(2024, 3, 9));
    QCOMPARE(pages.textsOf(QStringLiteral("Date")), QStringList(3, QStringLiteral("Data:  9.3.2024")));
}

void TestReportEngine::paintedPageShowsRulesAndText()
{
    TestReport t;
    t.header->setFrame(ReportFrame::all());
    // An opaque element fills its box; a transparent one leaves the page white.
    auto* box = t.header->addLabel(QStringLiteral("Box"), QString(), 20, 5, 10);
    box->setGeometry(20, 5, 10, 4.0);
    box->setTransparent(false);
    box->setColor(Qt::black);
    auto* clear = t.header->addLabel(QStringLiteral("Clear"), QString(), 20, 12, 10);
    clear->setGeometry(20, 12, 10, 4.0);
    clear->setColor(Qt::black);
    t.report.setDataSet(kLines, lines(1));
    const ReportPages pages = t.report.layoutPages();

    // 100 dpi: 1 mm = 3.937 px.
    QImage img(827, 1170, QImage::Format_RGB32);
    img.setDotsPerMeterX(3937);
    img.setDotsPerMeterY(3937);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        paintPage(p, pages.pages[0]);
    }
    const double k = 100.0 / 25.4;
    auto px = [k](double mm) { return int(mm * k); };
    // Top edge of the header frame at 10 mm.
    QVERIFY(hasDarkPixel(img, QRect(px(100), px(10) - 2, 3, 5)));
    // The title's text inside its box, nothing left of the margin.
    QVERIFY(hasDarkPixel(img, QRect(px(70), px(11), px(20), px(4))));
    QVERIFY(!hasDarkPixel(img, QRect(0, 0, px(9.5), img.height())));
    // Right-aligned amount ends near its right edge (80 mm), not at its left (60 mm).
    QVERIFY(hasDarkPixel(img, QRect(px(74), px(30.5), px(5.5), px(3.5))));
    QVERIFY(!hasDarkPixel(img, QRect(px(60.3), px(30.5), px(8), px(3.5))));
    QVERIFY(hasDarkPixel(img, QRect(px(31), px(16), 3, 3)));
    QVERIFY(!hasDarkPixel(img, QRect(px(31), px(23), px(8), px(2))));
}

void TestReportEngine::pdfExport()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("raport.pdf"));
    TestReport t;
    t.report.setDataSet(kLines, lines(120));
    QVERIFY(t.report.exportPdf(path));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray pdf = f.readAll();
    QVERIFY(pdf.startsWith("%PDF-"));
    QVERIFY(pdf.trimmed().endsWith("%%EOF"));
    QCOMPARE(pdfPageCount(pdf), 3);

    const QString empty = dir.filePath(QStringLiteral("pusty.pdf"));
    t.report.setDataSet(kLines, lines(0));
    QVERIFY(!t.report.exportPdf(empty));
    QVERIFY(!QFile::exists(empty));
}

void TestReportEngine::pdfExportToUnwritablePathNamesFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("brak/katalogu/raport.pdf"));
    TestReport t;
    t.report.setDataSet(kLines, lines(3));
    try {
        t.report.exportPdf(path);
        QFAIL("no error for a path that cannot be written");
    } catch (const EngineError& e) {
        QVERIFY2(e.message().contains(QStringLiteral("raport.pdf")), qPrintable(e.message()));
    }
}

void TestReportEngine::previewIsModalAndSavesPdf()
{
    QTemporaryDir dir;
    const QString saved = dir.filePath(QStringLiteral("z_podgladu.pdf"));
    const QString unwritable = dir.filePath(QStringLiteral("brak/zly.pdf"));
    int asked = 0;
    // First a folder that does not exist, then a good file.
    setPdfFileNameAsker([&](QWidget*, const QString& suggested) {
        ++asked;
        if (!suggested.endsWith(QStringLiteral("Zestawienie testowe.pdf")))
            return QString();
        return asked == 1 ? unwritable : saved;
    });
    auto sink = std::make_shared<platform::ScriptedMessages>();
    platform::setMessageSink(sink);

    TestReport t;
    t.report.setTitle(QStringLiteral("Zestawienie testowe"));
    t.report.setDataSet(kLines, lines(60));
    qputenv("TMP", "/nowhere");

    bool sawDialog = false;
    bool hadAction = false;
    QString title;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        sawDialog = true;
        title = modal->windowTitle();
        auto* save = modal->findChild<QAction*>(QString::fromLatin1(kSavePdfActionName));
        hadAction = save && save->text() == QStringLiteral("Zapisz jako PDF");
        if (save) {
            save->trigger();
            save->trigger();
        }
        static_cast<QDialog*>(modal)->reject();
    });
    t.report.preview();
    setPdfFileNameAsker({});
    platform::setMessageSink(nullptr);

    QVERIFY(sawDialog);
    QVERIFY(hadAction);
    QCOMPARE(title, QStringLiteral("Zestawienie testowe"));
    QCOMPARE(asked, 2);
    QCOMPARE(sink->log().size(), 1);
    QCOMPARE(sink->log().first().kind, platform::MessageKind::Error);
    QVERIFY2(sink->log().first().text.contains(QStringLiteral("zly.pdf")), qPrintable(sink->log().first().text));
    QFile f(saved);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(pdfPageCount(f.readAll()), 2);
    // The TMP setting is made before the preview.
    QCOMPARE(QDir::fromNativeSeparators(QString::fromLocal8Bit(qgetenv("TMP"))), QDir::currentPath());
}

QTEST_MAIN(TestReportEngine)
#include "tst_engine.moc"
