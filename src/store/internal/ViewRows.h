#pragma once
// The records of a view, in view order. A view a filter callback decides row by
// row, or a small one, is a list of ids read at once. A large view the SQL
// condition decides alone is a window over the index: its count comes from the
// engine, and its ids are read in keyset pages around the rows being read (the
// start and the end read directly, a jump by an offset), so what a workstation
// holds does not grow with the register. Internal to the engine.
#include "store/internal/SqlConnection.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>
#include <vector>

namespace jadl {

struct TableState;

class ViewRows {
public:
    // Rows of a page, and of a read ahead of the rows asked for.
    static constexpr int kPageRows = 256;

    explicit ViewRows(TableState& s) : s_(s) { }
    ViewRows(const ViewRows&) = delete;
    ViewRows& operator=(const ViewRows&) = delete;

    void setList(std::vector<qint64> ids);
    // A window over the rows of the view's condition, counted by the engine now.
    void setWindow();
    // Counted again and its pages dropped, after a write of this connection.
    void reload();
    void clear();

    bool windowed() const { return windowed_; }
    size_t size() const { return windowed_ ? size_t(count_) : list_.size(); }
    bool empty() const { return size() == 0; }
    // The id at a position below size(); a window reads its page when needed.
    qint64 operator[](size_t pos) const;
    qint64 back() const { return (*this)[size() - 1]; }
    // The position of a record in the view; nullopt when the view does not hold it.
    std::optional<size_t> find(qint64 id) const;
    // The same, counted from a record whose position is known, before the record
    // was put in: the engine counts only the rows between the two.
    std::optional<size_t> findNear(qint64 id, size_t anchorPos, qint64 anchorId) const;
    // A record near a position whose place is known without reading: the one there
    // when its page is read, else the last one put in.
    std::optional<std::pair<size_t, qint64>> anchorNear(size_t pos) const;
    // The last record of the condition as the table holds it now, read past the pages.
    std::optional<qint64> lastNow() const;
    // The id is taken out at its position, or put in at one: the rows after move.
    void erase(size_t pos);
    void insert(size_t pos, qint64 id);
    // The ids of a list; a window has none (its condition is the view).
    const std::vector<qint64>& list() const { return list_; }

    // Another connection changed the table since the window counted: the count is
    // taken again and the pages read anew. True when it was so.
    bool resyncIfChanged() const;

private:
    struct Key {
        SqlType type = SqlType::Null;
        qint64 integer = 0;
        double real = 0;
        QByteArray bytes;
    };
    struct Page {
        std::vector<qint64> ids;
        std::vector<Key> first, last; // order columns of the first and the last row
    };
    enum class Direction { Forward, Backward };
    // A condition on the order columns and its binds, in order.
    struct Bound {
        QString sql;
        std::vector<Key> binds;
    };

    // The order columns a keyset compares: the index's, without those the
    // condition holds at one value, and the record key last.
    void learnColumns();
    std::optional<qint64> loadedId(qint64 pos) const;
    void readAround(qint64 pos) const;
    // Up to `limit` rows after (Forward) or before (Backward) a row's keys, or
    // from the start or the end when there are none; in view order.
    Page readKeyset(Direction d, const std::vector<Key>* from, int limit) const;
    Page readAt(qint64 offset, int limit) const;
    Page run(const QString& sql, const std::vector<Key>& binds, const std::vector<qint64>& tail, bool reversed) const;
    std::optional<std::vector<Key>> keysOf(qint64 id) const;
    // The rows after (Forward) or before (Backward) the keys of a row, compared
    // from order column `from` on (the earlier ones equal).
    Bound beyond(Direction d, const std::vector<Key>& at, size_t from = 0) const;
    // The rows of `next` after those of `p`.
    static void join(Page& p, Page&& next);
    qint64 countWhere(const Bound& b) const;
    static void bindKeys(SqlStatement& st, int first, const std::vector<Key>& keys);
    void store(qint64 start, Page&& p) const;
    qint64 countNow() const;

    TableState& s_;
    bool windowed_ = false;
    std::vector<qint64> list_;
    mutable qint64 count_ = 0;
    QStringList columns_; // quoted order columns for the keyset
    mutable std::map<qint64, Page> pages_; // by their first position
    mutable qint64 version_ = 0;
    mutable std::optional<std::pair<qint64, qint64>> known_; // position and id of the last record put in
};

} // namespace jadl
