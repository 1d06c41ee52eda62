#pragma once
// The About box: the program's picture and the system information tool.
#include <QDialog>

class QPushButton;

namespace shell {

class FrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit FrmAbout(QWidget* parent = nullptr);

    enum class KeyRoot { LocalMachine };
    // Reads the string value subKeyRef of keyName under the root; false (with an empty
    // keyVal) when the key or value cannot be read.
    static bool GetKeyValue(KeyRoot root, const QString& keyName, const QString& subKeyRef,
                            QString& keyVal);
    // Finds and starts the system information tool, or says it is not available.
    void StartSysInfo();

private:
    void buildControls();
    // The tool's path, or an empty text when none can be found.
    QString findSysInfo() const;

    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;
};

// Linux programs that play the system information tool's part, in order of preference.
QStringList sysInfoPrograms();

} // namespace shell
