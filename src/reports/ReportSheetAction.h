#pragma once
// The print preview's "Zapisz jako arkusz": asks for a file name (XLSX or CSV) and
// writes the report's sheet there; a file error goes to the error box.
#include "sheets/SheetData.h"
#include "sheets/SheetWriter.h"

#include <functional>
#include <optional>

class QAction;
class QWidget;

namespace jadl {

// Builds the sheet when it is asked for, from the report as it is then.
using SheetSource = std::function<SheetData()>;

struct SheetFileChoice {
    QString path;
    SheetFormat filter = SheetFormat::Xlsx; // the filter chosen in the dialog
};
// Asks where to save the sheet; nullopt when the user gives up. Tests replace the
// file dialog with their own answer.
using SheetFileNameAsker = std::function<std::optional<SheetFileChoice>(QWidget* parent, const QString& suggested)>;
void setSheetFileNameAsker(SheetFileNameAsker asker); // empty: the file dialog again

inline constexpr const char* kSaveSheetActionName = "actionZapiszArkusz";

// The action, owned by `owner`; `suggested` is the file name the dialog starts with.
QAction* makeSaveSheetAction(QWidget* owner, const QString& suggested, SheetSource source);

} // namespace jadl
