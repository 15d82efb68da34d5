#include "reports/ReportSheetAction.h"

#include "platform/Messages.h"
#include "sheets/SheetFile.h"
#include "store/EngineError.h"

#include <QAction>
#include <QFileDialog>

namespace jadl {

namespace {

const QString kCaption = QStringLiteral("Zapisz jako arkusz");
const QString kXlsxFilter = QStringLiteral("Skoroszyt programu Excel (*.xlsx)");
const QString kCsvFilter = QStringLiteral("Plik CSV rozdzielany średnikami (*.csv)");

SheetFileNameAsker& asker()
{
    static SheetFileNameAsker a;
    return a;
}

std::optional<SheetFileChoice> askSheetFileName(QWidget* parent, const QString& suggested)
{
    if (asker())
        return asker()(parent, suggested);
    QString selected = kXlsxFilter;
    const QString path = QFileDialog::getSaveFileName(parent, kCaption, suggested,
                                                      kXlsxFilter + QStringLiteral(";;") + kCsvFilter, &selected);
    if (path.isEmpty())
        return std::nullopt;
    return SheetFileChoice{path, selected == kCsvFilter ? SheetFormat::Csv : SheetFormat::Xlsx};
}

} // namespace

void setSheetFileNameAsker(SheetFileNameAsker a)
{
    asker() = std::move(a);
}

QAction* makeSaveSheetAction(QWidget* owner, const QString& suggested, SheetSource source)
{
    auto* action = new QAction(kCaption, owner);
    action->setObjectName(QString::fromLatin1(kSaveSheetActionName));
    action->setToolTip(QStringLiteral("Zapisz raport jako arkusz XLSX lub CSV"));
    QObject::connect(action, &QAction::triggered, owner, [owner, suggested, source = std::move(source)] {
        const auto choice = askSheetFileName(owner, suggested);
        if (!choice || choice->path.isEmpty())
            return;
        // Called from the dialog's own event handling: no exception may leave it.
        try {
            writeSheet(source(), sheetTarget(choice->path, choice->filter));
        } catch (const SheetError& e) {
            platform::showError(e.message());
        } catch (const EngineError& e) {
            platform::showError(e.message());
        }
    });
    return action;
}

} // namespace jadl
