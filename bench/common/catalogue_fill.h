#pragma once
// Catalogues for benchmarks: a new encrypted catalogue, and tables filled with rows of
// realistic Chinese text, the same rows for the same seed.
//
//   bench::makeCatalogue(path);                      // eight tables, shipped rows
//   store::Connection db(store::connectionStringFor(path));
//   bench::fillDocuments(db, "文件收文库", 100000);  // or 文件发文库, 归档库
//   bench::fillLoans(db, 5000);
//   bench::fillContracts(db, 2000);

#include <QString>
#include <QtGlobal>

namespace store {
class Connection;
}

namespace bench {

// Writes a new catalogue (encrypted with the catalogue password, the shipped rows in it)
// at path, replacing any file there.
void makeCatalogue(const QString& path);

// Appends n documents to 文件收文库, 文件发文库 or 归档库: serials S/F + year + "-" + number
// (continuing after the rows already there), units, numbers, titles, dates from 2000 to
// 2004, retention periods and levels of the shipped choice lists. One transaction.
void fillDocuments(store::Connection& db, const QString& table, int n, quint32 seed = 1);

// Appends n loans to 借阅记录库 (numbers 2004-0001 …, states 借阅/已还/遗失), lending
// serials S2004-1 … of the incoming table.
void fillLoans(store::Connection& db, int n, quint32 seed = 3);

// Appends n contracts to 合同协议库 (H + year + "-" + number).
void fillContracts(store::Connection& db, int n, quint32 seed = 4);

} // namespace bench
