#include "store/recordset.h"

#include "store/connection.h"
#include "store/engine_p.h"
#include "store/error.h"
#include "store/filter_p.h"
#include "store/order_p.h"

#include <QBitArray>
#include <QDate>
#include <QPointer>
#include <QRegularExpression>

#include <sqlcipher/sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace store {

namespace {

// Each row is one block in an arena: one 32-bit end offset per field (the top bit marks a
// null) followed by the fields' UTF-8 texts, so a row costs its text and four bytes a field.
constexpr quint32 kNullBit = 0x80000000u;
constexpr quint32 kOffsetMask = 0x7fffffffu;
// Chunks grow from small (the many short lists) to 2 MiB (the registers). The large
// chunks are asked for as huge pages where the system offers them: a register's rows
// are tens of megabytes, and touching them a 4 KiB page at a time costs more than
// reading them.
constexpr size_t kFirstChunkBytes = 4096;
constexpr size_t kLargestChunkBytes = detail::kHugePageBytes;

struct FreeChunk {
    void operator()(char* p) const { std::free(p); }
};
using Chunk = std::unique_ptr<char[], FreeChunk>;

Chunk allocateChunk(size_t bytes) {
    void* p =
        bytes % kLargestChunkBytes == 0 ? detail::allocateHugePages(bytes) : std::malloc(bytes);
    if (!p)
        throw std::bad_alloc();
    return Chunk(static_cast<char*>(p));
}

class Arena {
public:
    char* allocate(size_t bytes) {
        if (chunks_.empty() || used_ + bytes > size_) {
            const size_t next =
                chunks_.empty() ? kFirstChunkBytes : std::min(size_ * 2, kLargestChunkBytes);
            size_ = std::max(next, bytes);
            chunks_.push_back(allocateChunk(size_));
            used_ = 0;
        }
        char* p = chunks_.back().get() + used_;
        used_ += bytes;
        return p;
    }
    void clear() {
        chunks_.clear();
        used_ = size_ = 0;
    }

private:
    std::vector<Chunk> chunks_;
    size_t used_ = 0;
    size_t size_ = 0;
};

struct Row {
    const char* data = nullptr; // nullptr: every field null (a row being appended)
    qint64 rowid = 0;
    bool deleted = false;
};

struct Pending {
    bool isNew = false;
    QList<QVariant> values;
    QBitArray set;
    int returnRow = -1; // the row index current before addNew
};

struct Field {
    QString name;
    QString origin; // the base table's column, empty for an expression
    int type = kText;
    bool writable = false;
};

int typeFromDeclared(const char* declared) {
    if (!declared)
        return -1;
    const QByteArray t = QByteArray(declared).trimmed().toUpper();
    if (t.startsWith("SMALLINT"))
        return kSmallInt;
    if (t.startsWith("INT") || t.startsWith("LONG") || t.startsWith("BIGINT"))
        return kInteger;
    if (t.startsWith("SINGLE") || t.startsWith("REAL"))
        return kSingle;
    if (t.startsWith("DOUBLE") || t.startsWith("FLOAT") || t.startsWith("NUMERIC"))
        return kDouble;
    if (t.startsWith("CURRENCY") || t.startsWith("MONEY"))
        return kCurrency;
    if (t.startsWith("DATE"))
        return kDate;
    return kText;
}

bool isNumeric(int type) {
    return type == kSmallInt || type == kInteger || type == kSingle || type == kDouble ||
           type == kCurrency;
}

QString quoteIdentifier(const QString& name) {
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// Statement handle that finalizes itself.
struct Statement {
    sqlite3_stmt* stmt = nullptr;
    ~Statement() { sqlite3_finalize(stmt); }
};

QString displayDate(const QString& stored) {
    const QString iso = detail::isoDate(stored);
    if (iso.isEmpty())
        return stored;
    return QStringLiteral("%1-%2-%3")
        .arg(iso.left(4))
        .arg(iso.mid(5, 2).toInt())
        .arg(iso.mid(8, 2).toInt());
}

QString displayNumber(const QString& stored, int type) {
    if (type == kSmallInt || type == kInteger)
        return stored;
    bool ok = false;
    const double value = stored.toDouble(&ok);
    return ok ? QString::number(value, 'g', 15) : stored;
}

} // namespace

struct Recordset::Impl {
    Recordset* q = nullptr;
    Connection* connection = nullptr;
    QString sql;
    bool open = false;

    QList<Field> fields;
    QStringList names;
    QString baseTable;
    bool hasRowid = false;

    Arena arena;
    std::vector<Row> rows;
    std::vector<int> visible; // indexes into rows
    std::unordered_map<int, Pending> pending;
    int pos = -1;           // index into visible; -1 BOF, visible.size() EOF
    bool onDeleted = false; // positioned on a row just deleted

    QString filter;
    std::optional<detail::FilterExpr> filterExpr;

    struct EditSource {
        QPointer<QObject> owner;
        std::function<void()> flush;
    };
    std::vector<EditSource> editSources;
    bool flushing = false;

    // --- reading -----------------------------------------------------------------------

    std::optional<std::string_view> storedCell(const Row& row, int column) const {
        if (!row.data)
            return std::nullopt;
        const size_t n = size_t(fields.size());
        quint32 end = 0, start = 0;
        std::memcpy(&end, row.data + 4 * size_t(column), 4);
        if (end & kNullBit)
            return std::nullopt;
        if (column > 0) {
            std::memcpy(&start, row.data + 4 * size_t(column - 1), 4);
            start &= kOffsetMask;
        }
        return std::string_view(row.data + 4 * n + start, (end & kOffsetMask) - start);
    }

    // The current text of a cell, pending changes included; nullopt for null.
    std::optional<QString> rawText(int rowIndex, int column) const {
        if (auto it = pending.find(rowIndex); it != pending.end() && it->second.set[column]) {
            const QVariant& v = it->second.values[column];
            if (!v.isValid() || v.isNull())
                return std::nullopt;
            if (v.typeId() == QMetaType::QDate)
                return v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
            return v.toString();
        }
        const auto cell = storedCell(rows[size_t(rowIndex)], column);
        if (!cell)
            return std::nullopt;
        return QString::fromUtf8(cell->data(), qsizetype(cell->size()));
    }

    QVariant typedValue(int rowIndex, int column) const {
        const auto text = rawText(rowIndex, column);
        if (!text)
            return QVariant();
        const int type = fields[column].type;
        if (type == kDate) {
            const QString iso = detail::isoDate(*text);
            if (!iso.isEmpty())
                return QDate::fromString(iso, Qt::ISODate);
            return *text;
        }
        if (type == kSmallInt || type == kInteger) {
            bool ok = false;
            const qlonglong whole = text->toLongLong(&ok);
            if (ok)
                return whole;
            const double real = text->toDouble(&ok);
            return ok ? QVariant(real) : QVariant(*text);
        }
        if (isNumeric(type)) {
            bool ok = false;
            const double real = text->toDouble(&ok);
            return ok ? QVariant(real) : QVariant(*text);
        }
        return *text;
    }

    QString displayText(int rowIndex, int column) const {
        const auto text = rawText(rowIndex, column);
        if (!text)
            return QString();
        const int type = fields[column].type;
        if (type == kDate)
            return displayDate(*text);
        if (isNumeric(type))
            return displayNumber(*text, type);
        return *text;
    }

    // --- positions ---------------------------------------------------------------------

    int size() const { return int(visible.size()); }
    bool atBof() const { return !onDeleted && (visible.empty() || pos < 0); }
    bool atEof() const { return !onDeleted && (visible.empty() || pos >= size()); }
    bool onRow() const { return !onDeleted && pos >= 0 && pos < size(); }
    int currentIndex() const { return onRow() ? visible[size_t(pos)] : -1; }

    int requireCurrent() const {
        if (onDeleted)
            throw DbError(kNoCurrentRecord, QStringLiteral("当前记录已被删除。"));
        if (!onRow())
            throw DbError(kNoCurrentRecord,
                          QStringLiteral("BOF 或 EOF 中有一个是“真”，或者当前记录已被删除。"));
        return visible[size_t(pos)];
    }

    int requireField(int index) const {
        if (index < 0 || index >= fields.size())
            throw DbError(kSqlError, QStringLiteral("没有第 %1 个字段。").arg(index));
        return index;
    }
    int requireField(const QString& name) const {
        const int index = fieldIndex(name);
        if (index < 0)
            throw DbError(kSqlError, QStringLiteral("记录集中没有字段“%1”。").arg(name));
        return index;
    }
    int fieldIndex(const QString& name) const {
        for (int i = 0; i < names.size(); ++i)
            if (names[i].compare(name, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }

    void flushEdits() {
        if (flushing)
            return;
        flushing = true;
        std::erase_if(editSources, [](const EditSource& s) { return s.owner.isNull(); });
        const auto sources = editSources;
        try {
            for (const auto& source : sources)
                if (source.owner)
                    source.flush();
        } catch (...) {
            flushing = false;
            throw;
        }
        flushing = false;
    }

    // Before the current row changes: edits are handed in and a changed row is written,
    // as a client record set does when it leaves a row being edited.
    void leaveRow() {
        flushEdits();
        const int current = currentIndex();
        if (current >= 0 && pending.count(current))
            writeAndApply(current);
        onDeleted = false;
    }

    void rebuildVisible() {
        visible.clear();
        visible.reserve(rows.size());
        if (!filterExpr) {
            for (int i = 0; i < int(rows.size()); ++i)
                if (!rows[size_t(i)].deleted)
                    visible.push_back(i);
            return;
        }
        const int column = filterExpr->column;
        const detail::FilterMatcher matcher(*filterExpr, fields[column].type);
        const int count = int(rows.size());
        for (int i = 0; i < count; ++i) {
            const Row& row = rows[size_t(i)];
            if (row.deleted)
                continue;
            bool pass;
            if (auto it = pending.find(i); it != pending.end()) {
                if (it->second.isNew) {
                    visible.push_back(i); // a row being appended stays in sight
                    continue;
                }
                const auto text = rawText(i, column);
                const std::string utf8 = text ? text->toStdString() : std::string();
                pass = matcher.matches(text ? std::optional<std::string_view>(utf8) : std::nullopt);
            } else {
                pass = matcher.matches(storedCell(row, column));
            }
            if (pass)
                visible.push_back(i);
        }
    }

    // --- loading -----------------------------------------------------------------------

    const char* storeRow(const std::vector<std::optional<QByteArray>>& cells) {
        const size_t n = cells.size();
        size_t bytes = 4 * n;
        for (const auto& c : cells)
            if (c)
                bytes += size_t(c->size());
        char* block = arena.allocate(bytes);
        quint32 end = 0;
        char* text = block + 4 * n;
        for (size_t i = 0; i < n; ++i) {
            quint32 mark = end;
            if (cells[i]) {
                std::memcpy(text + end, cells[i]->constData(), size_t(cells[i]->size()));
                end += quint32(cells[i]->size());
                mark = end;
            } else {
                mark |= kNullBit;
            }
            std::memcpy(block + 4 * i, &mark, 4);
        }
        return block;
    }

    void prepare(sqlite3* db, const QString& text, Statement& st) {
        const QByteArray utf8 = text.toUtf8();
        const int rc =
            sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &st.stmt, nullptr);
        if (rc != SQLITE_OK)
            throw detail::engineError(db, rc, text);
    }

    // clientOrder: a closing single-column ORDER BY may be done on the held rows.
    void load(bool clientOrder = true) {
        if (!connection || !connection->isOpen())
            throw DbError(kSqlError, QStringLiteral("记录集的连接没有打开。"));
        sqlite3* db = connection->handle();
        const QString translated = detail::translateDialect(sql);

        Statement probe;
        prepare(db, translated, probe);
        const int n = sqlite3_column_count(probe.stmt);
        QList<Field> newFields;
        QString table;
        bool singleTable = n > 0;
        for (int i = 0; i < n; ++i) {
            Field f;
            f.name = QString::fromUtf8(sqlite3_column_name(probe.stmt, i));
            f.type = typeFromDeclared(sqlite3_column_decltype(probe.stmt, i));
            const char* t = sqlite3_column_table_name(probe.stmt, i);
            const char* o = sqlite3_column_origin_name(probe.stmt, i);
            const char* dbName = sqlite3_column_database_name(probe.stmt, i);
            if (t && o) {
                f.origin = QString::fromUtf8(o);
                const QString tt = QString::fromUtf8(t);
                if (table.isEmpty())
                    table = tt;
                else if (table != tt)
                    singleTable = false;
                if (!dbName || std::strcmp(dbName, "main") != 0)
                    singleTable = false;
            }
            newFields << f;
        }
        if (table.isEmpty())
            singleTable = false;
        static const QRegularExpression notPlain(
            QStringLiteral(R"(^\s*select\s+distinct\s|\sgroup\s+by\s|\sunion\s|\sjoin\s)"),
            QRegularExpression::CaseInsensitiveOption);
        if (notPlain.match(translated).hasMatch())
            singleTable = false;

        std::optional<detail::TrailingOrder> order;
        std::optional<int> orderColumn;
        if (clientOrder && singleTable) {
            order = detail::trailingOrder(translated);
            if (order)
                orderColumn = clientOrderColumn(db, *order, newFields, table);
        }
        const QString source = orderColumn ? order->head : translated;
        // The base table's rowid, added to the select list, is how rows are written back.
        Statement withRowid;
        bool rowidAdded = false;
        if (singleTable) {
            static const QRegularExpression selectHead(QStringLiteral(R"(^\s*select\s+)"),
                                                       QRegularExpression::CaseInsensitiveOption);
            const auto m = selectHead.match(source);
            if (m.hasMatch()) {
                const QString text =
                    m.captured(0) + QStringLiteral("rowid, ") + source.mid(m.capturedEnd(0));
                const QByteArray utf8 = text.toUtf8();
                if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &withRowid.stmt,
                                       nullptr) == SQLITE_OK &&
                    sqlite3_column_count(withRowid.stmt) == n + 1)
                    rowidAdded = true;
            }
        }
        if (orderColumn && !rowidAdded) {
            load(false);
            return;
        }
        for (Field& f : newFields)
            f.writable = rowidAdded && !f.origin.isEmpty();

        sqlite3_stmt* stmt = rowidAdded ? withRowid.stmt : probe.stmt;
        clearData();
        fields = newFields;
        names.clear();
        for (const Field& f : fields)
            names << f.name;
        baseTable = rowidAdded ? table : QString();
        hasRowid = rowidAdded;

        std::optional<detail::KeyOrder> keys;
        if (orderColumn)
            keys.emplace(order->descending);
        readRows(db, stmt, rowidAdded ? 1 : 0, orderColumn.value_or(-1), keys ? &*keys : nullptr);
        if (keys) {
            const auto permutation = keys->order();
            if (!permutation) {
                // A column of mixed kinds: the engine's own comparison decides.
                load(false);
                return;
            }
            placeInOrder(*permutation);
        }
    }

    // Moves the rows into the given order, their texts too: a new arena holds them one
    // after another, so that every later pass over the rows (filters, finds, reports)
    // reads memory in order.
    void placeInOrder(const std::vector<int>& permutation) {
        constexpr size_t kAhead = 8;
        const size_t header = 4 * size_t(fields.size());
        Arena ordered;
        std::vector<Row> orderedRows;
        orderedRows.reserve(rows.size());
        for (size_t i = 0; i < permutation.size(); ++i) {
            if (i + kAhead < permutation.size())
                __builtin_prefetch(rows[size_t(permutation[i + kAhead])].data);
            Row row = rows[size_t(permutation[i])];
            quint32 end = 0;
            if (header)
                std::memcpy(&end, row.data + header - 4, 4);
            const size_t bytes = header + (end & kOffsetMask);
            char* block = ordered.allocate(bytes);
            std::memcpy(block, row.data, bytes);
            row.data = block;
            orderedRows.push_back(row);
        }
        rows.swap(orderedRows);
        arena = std::move(ordered);
    }

    // The result column a closing "order by <name>" sorts, when the held rows can be
    // ordered here with the engine's result: the name is one result column's, read from
    // the base table with the BINARY collation, and not the rowid (which the engine reads
    // in order for nothing).
    static std::optional<int> clientOrderColumn(sqlite3* db, const detail::TrailingOrder& order,
                                                const QList<Field>& fields, const QString& table) {
        std::optional<int> column;
        for (int i = 0; i < fields.size(); ++i) {
            if (fields[i].name.compare(order.term, Qt::CaseInsensitive) != 0)
                continue;
            if (column)
                return std::nullopt; // ambiguous: the engine decides
            column = i;
        }
        if (!column || fields[*column].origin.isEmpty())
            return std::nullopt;
        const char* declared = nullptr;
        const char* collation = nullptr;
        int notNull = 0, primaryKey = 0, autoIncrement = 0;
        if (sqlite3_table_column_metadata(
                db, "main", table.toUtf8().constData(), fields[*column].origin.toUtf8().constData(),
                &declared, &collation, &notNull, &primaryKey, &autoIncrement) != SQLITE_OK)
            return std::nullopt;
        if (!collation || sqlite3_stricmp(collation, "BINARY") != 0)
            return std::nullopt;
        if (primaryKey && declared && sqlite3_stricmp(declared, "INTEGER") == 0)
            return std::nullopt;
        return column;
    }

    // Reads every row of stmt into the arena; first is the column after the rowid.
    void readRows(sqlite3* db, sqlite3_stmt* stmt, int first, int orderColumn,
                  detail::KeyOrder* keys) {
        const int n = int(fields.size());
        std::vector<bool> typeKnown(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            typeKnown[size_t(i)] = fields[i].type >= 0;
        // Each cell's kind, text and length, asked of the engine once per row.
        std::vector<int> kinds(static_cast<size_t>(n));
        std::vector<const unsigned char*> texts(static_cast<size_t>(n));
        std::vector<int> lengths(static_cast<size_t>(n));
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            size_t bytes = 4 * size_t(n);
            for (int i = 0; i < n; ++i) {
                const int kind = sqlite3_column_type(stmt, first + i);
                kinds[size_t(i)] = kind;
                if (kind == SQLITE_NULL)
                    continue;
                texts[size_t(i)] = sqlite3_column_text(stmt, first + i);
                lengths[size_t(i)] = sqlite3_column_bytes(stmt, first + i);
                bytes += size_t(lengths[size_t(i)]);
            }
            char* block = arena.allocate(bytes);
            char* text = block + 4 * size_t(n);
            quint32 end = 0;
            for (int i = 0; i < n; ++i) {
                const int kind = kinds[size_t(i)];
                quint32 mark;
                const quint32 start = end;
                if (kind == SQLITE_NULL) {
                    mark = end | kNullBit;
                } else {
                    if (!typeKnown[size_t(i)]) {
                        fields[i].type = kind == SQLITE_INTEGER ? kInteger
                                         : kind == SQLITE_FLOAT ? kDouble
                                                                : kText;
                        typeKnown[size_t(i)] = true;
                    }
                    const int len = lengths[size_t(i)];
                    if (len > 0)
                        std::memcpy(text + end, texts[size_t(i)], size_t(len));
                    end += quint32(len);
                    mark = end;
                }
                std::memcpy(block + 4 * size_t(i), &mark, 4);
                if (i == orderColumn)
                    keys->add(kind, std::string_view(text + start, end - start));
            }
            Row row;
            row.data = block;
            row.rowid = first ? sqlite3_column_int64(stmt, 0) : 0;
            rows.push_back(row);
        }
        if (rc != SQLITE_DONE)
            throw detail::engineError(db, rc, sql);
        for (Field& f : fields)
            if (f.type < 0)
                f.type = kText;
        rows.shrink_to_fit();
    }

    void clearData() {
        arena.clear();
        rows.clear();
        visible.clear();
        pending.clear();
        pos = -1;
        onDeleted = false;
    }

    // --- writing -----------------------------------------------------------------------

    // A pending value as the column stores it; throws for a value its type refuses.
    QVariant storedValue(int column, const QVariant& value) const {
        if (!value.isValid() || value.isNull())
            return QVariant();
        const Field& f = fields[column];
        if (f.type == kDate) {
            if (value.typeId() == QMetaType::QDate || value.typeId() == QMetaType::QDateTime) {
                const QDate d = value.toDate();
                if (d.isValid())
                    return d.toString(QStringLiteral("yyyy-MM-dd"));
            } else {
                const QString text = value.toString().trimmed();
                if (text.isEmpty())
                    return QVariant();
                const QString iso = detail::isoDate(text);
                if (!iso.isEmpty())
                    return iso;
            }
            throw DbError(
                kBadValue,
                QStringLiteral("字段“%1”的值“%2”不是有效的日期。").arg(f.name, value.toString()));
        }
        if (isNumeric(f.type)) {
            const QString text = value.toString().trimmed();
            if (text.isEmpty())
                return QVariant();
            bool ok = false;
            if (f.type == kSmallInt || f.type == kInteger) {
                const qlonglong whole = text.toLongLong(&ok);
                if (ok)
                    return whole;
            }
            const double real = text.toDouble(&ok);
            if (ok)
                return real;
            throw DbError(kBadValue,
                          QStringLiteral("字段“%1”的值“%2”不是有效的数字。").arg(f.name, text));
        }
        return value.toString();
    }

    static void bind(sqlite3_stmt* stmt, int slot, const QVariant& v) {
        if (!v.isValid() || v.isNull()) {
            sqlite3_bind_null(stmt, slot);
        } else if (v.typeId() == QMetaType::LongLong) {
            sqlite3_bind_int64(stmt, slot, v.toLongLong());
        } else if (v.typeId() == QMetaType::Double) {
            sqlite3_bind_double(stmt, slot, v.toDouble());
        } else {
            const QByteArray utf8 = v.toString().toUtf8();
            sqlite3_bind_text(stmt, slot, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        }
    }

    void step(sqlite3* db, Statement& st, const QString& text) {
        const int rc = sqlite3_step(st.stmt);
        if (rc != SQLITE_DONE && rc != SQLITE_ROW)
            throw detail::engineError(db, rc, text);
    }

    struct WriteResult {
        qint64 rowid = 0;
        std::vector<std::optional<QByteArray>> cells;
    };

    // Writes one pending row to the database (nothing in memory changes).
    WriteResult writeRow(int rowIndex) {
        const Pending& p = pending.at(rowIndex);
        sqlite3* db = connection->handle();
        QStringList columns;
        QList<QVariant> values;
        for (int i = 0; i < fields.size(); ++i) {
            if (!p.set[i] || !fields[i].writable)
                continue;
            columns << quoteIdentifier(fields[i].origin);
            values << storedValue(i, p.values[i]);
        }
        WriteResult result;
        result.rowid = rows[size_t(rowIndex)].rowid;
        const QString table = quoteIdentifier(baseTable);
        if (p.isNew) {
            QString text;
            if (columns.isEmpty()) {
                text = QStringLiteral("insert into %1 default values").arg(table);
            } else {
                QStringList marks;
                for (int i = 0; i < columns.size(); ++i)
                    marks << QStringLiteral("?");
                text =
                    QStringLiteral("insert into %1 (%2) values (%3)")
                        .arg(table, columns.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
            }
            Statement st;
            prepare(db, text, st);
            for (int i = 0; i < values.size(); ++i)
                bind(st.stmt, i + 1, values[i]);
            step(db, st, text);
            result.rowid = sqlite3_last_insert_rowid(db);
        } else if (!columns.isEmpty()) {
            QStringList assignments;
            for (const QString& c : columns)
                assignments << c + QStringLiteral("=?");
            const QString text = QStringLiteral("update %1 set %2 where rowid=?")
                                     .arg(table, assignments.join(QLatin1Char(',')));
            Statement st;
            prepare(db, text, st);
            for (int i = 0; i < values.size(); ++i)
                bind(st.stmt, i + 1, values[i]);
            sqlite3_bind_int64(st.stmt, int(values.size()) + 1, result.rowid);
            step(db, st, text);
        }
        result.cells = readBack(rowIndex, result.rowid);
        return result;
    }

    // The row as the database now holds it (defaults and assigned numbers included);
    // fields that are no columns of the base table keep what they showed.
    std::vector<std::optional<QByteArray>> readBack(int rowIndex, qint64 rowid) {
        sqlite3* db = connection->handle();
        QStringList columns;
        for (const Field& f : fields)
            if (f.writable)
                columns << quoteIdentifier(f.origin);
        std::vector<std::optional<QByteArray>> cells(static_cast<size_t>(fields.size()));
        std::vector<std::optional<QByteArray>> fresh;
        if (!columns.isEmpty()) {
            const QString text =
                QStringLiteral("select %1 from %2 where rowid=?")
                    .arg(columns.join(QLatin1Char(',')), quoteIdentifier(baseTable));
            Statement st;
            prepare(db, text, st);
            sqlite3_bind_int64(st.stmt, 1, rowid);
            if (sqlite3_step(st.stmt) == SQLITE_ROW) {
                for (int i = 0; i < int(columns.size()); ++i) {
                    if (sqlite3_column_type(st.stmt, i) == SQLITE_NULL) {
                        fresh.emplace_back(std::nullopt);
                    } else {
                        const char* t =
                            reinterpret_cast<const char*>(sqlite3_column_text(st.stmt, i));
                        fresh.emplace_back(QByteArray(t, sqlite3_column_bytes(st.stmt, i)));
                    }
                }
            }
        }
        size_t next = 0;
        for (int i = 0; i < fields.size(); ++i) {
            if (fields[i].writable) {
                if (next < fresh.size())
                    cells[size_t(i)] = fresh[next];
                ++next;
            } else if (const auto text = rawText(rowIndex, i)) {
                cells[size_t(i)] = text->toUtf8();
            }
        }
        return cells;
    }

    void apply(int rowIndex, const WriteResult& result) {
        Row& row = rows[size_t(rowIndex)];
        row.data = storeRow(result.cells);
        row.rowid = result.rowid;
        pending.erase(rowIndex);
    }

    void writeAndApply(int rowIndex) {
        WriteResult result = writeRow(rowIndex);
        apply(rowIndex, result);
        const auto it = std::find(visible.begin(), visible.end(), rowIndex);
        if (it != visible.end()) {
            const int visibleRow = int(it - visible.begin());
            for (int c = 0; c < fields.size(); ++c)
                emit q->valueChanged(visibleRow, c);
        }
    }

    void requireUpdatable() const {
        if (!hasRowid)
            throw DbError(kNotUpdatable, QStringLiteral("记录集不能更新：它不是一个表的行。"));
    }

    // With no rows the position is BOF and EOF at once.
    void positionFirst() {
        pos = 0;
        onDeleted = false;
    }
};

Recordset::Recordset(QObject* parent) : QObject(parent), d(std::make_unique<Impl>()) {
    d->q = this;
}

Recordset::~Recordset() = default;

void Recordset::open(const QString& sql, Connection& connection) {
    close();
    d->connection = &connection;
    d->sql = sql;
    try {
        d->load();
    } catch (...) {
        d->clearData();
        d->fields.clear();
        d->names.clear();
        d->connection = nullptr;
        throw;
    }
    d->open = true;
    d->rebuildVisible();
    d->positionFirst();
    emit rowsReset();
    emit moveComplete();
}

void Recordset::close() {
    if (!d->open)
        return;
    d->clearData();
    d->fields.clear();
    d->names.clear();
    d->filter.clear();
    d->filterExpr.reset();
    d->open = false;
    d->connection = nullptr;
    emit rowsReset();
}

bool Recordset::isOpen() const {
    return d->open;
}
QString Recordset::sql() const {
    return d->sql;
}

int Recordset::fieldCount() const {
    return int(d->fields.size());
}
QString Recordset::fieldName(int index) const {
    return d->fields[d->requireField(index)].name;
}
int Recordset::fieldType(int index) const {
    return d->fields[d->requireField(index)].type;
}
int Recordset::fieldIndex(const QString& name) const {
    return d->fieldIndex(name);
}

QVariant Recordset::value(int index) const {
    return d->typedValue(d->requireCurrent(), d->requireField(index));
}
QVariant Recordset::value(const QString& name) const {
    return d->typedValue(d->requireCurrent(), d->requireField(name));
}
QString Recordset::text(int index) const {
    return d->displayText(d->requireCurrent(), d->requireField(index));
}
QString Recordset::text(const QString& name) const {
    return d->displayText(d->requireCurrent(), d->requireField(name));
}

void Recordset::setValue(int index, const QVariant& value) {
    const int row = d->requireCurrent();
    const int column = d->requireField(index);
    d->requireUpdatable();
    const Field& f = d->fields[column];
    if (!f.writable)
        throw DbError(kNotUpdatable, QStringLiteral("字段“%1”不能更新。").arg(f.name));
    // A date is kept in its stored form; a text that is no date waits for update().
    QVariant normal = value;
    if (f.type == kDate && value.isValid() && !value.isNull()) {
        const QString iso = value.typeId() == QMetaType::QDate
                                ? value.toDate().toString(QStringLiteral("yyyy-MM-dd"))
                                : detail::isoDate(value.toString());
        if (!iso.isEmpty())
            normal = iso;
        else if (value.toString().trimmed().isEmpty())
            normal = QVariant();
        else
            normal = value.toString();
    }
    const auto current = d->rawText(row, column);
    const QString wanted = normal.isValid() && !normal.isNull() ? normal.toString() : QString();
    const bool same = current ? (*current == wanted && (normal.isValid() || current->isEmpty()))
                              : wanted.isEmpty();
    if (same)
        return;
    Pending& p = d->pending[row];
    if (p.values.isEmpty()) {
        p.values.resize(d->fields.size());
        p.set.resize(int(d->fields.size()));
    }
    p.values[column] = normal;
    p.set.setBit(column);
    emit valueChanged(d->pos, column);
}

void Recordset::setValue(const QString& name, const QVariant& value) {
    setValue(d->requireField(name), value);
}

void Recordset::moveFirst() {
    d->leaveRow();
    d->positionFirst();
    emit moveComplete();
}

void Recordset::moveLast() {
    d->leaveRow();
    d->pos = d->visible.empty() ? 0 : d->size() - 1;
    emit moveComplete();
}

void Recordset::moveNext() {
    if (d->atEof())
        throw DbError(kNoCurrentRecord,
                      QStringLiteral("已在最后一条记录之后（EOF），不能再向后移动。"));
    const bool fromDeleted = d->onDeleted;
    d->leaveRow();
    // From a deleted row the next row has already moved into its place.
    if (!fromDeleted)
        ++d->pos;
    d->pos = std::min(d->pos, d->size());
    emit moveComplete();
}

void Recordset::movePrevious() {
    if (d->atBof())
        throw DbError(kNoCurrentRecord,
                      QStringLiteral("已在第一条记录之前（BOF），不能再向前移动。"));
    d->leaveRow();
    d->pos = std::max(d->pos - 1, -1);
    emit moveComplete();
}

bool Recordset::eof() const {
    return d->atEof();
}
bool Recordset::bof() const {
    return d->atBof();
}
int Recordset::recordCount() const {
    return d->size();
}
int Recordset::absolutePosition() const {
    return d->onRow() ? d->pos + 1 : -1;
}

void Recordset::setAbsolutePosition(int position) {
    if (position < 1 || position > d->size())
        throw DbError(
            kNoCurrentRecord,
            QStringLiteral("记录位置 %1 超出范围（共 %2 条记录）。").arg(position).arg(d->size()));
    d->leaveRow();
    d->pos = position - 1;
    emit moveComplete();
}

Recordset::Bookmark Recordset::bookmark() const {
    const int row = d->requireCurrent();
    const Row& r = d->rows[size_t(row)];
    const bool byRowid = d->hasRowid && r.data;
    return QVariantList{byRowid ? QVariant(r.rowid) : QVariant(), d->pos + 1};
}

void Recordset::setBookmark(const Bookmark& bookmark) {
    const QVariantList parts = bookmark.toList();
    if (parts.size() != 2)
        throw DbError(kNoCurrentRecord, QStringLiteral("书签无效。"));
    d->leaveRow();
    int target = -1;
    if (parts[0].isValid()) {
        const qint64 rowid = parts[0].toLongLong();
        for (int i = 0; i < d->size(); ++i)
            if (d->rows[size_t(d->visible[size_t(i)])].rowid == rowid) {
                target = i;
                break;
            }
    }
    if (target < 0 && !d->visible.empty())
        target = std::clamp(parts[1].toInt() - 1, 0, d->size() - 1);
    d->pos = target < 0 ? 0 : target;
    emit moveComplete();
}

void Recordset::addNew() {
    if (!d->open)
        throw DbError(kSqlError, QStringLiteral("记录集没有打开。"));
    d->requireUpdatable();
    d->leaveRow();
    const int before = d->onRow() ? d->visible[size_t(d->pos)] : -1;
    d->rows.push_back(Row());
    const int index = int(d->rows.size()) - 1;
    Pending& p = d->pending[index];
    p.isNew = true;
    p.values.resize(d->fields.size());
    p.set.resize(int(d->fields.size()));
    p.returnRow = before;
    d->visible.push_back(index);
    d->pos = d->size() - 1;
    emit rowsReset();
    emit moveComplete();
}

void Recordset::update() {
    d->flushEdits();
    const int current = d->currentIndex();
    if (current < 0 || !d->pending.count(current))
        return;
    d->writeAndApply(current);
}

void Recordset::updateBatch() {
    d->flushEdits();
    if (d->pending.empty())
        return;
    std::vector<int> order;
    for (const auto& entry : d->pending)
        order.push_back(entry.first);
    std::sort(order.begin(), order.end());
    // All the pending rows or none: a refused row leaves every row pending.
    Connection& c = *d->connection;
    c.execute(QStringLiteral("savepoint recordset_batch"));
    std::vector<Impl::WriteResult> results;
    try {
        for (int row : order)
            results.push_back(d->writeRow(row));
    } catch (...) {
        c.execute(QStringLiteral("rollback to recordset_batch"));
        c.execute(QStringLiteral("release recordset_batch"));
        throw;
    }
    c.execute(QStringLiteral("release recordset_batch"));
    for (size_t i = 0; i < order.size(); ++i)
        d->apply(order[i], results[i]);
    emit rowsReset();
}

void Recordset::cancelUpdate() {
    const int current = d->currentIndex();
    if (current < 0)
        return;
    auto it = d->pending.find(current);
    if (it == d->pending.end())
        return;
    if (it->second.isNew) {
        const int back = it->second.returnRow;
        d->pending.erase(it);
        d->rows[size_t(current)].deleted = true;
        d->visible.erase(d->visible.begin() + d->pos);
        const auto found = std::find(d->visible.begin(), d->visible.end(), back);
        d->pos = found != d->visible.end() ? int(found - d->visible.begin())
                                           : (d->visible.empty() ? 0 : d->size() - 1);
        emit rowsReset();
        emit moveComplete();
        return;
    }
    d->pending.erase(it);
    for (int c = 0; c < d->fields.size(); ++c)
        emit valueChanged(d->pos, c);
}

void Recordset::deleteCurrent() {
    const int current = d->requireCurrent();
    auto it = d->pending.find(current);
    const bool unsaved = it != d->pending.end() && it->second.isNew;
    if (!unsaved) {
        d->requireUpdatable();
        sqlite3* db = d->connection->handle();
        const QString text =
            QStringLiteral("delete from %1 where rowid=?").arg(quoteIdentifier(d->baseTable));
        Statement st;
        d->prepare(db, text, st);
        sqlite3_bind_int64(st.stmt, 1, d->rows[size_t(current)].rowid);
        d->step(db, st, text);
    }
    d->pending.erase(current);
    d->rows[size_t(current)].deleted = true;
    d->visible.erase(d->visible.begin() + d->pos);
    d->onDeleted = true;
    emit rowsReset();
}

void Recordset::requery() {
    if (!d->open)
        throw DbError(kSqlError, QStringLiteral("记录集没有打开。"));
    d->flushEdits();
    d->load();
    d->rebuildVisible();
    d->positionFirst();
    emit rowsReset();
    emit moveComplete();
}

bool Recordset::hasPendingChanges() const {
    return !d->pending.empty();
}

void Recordset::setFilter(const QString& filter) {
    std::optional<detail::FilterExpr> expr;
    if (!filter.trimmed().isEmpty())
        expr = detail::parseFilter(filter, d->names);
    d->leaveRow();
    d->filter = expr ? filter : QString();
    d->filterExpr = expr;
    d->rebuildVisible();
    d->positionFirst();
    emit rowsReset();
    emit moveComplete();
}

QString Recordset::filter() const {
    return d->filter;
}

QVariant Recordset::valueAt(int row, int column) const {
    if (row < 0 || row >= d->size() || column < 0 || column >= d->fields.size())
        return QVariant();
    return d->typedValue(d->visible[size_t(row)], column);
}

QString Recordset::textAt(int row, int column) const {
    if (row < 0 || row >= d->size() || column < 0 || column >= d->fields.size())
        return QString();
    return d->displayText(d->visible[size_t(row)], column);
}

int Recordset::currentRow() const {
    return d->onRow() ? d->pos : -1;
}

void Recordset::setCurrentRow(int row) {
    if (row < 0 || row >= d->size())
        throw DbError(kNoCurrentRecord, QStringLiteral("行 %1 超出范围。").arg(row));
    if (d->onRow() && d->pos == row)
        return;
    d->leaveRow();
    d->pos = row;
    emit moveComplete();
}

void Recordset::addEditSource(QObject* owner, std::function<void()> flush) {
    d->editSources.push_back({owner, std::move(flush)});
}

QList<FieldInfo> queryFields(const QString& sql, Connection& connection) {
    if (!connection.isOpen())
        throw DbError(kSqlError, QStringLiteral("记录集的连接没有打开。"));
    sqlite3* db = connection.handle();
    const QString translated = detail::translateDialect(sql);
    const QByteArray utf8 = translated.toUtf8();
    Statement st;
    const int rc = sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &st.stmt, nullptr);
    if (rc != SQLITE_OK)
        throw detail::engineError(db, rc, translated);
    QList<FieldInfo> out;
    for (int i = 0, n = sqlite3_column_count(st.stmt); i < n; ++i) {
        const int type = typeFromDeclared(sqlite3_column_decltype(st.stmt, i));
        out.append({QString::fromUtf8(sqlite3_column_name(st.stmt, i)), type < 0 ? kText : type});
    }
    return out;
}

} // namespace store
