#include "errortext.h"

#include "sound/sounderror.h"

#include <QStringList>
#include <cerrno>
#include <exception>

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

QString NameSubject(core::NameRole role) {
    return role == core::NameRole::Bank ? QStringLiteral("词库名称") : QStringLiteral("学员名字");
}

/// "文件“…”第N行" for a fault at a line of a file.
QString AtLine(const core::Status& status) {
    return QStringLiteral("文件“%1”第%2行").arg(Q(status.file)).arg(status.line);
}

} // namespace

QString SystemErrorText(int error) {
    // The system's own texts are English; a learner gets one of these, or at least the
    // number, never a sentence in a language the program does not speak.
    switch (error) {
    case ENOENT:
        return QStringLiteral("文件或文件夹不存在");
    case EACCES:
    case EPERM:
        return QStringLiteral("没有权限");
    case EEXIST:
        return QStringLiteral("已经有同名的文件或文件夹");
    case EISDIR:
        return QStringLiteral("这是一个文件夹");
    case ENOTDIR:
        return QStringLiteral("路径中有一部分不是文件夹");
    case ENOTEMPTY:
        return QStringLiteral("文件夹不是空的");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("磁盘空间不足");
    case EROFS:
        return QStringLiteral("磁盘是只读的");
    case EFBIG:
    case EOVERFLOW:
        return QStringLiteral("文件太大");
    case ENAMETOOLONG:
        return QStringLiteral("文件名太长");
    case ELOOP:
        return QStringLiteral("路径中的链接太多，可能指向了自己");
    case EMLINK:
        return QStringLiteral("链接或子文件夹太多");
    case EXDEV:
        return QStringLiteral("不能在不同的磁盘之间移动");
    case EIO:
        return QStringLiteral("磁盘读写错误");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("打开的文件太多");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("文件正被占用");
    case EAGAIN:
        return QStringLiteral("暂时无法完成，请稍后再试");
    case EINTR:
        return QStringLiteral("操作被中断");
    case ENOMEM:
        return QStringLiteral("内存不足");
    case EINVAL:
        return QStringLiteral("无效的参数");
    case EBADF:
        return QStringLiteral("文件没有正确打开");
    case ENXIO:
    case ENODEV:
        return QStringLiteral("设备不存在");
    case ENOLCK:
        return QStringLiteral("无法锁定文件");
    case ENOSYS:
    case ENOTSUP:
        return QStringLiteral("系统不支持这个操作");
    case ESTALE:
        return QStringLiteral("网络文件已失效");
    case ETIMEDOUT:
        return QStringLiteral("操作超时");
    case ENOTCONN:
    case ECONNREFUSED:
    case EHOSTUNREACH:
    case ENETUNREACH:
        return QStringLiteral("无法连接");
    default:
        return QStringLiteral("系统错误（错误号 %1）").arg(error);
    }
}

QString ErrorText(const core::Status& status) {
    using core::Failure;
    const QString file = Q(status.file);
    const QString reason = status.sysError != 0 ? SystemErrorText(status.sysError) : QString();
    auto withReason = [&](const QString& sentence) {
        return reason.isEmpty() ? sentence : sentence + QStringLiteral("：") + reason;
    };
    switch (status.what) {
    case Failure::None:
        return {};
    case Failure::Open:
        return withReason(QStringLiteral("无法打开文件“%1”").arg(file));
    case Failure::Read:
        return withReason(QStringLiteral("无法读取文件“%1”").arg(file));
    case Failure::Write:
        return withReason(QStringLiteral("无法写入文件“%1”").arg(file));
    case Failure::CreateFolder:
        return withReason(QStringLiteral("无法创建文件夹“%1”").arg(file));
    case Failure::NotFound:
        // The word-bank window's report for a missing bank keeps the text learners know.
        return QStringLiteral("File not found: “%1”").arg(file);
    case Failure::TooFewLines:
        return QStringLiteral("文件“%1”不完整：只有%2行").arg(file, Q(status.detail));
    case Failure::SoundUnreadable:
        return withReason(QStringLiteral("无法读取声音文件：%1").arg(file));
    case Failure::SoundIncomplete:
        return withReason(QStringLiteral("声音文件不完整：%1").arg(file));
    case Failure::SoundOpen:
        return withReason(QStringLiteral("无法打开声音文件：%1").arg(file));
    case Failure::SoundWrite:
        return withReason(QStringLiteral("无法写入声音文件：%1").arg(file));
    case Failure::SoundCreate:
        return withReason(QStringLiteral("无法创建声音文件：%1").arg(file));
    case Failure::SoundMissing:
        return withReason(QStringLiteral("找不到声音文件：%1").arg(file));
    case Failure::SoundNoFileName:
        return withReason(QStringLiteral("没有指定声音文件"));
    case Failure::SoundUnplayable:
        return withReason(
            QStringLiteral("无法播放声音文件：%1（文件是空的、已损坏或格式不受支持）").arg(file));
    case Failure::SoundTooLong:
        return withReason(
            QStringLiteral("声音文件播放时间过长，已停止：%1（文件头所写的格式有误）").arg(file));
    case Failure::SoundNotOpen:
        return withReason(QStringLiteral("声音设备未打开：%1").arg(file));
    case Failure::SoundNoRecord:
        return withReason(QStringLiteral("无法在此文件中录音：%1").arg(file));
    case Failure::SoundNoOutput:
        return withReason(QStringLiteral("没有可用的声音输出设备，声音和语音都无法播放。"));
    case Failure::SoundOutputOpen:
        return withReason(QStringLiteral("声音输出设备无法打开，声音和语音都无法播放。"));
    case Failure::SoundNoInput:
        return withReason(QStringLiteral("没有可用的录音设备：%1").arg(file));
    case Failure::SoundInputOpen:
        return withReason(QStringLiteral("录音设备无法打开：%1").arg(file));
    // The recording modes' plain messages, word for word as learners know them.
    case Failure::SoundDeviceInit:
        return QStringLiteral("媒体设备初始化失败！");
    case Failure::SoundSave:
        return QStringLiteral("保存声音文件出错!");
    case Failure::SpeechEngine:
        return file.isEmpty() ? QStringLiteral("语音引擎无法启动：找不到它的英语语音数据。"
                                               "没有录音的单词将不会读出。")
                              : QStringLiteral("语音引擎无法启动：“%1”中没有它的英语语音数据。"
                                               "没有录音的单词将不会读出。")
                                    .arg(file);
    case Failure::PronunciationModel:
        return QStringLiteral("缺少发音模型：%1").arg(file);
    case Failure::SoundNoSpeech:
        return QStringLiteral("录音“%1”中没有听到说话的声音。").arg(file);
    case Failure::FontMissing:
        return QStringLiteral("找不到音标字体文件“%1”，音标将显示为普通字母。").arg(file);
    case Failure::FontUnusable:
        return QStringLiteral("音标字体文件“%1”已损坏，无法使用，音标将显示为普通字母。").arg(file);
    case Failure::NameEmpty:
        return NameSubject(status.role) + QStringLiteral("不能为空。");
    case Failure::NameSeparator:
        return NameSubject(status.role) + QStringLiteral("不能包含“/”或“\\”。");
    case Failure::NameControl:
        return NameSubject(status.role) + QStringLiteral("不能包含控制字符。");
    case Failure::NameFormat:
        return NameSubject(status.role) +
               QStringLiteral("不能包含零宽空格、文字方向控制符等看不见的格式字符。");
    case Failure::NameInvisible:
        return NameSubject(status.role) +
               QStringLiteral("中至少要有一个看得见的字符，不能只有空格。");
    case Failure::NameDots:
        return NameSubject(status.role) + QStringLiteral("不能是“.”或“..”。");
    case Failure::NameTooLong:
        return NameSubject(status.role) + QStringLiteral("太长了，最多64个字符。");
    case Failure::NameProgramFile:
        return QStringLiteral("学员名字不能与程序的文件“%1”同名。").arg(Q(status.detail));
    case Failure::BankEncoding:
        return QStringLiteral("词库“%1”的文字编码无法识别（可用 GBK、UTF-8 或 UTF-16），"
                              "词库没有载入。")
            .arg(file);
    case Failure::BankExists:
        return QStringLiteral("已经有名为“%1”的词库，请换一个名字。").arg(Q(status.detail));
    case Failure::ImportEncoding:
        return (status.line > 0 ? AtLine(status) : QStringLiteral("文件“%1”").arg(file)) +
               QStringLiteral("不是可以识别的文字（可用 UTF-8、GBK 或 UTF-16 编码）。"
                              "请把文件另存为UTF-8编码后再导入。");
    case Failure::ImportNoColumns:
        return AtLine(status) + QStringLiteral("只有一列：每行至少要有单词和释义两列。");
    case Failure::ImportColumnCount: {
        const QStringList counts = Q(status.detail).split(QLatin1Char('/'));
        return AtLine(status) +
               QStringLiteral("有%1列，与第一行的%2列不同。").arg(counts.value(0), counts.value(1));
    }
    case Failure::ImportUnclosedQuote:
        return AtLine(status) + QStringLiteral("的引号一直到文件末尾都没有结束。");
    case Failure::ImportEmptyWord:
        return AtLine(status) + QStringLiteral("的单词是空的。");
    case Failure::ImportBadWord:
        return AtLine(status) +
               QStringLiteral("的“%1”含有方括号，不能用作单词或音标。").arg(Q(status.detail));
    case Failure::ImportBadXml:
        // The parser's own words are English: the learner gets the line, logs the detail.
        return AtLine(status) + QStringLiteral("的XML格式有错误，文件可能不完整或已损坏。");
    case Failure::ImportNotKvtml:
        return QStringLiteral("文件“%1”不是KVTML词汇文件。").arg(file);
    case Failure::ImportNoWords:
        return QStringLiteral("文件“%1”中没有单词。").arg(file);
    case Failure::ImportOldKvtml:
        return QStringLiteral("文件“%1”是旧版的KVTML 1格式，本程序不支持。"
                              "请先用原来的程序打开它，另存为新版的格式后再导入。")
            .arg(file);
    case Failure::ImportNoEnglish:
        return QStringLiteral("文件“%1”中没有英语，它的语言是：%2。"
                              "请在“词库设置”窗口中导入它，并选择哪种语言是单词、哪种是释义。")
            .arg(file, Q(status.detail));
    case Failure::ImportCancelled:
        return QStringLiteral("已取消导入“%1”，什么也没有改变。").arg(file);
    case Failure::LookupFailed:
        // The cause (memory, a text too large to index) is the system's English: logs only.
        return QStringLiteral("查找时出错，查找已停止。");
    }
    return withReason(file);
}

bool IsNotice(const core::Status& status) {
    return status.what == core::Failure::SoundDeviceInit || status.what == core::Failure::SoundSave;
}

QString ErrorText(const std::exception& error) {
    if (const auto* sound = dynamic_cast<const sound::SoundError*>(&error)) {
        return ErrorText(sound->Failure());
    }
    return QString::fromUtf8(error.what());
}
