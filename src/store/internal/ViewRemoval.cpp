#include "store/internal/ViewRemoval.h"

#include "store/internal/RowCache.h"
#include "store/internal/SqlFunctions.h"
#include "store/internal/TableState.h"
#include "store/internal/Values.h"

#include <QStringList>

#include <algorithm>
#include <optional>
#include <vector>

namespace jadl::viewremoval {

using namespace detail;

namespace {

constexpr int kProgressEvery = 4096;

// The writing after the judging: its statements (or blocks of deletes) one by one
// on the same bar, so the window is painted between them.
class WriteSteps {
public:
    WriteSteps(const Progress& progress, int judged, int steps) : progress_(progress), judged_(judged), steps_(steps)
    {
        report();
    }
    void next()
    {
        done_ = std::min(done_ + 1, steps_);
        report();
    }

private:
    void report() const
    {
        if (progress_)
            progress_(judged_ + done_, judged_ + steps_);
    }
    const Progress& progress_;
    int judged_;
    int steps_;
    int done_ = 0;
};

// The records of the view whose field the predicate picks.
std::vector<qint64> judge(TableState& s, int field, const Picks& picks, const Progress& progress)
{
    // A window is its condition; a list is checked id by id.
    const bool windowed = s.view.ids.windowed();
    const RowSet inView(s.view.ids.list());
    const int total = int(s.view.ids.size());
    const FieldDef& def = s.def(size_t(field));
    SqlStatement& st = s.conn->statement(QStringLiteral("SELECT %1, %2 FROM %3%4")
                                             .arg(s.keySql, quoteId(def.name), s.sqlName, s.view.condition.whereSql()));
    ResetOnExit reset(st);
    std::vector<qint64> picked;
    int judged = 0;
    s.view.condition.bind(st);
    while (st.step()) {
        const qint64 id = st.column(0).toInt64();
        if (!windowed && !inView.contains(id))
            continue;
        if (picks(readColumn(def, st.column(1))))
            picked.push_back(id);
        if (progress && ++judged % kProgressEvery == 0)
            progress(judged, total);
    }
    return picked;
}

} // namespace

int remove(TableState& s, int field, const Picks& picks, const Progress& progress)
{
    const std::vector<qint64> picked = judge(s, field, picks, progress);
    if (picked.empty()) {
        if (progress)
            progress(int(s.view.ids.size()), int(s.view.ids.size()));
        return 0;
    }
    // One transaction (joining a batch in progress): a failure deletes nothing.
    Transaction tx(*s.conn);
    std::optional<WriteSteps> steps;
    s.conn->dialect().removeRecords(s, picked,
                                    {[&](int total) { steps.emplace(progress, int(s.view.ids.size()), total); },
                                     [&] {
                                         if (steps)
                                             steps->next();
                                     }});
    tx.commit();
    return int(picked.size());
}

} // namespace jadl::viewremoval
