#include "learner/backupform.h"

#include "host/uistyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TBackupForm::TBackupForm(const std::vector<core::BackupInfo>& backups, QWidget* parent)
    : QDialog(parent), backups_(backups) {
    setObjectName(QStringLiteral("BackupForm"));
    setWindowTitle(QStringLiteral("恢复备份"));
    setFont(SongFont(15));
    resize(560, 420);

    Label1 =
        new QLabel(QStringLiteral("请选择要恢复的备份（恢复前，现在的词库也会留作备份）："), this);
    Label1->setWordWrap(true);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    for (const auto& backup : backups_) {
        ListBox1->addItem(RowText(backup));
    }
    Restore1 = new QPushButton(QStringLiteral("恢复"), this);
    Restore1->setObjectName(QStringLiteral("Restore1"));
    Restore1->setEnabled(false);
    Restore1->setAutoDefault(false);
    Cancel1 = new QPushButton(QStringLiteral("取消"), this);
    Cancel1->setObjectName(QStringLiteral("Cancel1"));
    Cancel1->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Restore1);
    buttons->addWidget(Cancel1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(ListBox1);
    layout->addLayout(buttons);

    connect(ListBox1, &QListWidget::itemSelectionChanged, this,
            [this] { Restore1->setEnabled(!ListBox1->selectedItems().isEmpty()); });
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(Restore1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Cancel1, &QPushButton::clicked, this, &QDialog::reject);
}

QString TBackupForm::RowText(const core::BackupInfo& backup) {
    return QStringLiteral("%1    未学的单词 %2    已掌握单词 %3    需复习单词 %4")
        .arg(QString::fromStdString(core::BackupTimeText(backup.when)))
        .arg(backup.words[0])
        .arg(backup.words[1])
        .arg(backup.words[2]);
}

std::string TBackupForm::ChosenBackup() const {
    const int row = ListBox1->currentRow();
    if (result() != QDialog::Accepted || row < 0 || ListBox1->selectedItems().isEmpty()) {
        return {};
    }
    return backups_.at(static_cast<std::size_t>(row)).name;
}
