// The choice-test window driven through the main window's button with the injected random
// source, message recorder, scripted speech and scripted player: the wiring of its rows,
// markers and counters, and the mended faults.
#include "shellfixture.h"

#include "core/studystate.h"
#include "modes/selecttestform.h"

#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

using Kind = MessageRecorder::Kind;
using Lines = std::vector<std::string>;
using core::ChoiceMarker;
using core::ChoicePanel;

const QString EmptyText = QStringLiteral("您选的学习内容已空。\r\n\r\n请另选学习内容。");

Lines Entries(int n, const std::string& stem) {
    Lines lines;
    for (int i = 1; i <= n; ++i) {
        lines.push_back(stem + std::to_string(i) + "[x]n." + stem + std::to_string(i) + "义");
    }
    return lines;
}

class ChoiceWindowTest : public ShellTest {
protected:
    void SetUp() override {
        state_.AppDir = appDir_.toStdString();
        state_.LearnerName = "Bob";
        RegisterChoiceTestWindow(Shell());
        speech_.SetSpeakingAfterSpeak(false);
    }
    void Pictures() {
        const std::pair<const char*, Qt::GlobalColor> files[] = {
            {"help01.bmp", Qt::yellow}, {"check1.BMP", Qt::green}, {"wrong1.BMP", Qt::red}};
        for (const auto& [name, colour] : files) {
            QImage image(18, 18, QImage::Format_RGB32);
            image.fill(colour);
            ASSERT_TRUE(image.save(appDir_ + name, "BMP"));
        }
    }
    void Open(int kind, const Lines& fresh, const Lines& mastered = {}, const Lines& review = {}) {
        state_.ContentKind = core::StudyContent(kind);
        state_.NewList.Replace(fresh);
        state_.MasteredList.Replace(mastered);
        state_.ReviewList.Replace(review);
        state_.ReviewCount = static_cast<int>(review.size());
        state_.MasteredCount = static_cast<int>(mastered.size());
        Shell().BtSelectTest1->click();
    }
    TSelectTestForm1* W() {
        return qobject_cast<TSelectTestForm1*>(Shell().SlotWindow(ModeSlot::ChoiceTest));
    }
    /// Row 0..7 whose text is (or is not) the pending answer of its panel.
    int Row(ChoicePanel panel, bool right) {
        const core::ChoicePanelView& view = W()->Test().Panel(panel);
        for (int k = 0; k < 4; ++k) {
            const core::ChoiceRow& row = view.rows[static_cast<std::size_t>(k)];
            if (row.offered && (row.text == view.pending) == right) {
                return static_cast<int>(panel) * 4 + k;
            }
        }
        return -1;
    }
    QLabel* RowLabel(int row) { return W()->MYwordLabel[static_cast<std::size_t>(row)]; }
    QPushButton* Marker(int row) { return W()->SBT[static_cast<std::size_t>(row)]; }
    QString MarkerState(int row) { return Marker(row)->accessibleDescription(); }
    void ClickRow(int row) { QTest::mouseClick(RowLabel(row), Qt::LeftButton); }
    Lines Spoken() const { return speech_.Texts(); }
};

TEST_F(ChoiceWindowTest, OpeningAsksTheFirstWordInTheUpperPanel) {
    Pictures();
    Open(1, Entries(3, "n"), Entries(2, "m"));
    ASSERT_NE(W(), nullptr);
    EXPECT_EQ(W()->objectName(), QStringLiteral("SelectTestForm1"));
    EXPECT_EQ(W()->windowTitle(), QStringLiteral("选择测试窗口"));
    EXPECT_EQ(W()->Label14->text(), QStringLiteral("测试单词共：3个"));
    EXPECT_EQ(W()->Label15->text(), QStringLiteral("正确选择：0个"));
    EXPECT_EQ(W()->Label16->text(), QStringLiteral("点击错误：0个"));
    EXPECT_EQ(W()->Formclose1->text(), QStringLiteral("close"));
    const std::string asked = state_.CurrentEntry;
    const std::string word = asked.substr(0, asked.find('['));
    EXPECT_EQ(W()->MYwordLabelA->text(), QString::fromStdString(word));
    EXPECT_EQ(W()->MYwordLabelB->text(), QString());
    for (int k = 0; k < 4; ++k) {
        EXPECT_TRUE(RowLabel(k)->text().startsWith(QStringLiteral("   n."))) << k;
        EXPECT_EQ(MarkerState(k), QStringLiteral("待选"));
    }
    EXPECT_EQ(Spoken(), Lines{word});
    EXPECT_EQ(Shell().Colour(), QColor(238, 238, 255));
    EXPECT_TRUE(W()->Markers().FromFile(ChoiceMarker::Neutral));
    EXPECT_TRUE(messages_.Messages().isEmpty());

    // Pressed again while open: the running test stays as it is.
    Shell().BtSelectTest1->click();
    EXPECT_EQ(state_.CurrentEntry, asked);
    EXPECT_EQ(W()->Test().Remaining(), 2u);
    EXPECT_EQ(Spoken().size(), 1u);
}

// One row per way of clicking: the label itself and the marker beside it, right and wrong.
TEST_F(ChoiceWindowTest, RowsAndMarkers) {
    struct Case {
        const char* name;
        bool right;
        bool viaMarker;
    };
    const Case cases[] = {
        {"right row", true, false},
        {"right marker", true, true},
        {"wrong row", false, false},
        {"wrong marker", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Open(1, Entries(3, "n"), Entries(3, "m"));
        ASSERT_NE(W(), nullptr);
        speech_.ClearTexts();
        const std::string asked = state_.CurrentEntry;
        const int row = Row(ChoicePanel::Upper, c.right);
        if (c.viaMarker) {
            Marker(row)->click();
        } else {
            ClickRow(row);
        }
        EXPECT_EQ(MarkerState(row), c.right ? QStringLiteral("正确") : QStringLiteral("错误"));
        EXPECT_EQ(W()->Label15->text(),
                  c.right ? QStringLiteral("正确选择：1个") : QStringLiteral("正确选择：0个"));
        EXPECT_EQ(W()->Label16->text(),
                  c.right ? QStringLiteral("点击错误：0个") : QStringLiteral("点击错误：1个"));
        if (c.right) {
            EXPECT_NE(W()->MYwordLabelB->text(), QString()) << "the lower panel asks next";
            EXPECT_EQ(Spoken().size(), 1u) << "the next word is pronounced";
            EXPECT_EQ(Shell().LBalreadymastery()->text(), QStringLiteral("已掌握单词4个"));
            EXPECT_FALSE(state_.NewList.ContainsIgnoringCase(asked));
        } else {
            EXPECT_EQ(state_.ReviewList.Lines(), Lines{asked});
            EXPECT_EQ(Shell().LbreviewCount->text(), QStringLiteral("需复习单词1个"));
            EXPECT_EQ(Shell().LBnewword->text(), QStringLiteral("新学单词量1个"));
            EXPECT_TRUE(Spoken().empty());
        }
        W()->Formclose1->click();
        Settle();
        EXPECT_EQ(W(), nullptr);
        state_.NewLearnedCount = 0;
    }
}

TEST_F(ChoiceWindowTest, HoveredRowsTurnGreenWithRedBoldUnderlinedText) {
    Open(2, {}, Entries(4, "m"));
    QLabel* row = RowLabel(2);
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(row, &enter);
    EXPECT_EQ(row->palette().color(QPalette::Window), QColor(0, 128, 0));
    EXPECT_EQ(row->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_TRUE(row->font().bold());
    EXPECT_TRUE(row->font().underline());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(row, &leave);
    EXPECT_EQ(row->palette().color(QPalette::Window), QColor(247, 247, 247));
    EXPECT_EQ(row->palette().color(QPalette::WindowText),
              W()->palette().color(QPalette::WindowText));
    EXPECT_FALSE(row->font().bold());
    EXPECT_FALSE(row->font().underline());
}

TEST_F(ChoiceWindowTest, MarkersStayLevelWithTheirRowsAndCloseAtTheRight) {
    Shell().show();
    Open(2, {}, Entries(4, "m"));
    W()->resize(900, 640);
    for (int k = 0; k < 8; ++k) {
        const int rowY = RowLabel(k)->mapTo(W(), QPoint(0, 0)).y();
        EXPECT_EQ(Marker(k)->mapTo(W(), QPoint(0, 0)).y(), rowY) << k;
    }
    EXPECT_EQ(W()->Formclose1->x(), W()->Panel2->width() - 50);
}

TEST_F(ChoiceWindowTest, AnEmptyListIsReportedAndTheWindowCloses) {
    Open(3, Entries(2, "n"), {}, {"", "   "});
    EXPECT_EQ(messages_.Texts(Kind::Inform), QStringList{EmptyText});
    Settle();
    EXPECT_EQ(W(), nullptr);
    EXPECT_TRUE(Spoken().empty());
}

// Mended: clicks in a finished panel put the word answered last on the review list.
TEST_F(ChoiceWindowTest, AFinishedTestTakesNoClicks) {
    Open(1, {"good[gud]adj.好的"}, Entries(4, "m"));
    ClickRow(Row(ChoicePanel::Upper, true));
    ASSERT_EQ(W()->Test().State(), core::ChoiceState::FinishedLower);
    EXPECT_EQ(W()->MYwordLabelA->text(), QStringLiteral("good")) << "the answer stays in view";
    EXPECT_EQ(W()->MYwordLabelB->text(), QString());
    for (int k = 0; k < 8; ++k) {
        if (!RowLabel(k)->isHidden()) {
            ClickRow(k);
        }
        Marker(k)->click();
    }
    EXPECT_TRUE(state_.ReviewList.empty());
    EXPECT_EQ(W()->Label15->text(), QStringLiteral("正确选择：1个"));
    EXPECT_EQ(W()->Label16->text(), QStringLiteral("点击错误：0个"));
    for (int k = 4; k < 8; ++k) {
        EXPECT_EQ(RowLabel(k)->text(), QString());
        EXPECT_EQ(MarkerState(k), QStringLiteral("待选"));
    }
}

// Mended: with too few different lines the draw never ended; now the banks fill the rows, and
// where they cannot, fewer rows show.
TEST_F(ChoiceWindowTest, SmallListsShowFewerRowsOrFillFromTheBanks) {
    Open(1, Entries(3, "n"));
    ASSERT_NE(W(), nullptr);
    int shown = 0;
    for (int k = 0; k < 4; ++k) {
        shown += RowLabel(k)->isHidden() ? 0 : 1;
        EXPECT_EQ(Marker(k)->isHidden(), RowLabel(k)->isHidden());
    }
    EXPECT_EQ(shown, 3);
    W()->close();
    Settle();

    MakeBank("初中", Entries(10, "bank"));
    Open(1, Entries(3, "n"));
    for (int k = 0; k < 4; ++k) {
        EXPECT_FALSE(RowLabel(k)->isHidden()) << k;
    }
}

// Mended: the pictures are read once, and a missing one is drawn as a plain marker.
TEST_F(ChoiceWindowTest, MarkerPicturesAreReadOnceWithPlainStandIns) {
    Pictures();
    ASSERT_TRUE(QFile::remove(appDir_ + "wrong1.BMP"));
    Open(2, {}, Entries(4, "m"));
    EXPECT_TRUE(W()->Markers().FromFile(ChoiceMarker::Neutral));
    EXPECT_TRUE(W()->Markers().FromFile(ChoiceMarker::Right));
    EXPECT_FALSE(W()->Markers().FromFile(ChoiceMarker::Wrong));
    EXPECT_FALSE(W()->Markers().Picture(ChoiceMarker::Wrong).isNull());
    const int wrong = Row(ChoicePanel::Upper, false);
    ClickRow(wrong);
    EXPECT_EQ(MarkerState(wrong), QStringLiteral("错误"));
    EXPECT_EQ(W()->Label16->text(), QStringLiteral("点击错误：1个"));
    const ChoiceMarkers* first = &W()->Markers();
    W()->close();
    Settle();

    ASSERT_TRUE(QFile::remove(appDir_ + "help01.bmp"));
    Open(2, {}, Entries(4, "m"));
    EXPECT_EQ(&W()->Markers(), first) << "not read again";
    EXPECT_TRUE(W()->Markers().FromFile(ChoiceMarker::Neutral));
}

} // namespace
