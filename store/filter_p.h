#pragma once
// The record set's filter: "column op literal", parsed once and then tested against the
// stored text of each row.

#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <string_view>

namespace store::detail {

enum class FilterOp { Equal, Greater, GreaterEqual, Less, LessEqual, NotEqual, Like };
enum class LiteralKind { Text, Number, Date };

struct FilterExpr {
    int column = -1;
    FilterOp op = FilterOp::Equal;
    LiteralKind kind = LiteralKind::Text;
    std::string text; // UTF-8: the text, the number as written, the date as ISO
    double number = 0;
};

// Throws DbError (kBadFilter) with a description that names what is wrong. columnType
// gives the FieldType code of a column; fields are the record set's field names.
FilterExpr parseFilter(const QString& filter, const QStringList& fields);

// Whether a cell's stored text (nullopt for null) passes the filter, compared by the
// column's type code.
class FilterMatcher {
public:
    FilterMatcher(const FilterExpr& expr, int columnType);
    bool matches(std::optional<std::string_view> cell) const;

private:
    enum class Mode { Text, Number, Date };
    bool compare(int order) const;
    bool like(std::string_view cell) const;

    FilterExpr expr_;
    Mode mode_ = Mode::Text;
    std::string folded_;   // the literal with ASCII letters in lower case
    std::string contains_; // for "*text*" patterns without other wildcards
    bool containsOnly_ = false;
};

// Matching a like pattern ("*" and "%" any run, "_" one character; ASCII letters in any
// case) against UTF-8 text.
bool likeMatch(std::string_view text, std::string_view pattern);

} // namespace store::detail
