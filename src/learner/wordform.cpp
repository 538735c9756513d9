#include "learner/wordform.h"

#include "host/errortext.h"

#include "core/studystate.h"
#include "host/messageservice.h"
#include "host/uistyle.h"
#include "learner/wordlistmodel.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

namespace {

QComboBox* ListCombo(QWidget* parent, int y, WordListModel* model) {
    auto* combo = new QComboBox(parent);
    combo->setGeometry(157, y, 228, 21);
    combo->setModel(model);
    combo->setMaxVisibleItems(38);
    return combo;
}

} // namespace

TWordForm1::TWordForm1(core::StudyState& state, MessageService& messages, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), state_(state), messages_(messages) {
    setObjectName(QStringLiteral("WordForm1"));
    setWindowTitle(QStringLiteral("学习内容设置"));
    setFixedSize(441, 275);
    setFont(SongFont(13));

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, 0, 441, 275);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(3);
    SetBackground(Panel1, QColor(247, 247, 255));

    Label1 = new QLabel(QStringLiteral("单词共00个单词，已掌握00个，需复习000个    "), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(3, 3, 435, 38);
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    Label1->setFont(SongFont(15, true));

    Bevel1 = new QFrame(Panel1);
    Bevel1->setGeometry(10, 50, 421, 2);
    Bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);

    newModel_ = new WordListModel(state_.NewList, this);
    masteredModel_ = new WordListModel(state_.MasteredList, this);
    reviewModel_ = new WordListModel(state_.ReviewList, this);

    Label9 = new QLabel(QStringLiteral("未学的单词: "), Panel1);
    Label9->move(60, 80);
    TcNewLearnlist = ListCombo(Panel1, 76, newModel_);
    TcNewLearnlist->setObjectName(QStringLiteral("TcNewLearnlist"));
    Label10 = new QLabel(QStringLiteral("已掌握单词: "), Panel1);
    Label10->move(60, 110);
    Tcalreadymastery1 = ListCombo(Panel1, 106, masteredModel_);
    Tcalreadymastery1->setObjectName(QStringLiteral("Tcalreadymastery1"));
    Label11 = new QLabel(QStringLiteral("需复习单词: "), Panel1);
    Label11->move(60, 140);
    TcreviewCount1 = ListCombo(Panel1, 136, reviewModel_);
    TcreviewCount1->setObjectName(QStringLiteral("TcreviewCount1"));

    GroupBox1 = new QGroupBox(QStringLiteral("内容选项"), Panel1);
    GroupBox1->setGeometry(55, 165, 330, 53);
    RadioButton1 = new QRadioButton(QStringLiteral("学习新词"), GroupBox1);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton1->setGeometry(24, 22, 90, 20);
    RadioButton1->setChecked(true);
    RadioButton2 = new QRadioButton(QStringLiteral("巩固学习"), GroupBox1);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    RadioButton2->setGeometry(124, 22, 90, 20);
    RadioButton3 = new QRadioButton(QStringLiteral("复习单词"), GroupBox1);
    RadioButton3->setObjectName(QStringLiteral("RadioButton3"));
    RadioButton3->setGeometry(224, 22, 90, 20);

    Btlookwordlist = new QPushButton(QStringLiteral("确认选项"), Panel1);
    Btlookwordlist->setObjectName(QStringLiteral("Btlookwordlist"));
    Btlookwordlist->setGeometry(94, 233, 88, 25);
    Btlookwordlist->setFlat(true);
    Btlookwordlist->setAutoDefault(false);
    SpeedButton1 = new QPushButton(QStringLiteral("关闭返回"), Panel1);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setGeometry(248, 233, 88, 25);
    SpeedButton1->setFlat(true);
    SpeedButton1->setAutoDefault(false);

    connect(Btlookwordlist, &QPushButton::clicked, this, &TWordForm1::BtlookwordlistClick);
    connect(SpeedButton1, &QPushButton::clicked, this, &TWordForm1::SpeedButton1Click);
}

TWordForm1::~TWordForm1() = default;

bool TWordForm1::MYSBt1Click() {
    const core::Status loaded = state_.LoadLearnerLists();
    if (!loaded) {
        messages_.ShowError(ErrorText(loaded));
        return false;
    }
    SelectFirstLines();
    return true;
}

core::Status TWordForm1::MYSaveClick() {
    return state_.SaveLearnerLists();
}

void TWordForm1::FollowContentKind() {
    switch (state_.ContentKind) {
    case core::StudyContent::NewWords:
        RadioButton1->setChecked(true);
        break;
    case core::StudyContent::Mastered:
        RadioButton2->setChecked(true);
        break;
    case core::StudyContent::Review:
        RadioButton3->setChecked(true);
        break;
    case core::StudyContent::None:
        break;
    }
}

void TWordForm1::BtlookwordlistClick() {
    if (RadioButton1->isChecked()) {
        state_.ContentKind = core::StudyContent::NewWords;
    }
    if (RadioButton2->isChecked()) {
        state_.ContentKind = core::StudyContent::Mastered;
    }
    if (RadioButton3->isChecked()) {
        state_.ContentKind = core::StudyContent::Review;
    }
    close();
}

void TWordForm1::SpeedButton1Click() {
    close();
}

void TWordForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FormShow();
}

void TWordForm1::FormShow() {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
    SelectFirstLines();
}

void TWordForm1::SelectFirstLines() {
    for (QComboBox* combo : {TcNewLearnlist, Tcalreadymastery1, TcreviewCount1}) {
        combo->setCurrentIndex(combo->count() > 0 ? 0 : -1);
    }
}
