#include "learner/wordstoreroom.h"

#include "host/errortext.h"

#include "core/learnerfiles.h"
#include "core/studystate.h"
#include "core/textfile.h"
#include "host/messageservice.h"
#include "host/uistyle.h"
#include "learner/backupform.h"
#include "learner/wordform.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {

QPushButton* BankButton(const QString& caption, const char* name, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setFixedSize(85, 26);
    button->setFlat(true);
    button->setAutoDefault(false);
    return button;
}

QString Text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

} // namespace

TWordstoreroom1::TWordstoreroom1(core::StudyState& state, MessageService& messages,
                                 TWordForm1& wordForm, QWidget* parent)
    : QWidget(parent), state_(state), messages_(messages), wordForm_(wordForm) {
    setObjectName(QStringLiteral("Wordstoreroom1"));
    setWindowTitle(QStringLiteral("词库设置"));
    setFont(SongFont(15));
    SetBackground(this, QColor(0, 128, 128));

    Panel3 = new QWidget(this);
    Label1 = new QLabel(QStringLiteral("选择您需要的词库"), Panel3);
    Label2 = new QLabel(QStringLiteral("选择您需要的词库"), Panel3);
    for (QLabel* title : {Label1, Label2}) {
        title->setFont(SongFont(23, true));
    }
    Label1->setGeometry(27, 12, 400, 30);
    Label2->setGeometry(28, 11, 400, 30);
    SetTextColour(Label1, Qt::black);
    SetTextColour(Label2, Qt::red);

    // Two columns: the names run down the first column, then the second.
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setFlow(QListView::TopToBottom);
    ListBox1->setWrapping(true);
    ListBox1->setResizeMode(QListView::Adjust);
    ListBox1->setUniformItemSizes(true);
    ListBox1->viewport()->installEventFilter(this);

    Panel2 = new QWidget(this);
    Label3 = new QLabel(QStringLiteral("词库名称："), Panel2);
    Label3->setGeometry(10, 10, 80, 20);
    Edit1 = new QLineEdit(Panel2);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(90, 7, 255, 26);
    gomywordbook = BankButton(QStringLiteral("加到词库"), "gomywordbook", Panel2);
    gomywordbook->move(360, 7);
    newMywordbook = BankButton(QStringLiteral("清空词库"), "newMywordbook", Panel2);
    newMywordbook->move(455, 7);
    Formclose1 = BankButton(QStringLiteral("关  闭"), "Formclose1", Panel2);
    Formclose1->move(550, 7);
    restoreBackup = BankButton(QStringLiteral("恢复备份"), "restoreBackup", Panel2);
    restoreBackup->move(645, 7);

    connect(ListBox1, &QListWidget::itemClicked, this, &TWordstoreroom1::ListBox1Click);
    // A row chosen with the arrow keys counts as clicked, as in any list box.
    connect(ListBox1, &QListWidget::itemSelectionChanged, this, &TWordstoreroom1::ListBox1Click);
    connect(gomywordbook, &QPushButton::clicked, this, &TWordstoreroom1::gomywordbookClick);
    connect(newMywordbook, &QPushButton::clicked, this, &TWordstoreroom1::newMywordbookClick);
    connect(Formclose1, &QPushButton::clicked, this, &TWordstoreroom1::Formclose1Click);
    connect(restoreBackup, &QPushButton::clicked, this, &TWordstoreroom1::restoreBackupClick);
}

void TWordstoreroom1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FormShow();
}

void TWordstoreroom1::FormShow() {
    std::vector<std::string> names;
    const core::Status read = core::ReadBankCatalogue(state_.AppDir, names);
    if (!read) {
        messages_.ShowError(ErrorText(read));
        return;
    }
    ListBox1->clear();
    for (const auto& name : names) {
        ListBox1->addItem(Text(name));
    }
}

void TWordstoreroom1::ListBox1Click() {
    if (QListWidgetItem* item = ListBox1->currentItem(); item != nullptr && item->isSelected()) {
        Edit1->setText(item->text());
    }
}

void TWordstoreroom1::gomywordbookClick() {
    const std::string bank = Edit1->text().toStdString();
    if (const core::Status name = core::CheckBankName(bank); !name) {
        messages_.ShowError(ErrorText(name));
        return;
    }
    const std::string bankPath = core::WordBankPath(state_.AppDir, bank);
    if (!core::FileExists(bankPath)) {
        messages_.ShowError(Text("File not found: “" + bankPath + "”"));
        return;
    }
    if (!core::FileExists(core::LearnerListPath(state_.AppDir, state_.LearnerName, 1))) {
        messages_.Inform(
            QStringLiteral("您的数据库文件不存在，\r\n   你可按”清空我的词库“恢复一个新词库"));
    }
    // The reload below reads all three lists from disk; saving them first keeps what the
    // learner studied since the start. A failed save stops here, before anything is replaced.
    if (const core::Status saved = wordForm_.MYSaveClick(); !saved) {
        messages_.ShowError(ErrorText(saved));
        return;
    }
    const core::BankCopyResult copied =
        core::CopyBankToNewList(state_.AppDir, state_.LearnerName, bank);
    if (!copied.status) {
        messages_.ShowError(ErrorText(copied.status));
        return;
    }
    // A reload that fails has been reported; the window stays open.
    if (!wordForm_.MYSBt1Click()) {
        return;
    }
    hide();
}

void TWordstoreroom1::newMywordbookClick() {
    const core::Status written = core::WriteLearnerSettings(state_.AppDir, state_.LearnerName);
    if (!written) {
        messages_.ShowError(ErrorText(written));
    }
}

void TWordstoreroom1::Formclose1Click() {
    hide();
}

void TWordstoreroom1::restoreBackupClick() {
    if (state_.LearnerName.empty()) {
        return;
    }
    const std::vector<core::BackupInfo> backups = state_.Backups();
    if (backups.empty()) {
        messages_.Inform(QStringLiteral("还没有备份。\r\n\r\n    每次保存词库时，"
                                        "保存前的词库都会留作备份。"));
        return;
    }
    TBackupForm form(backups, this);
    if (form.exec() != QDialog::Accepted) {
        return;
    }
    const std::string chosen = form.ChosenBackup();
    if (chosen.empty()) {
        return;
    }
    const core::Status restored = state_.RestoreBackup(chosen);
    if (!restored) {
        messages_.ShowError(ErrorText(restored));
        return;
    }
    wordForm_.SelectFirstLines();
    for (const auto& backup : backups) {
        if (backup.name == chosen) {
            messages_.Inform(QStringLiteral("已恢复 %1 的备份。")
                                 .arg(QString::fromStdString(core::BackupTimeText(backup.when))));
        }
    }
}

void TWordstoreroom1::closeEvent(QCloseEvent* event) {
    // The window lives until the program ends; closing it only hides it.
    event->ignore();
    hide();
}

void TWordstoreroom1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int w = width();
    const int h = height();
    Panel3->setGeometry(0, 0, w, 49);
    ListBox1->setGeometry(0, 49, w, qMax(0, h - 49 - 40));
    Panel2->setGeometry(0, qMax(49, h - 40), w, 40);
}

bool TWordstoreroom1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ListBox1->viewport() && event->type() == QEvent::Resize) {
        // Two columns of rows 20 pixels high share the list's width.
        ListBox1->setGridSize(QSize(qMax(40, ListBox1->viewport()->width() / 2 - 2), 20));
    }
    return QWidget::eventFilter(watched, event);
}
