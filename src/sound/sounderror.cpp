#include "sounderror.h"

namespace sound {

QString SoundFailureText(const core::Status& failure) {
    using core::Failure;
    const QString file = QString::fromStdString(failure.file);
    switch (failure.what) {
    case Failure::SoundUnreadable:
        return QStringLiteral("无法读取声音文件：%1").arg(file);
    case Failure::SoundIncomplete:
        return QStringLiteral("声音文件不完整：%1").arg(file);
    case Failure::SoundOpen:
        return QStringLiteral("无法打开声音文件：%1").arg(file);
    case Failure::SoundWrite:
        return QStringLiteral("无法写入声音文件：%1").arg(file);
    case Failure::SoundCreate:
        return QStringLiteral("无法创建声音文件：%1").arg(file);
    case Failure::SoundMissing:
        return QStringLiteral("找不到声音文件：%1").arg(file);
    case Failure::SoundNoFileName:
        return QStringLiteral("没有指定声音文件");
    case Failure::SoundUnplayable:
        return QStringLiteral("无法播放声音文件：%1（文件是空的、已损坏或格式不受支持）").arg(file);
    case Failure::SoundTooLong:
        return QStringLiteral("声音文件播放时间过长，已停止：%1（文件头所写的格式有误）").arg(file);
    case Failure::SoundNotOpen:
        return QStringLiteral("声音设备未打开：%1").arg(file);
    case Failure::SoundNoRecord:
        return QStringLiteral("无法在此文件中录音：%1").arg(file);
    case Failure::SoundNoOutput:
        return QStringLiteral("没有可用的声音输出设备，声音和语音都无法播放。");
    case Failure::SoundOutputOpen:
        return QStringLiteral("声音输出设备无法打开，声音和语音都无法播放。");
    case Failure::SoundNoInput:
        return QStringLiteral("没有可用的录音设备：%1").arg(file);
    case Failure::SoundInputOpen:
        return QStringLiteral("录音设备无法打开：%1").arg(file);
    default:
        return QStringLiteral("声音操作失败：%1").arg(file);
    }
}

bool IsDeviceFailure(const core::Status& failure) {
    using core::Failure;
    return failure.what == Failure::SoundNoOutput || failure.what == Failure::SoundOutputOpen ||
           failure.what == Failure::SoundNoInput || failure.what == Failure::SoundInputOpen;
}

SoundError::SoundError(core::Status failure)
    : std::runtime_error(SoundFailureText(failure).toStdString()), failure_(std::move(failure)) {
}

SoundError::SoundError(core::Failure what, const QString& file)
    : SoundError(core::Status::Fail(what, file.toStdString())) {
}

} // namespace sound
