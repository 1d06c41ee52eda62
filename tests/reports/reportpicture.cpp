// Exports a sample incoming report for people to look at, converted by reportpicture.sh to
// a picture as a spreadsheet program shows it; with a folder given, pictures of the four
// report windows are saved there too. Not a test.

#include "reportfixture.h"
#include "reports/reportwindows.h"
#include "shell/app/chinese.h"
#include "shell/app/testing.h"
#include "tests/common/pictures.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    app::useChineseTexts(application);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s WORKBOOK [FOLDER]\n", argv[0]);
        return 2;
    }
    const QString target = QString::fromLocal8Bit(argv[1]);
    app::testing::TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
    const QString unit = QStringLiteral("办公室");
    const QStringList titles{"关于做好档案整理工作的通知", "关于年度考核的安排", "会议纪要",
                             "关于调整办公用房的请示", "工作简报第三期"};
    for (int i = 0; i < titles.size(); ++i)
        reporttest::addDocument(QStringLiteral("文件收文库"),
                                {QStringLiteral("S2004-%1").arg(i + 1), "2004", unit,
                                 QStringLiteral("办[2004]%1号").arg(i + 1), titles[i],
                                 QDate(2004, 1 + 2 * i, 3 + i).toString(Qt::ISODate),
                                 QString::number(2 + i), i % 2 ? "" : "存档"});
    std::unique_ptr<QDialog> window(reports::createSwbb(nullptr));
    window->findChild<QLineEdit*>(QStringLiteral("Text2"))->setText(QStringLiteral("2004"));
    window->findChild<QComboBox*>(QStringLiteral("Combo1"))->setEditText(unit);
    window->findChild<QPushButton*>(QStringLiteral("Command4"))->click();
    const QStringList made = QDir(env.dir()).entryList({QStringLiteral("*.xls")}, QDir::Files);
    if (made.size() != 1) {
        std::fprintf(stderr, "no report: %s\n", qPrintable(env.messageTexts().join("; ")));
        return 1;
    }
    QFile::remove(target);
    if (!QFile::copy(QDir(env.dir()).filePath(made[0]), target)) {
        std::fprintf(stderr, "could not write %s\n", qPrintable(target));
        return 1;
    }
    std::printf("%s\n", qPrintable(target));
    if (argc > 2) {
        pictures::folder() = QString::fromLocal8Bit(argv[2]);
        const struct {
            const char* name;
            QDialog* (*create)(QWidget*);
        } windows[] = {{"swbb", reports::createSwbb},
                       {"fwbb", reports::createFwbb},
                       {"htbb", reports::createHtbb},
                       {"gdbb", reports::createGdbb}};
        for (const auto& w : windows) {
            std::unique_ptr<QDialog> d(w.create(nullptr));
            d->show();
            QApplication::processEvents();
            pictures::save(d->grab(), QString::fromLatin1(w.name));
        }
    }
    return pictures::exitCode();
}
