#pragma once

/// The mode buttons of the main window, named after the buttons.
enum class ModeButton {
    Btfollow,      ///< "跟读速记(&S)": flash cards in the card window
    btrecordword,  ///< "录音跟读(&D)": recording window
    lookword,      ///< "浏览跟读(&F)": browsing in the card window
    closelookword, ///< "词句查看(&T)": lookup window
    SpeedButton9,  ///< "输入测试(&w)": spelling window
    BtSelectTest1, ///< "选择测试(&C)": choice-test window
    SpeedButton12, ///< "词库设置(&K)": word-bank window
    SpeedButton13, ///< "学习内容(&G)": study-content window (its own window, not in Panel1)
    SpeedButton1,  ///< "音标学习(&P)": phonetic-lesson window
    SpeedButton14, ///< "学习统计(&J)": study statistics window
};

/// One slot per window class that is shown inside Panel1. A slot is empty while its window
/// does not exist.
enum class ModeSlot {
    Cards,      ///< THeReadForm1 (flash cards and browsing)
    Recording,  ///< TRecordForm1
    Spelling,   ///< TMyWriteForm1
    ChoiceTest, ///< TSelectTestForm1
    Phonetic,   ///< TyinbiaoForm1
    Lookup,     ///< TWordSentenceForrm
    WordBank,   ///< TWordstoreroom1 (hides on close, lives until the end)
    Statistics, ///< TStudyStatsForm
};
