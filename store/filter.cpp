#include "store/filter_p.h"

#include "store/engine_p.h"
#include "store/error.h"
#include "store/recordset.h"

#include <QRegularExpression>

#include <cstdlib>

namespace store::detail {

namespace {

char fold(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

std::string foldAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = fold(c);
    return out;
}

bool hasAsciiLetter(std::string_view text) {
    for (char c : text)
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
            return true;
    return false;
}

// Length of the UTF-8 sequence that starts with lead.
int sequenceLength(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if ((lead >> 5) == 0x6)
        return 2;
    if ((lead >> 4) == 0xe)
        return 3;
    if ((lead >> 3) == 0x1e)
        return 4;
    return 1;
}

int foldedCompare(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char x = fold(a[i]), y = fold(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

std::optional<double> parseNumber(std::string_view text) {
    std::string s(text);
    const char* begin = s.c_str();
    while (*begin == ' ')
        ++begin;
    if (!*begin)
        return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(begin, &end);
    while (end && *end == ' ')
        ++end;
    if (!end || *end)
        return std::nullopt;
    return value;
}

[[noreturn]] void malformed(const QString& filter, const QString& why) {
    throw DbError(kBadFilter, QStringLiteral("筛选条件“%1”无效：%2。").arg(filter, why));
}

} // namespace

bool likeMatch(std::string_view text, std::string_view pattern) {
    size_t t = 0, p = 0;
    size_t starP = std::string_view::npos, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == '*' || pattern[p] == '%')) {
            starP = p++;
            starT = t;
            continue;
        }
        if (p < pattern.size()) {
            if (pattern[p] == '_') {
                t += sequenceLength(static_cast<unsigned char>(text[t]));
                ++p;
                continue;
            }
            if (fold(pattern[p]) == fold(text[t])) {
                ++p;
                ++t;
                continue;
            }
        }
        if (starP == std::string_view::npos)
            return false;
        // Let the last star take one more character and try again.
        p = starP + 1;
        starT += sequenceLength(static_cast<unsigned char>(text[starT]));
        t = starT;
    }
    while (p < pattern.size() && (pattern[p] == '*' || pattern[p] == '%'))
        ++p;
    return p == pattern.size();
}

FilterExpr parseFilter(const QString& filter, const QStringList& fields) {
    static const QRegularExpression shape(
        QStringLiteral(
            R"(^\s*(\[[^\]]+\]|[^\s<>=\[\]']+)\s*(>=|<=|<>|=|>|<|(?<=\s)like(?=[\s'#]))\s*(.*?)\s*$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto m = shape.match(filter);
    if (!m.hasMatch())
        malformed(filter,
                  QStringLiteral("应为“字段 运算符 值”，运算符为 =、>、>=、<、<=、<> 或 like"));
    FilterExpr expr;
    QString column = m.captured(1);
    if (column.startsWith(QLatin1Char('[')))
        column = column.mid(1, column.size() - 2).trimmed();
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].compare(column, Qt::CaseInsensitive) == 0) {
            expr.column = i;
            break;
        }
    if (expr.column < 0)
        malformed(filter, QStringLiteral("没有名为“%1”的字段").arg(column));

    const QString op = m.captured(2).toLower();
    expr.op = op == QLatin1String("=")    ? FilterOp::Equal
              : op == QLatin1String(">")  ? FilterOp::Greater
              : op == QLatin1String(">=") ? FilterOp::GreaterEqual
              : op == QLatin1String("<")  ? FilterOp::Less
              : op == QLatin1String("<=") ? FilterOp::LessEqual
              : op == QLatin1String("<>") ? FilterOp::NotEqual
                                          : FilterOp::Like;

    const QString literal = m.captured(3);
    static const QRegularExpression number(QStringLiteral(R"(^[-+]?(\d+\.?\d*|\.\d+)$)"));
    if (literal.size() >= 2 && literal.startsWith(QLatin1Char('\'')) &&
        literal.endsWith(QLatin1Char('\''))) {
        const QString inner = literal.mid(1, literal.size() - 2);
        // Inside the quotes a quote is written twice; a lone one ends the literal early.
        for (qsizetype i = 0; i < inner.size(); ++i) {
            if (inner[i] != QLatin1Char('\''))
                continue;
            if (i + 1 < inner.size() && inner[i + 1] == QLatin1Char('\''))
                ++i;
            else
                malformed(filter, QStringLiteral("文字值中的单引号须写成两个"));
        }
        QString text = inner;
        text.replace(QLatin1String("''"), QLatin1String("'"));
        expr.kind = LiteralKind::Text;
        expr.text = text.toStdString();
    } else if (literal.size() >= 2 && literal.startsWith(QLatin1Char('#')) &&
               literal.endsWith(QLatin1Char('#'))) {
        const QString iso = isoDate(literal.mid(1, literal.size() - 2));
        if (iso.isEmpty())
            malformed(filter, QStringLiteral("“%1”不是有效的日期").arg(literal));
        expr.kind = LiteralKind::Date;
        expr.text = iso.toStdString();
    } else if (number.match(literal).hasMatch()) {
        expr.kind = LiteralKind::Number;
        expr.text = literal.toStdString();
        expr.number = literal.toDouble();
    } else if (literal.isEmpty()) {
        malformed(filter, QStringLiteral("缺少比较的值"));
    } else {
        malformed(filter, QStringLiteral("值“%1”须是单引号中的文字、数字或 #日期#").arg(literal));
    }
    if (expr.op == FilterOp::Like && expr.kind != LiteralKind::Text)
        malformed(filter, QStringLiteral("like 的值须是单引号中的文字"));
    return expr;
}

FilterMatcher::FilterMatcher(const FilterExpr& expr, int columnType) : expr_(expr) {
    const bool numericColumn = columnType == kSmallInt || columnType == kInteger ||
                               columnType == kSingle || columnType == kDouble ||
                               columnType == kCurrency;
    if (expr_.op == FilterOp::Like) {
        mode_ = Mode::Text;
    } else if (expr_.kind == LiteralKind::Date) {
        mode_ = Mode::Date;
    } else if (columnType == kDate) {
        // A text literal compared with a date column is read as a date when it is one.
        const QString iso = isoDate(QString::fromStdString(expr_.text));
        if (!iso.isEmpty()) {
            mode_ = Mode::Date;
            expr_.text = iso.toStdString();
        }
    } else if (numericColumn) {
        if (const auto value = parseNumber(expr_.text)) {
            mode_ = Mode::Number;
            expr_.number = *value;
        }
    }
    folded_ = foldAscii(expr_.text);
    if (expr_.op == FilterOp::Like) {
        const std::string& p = folded_;
        if (p.size() >= 2 && (p.front() == '*' || p.front() == '%') &&
            (p.back() == '*' || p.back() == '%')) {
            const std::string inner = p.substr(1, p.size() - 2);
            if (inner.find_first_of("*%_") == std::string::npos && !hasAsciiLetter(inner)) {
                containsOnly_ = true;
                contains_ = inner;
            }
        }
    }
}

bool FilterMatcher::compare(int order) const {
    switch (expr_.op) {
    case FilterOp::Equal:
        return order == 0;
    case FilterOp::NotEqual:
        return order != 0;
    case FilterOp::Greater:
        return order > 0;
    case FilterOp::GreaterEqual:
        return order >= 0;
    case FilterOp::Less:
        return order < 0;
    case FilterOp::LessEqual:
        return order <= 0;
    case FilterOp::Like:
        break;
    }
    return false;
}

bool FilterMatcher::like(std::string_view cell) const {
    if (containsOnly_)
        return cell.find(contains_) != std::string_view::npos;
    return likeMatch(cell, folded_);
}

bool FilterMatcher::matches(std::optional<std::string_view> cell) const {
    if (!cell)
        return false; // null passes no comparison
    if (expr_.op == FilterOp::Like)
        return like(*cell);
    switch (mode_) {
    case Mode::Number: {
        const auto value = parseNumber(*cell);
        if (!value)
            return false;
        return compare(*value < expr_.number ? -1 : (*value > expr_.number ? 1 : 0));
    }
    case Mode::Date: {
        std::string_view iso = *cell;
        std::string converted;
        const bool isoShaped = iso.size() == 10 && iso[4] == '-' && iso[7] == '-';
        if (!isoShaped) {
            converted = isoDate(QString::fromUtf8(iso.data(), qsizetype(iso.size()))).toStdString();
            if (converted.empty())
                return false;
            iso = converted;
        }
        return compare(iso.compare(expr_.text) < 0 ? -1 : (iso.compare(expr_.text) > 0 ? 1 : 0));
    }
    case Mode::Text:
        break;
    }
    return compare(foldedCompare(*cell, folded_));
}

} // namespace store::detail
