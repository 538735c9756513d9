#include "app/abouttext.h"

QString AboutText(const QString& dataDir, const QString& learnerDir) {
    return QStringLiteral(
               "朗记通 " LJT_VERSION "：英语单词记忆\r\n"
               "\r\n"
               "许可证\r\n"
               "  程序：GNU 通用公共许可证第 3 版或更新版本（GPL-3.0-or-later）\r\n"
               "  单词数据：ECDICT，MIT 许可证；例句为本程序自己编写（GPL）\r\n"
               "  单词发音：flite 的 cmu_us_slt 声音，CMU 许可证；朗读：eSpeak NG（GPL）\r\n"
               "  字体：音标字体 DFPhonetic 改自 DejaVu Sans（Bitstream Vera 许可证）；\r\n"
               "  中文和英文字体 Noto CJK（SIL OFL 1.1）、AR PL（Arphic）、Liberation（OFL）\r\n"
               "\r\n"
               "数据文件夹：%1\r\n"
               "学员数据文件夹（单词表、录音和备份）：%2\r\n"
               "\r\n"
               "键盘\r\n"
               "  Alt+字母：打开按钮上标出字母的学习方式（如 Alt+S 跟读速记）\r\n"
               "  跟读速记的卡片：1 我知道／猜对了，2 不清楚／没猜准，3 生疏词／已掌握，"
               "回车 继续\r\n"
               "  F1：这段帮助    Esc：退出朗记通（先询问）")
        .arg(dataDir, learnerDir);
}
