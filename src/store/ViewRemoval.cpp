#include "store/ViewRemoval.h"

#include "store/RowCache.h"
#include "store/SqlFunctions.h"
#include "store/SqliteFile.h"
#include "store/TableState.h"
#include "store/Values.h"

#include <QStringList>

#include <algorithm>
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
    const RowSet inView(s.view.ids);
    const int total = int(s.view.ids.size());
    const FieldDef& def = s.def(size_t(field));
    SQLite::Statement& st = s.file->statement(
        QStringLiteral("SELECT rowid, %1 FROM %2%3").arg(quoteId(def.name), s.sqlName, s.view.condition.whereSql()));
    ResetOnExit reset(st);
    std::vector<qint64> picked;
    int judged = 0;
    s.file->guard([&] { s.view.condition.bind(st); });
    for (;;) {
        const bool more = s.file->guard([&] { return st.executeStep(); });
        if (!more)
            break;
        const qint64 id = st.getColumn(0).getInt64();
        if (!inView.contains(id))
            continue;
        if (picks(readColumn(def, st.getColumn(1))))
            picked.push_back(id);
        if (progress && ++judged % kProgressEvery == 0)
            progress(judged, total);
    }
    return picked;
}

QString rawName(const QString& quoted)
{
    QString n = quoted.mid(1, quoted.size() - 2);
    n.replace(QStringLiteral("\"\""), QStringLiteral("\""));
    return n;
}

struct Columns {
    QStringList names; // quoted
    bool idIsColumn = false; // an INTEGER PRIMARY KEY column is the record id itself
};

Columns columnsOf(TableState& s)
{
    Columns c;
    SQLite::Statement& st = s.file->statement(QStringLiteral("SELECT name, type, pk FROM pragma_table_info(?)"));
    ResetOnExit reset(st);
    int keys = 0;
    bool integerKey = false;
    s.file->guard([&] {
        st.bind(1, rawName(s.sqlName).toStdString());
        while (st.executeStep()) {
            c.names << quoteId(QString::fromUtf8(st.getColumn(0).getText()));
            if (st.getColumn(2).getInt() > 0) {
                ++keys;
                integerKey = QString::fromUtf8(st.getColumn(1).getText())
                                 .compare(QStringLiteral("INTEGER"), Qt::CaseInsensitive) == 0;
            }
        }
    });
    c.idIsColumn = keys == 1 && integerKey;
    return c;
}

// The named indexes of the table and the SQL that makes each.
std::vector<std::pair<QString, QString>> indexesOf(TableState& s)
{
    std::vector<std::pair<QString, QString>> out;
    SQLite::Statement& st = s.file->statement(QStringLiteral(
        "SELECT name, sql FROM sqlite_master WHERE type = 'index' AND tbl_name = ? AND sql IS NOT NULL"));
    ResetOnExit reset(st);
    s.file->guard([&] {
        st.bind(1, rawName(s.sqlName).toStdString());
        while (st.executeStep())
            out.emplace_back(QString::fromUtf8(st.getColumn(0).getText()),
                             QString::fromUtf8(st.getColumn(1).getText()));
    });
    return out;
}

// Most records go: keep the rest aside, empty the table (SQLite drops its pages
// at once), put the kept ones back with their ids, build the indexes again.
void rewriteKeeping(TableState& s, const Progress& progress)
{
    const Columns cols = columnsOf(s);
    const auto indexes = indexesOf(s);
    WriteSteps steps(progress, int(s.view.ids.size()), 4 + 2 * int(indexes.size()));
    const QString list = cols.names.join(QStringLiteral(", "));
    // The statements cached so far must not hold the dropped indexes.
    rowcache::forgetStatements(s);
    s.file->dropStatements();
    s.file->exec(QStringLiteral("CREATE TEMP TABLE jadl_kept AS SELECT rowid AS jadl_rowid, %1 FROM %2 "
                                "WHERE NOT jadl_member(rowid)")
                     .arg(list, s.sqlName));
    steps.next();
    for (const auto& index : indexes) {
        s.file->exec(QStringLiteral("DROP INDEX %1").arg(quoteId(index.first)));
        steps.next();
    }
    s.file->exec(QStringLiteral("DELETE FROM %1").arg(s.sqlName));
    steps.next();
    if (cols.idIsColumn)
        s.file->exec(QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM temp.jadl_kept ORDER BY jadl_rowid")
                         .arg(s.sqlName, list));
    else
        s.file->exec(QStringLiteral("INSERT INTO %1 (rowid, %2) SELECT jadl_rowid, %2 FROM temp.jadl_kept "
                                    "ORDER BY jadl_rowid")
                         .arg(s.sqlName, list));
    steps.next();
    for (const auto& index : indexes) {
        s.file->exec(index.second);
        steps.next();
    }
    s.file->exec(QStringLiteral("DROP TABLE temp.jadl_kept"));
    steps.next();
}

void deleteEach(TableState& s, const std::vector<qint64>& ids, const Progress& progress)
{
    WriteSteps steps(progress, int(s.view.ids.size()), int(ids.size() / kProgressEvery) + 1);
    SQLite::Statement& st = s.file->statement(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(s.sqlName));
    for (size_t i = 0; i < ids.size(); ++i) {
        s.file->guard([&] {
            ResetOnExit reset(st);
            st.bind(1, int64_t(ids[i]));
            st.exec();
        });
        if ((i + 1) % kProgressEvery == 0)
            steps.next();
    }
    steps.next();
}

qint64 countAll(TableState& s)
{
    SQLite::Statement& st = s.file->statement(QStringLiteral("SELECT count(*) FROM %1").arg(s.sqlName));
    ResetOnExit reset(st);
    return s.file->guard([&] { return st.executeStep() ? st.getColumn(0).getInt64() : qint64(0); });
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
    Transaction tx(*s.file);
    if (qint64(picked.size()) * 2 > countAll(s)) {
        const RowSet gone(picked);
        const MemberScope scope(*s.file, gone);
        rewriteKeeping(s, progress);
    } else {
        deleteEach(s, picked, progress);
    }
    tx.commit();
    return int(picked.size());
}

} // namespace jadl::viewremoval
