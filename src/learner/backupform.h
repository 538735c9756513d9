#pragma once
#include "core/listbackup.h"

#include <QDialog>
#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;

/// The window "恢复备份": lists the learner's backups by date with their word counts and lets
/// the learner choose one to restore.
class TBackupForm : public QDialog {
    Q_OBJECT
public:
    TBackupForm(const std::vector<core::BackupInfo>& backups, QWidget* parent = nullptr);

    /// One row: date and time, then the words of the three lists.
    static QString RowText(const core::BackupInfo& backup);
    /// The backup of the selected row once the window was accepted, else empty.
    std::string ChosenBackup() const;

    QLabel* Label1;
    QListWidget* ListBox1;
    QPushButton* Restore1; ///< "恢复"
    QPushButton* Cancel1;  ///< "取消"

private:
    std::vector<core::BackupInfo> backups_;
};
