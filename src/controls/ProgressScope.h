#pragma once
// A long job's progress in a small window of its own, for the work of a button
// that has no progress bar in its window (corrections, the copy table). No
// cancel button: a job half done would be worse than one done. It appears only
// when the job lasts, and keeps the program's windows painted.
#include "common/Progress.h"

#include <QProgressDialog>

namespace jadl {

class ProgressScope {
public:
    ProgressScope(QWidget* parent, const QString& text, int total);
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;
    void step(int done);

private:
    QProgressDialog dialog_;
    ProgressPacer pacer_;
};

} // namespace jadl
