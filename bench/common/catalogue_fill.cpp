#include "bench/common/catalogue_fill.h"

#include "store/catalogue.h"
#include "store/connection.h"
#include "store/error.h"

#include <QDate>
#include <QFile>
#include <QStringList>

#include <sqlcipher/sqlite3.h>

#include <random>

namespace bench {

namespace {

const QStringList kUnits = {"办公室",       "人事科",
                            "财务科",       "档案室",
                            "业务科",       "市政府办公厅",
                            "市财政局",     "市教育局",
                            "市卫生局",     "市公安局",
                            "市档案局",     "省人事厅",
                            "县人民政府",   "区发展和改革委员会",
                            "市国土资源局", "市劳动和社会保障局",
                            "市审计局",     "市统计局",
                            "市环境保护局", "市文化局"};
const QStringList kShort = {"办", "人", "财",   "档",   "业",   "政办", "财", "教", "卫", "公",
                            "档", "人", "县政", "发改", "国土", "劳社", "审", "统", "环", "文"};
const QStringList kVerbs = {"做好",         "加强",     "开展",     "进一步规范",
                            "认真贯彻落实", "切实抓好", "组织实施", "全面推进"};
const QStringList kScopes = {"2004年度", "全市", "全系统", "第三季度",
                             "春节期间", "汛期", "年终",   "上半年"};
const QStringList kSubjects = {"安全生产", "档案管理",     "财务审计", "人事调配",    "防汛抗旱",
                               "节能减排", "党风廉政建设", "信访稳定", "统计调查",    "招商引资",
                               "职工培训", "卫生创建",     "普法教育", "机关效能建设"};
const QStringList kKinds = {"通知", "报告", "请示", "意见", "批复", "函", "决定", "纪要"};
const QStringList kPeriods = {"永久", "长期", "短期", "30年", "10年"};
const QStringList kLevels = {"公开", "内部", "秘密", "机密", "绝密"};
const QStringList kNames = {"张伟", "王芳", "李娜", "刘洋", "陈静", "杨磊", "赵敏", "黄强"};
const QStringList kRemarks = {"", "", "", "", "复印件", "原件存档", "附件另存", "急件"};

struct Random {
    std::mt19937 engine;
    explicit Random(quint32 seed) : engine(seed) {}
    int below(int n) { return int(engine() % quint32(n)); }
    const QString& pick(const QStringList& list) { return list[below(int(list.size()))]; }
    QDate date(int fromYear, int toYear) {
        const QDate first(fromYear, 1, 1);
        return first.addDays(below(int(first.daysTo(QDate(toYear, 12, 31))) + 1));
    }
};

void exec(sqlite3* db, const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        const QString text = QString::fromUtf8(message ? message : "");
        sqlite3_free(message);
        throw store::DbError(store::kSqlError, text);
    }
}

// Runs one prepared insert per row inside a transaction.
template <typename Fill>
void insertRows(store::Connection& connection, const QString& sql, int n, Fill fill) {
    sqlite3* db = connection.handle();
    sqlite3_stmt* stmt = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(db, utf8.constData(), -1, &stmt, nullptr) != SQLITE_OK)
        throw store::DbError(store::kSqlError, QString::fromUtf8(sqlite3_errmsg(db)));
    exec(db, "begin");
    QList<QByteArray> values;
    for (int i = 0; i < n; ++i) {
        values.clear();
        fill(i, values);
        for (int c = 0; c < values.size(); ++c) {
            if (values[c].isNull())
                sqlite3_bind_null(stmt, c + 1);
            else
                sqlite3_bind_text(stmt, c + 1, values[c].constData(), int(values[c].size()),
                                  SQLITE_TRANSIENT);
        }
        if (sqlite3_step(stmt) != SQLITE_DONE) {
            const QString message = QString::fromUtf8(sqlite3_errmsg(db));
            sqlite3_finalize(stmt);
            exec(db, "rollback");
            throw store::DbError(store::kSqlError, message);
        }
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    exec(db, "commit");
}

int rowCount(store::Connection& connection, const QString& table) {
    sqlite3_stmt* stmt = nullptr;
    const QByteArray sql = ("select count(*) from " + table).toUtf8();
    sqlite3_prepare_v2(connection.handle(), sql.constData(), -1, &stmt, nullptr);
    int n = 0;
    if (stmt && sqlite3_step(stmt) == SQLITE_ROW)
        n = sqlite3_column_int(stmt, 0);
    sqlite3_finalize(stmt);
    return n;
}

} // namespace

void makeCatalogue(const QString& path) {
    QFile::remove(path);
    store::createDatabaseFile(path, store::databasePassword());
    store::Connection db(store::connectionStringFor(path));
    store::insertShippedRows(db);
}

void fillDocuments(store::Connection& db, const QString& table, int n, quint32 seed) {
    const store::TableDef* def = store::tableDef(table);
    if (!def || def->columns.size() != 17)
        throw store::DbError(store::kSqlError, table + QStringLiteral(" 不是文件表"));
    const QString letter =
        table == QStringLiteral("文件发文库") ? QStringLiteral("F") : QStringLiteral("S");
    QStringList columns, marks;
    for (const store::ColumnDef& c : def->columns) {
        columns << c.name;
        marks << QStringLiteral("?");
    }
    const QString sql = QStringLiteral("insert into %1 (%2) values (%3)")
                            .arg(table, columns.join(','), marks.join(','));
    const int start = rowCount(db, table);
    Random r(seed);
    insertRows(db, sql, n, [&](int i, QList<QByteArray>& v) {
        const QDate issued = r.date(2000, 2004);
        const QDate filed = issued.addDays(r.below(60));
        const int unit = r.below(int(kUnits.size()));
        const QString year = QString::number(filed.year());
        v << (letter + year + '-' + QString::number(start + i + 1)).toUtf8();
        v << year.toUtf8();
        v << kUnits[unit].toUtf8();
        v << QStringLiteral("%1发〔%2〕%3号")
                 .arg(kShort[unit])
                 .arg(issued.year())
                 .arg(r.below(300) + 1)
                 .toUtf8();
        v << (QStringLiteral("关于") + r.pick(kVerbs) + r.pick(kScopes) + r.pick(kSubjects) +
              QStringLiteral("工作的") + r.pick(kKinds))
                 .toUtf8();
        v << issued.toString(QStringLiteral("yyyy-MM-dd")).toUtf8();
        v << QByteArray::number(r.below(40) + 1);
        v << r.pick(kPeriods).toUtf8();
        v << r.pick(kLevels).toUtf8();
        v << QByteArray::number(r.below(20) + 1);
        v << QByteArray::number(r.below(10) + 1);
        v << QByteArray::number(r.below(500) + 1);
        v << QByteArray::number(r.below(3) + 1);
        v << QByteArray::number(r.below(200) + 1);
        v << QByteArray::number(r.below(50) + 1);
        v << filed.toString(QStringLiteral("yyyy-MM-dd")).toUtf8();
        v << r.pick(kRemarks).toUtf8();
    });
}

void fillLoans(store::Connection& db, int n, quint32 seed) {
    const int start = rowCount(db, QStringLiteral("借阅记录库"));
    Random r(seed);
    const QStringList states = {"借阅", "已还", "已还", "遗失"};
    insertRows(
        db,
        QStringLiteral("insert into 借阅记录库 (借阅编号, 文件资料编号, 文件资料名, 数量, "
                       "借阅人, 经办人, 借阅时间, 归还时间, 状态, 备注) values "
                       "(?,?,?,?,?,?,?,?,?,?)"),
        n, [&](int i, QList<QByteArray>& v) {
            const QDate lent = r.date(2004, 2004);
            const QString state = r.pick(states);
            v << QStringLiteral("2004-%1").arg(start + i + 1, 4, 10, QLatin1Char('0')).toUtf8();
            v << QStringLiteral("S2004-%1").arg(r.below(1000) + 1).toUtf8();
            v << (QStringLiteral("关于") + r.pick(kSubjects) + QStringLiteral("工作的") +
                  r.pick(kKinds))
                     .toUtf8();
            v << QByteArray::number(r.below(3) + 1);
            v << r.pick(kNames).toUtf8();
            v << QByteArrayLiteral("admin");
            v << lent.toString(QStringLiteral("yyyy-MM-dd")).toUtf8();
            v << (state == QStringLiteral("借阅")
                      ? QByteArray()
                      : lent.addDays(r.below(30)).toString(QStringLiteral("yyyy-MM-dd")).toUtf8());
            v << state.toUtf8();
            v << r.pick(kRemarks).toUtf8();
        });
}

void fillContracts(store::Connection& db, int n, quint32 seed) {
    const int start = rowCount(db, QStringLiteral("合同协议库"));
    Random r(seed);
    insertRows(
        db,
        QStringLiteral("insert into 合同协议库 (合同流水号, 合同编号, 装盒号, 名称, 甲方, 乙方, "
                       "签订日期, 入档时间, 备注) values (?,?,?,?,?,?,?,?,?)"),
        n, [&](int i, QList<QByteArray>& v) {
            const QDate signedOn = r.date(2000, 2004);
            v << QStringLiteral("H%1-%2").arg(signedOn.year()).arg(start + i + 1).toUtf8();
            v << QStringLiteral("%1-%2").arg(signedOn.year()).arg(r.below(900) + 100).toUtf8();
            v << QByteArray::number(r.below(80) + 1);
            v << (r.pick(kSubjects) + QStringLiteral("合作协议")).toUtf8();
            v << r.pick(kUnits).toUtf8();
            v << (r.pick(kNames) + QStringLiteral("有限公司")).toUtf8();
            v << signedOn.toString(QStringLiteral("yyyyMMdd")).toUtf8();
            v << signedOn.addDays(r.below(30)).toString(QStringLiteral("yyyy-MM-dd")).toUtf8();
            v << r.pick(kRemarks).toUtf8();
        });
}

} // namespace bench
