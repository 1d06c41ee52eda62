#pragma once
// Ordering the rows a record set holds, in place of the engine's ORDER BY for a single
// column. The engine sorts a register by copying every whole row into its sorter, which
// costs more than reading the table; ordering the held rows costs a few milliseconds and
// gives the engine's order exactly: the BINARY collation, nulls first when ascending and
// last when descending, equal keys in the order the table was read.

#include <QString>

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace store::detail {

struct TrailingOrder {
    QString head; // the statement without its ORDER BY clause
    QString term; // the one column named, unquoted
    bool descending = false;
};

// The statement's closing "order by <one column> [asc|desc]", or nullopt for any other
// ORDER BY (expressions, several terms, a number, LIMIT after it, COLLATE).
std::optional<TrailingOrder> trailingOrder(const QString& sql);

// Collects one column's keys while rows are read, and answers the order. Keys of one
// storage class (texts, or whole numbers) are ordered here; a column that mixes classes
// or holds reals or blobs answers nullopt, and the caller asks the engine instead.
class KeyOrder {
public:
    explicit KeyOrder(bool descending) : descending_(descending) {}
    // kind is the engine's storage class of the cell (SQLITE_TEXT, SQLITE_NULL, …); text
    // stays valid until order() returns.
    void add(int kind, std::string_view text);
    // The permutation: position i of the ordered rows holds read row order()[i].
    std::optional<std::vector<int>> order() const;

private:
    enum class Class { None, Text, Integer, Other };
    // A key's first sixteen bytes are held beside it in byte order, so that most
    // comparisons (dates, serials) never reach the texts spread over the rows.
    struct Key {
        std::uint64_t high = 0;
        std::uint64_t low = 0;
        const char* text = nullptr;
        std::uint32_t length = 0;
        bool null = true;
    };
    static bool less(const Key& a, const Key& b);
    bool descending_;
    Class class_ = Class::None;
    std::vector<Key> keys_;
};

} // namespace store::detail
