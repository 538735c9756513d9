#pragma once
#include "core/canceltoken.h"
#include "exchange/kvtml.h"
#include "host/modewindow.h"
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressDialog;
class QPushButton;
class MessageService;
class TWordForm1;
namespace core {
class StudyState;
} // namespace core
namespace sound {
class UiWorker;
} // namespace sound

/// The word-bank window "词库设置": lists the banks of the catalogue and loads the chosen
/// one as the learner's new-word list. Shown inside the main window's client panel; closing
/// it only hides it.
class TWordstoreroom1 : public QWidget, public ModeWindow {
    Q_OBJECT
public:
    TWordstoreroom1(core::StudyState& state, MessageService& messages, TWordForm1& wordForm,
                    QWidget* parent = nullptr);
    /// Stops an import being read and waits for the worker.
    ~TWordstoreroom1() override;

    // ModeWindow: the window only shows the catalogue; it has no start-up of its own.
    QWidget* Widget() override { return this; }
    void Start(ModeButton) override {}

    QWidget* Panel3;
    QLabel* Label1;
    QLabel* Label2;
    QListWidget* ListBox1;
    QWidget* Panel2;
    QLabel* Label3;
    QLineEdit* Edit1;
    QPushButton* gomywordbook;  ///< "加到词库"
    QPushButton* newMywordbook; ///< "清空词库"
    QPushButton* Formclose1;    ///< "关  闭"
    QPushButton* restoreBackup; ///< "恢复备份"
    // Word lists in and out of the program (CSV, Anki text, KVTML).
    QWidget* Panel4;
    QPushButton* importBank;  ///< "导入词库": a file becomes a new bank
    QPushButton* importWords; ///< "导入生词": a file's words join the new-word list
    QLabel* Label4;           ///< "导出单词表："
    QComboBox* CbExportList;  ///< which lists "导出单词" writes
    QPushButton* exportWords; ///< "导出单词"

    /// Asks for a file to read (save false) or to write (save true, suggested name given);
    /// returns its path, or an empty text when the learner cancels. Tests replace it.
    std::function<QString(bool save, const QString& suggested)> ChooseFile;
    /// Asks which languages of a KVTML file without English are the word and the meaning;
    /// nothing when the learner declines. Tests replace it.
    std::function<std::optional<exchange::KvtmlColumns>(
        const QString& path, const std::vector<exchange::KvtmlLanguage>& languages)>
        ChooseLanguages;
    /// The progress of the import being read, with its cancel button; null when none runs.
    QProgressDialog* ImportProgress = nullptr;

public slots:
    void ListBox1Click();
    /// "加到词库": the learner's lists are saved first, so that what was studied since the
    /// start survives; then the bank replaces the new-word file and the lists are reloaded.
    void gomywordbookClick();
    /// "清空词库": writes the learner's settings file.
    void newMywordbookClick();
    void Formclose1Click();
    /// "恢复备份": lists the backups by date with their word counts; the one chosen replaces
    /// the lists (the present ones are kept as a backup first) and the lists are read anew.
    void restoreBackupClick();
    /// "导入词库": the chosen file becomes a new bank named after the file; the catalogue is
    /// shown again with the new bank chosen, ready for "加到词库".
    void importBankClick();
    /// "导入生词": the chosen file's words join the new-word list (those one of the three
    /// lists holds already excepted) and the lists are saved.
    void importWordsClick();
    /// "导出单词": the lists chosen in CbExportList go to a file; its extension chooses the
    /// format (".csv", ".txt" for Anki, ".kvtml").
    void exportWordsClick();
    /// Stops the import being read: nothing of it is kept.
    void CancelImport();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// Where the words of an imported file go.
    enum class ImportTarget { Bank, Words };
    struct ImportOutcome;
    /// Asks for a word file and reads it with StartImport.
    void ImportChosenFile(ImportTarget target);
    /// Reads the file on the worker while the progress shows; FinishImport takes the words.
    void StartImport(const QString& path, ImportTarget target,
                     std::optional<exchange::KvtmlColumns> columns);
    void FinishImport(const QString& path, ImportTarget target, const ImportOutcome& outcome);
    void EndImportProgress();
    void FormShow();

    core::StudyState& state_;
    MessageService& messages_;
    TWordForm1& wordForm_;
    core::CancelToken import_;                 ///< the import being read
    std::unique_ptr<sound::UiWorker> imports_; ///< last: made by the first import
};
