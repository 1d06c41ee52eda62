#include "store/order_p.h"

#include <QRegularExpression>

#include <sqlcipher/sqlite3.h>

#include <algorithm>
#include <charconv>
#include <numeric>

namespace store::detail {

std::optional<TrailingOrder> trailingOrder(const QString& sql) {
    // A plain, bracketed or double-quoted name; nothing may follow but ASC/DESC and ";".
    static const QRegularExpression closing(
        QStringLiteral(R"re(^(.*\S)\s+order\s+by\s+(?:([^\s\d"\[\](),;'`.][^\s"\[\](),;'`.]*))re"
                       R"re(|\[([^\]]+)\]|"([^"]+)")(?:\s+(asc|desc))?\s*;?\s*$)re"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto m = closing.match(sql);
    if (!m.hasMatch())
        return std::nullopt;
    TrailingOrder order;
    order.head = m.captured(1);
    for (int group = 2; group <= 4 && order.term.isEmpty(); ++group)
        order.term = m.captured(group);
    order.descending = m.captured(5).compare(QLatin1String("desc"), Qt::CaseInsensitive) == 0;
    // A keyword read as the name ("order by x collate nocase" does not match; these do).
    static const QStringList keywords = {QStringLiteral("collate"), QStringLiteral("limit"),
                                         QStringLiteral("asc"), QStringLiteral("desc")};
    if (order.term.isEmpty() || keywords.contains(order.term, Qt::CaseInsensitive))
        return std::nullopt;
    // An ORDER BY inside parentheses (a sub-query) leaves the closing one unbalanced.
    if (order.head.count(QLatin1Char('(')) != order.head.count(QLatin1Char(')')))
        return std::nullopt;
    return order;
}

namespace {

std::uint64_t bigEndian(const char* bytes, size_t count) {
    std::uint64_t value = 0;
    for (size_t i = 0; i < 8; ++i)
        value = (value << 8) | (i < count ? static_cast<unsigned char>(bytes[i]) : 0u);
    return value;
}

} // namespace

void KeyOrder::add(int kind, std::string_view text) {
    Key key;
    if (kind == SQLITE_NULL) {
        keys_.push_back(key);
        return;
    }
    const Class cellClass = kind == SQLITE_TEXT      ? Class::Text
                            : kind == SQLITE_INTEGER ? Class::Integer
                                                     : Class::Other;
    if (class_ == Class::None)
        class_ = cellClass;
    else if (class_ != cellClass)
        class_ = Class::Other;
    if (class_ == Class::Other)
        return;
    key.null = false;
    if (cellClass == Class::Text) {
        key.text = text.data();
        key.length = std::uint32_t(text.size());
        key.high = bigEndian(text.data(), text.size());
        key.low = text.size() > 8 ? bigEndian(text.data() + 8, text.size() - 8) : 0;
    } else {
        long long value = 0;
        const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
        if (result.ec != std::errc() || result.ptr != text.data() + text.size())
            class_ = Class::Other;
        // Flipping the sign bit orders signed numbers as unsigned ones.
        key.high = std::uint64_t(value) ^ (std::uint64_t(1) << 63);
    }
    keys_.push_back(key);
}

bool KeyOrder::less(const Key& a, const Key& b) {
    if (a.null || b.null)
        return a.null && !b.null; // null before every value
    if (a.high != b.high)
        return a.high < b.high;
    if (a.low != b.low)
        return a.low < b.low;
    if (a.length <= 16 && b.length <= 16)
        return a.length < b.length; // the zero padding is equal: the shorter text first
    // The BINARY collation: bytes, then length.
    return std::string_view(a.text, a.length) < std::string_view(b.text, b.length);
}

std::optional<std::vector<int>> KeyOrder::order() const {
    if (class_ == Class::Other)
        return std::nullopt;
    std::vector<int> permutation(keys_.size());
    std::iota(permutation.begin(), permutation.end(), 0);
    // Equal keys keep the order they were read in, as the engine's sorter does.
    auto before = [&](int a, int b) {
        const Key& ka = keys_[size_t(a)];
        const Key& kb = keys_[size_t(b)];
        if (descending_ ? less(kb, ka) : less(ka, kb))
            return true;
        if (descending_ ? less(ka, kb) : less(kb, ka))
            return false;
        return a < b;
    };
    std::sort(permutation.begin(), permutation.end(), before);
    return permutation;
}

} // namespace store::detail
