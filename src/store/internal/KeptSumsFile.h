#pragma once
// The sums a SQLite file keeps per month (store/internal/KeptSums.h): the
// bucket tables beside the table, the file's triggers and the connection's
// own, and the upkeep around each write transaction of the program. Internal
// to the engine.
#include "store/internal/KeptSums.h"
#include "store/internal/SqliteFile.h"

#include <memory>

namespace jadl::keptsums {

class FileSums : public SqliteFile::WriteHooks {
public:
    // Makes what the file lacks (every month then noted), and the connection's
    // own triggers; nullptr where the file can keep none (it cannot be written
    // and holds no buckets).
    static std::unique_ptr<FileSums> attach(SqliteFile& file, const QString& tableIdent, const KeptSumsDef& def);

    FileSums(SqliteFile& file, Layout layout);
    void afterBegin() override;
    void beforeCommit() override;
    void suspend() override;
    void resume() override;

    // The buckets hold what the rows hold: months others noted are built again
    // first. False when they cannot be (a read-only file, another program
    // writing): then the rows are summed instead.
    bool ready();
    // Months with records whose date is no calendar date (sums over a period
    // then come from the rows).
    bool hasOddDates();

private:
    void makeConnectionTriggers();
    void dropConnectionTriggers();
    void buildMarked();
    void buildMonth(qint64 month);
    void buildAll();

    SqliteFile& file_;
    Layout layout_;
};

} // namespace jadl::keptsums
