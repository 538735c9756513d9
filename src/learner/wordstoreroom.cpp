#include "learner/wordstoreroom.h"

#include "host/errortext.h"

#include "core/learnerfiles.h"
#include "core/studystate.h"
#include "core/textfile.h"
#include "exchange/wordfiles.h"
#include "host/messageservice.h"
#include "host/uistyle.h"
#include "learner/backupform.h"
#include "learner/wordform.h"
#include "sound/uiworker.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QProgressDialog>
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

const QString ReadFilters = QStringLiteral(
    "单词文件 (*.csv *.txt *.tsv *.kvtml);;CSV 文件 (*.csv);;Anki 文本 (*.txt *.tsv);;"
    "KVTML 文件 (*.kvtml);;所有文件 (*)");

/// The file dialogs of the platform; the save dialog adds the extension of the chosen type.
QString AskForFile(QWidget* parent, bool save, const QString& suggested) {
    if (!save) {
        return QFileDialog::getOpenFileName(parent, QStringLiteral("导入单词"), QDir::homePath(),
                                            ReadFilters);
    }
    QFileDialog dialog(parent, QStringLiteral("导出单词"), suggested);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const QStringList filters = {QStringLiteral("CSV 文件，可用电子表格打开 (*.csv)"),
                                 QStringLiteral("Anki 文本 (*.txt)"),
                                 QStringLiteral("KVTML 文件，用于 Parley 和 KWordQuiz (*.kvtml)")};
    const QStringList suffixes = {QStringLiteral("csv"), QStringLiteral("txt"),
                                  QStringLiteral("kvtml")};
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(suffixes.front());
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, filters, suffixes](const QString& filter) {
                         dialog.setDefaultSuffix(suffixes.value(filters.indexOf(filter)));
                     });
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

/// Offers every pairing of a word language with a meaning language (or the comments) and
/// returns the one chosen.
std::optional<exchange::KvtmlColumns>
AskForLanguages(QWidget* parent, const QString& path,
                const std::vector<exchange::KvtmlLanguage>& languages) {
    QStringList items;
    std::vector<exchange::KvtmlColumns> choices;
    for (const exchange::KvtmlLanguage& word : languages) {
        for (const exchange::KvtmlLanguage& meaning : languages) {
            if (meaning.id != word.id) {
                items << QStringLiteral("单词：%1，释义：%2")
                             .arg(exchange::LanguageText(word), exchange::LanguageText(meaning));
                choices.push_back({word.id, meaning.id});
            }
        }
        items << QStringLiteral("单词：%1，释义：注释").arg(exchange::LanguageText(word));
        choices.push_back({word.id, std::nullopt});
    }
    QStringList names;
    for (const exchange::KvtmlLanguage& language : languages) {
        names << exchange::LanguageText(language);
    }
    bool ok = false;
    const QString chosen = QInputDialog::getItem(
        parent, QStringLiteral("选择语言"),
        QStringLiteral("文件“%1”中没有英语，它的语言是：%2。\n请选择哪种语言是单词、哪种是释义：")
            .arg(QFileInfo(path).fileName(), names.join(QStringLiteral("、"))),
        items, 0, false, &ok);
    const qsizetype at = items.indexOf(chosen);
    if (!ok || at < 0) {
        return std::nullopt;
    }
    return choices[static_cast<std::size_t>(at)];
}

/// What an import left out besides the words taken, as a sentence ending the message.
QString LeftOutText(const core::ImportedEntries& entries) {
    QString text;
    if (entries.blanks > 0) {
        text += QStringLiteral("\r\n文件中有%1个空白条目，已略过。").arg(entries.blanks);
    }
    return text;
}

} // namespace

/// The result of reading a word file on the worker.
struct TWordstoreroom1::ImportOutcome {
    core::Status status;
    core::ImportedEntries entries;
    std::vector<exchange::KvtmlLanguage> languages; ///< of a KVTML file without English
};

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

    Panel4 = new QWidget(this);
    importBank = BankButton(QStringLiteral("导入词库"), "importBank", Panel4);
    importBank->move(10, 7);
    importBank->setToolTip(QStringLiteral("把 CSV、Anki 文本或 KVTML 文件建成一个新词库"));
    importWords = BankButton(QStringLiteral("导入生词"), "importWords", Panel4);
    importWords->move(105, 7);
    importWords->setToolTip(QStringLiteral("把文件中的单词加入未学的单词"));
    Label4 = new QLabel(QStringLiteral("导出单词表："), Panel4);
    Label4->setGeometry(215, 10, 100, 20);
    CbExportList = new QComboBox(Panel4);
    CbExportList->setObjectName(QStringLiteral("CbExportList"));
    CbExportList->addItems({QStringLiteral("全部单词"), QStringLiteral("未学的单词"),
                            QStringLiteral("已掌握单词"), QStringLiteral("需复习单词")});
    CbExportList->setGeometry(315, 7, 120, 26);
    Label4->setBuddy(CbExportList);
    exportWords = BankButton(QStringLiteral("导出单词"), "exportWords", Panel4);
    exportWords->move(445, 7);
    exportWords->setToolTip(QStringLiteral("写成 CSV、Anki 文本或 KVTML 文件"));
    ChooseFile = [this](bool save, const QString& suggested) {
        return AskForFile(this, save, suggested);
    };
    ChooseLanguages = [this](const QString& path,
                             const std::vector<exchange::KvtmlLanguage>& languages) {
        return AskForLanguages(this, path, languages);
    };

    connect(ListBox1, &QListWidget::itemClicked, this, &TWordstoreroom1::ListBox1Click);
    // A row chosen with the arrow keys counts as clicked, as in any list box.
    connect(ListBox1, &QListWidget::itemSelectionChanged, this, &TWordstoreroom1::ListBox1Click);
    connect(gomywordbook, &QPushButton::clicked, this, &TWordstoreroom1::gomywordbookClick);
    connect(newMywordbook, &QPushButton::clicked, this, &TWordstoreroom1::newMywordbookClick);
    connect(Formclose1, &QPushButton::clicked, this, &TWordstoreroom1::Formclose1Click);
    connect(restoreBackup, &QPushButton::clicked, this, &TWordstoreroom1::restoreBackupClick);
    connect(importBank, &QPushButton::clicked, this, &TWordstoreroom1::importBankClick);
    connect(importWords, &QPushButton::clicked, this, &TWordstoreroom1::importWordsClick);
    connect(exportWords, &QPushButton::clicked, this, &TWordstoreroom1::exportWordsClick);
}

TWordstoreroom1::~TWordstoreroom1() {
    // The worker's deliveries call into this window: it stops before the members go.
    imports_.reset();
}

void TWordstoreroom1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FormShow();
}

void TWordstoreroom1::FormShow() {
    std::vector<std::string> names;
    const core::Status read = core::ReadBankCatalogues(state_.AppDir, state_.DataHome(), names);
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
    const std::string bankPath = core::FindWordBank(state_.AppDir, state_.DataHome(), bank);
    if (!core::FileExists(bankPath)) {
        messages_.ShowError(Text("File not found: “" + bankPath + "”"));
        return;
    }
    if (!core::FileExists(core::LearnerListPath(state_.DataHome(), state_.LearnerName, 1))) {
        messages_.Inform(
            QStringLiteral("您的数据库文件不存在，\r\n   你可按”清空我的词库“恢复一个新词库"));
    }
    // The bank replaces the new words: the learner agrees first, knowing that the words are
    // kept in a backup.
    if (!state_.NewList.empty() &&
        messages_.AskOkCancel(QStringLiteral("加到词库"),
                              QStringLiteral("您的未学单词中现有%1个单词，加到词库后将换成词库"
                                             "“%2”的单词。\r\n原来的单词会保存在备份中，"
                                             "可以在“恢复备份”中找回。\r\n\r\n要替换吗？")
                                  .arg(state_.NewList.size())
                                  .arg(Edit1->text())) != MessageService::Answer::Ok) {
        return;
    }
    // The reload below reads all three lists from disk; saving them first keeps what the
    // learner studied since the start. A failed save stops here, before anything is replaced.
    if (const core::Status saved = wordForm_.MYSaveClick(); !saved) {
        messages_.ShowError(ErrorText(saved));
        return;
    }
    const core::BankCopyResult copied =
        core::CopyBankToNewList(state_.AppDir, state_.DataHome(), state_.LearnerName, bank);
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
    const core::Status written = core::WriteLearnerSettings(state_.DataHome(), state_.LearnerName);
    if (!written) {
        messages_.ShowError(ErrorText(written));
    }
}

void TWordstoreroom1::Formclose1Click() {
    hide();
}

void TWordstoreroom1::importBankClick() {
    ImportChosenFile(ImportTarget::Bank);
}

void TWordstoreroom1::importWordsClick() {
    ImportChosenFile(ImportTarget::Words);
}

void TWordstoreroom1::ImportChosenFile(ImportTarget target) {
    if (ImportProgress != nullptr) {
        return;
    }
    const QString path = ChooseFile(false, QString());
    if (!path.isEmpty()) {
        StartImport(path, target, std::nullopt);
    }
}

void TWordstoreroom1::StartImport(const QString& path, ImportTarget target,
                                  std::optional<exchange::KvtmlColumns> columns) {
    if (!imports_) {
        imports_ = std::make_unique<sound::UiWorker>();
    }
    // Window-modal: the lists cannot change under the import, and the window still paints.
    ImportProgress =
        new QProgressDialog(QStringLiteral("正在读入“%1”……").arg(QFileInfo(path).fileName()),
                            QStringLiteral("取消"), 0, 100, this);
    ImportProgress->setObjectName(QStringLiteral("ImportProgress"));
    ImportProgress->setWindowTitle(QStringLiteral("导入单词"));
    ImportProgress->setWindowModality(Qt::WindowModal);
    ImportProgress->setAutoReset(false);
    ImportProgress->setAutoClose(false);
    ImportProgress->setMinimumDuration(300);
    ImportProgress->setValue(0);
    connect(ImportProgress, &QProgressDialog::canceled, this, &TWordstoreroom1::CancelImport);

    sound::UiWorker* worker = imports_.get();
    const QPointer<QObject> guard(this);
    import_ = worker->Post(
        this,
        [this, worker, guard, path, columns](const core::CancelToken& token) {
            exchange::ImportOptions options;
            options.columns = columns;
            options.progress = [this, worker, guard, token, shown = -1](double done) mutable {
                const int percent = static_cast<int>(done * 100);
                if (percent != shown) {
                    shown = percent;
                    // Runs only while this task is the one not cancelled: its bar is shown.
                    worker->Deliver(token, guard, [this, percent] {
                        if (ImportProgress != nullptr) {
                            ImportProgress->setValue(percent);
                        }
                    });
                }
                return !token.Cancelled();
            };
            ImportOutcome outcome;
            outcome.status = exchange::ImportWordFile(path, outcome.entries, options);
            if (outcome.status.what == core::Failure::ImportNoEnglish) {
                outcome.languages = exchange::WordFileLanguages(path);
            }
            return outcome;
        },
        [this, path, target](ImportOutcome outcome) { FinishImport(path, target, outcome); });
}

void TWordstoreroom1::CancelImport() {
    // From here on nothing of the task comes back, even a result on its way.
    import_.Cancel();
    EndImportProgress();
}

void TWordstoreroom1::EndImportProgress() {
    if (ImportProgress != nullptr) {
        ImportProgress->disconnect(this);
        // reset() stops the timer that shows the bar once the minimum duration has passed:
        // a hidden bar not yet deleted (a dialog that follows runs its own event loop, which
        // holds the deletion back) would otherwise come back as a window-modal orphan.
        ImportProgress->reset();
        ImportProgress->hide();
        ImportProgress->deleteLater();
        ImportProgress = nullptr;
    }
}

void TWordstoreroom1::hideEvent(QHideEvent* event) {
    // A window closed while it reads stops reading.
    if (ImportProgress != nullptr) {
        CancelImport();
    }
    QWidget::hideEvent(event);
}

void TWordstoreroom1::FinishImport(const QString& path, ImportTarget target,
                                   const ImportOutcome& outcome) {
    EndImportProgress();
    const core::Status& read = outcome.status;
    if (read.what == core::Failure::ImportNoEnglish && !outcome.languages.empty()) {
        if (const auto columns = ChooseLanguages(path, outcome.languages)) {
            StartImport(path, target, columns);
        }
        return;
    }
    if (!read) {
        messages_.ShowError(ErrorText(read));
        return;
    }
    const core::ImportedEntries& entries = outcome.entries;
    if (target == ImportTarget::Bank) {
        const QString bank = QFileInfo(path).completeBaseName();
        const core::Status made = core::CreateWordBank(state_.AppDir, state_.DataHome(),
                                                       bank.toStdString(), entries.lines);
        if (!made) {
            messages_.ShowError(ErrorText(made));
            return;
        }
        FormShow();
        const QList<QListWidgetItem*> rows = ListBox1->findItems(bank, Qt::MatchExactly);
        if (!rows.isEmpty()) {
            ListBox1->setCurrentItem(rows.front());
        }
        Edit1->setText(bank);
        QString text =
            QStringLiteral("已建立词库“%1”，共%2个单词。").arg(bank).arg(entries.lines.size());
        if (entries.duplicates > 0) {
            text += QStringLiteral("\r\n%1个重复的单词只导入了一次。").arg(entries.duplicates);
        }
        messages_.Inform(text + LeftOutText(entries) +
                         QStringLiteral("\r\n\r\n按“加到词库”就可以学习这些单词。"));
        return;
    }
    const core::StudyState::ImportCount count = state_.AddImportedWords(entries.lines);
    if (const core::Status saved = wordForm_.MYSaveClick(); !saved) {
        messages_.ShowError(ErrorText(saved));
        return;
    }
    messages_.Inform(QStringLiteral("已把%1个单词加入未学的单词；%2个单词已在您的单词表中。")
                         .arg(count.added)
                         .arg(count.alreadyListed + entries.duplicates) +
                     LeftOutText(entries));
}

void TWordstoreroom1::exportWordsClick() {
    using core::ExchangeList;
    static const std::vector<ExchangeList> choices[] = {
        {ExchangeList::New, ExchangeList::Mastered, ExchangeList::Review},
        {ExchangeList::New},
        {ExchangeList::Mastered},
        {ExchangeList::Review},
    };
    const int chosen = qBound(0, CbExportList->currentIndex(), 3);
    const QString suggested =
        QDir::home().filePath(Text(state_.LearnerName) + QStringLiteral(".csv"));
    const QString path = ChooseFile(true, suggested);
    if (path.isEmpty()) {
        return;
    }
    const std::optional<exchange::Format> format = exchange::FormatOfPath(path);
    if (!format) {
        messages_.ShowError(
            QStringLiteral("请用扩展名 .csv、.txt（Anki）或 .kvtml 指明文件的格式。"));
        return;
    }
    const exchange::ExportResult result =
        exchange::ExportLists(state_, choices[chosen], *format, path);
    if (!result.status) {
        messages_.ShowError(ErrorText(result.status));
        return;
    }
    QString text = QStringLiteral("已把%1个单词导出到“%2”。").arg(result.words).arg(path);
    if (result.skipped > 0) {
        text += QStringLiteral("\r\n\r\n有%1行不是“单词[音标]释义”的形式，没有导出。")
                    .arg(result.skipped);
    }
    messages_.Inform(text);
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
    ListBox1->setGeometry(0, 49, w, qMax(0, h - 49 - 80));
    Panel4->setGeometry(0, qMax(49, h - 80), w, 40);
    Panel2->setGeometry(0, qMax(49, h - 40), w, 40);
}

bool TWordstoreroom1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ListBox1->viewport() && event->type() == QEvent::Resize) {
        // Two columns of rows 20 pixels high share the list's width.
        ListBox1->setGridSize(QSize(qMax(40, ListBox1->viewport()->width() / 2 - 2), 20));
    }
    return QWidget::eventFilter(watched, event);
}
