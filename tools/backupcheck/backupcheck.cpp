// backupcheck FILE TABLE=column,column,... ...
//
// Decides whether FILE may be attached to the catalogue as a restore source: a sound
// SQLite database that holds every named table with exactly the named columns in that
// order, and no triggers, views or virtual tables (nothing in it may run code when the
// catalogue's engine reads it). Prints "ok" and exits 0, or prints the reason (UTF-8)
// and exits 1; a wrong command line exits 2.
//
// It is linked against the system's current SQLite on purpose and runs as its own
// process: a hostile file meets a well-kept parser, read-only, far from the catalogue.

#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Table {
    std::string name;
    std::vector<std::string> columns;
};

bool parseTable(const std::string& arg, Table& table) {
    const auto eq = arg.find('=');
    if (eq == std::string::npos || eq == 0)
        return false;
    table.name = arg.substr(0, eq);
    std::string rest = arg.substr(eq + 1);
    size_t start = 0;
    while (start <= rest.size()) {
        const auto comma = rest.find(',', start);
        const auto end = comma == std::string::npos ? rest.size() : comma;
        if (end == start)
            return false;
        table.columns.push_back(rest.substr(start, end - start));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return !table.columns.empty();
}

std::string quoteIdentifier(const std::string& name) {
    std::string out = "\"";
    for (char c : name) {
        out += c;
        if (c == '"')
            out += '"';
    }
    return out + "\"";
}

int refuse(const std::string& reason) {
    std::fputs(reason.c_str(), stdout);
    std::fputc('\n', stdout);
    return 1;
}

std::string text(sqlite3_stmt* st, int column) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, column));
    return p ? std::string(p) : std::string();
}

bool startsWithNoCase(const std::string& s, const char* prefix) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r'))
        ++i;
    const size_t n = std::strlen(prefix);
    if (s.size() - i < n)
        return false;
    for (size_t k = 0; k < n; ++k) {
        char a = s[i + k];
        if (a >= 'a' && a <= 'z')
            a = char(a - 'a' + 'A');
        if (a != prefix[k])
            return false;
    }
    return true;
}

class Database {
public:
    ~Database() {
        if (db_)
            sqlite3_close_v2(db_);
    }
    bool open(const std::string& path, std::string& error) {
        const int rc = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr);
        if (rc != SQLITE_OK) {
            error = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
            return false;
        }
        // Nothing stored in the file may run while it is read.
        sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
        sqlite3_db_config(db_, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
        sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
        sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
        sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
        // The check reads every page once: mapped (read-only) it needs no read call per
        // page. A file cut short while mapped ends this process, and the restore is then
        // refused as for any failed check.
        sqlite3_exec(db_, "PRAGMA mmap_size = 268435456", nullptr, nullptr, nullptr);
        return true;
    }
    // Every row of sql as texts, or false with error.
    bool rows(const std::string& sql, std::vector<std::vector<std::string>>& out,
              std::string& error) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
            error = sqlite3_errmsg(db_);
            return false;
        }
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            std::vector<std::string> row;
            for (int c = 0; c < sqlite3_column_count(st); ++c)
                row.push_back(text(st, c));
            out.push_back(std::move(row));
        }
        if (rc != SQLITE_DONE)
            error = sqlite3_errmsg(db_);
        sqlite3_finalize(st);
        return rc == SQLITE_DONE;
    }

private:
    sqlite3* db_ = nullptr;
};

bool hasSqliteHeader(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char header[16] = {};
    if (!in.read(header, sizeof header))
        return false;
    return std::memcmp(header, "SQLite format 3", 16) == 0;
}

int check(const std::string& path, const std::vector<Table>& tables) {
    std::ifstream probe(path, std::ios::binary);
    if (!probe)
        return refuse("无法读取文件");
    probe.close();
    // An encrypted file (the catalogue itself) and any other kind of file stop here.
    if (!hasSqliteHeader(path))
        return refuse("文件不是未加密的数据库文件");

    Database db;
    std::string error;
    if (!db.open(path, error))
        return refuse("无法打开数据库: " + error);

    std::vector<std::vector<std::string>> result;
    if (!db.rows("PRAGMA integrity_check", result, error))
        return refuse("数据库无法检查: " + error);
    if (result.size() != 1 || result[0].empty() || result[0][0] != "ok")
        return refuse("数据库已损坏(完整性检查未通过)");

    result.clear();
    if (!db.rows("SELECT type, name, coalesce(sql, '') FROM sqlite_master", result, error))
        return refuse("数据库结构无法读取: " + error);
    for (const auto& row : result) {
        const std::string& type = row[0];
        if (type == "trigger")
            return refuse("数据库含有触发器 " + row[1]);
        if (type == "view")
            return refuse("数据库含有视图 " + row[1]);
        if (type == "table" && startsWithNoCase(row[2], "CREATE VIRTUAL TABLE"))
            return refuse("数据库含有虚拟表 " + row[1]);
        if (type != "table" && type != "index")
            return refuse("数据库含有不认识的对象 " + row[1]);
    }

    for (const auto& table : tables) {
        bool found = false;
        for (const auto& row : result)
            found = found || (row[0] == "table" && row[1] == table.name);
        if (!found)
            return refuse("缺少数据表 " + table.name);
        std::vector<std::vector<std::string>> info;
        if (!db.rows("PRAGMA table_info(" + quoteIdentifier(table.name) + ")", info, error))
            return refuse("数据表 " + table.name + " 无法读取: " + error);
        std::vector<std::string> names;
        for (const auto& col : info)
            names.push_back(col.size() > 1 ? col[1] : std::string());
        if (names != table.columns)
            return refuse("数据表 " + table.name + " 的字段与本系统不符");
    }
    std::puts("ok");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: backupcheck FILE TABLE=column,column,... ...\n", stderr);
        return 2;
    }
    std::vector<Table> tables;
    for (int i = 2; i < argc; ++i) {
        Table t;
        if (!parseTable(argv[i], t)) {
            std::fprintf(stderr, "backupcheck: bad table argument: %s\n", argv[i]);
            return 2;
        }
        tables.push_back(std::move(t));
    }
    return check(argv[1], tables);
}
