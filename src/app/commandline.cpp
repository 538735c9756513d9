#include "app/commandline.h"
#include "app/scorecommand.h"

#include "core/historycsv.h"
#include "core/historyreader.h"
#include "core/textfile.h"

#include "core/learnerfiles.h"
#include "core/studystate.h"
#include "exchange/wordfiles.h"
#include "host/errortext.h"
#include "host/folders.h"
#include "host/learnerlock.h"

#include <QCommandLineParser>
#include <QTextStream>

namespace {

const char* const CommandOptions[] = {"help",   "version", "export",  "import", "list",
                                      "format", "bank",    "to-list", "score"};

const QString Usage =
    QStringLiteral("用法：\n"
                   "  langjitong                 打开朗记通的窗口\n"
                   "  langjitong 单词文件        打开窗口，并在学员登录后提出把文件导入为新词库\n"
                   "  langjitong --export 学员 [--list 单词表] [--format 格式] 输出文件\n"
                   "  langjitong --import 文件 --bank 词库名称\n"
                   "  langjitong --import 文件 --to-list 学员\n"
                   "  langjitong --score 单词 录音.wav\n");

/// Wrong use: what was wrong, then the usage, on the error stream.
int WrongUse(const QString& error, QTextStream& err) {
    err << error << Qt::endl
        << Usage << QStringLiteral("langjitong --help 显示全部说明。") << Qt::endl;
    return 2;
}

QString HelpText(const ProgramFolders& folders) {
    return Usage +
           QStringLiteral(
               "\n"
               "在脚本中导出和导入单词表。学员在朗记通中学习时，不能导出或导入\n"
               "他的单词表：请先关闭朗记通的窗口（窗口关闭时会写回学员的单词表）。\n"
               "\n"
               "选项：\n"
               "  --export 学员      把学员的单词表写入输出文件\n"
               "  --list 单词表      new（未学的单词）、mastered（已掌握单词）、\n"
               "                     review（需复习单词）或 all（三个单词表，默认）；\n"
               "                     history：学员的学习记录（每次回答、单词表的变动、\n"
               "                     发音得分和学习时段），只能导出为 csv\n"
               "  --format 格式      csv：逗号分隔，UTF-8，带标题行 word,ipa,meaning；\n"
               "                     anki：Anki 可以作为笔记导入的制表符分隔文本；\n"
               "                     kvtml：KDE Parley 和 KWordQuiz 的 KVTML 2 文件。\n"
               "                     不写时按输出文件的扩展名（.csv、.txt、.kvtml）\n"
               "  --import 文件      读入 CSV、制表符分隔文本或 KVTML 文件中的单词\n"
               "                     （UTF-8、GBK 或 UTF-16 编码；逗号、制表符或分号分隔）\n"
               "  --bank 词库名称    把读入的单词建成一个新词库\n"
               "  --to-list 学员     把读入的单词加入学员的未学单词（三个单词表中已有的单词除外）\n"
               "  --score 单词       给录音中单词的读音逐个音评分，输出一个 JSON 对象\n"
               "  -h, --help         显示这段说明\n"
               "  --version          显示版本\n"
               "\n"
               "文件中的音标是国际音标（Unicode），导入时变回 DFPhonetic 编码。\n"
               "每行必须有单词（空白的条目略过）；重复的单词只导入一次；\n"
               "文件有错时说明哪一行错了，什么也不写。\n"
               "\n"
               "例如：\n"
               "  langjitong --export 小明 --list mastered --format csv 已掌握.csv\n"
               "  langjitong --import 单词.kvtml --bank 我的词库\n"
               "\n"
               "数据文件夹：%1\n"
               "学员数据文件夹：%2\n")
               .arg(folders.dataDir, folders.learnerDir);
}

/// A state for the learner's lists as they are on disk; fails when the learner is unknown.
/// Loads a learner's lists for a command, holding the learner's lock in lock until the command
/// ends: a signed-in program would write its own lists over an import, and reading the lists
/// may finish or undo an interrupted save, which must never run beside the program's own.
bool LoadLearner(core::StudyState& state, const ProgramFolders& folders, const QString& name,
                 LearnerLock& lock, QTextStream& err) {
    state.AppDir = folders.dataDir.toStdString();
    state.LearnerDataDir = folders.learnerDir.toStdString();
    state.LearnerName = name.toStdString();
    if (const core::Status check = core::CheckLearnerName(state.LearnerName); !check) {
        err << ErrorText(check) << Qt::endl;
        return false;
    }
    if (!core::LearnerKnown(state.DataHome(), state.LearnerName)) {
        err << QStringLiteral("没有名为“%1”的学员（学员数据文件夹：%2）。")
                   .arg(name, folders.learnerDir)
            << Qt::endl;
        return false;
    }
    QString folder =
        QString::fromStdString(core::LearnerFolderPath(state.DataHome(), state.LearnerName));
    folder.chop(1); // the trailing "/"
    if (lock.Take(folder) == LearnerLock::Outcome::HeldElsewhere) {
        err << QStringLiteral("学员“%1”正在朗记通中学习，单词表不能同时由命令改动或读取。"
                              "请先关闭朗记通（或退出这个学员），再运行这个命令。")
                   .arg(name)
            << Qt::endl;
        return false;
    }
    if (const core::Status loaded = state.LoadLearnerLists(); !loaded) {
        err << ErrorText(loaded) << Qt::endl;
        return false;
    }
    return true;
}

/// --export with --list history: the learner's study history as a CSV table.
int ExportHistory(const QCommandLineParser& parser, const ProgramFolders& folders,
                  const QString& path, QTextStream& out, QTextStream& err) {
    if (parser.isSet(QStringLiteral("format")) &&
        parser.value(QStringLiteral("format")) != QStringLiteral("csv")) {
        err << QStringLiteral("学习记录只能导出为 csv。") << Qt::endl;
        return 2;
    }
    core::StudyState state;
    LearnerLock lock;
    if (!LoadLearner(state, folders, parser.value(QStringLiteral("export")), lock, err)) {
        return 1;
    }
    const core::HistoryRead read =
        core::ReadHistory(core::LearnerHistoryPath(state.DataHome(), state.LearnerName));
    if (!read.status) {
        err << ErrorText(read.status) << Qt::endl;
        return 1;
    }
    if (const core::Status s =
            core::WriteFileAtomic(path.toStdString(), core::WriteHistoryCsv(read.events));
        !s) {
        err << ErrorText(s) << Qt::endl;
        return 1;
    }
    out << QStringLiteral("已把%1条学习记录写入“%2”。").arg(read.events.size()).arg(path)
        << Qt::endl;
    if (read.Skipped() > 0) {
        out << QStringLiteral("学习记录中有%1行无法读取，没有写入。").arg(read.Skipped())
            << Qt::endl;
    }
    return 0;
}

int Export(const QCommandLineParser& parser, const ProgramFolders& folders, QTextStream& out,
           QTextStream& err) {
    const QStringList rest = parser.positionalArguments();
    if (rest.size() != 1) {
        err << QStringLiteral("--export 需要一个输出文件。") << Qt::endl;
        return 2;
    }
    const QString path = rest.front();
    if (parser.value(QStringLiteral("list")) == QStringLiteral("history")) {
        return ExportHistory(parser, folders, path, out, err);
    }
    const auto lists = exchange::ListsNamed(parser.isSet(QStringLiteral("list"))
                                                ? parser.value(QStringLiteral("list"))
                                                : QStringLiteral("all"));
    if (!lists) {
        err << QStringLiteral("--list 只能是 new、mastered、review 或 all。") << Qt::endl;
        return 2;
    }
    const auto format = parser.isSet(QStringLiteral("format"))
                            ? exchange::FormatNamed(parser.value(QStringLiteral("format")))
                            : exchange::FormatOfPath(path);
    if (!format) {
        err << QStringLiteral("--format 只能是 csv、anki 或 kvtml（也可以用扩展名 .csv、.txt、"
                              ".kvtml 指明）。")
            << Qt::endl;
        return 2;
    }
    core::StudyState state;
    LearnerLock lock;
    if (!LoadLearner(state, folders, parser.value(QStringLiteral("export")), lock, err)) {
        return 1;
    }
    const exchange::ExportResult result = exchange::ExportLists(state, *lists, *format, path);
    if (!result.status) {
        err << ErrorText(result.status) << Qt::endl;
        return 1;
    }
    out << QStringLiteral("已把%1个单词写入“%2”。").arg(result.words).arg(path) << Qt::endl;
    if (result.skipped > 0) {
        out << QStringLiteral("有%1行不是“单词[音标]释义”的形式，没有写入。").arg(result.skipped)
            << Qt::endl;
    }
    return 0;
}

int Import(const QCommandLineParser& parser, const ProgramFolders& folders, QTextStream& out,
           QTextStream& err) {
    const bool toBank = parser.isSet(QStringLiteral("bank"));
    const bool toList = parser.isSet(QStringLiteral("to-list"));
    if (toBank == toList || !parser.positionalArguments().isEmpty() ||
        parser.isSet(QStringLiteral("list")) || parser.isSet(QStringLiteral("format"))) {
        err << QStringLiteral("--import 需要 --bank 词库名称 或 --to-list 学员 两者之一。")
            << Qt::endl;
        return 2;
    }
    const QString path = parser.value(QStringLiteral("import"));
    core::ImportedEntries entries;
    if (const core::Status read = exchange::ImportWordFile(path, entries); !read) {
        err << ErrorText(read) << Qt::endl;
        return 1;
    }
    QString repeats = entries.duplicates > 0
                          ? QStringLiteral("（%1个重复的单词只导入一次）").arg(entries.duplicates)
                          : QString();
    if (entries.blanks > 0) {
        repeats += QStringLiteral("（%1个空白条目已略过）").arg(entries.blanks);
    }
    if (toBank) {
        const QString bank = parser.value(QStringLiteral("bank"));
        const core::Status made =
            core::CreateWordBank(folders.dataDir.toStdString(), folders.learnerDir.toStdString(),
                                 bank.toStdString(), entries.lines);
        if (!made) {
            err << ErrorText(made) << Qt::endl;
            return 1;
        }
        out << QStringLiteral("已建立词库“%1”，共%2个单词%3。")
                   .arg(bank)
                   .arg(entries.lines.size())
                   .arg(repeats)
            << Qt::endl;
        return 0;
    }
    core::StudyState state;
    LearnerLock lock;
    if (!LoadLearner(state, folders, parser.value(QStringLiteral("to-list")), lock, err)) {
        return 1;
    }
    const core::StudyState::ImportCount count = state.AddImportedWords(entries.lines);
    if (const core::Status saved = state.SaveLearnerLists(); !saved) {
        err << ErrorText(saved) << Qt::endl;
        return 1;
    }
    out << QStringLiteral("已把%1个单词加入“%2”的未学单词%3；%4个已在单词表中。")
               .arg(count.added)
               .arg(parser.value(QStringLiteral("to-list")), repeats)
               .arg(count.alreadyListed)
        << Qt::endl;
    return 0;
}

} // namespace

bool WantsCommand(const QStringList& arguments) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("-h")) {
            return true;
        }
        for (const char* option : CommandOptions) {
            const QString name = QStringLiteral("--") + QLatin1String(option);
            if (argument == name || argument.startsWith(name + QLatin1Char('='))) {
                return true;
            }
        }
    }
    return false;
}

int ReadWindowArguments(const QStringList& arguments, QString& file, QTextStream& err) {
    file.clear();
    QStringList files;
    bool optionsEnd = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!optionsEnd && argument == QLatin1String("--")) {
            optionsEnd = true;
        } else if (!optionsEnd && argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
            return WrongUse(QStringLiteral("未知选项：%1").arg(argument), err);
        } else {
            files << argument;
        }
    }
    if (files.size() > 1) {
        return WrongUse(
            QStringLiteral("一次只能打开一个单词文件：%1").arg(files.join(QStringLiteral("、"))),
            err);
    }
    file = files.value(0);
    return 0;
}

int RunCommand(const QStringList& arguments, const ProgramFolders& folders, QTextStream& out,
               QTextStream& err) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions({
        {{QStringLiteral("h"), QStringLiteral("help")}, QString()},
        {QStringLiteral("version"), QString()},
        {QStringLiteral("export"), QString(), QStringLiteral("learner")},
        {QStringLiteral("list"), QString(), QStringLiteral("list")},
        {QStringLiteral("format"), QString(), QStringLiteral("format")},
        {QStringLiteral("import"), QString(), QStringLiteral("file")},
        {QStringLiteral("bank"), QString(), QStringLiteral("name")},
        {QStringLiteral("to-list"), QString(), QStringLiteral("learner")},
        {QStringLiteral("score"), QString(), QStringLiteral("word")},
    });
    if (!parser.parse(arguments)) {
        return WrongUse(parser.errorText(), err);
    }
    if (parser.isSet(QStringLiteral("help"))) {
        out << HelpText(folders);
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        out << QStringLiteral("朗记通 " LJT_VERSION) << Qt::endl;
        return 0;
    }
    if (parser.isSet(QStringLiteral("score"))) {
        const QStringList rest = parser.positionalArguments();
        if (rest.size() != 1) {
            err << QStringLiteral("--score 需要一个单词和一个录音文件。") << Qt::endl;
            return 2;
        }
        return RunScoreCommand(parser.value(QStringLiteral("score")), rest.front(), out, err);
    }
    const bool exporting = parser.isSet(QStringLiteral("export"));
    const bool importing = parser.isSet(QStringLiteral("import"));
    if (exporting == importing) {
        err << QStringLiteral("请用 --export 或 --import 两者之一；langjitong --help 显示用法。")
            << Qt::endl;
        return 2;
    }
    if (exporting) {
        if (parser.isSet(QStringLiteral("bank")) || parser.isSet(QStringLiteral("to-list"))) {
            err << QStringLiteral("--bank 和 --to-list 只用于 --import。") << Qt::endl;
            return 2;
        }
        return Export(parser, folders, out, err);
    }
    return Import(parser, folders, out, err);
}
