#include "comparisonview.h"

#include "voicecomparer.h"

#include "core/soundhint.h"
#include "host/errortext.h"
#include "host/uistyle.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

#include <cmath>

namespace {

constexpr int StripHeight = 96;
constexpr int ScoreWidth = 118;
constexpr int RowLabelWidth = 36;
// The pitch rows span an octave above and below the speaker's median.
constexpr float PitchRange = 12.0f;

const QColor Background(250, 250, 240);
const QColor ModelColour(70, 110, 190);
const QColor LearnerColour(40, 150, 90);
const QColor PitchColour(200, 60, 30);

QColor VerdictColour(core::Verdict verdict) {
    switch (verdict) {
    case core::Verdict::VeryGood:
        return QColor(0, 140, 60);
    case core::Verdict::Close:
        return QColor(200, 120, 0);
    case core::Verdict::TryAgain:
        break;
    }
    return QColor(200, 30, 30);
}

/// The loudness of each frame as a shape mirrored about the row's middle.
void DrawEnvelope(QPainter& p, const QRectF& row, const std::vector<float>& envelope,
                  const QColor& colour) {
    if (envelope.empty()) {
        return;
    }
    const double step = row.width() / static_cast<double>(envelope.size());
    const double middle = row.center().y();
    const double half = row.height() / 2 - 2;
    QPainterPath path;
    path.moveTo(row.left(), middle);
    for (std::size_t i = 0; i < envelope.size(); ++i) {
        path.lineTo(row.left() + (static_cast<double>(i) + 0.5) * step,
                    middle - half * std::clamp(envelope[i], 0.0f, 1.0f));
    }
    path.lineTo(row.right(), middle);
    for (std::size_t i = envelope.size(); i-- > 0;) {
        path.lineTo(row.left() + (static_cast<double>(i) + 0.5) * step,
                    middle + half * std::clamp(envelope[i], 0.0f, 1.0f));
    }
    path.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(path);
}

/// The pitch as a line, broken where the frames are unvoiced.
void DrawPitch(QPainter& p, const QRectF& row, const std::vector<float>& pitch) {
    if (pitch.empty()) {
        return;
    }
    const double step = row.width() / static_cast<double>(pitch.size());
    QPainterPath path;
    bool drawing = false;
    for (std::size_t i = 0; i < pitch.size(); ++i) {
        if (std::isnan(pitch[i])) {
            drawing = false;
            continue;
        }
        const float semitones = std::clamp(pitch[i], -PitchRange, PitchRange);
        const QPointF at(row.left() + (static_cast<double>(i) + 0.5) * step,
                         row.center().y() - semitones / PitchRange * (row.height() / 2 - 2));
        if (drawing) {
            path.lineTo(at);
        } else {
            path.moveTo(at);
            drawing = true;
        }
    }
    p.setPen(QPen(PitchColour, 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

} // namespace

ComparisonView::ComparisonView(QWidget* parent)
    : QWidget(parent), comparer_(new VoiceComparer({}, this)) {
    setObjectName(QStringLiteral("ComparisonView"));
    setFixedHeight(StripHeight);
    setAccessibleName(QStringLiteral("发音比较"));
    HideButton = new QToolButton(this);
    HideButton->setObjectName(QStringLiteral("HideButton"));
    HideButton->setText(QStringLiteral("×"));
    HideButton->setAutoRaise(true);
    HideButton->setToolTip(QStringLiteral("隐藏发音比较（下次录音后再显示）"));
    HideButton->setAccessibleName(QStringLiteral("隐藏发音比较"));
    HideButton->resize(22, 22);
    connect(HideButton, &QToolButton::clicked, this, &QWidget::hide);
    connect(comparer_, &VoiceComparer::SoundsScored, this,
            [this](const sound::PhoneScoring& scoring) {
                sounds_ = scoring;
                soundsPending_ = true;
            });
    connect(comparer_, &VoiceComparer::Compared, this, &ComparisonView::Show);
    hide();
}

ComparisonView::~ComparisonView() = default;

void ComparisonView::SetModelFile(const QString& file, core::VoicePart part,
                                  const std::string& fallbackText, int fallbackSpeed) {
    comparer_->SetModelFile(file, part, fallbackText, fallbackSpeed);
}

void ComparisonView::SetVoiceFolder(const std::string& folder) {
    comparer_->SetVoiceFolder(folder);
}

void ComparisonView::SetExpectedWord(const std::string& word) {
    comparer_->SetExpectedWord(word);
}

void ComparisonView::SetExpectedSymbol(int k) {
    comparer_->SetExpectedSymbol(k);
}

QString ComparisonView::HintText() const {
    if (!SoundsScored()) {
        return {};
    }
    return QString::fromStdString(core::ScoresHint(sounds_.scores));
}

void ComparisonView::SetModelSpeech(const std::string& text, int speed) {
    comparer_->SetModelSpeech(text, speed);
}

bool ComparisonView::CompareRecording(const QString& waveFile) {
    return comparer_->CompareFile(waveFile);
}

void ComparisonView::Cancel() {
    comparer_->Cancel();
}

QString ComparisonView::VerdictWords(core::Verdict verdict) {
    switch (verdict) {
    case core::Verdict::VeryGood:
        return QStringLiteral("很好");
    case core::Verdict::Close:
        return QStringLiteral("接近");
    case core::Verdict::TryAgain:
        break;
    }
    return QStringLiteral("再试一次");
}

QString ComparisonView::ScoreText() const {
    if (SoundsScored()) {
        return QString::number(sounds_.scores.Rounded());
    }
    if (!hasResult_ || !shown_.modelSpeech) {
        return {};
    }
    return QString::number(shown_.Rounded());
}

QString ComparisonView::VerdictText() const {
    if (!hasResult_) {
        return {};
    }
    if (SoundsScored()) {
        return VerdictWords(sounds_.scores.verdict);
    }
    // Without a model there is nothing to judge; the learner is told so, not to try again.
    return shown_.modelSpeech ? VerdictWords(shown_.verdict) : QStringLiteral("无法比较");
}

void ComparisonView::Show(const core::VoiceComparison& comparison) {
    shown_ = comparison;
    hasResult_ = true;
    hasSounds_ = soundsPending_;
    soundsPending_ = false;
    if (SoundsScored() && shown_.modelSpeech && shown_.learnerSpeech) {
        sounds_.scores = core::WithModelComparison(sounds_.scores, shown_.score);
    }
    QString description;
    if (SoundsScored()) {
        description = QString::fromStdString(core::DescribeSoundScores(sounds_.scores));
    } else if (hasSounds_ && sounds_.status.what == core::Failure::PronunciationModel) {
        // A library or model file that is missing is named, so that it can be installed; the
        // learner's microphone is not at fault.
        description = ErrorText(sounds_.status);
    } else if (!shown_.modelSpeech) {
        description = QStringLiteral("没有可比较的示范读音");
    } else if (!shown_.learnerSpeech) {
        description = QStringLiteral("没有听到你的声音，得分 0，再试一次");
    } else {
        description = QStringLiteral("与示范读音相比得分 %1，%2").arg(ScoreText(), VerdictText());
    }
    const bool judged = SoundsScored() || shown_.modelSpeech;
    setAccessibleName(judged ? QStringLiteral("发音得分 %1 %2").arg(ScoreText(), VerdictText())
                             : QStringLiteral("发音比较 %1").arg(VerdictText()));
    setAccessibleDescription(description);
    setToolTip(description);
    show();
    update();
    emit Updated(judged ? ScoreText().toInt() : -1);
}

void ComparisonView::DrawSounds(QPainter& p, const QRectF& row) const {
    // The word's sounds in a row, each in the colour of its grade, over a white band so that
    // they read above the loudness drawing.
    const std::vector<core::SoundResult>& sounds = sounds_.scores.sounds;
    QFont font = NamedFont(QStringLiteral("Times New Roman"), 16, true);
    p.setFont(font);
    const QFontMetricsF metrics(font);
    double width = 0;
    for (const core::SoundResult& s : sounds) {
        width += metrics.horizontalAdvance(QString::fromStdString(s.symbol)) + 6;
    }
    double x = row.left() + std::max(0.0, (row.width() - width) / 2);
    const double height = metrics.height() + 2;
    p.fillRect(QRectF(x - 4, row.top(), width + 8, height), QColor(255, 255, 255, 220));
    for (const core::SoundResult& s : sounds) {
        const QString symbol = QString::fromStdString(s.symbol);
        p.setPen(s.grade == core::SoundGrade::Good    ? VerdictColour(core::Verdict::VeryGood)
                 : s.grade == core::SoundGrade::Close ? VerdictColour(core::Verdict::Close)
                                                      : VerdictColour(core::Verdict::TryAgain));
        const double w = metrics.horizontalAdvance(symbol) + 6;
        p.drawText(QRectF(x, row.top(), w, height), Qt::AlignCenter, symbol);
        x += w;
    }
}

void ComparisonView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    HideButton->move(width() - HideButton->width() - 2, 2);
}

void ComparisonView::paintEvent(QPaintEvent* /*event*/) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), Background);
    p.setPen(QColor(200, 200, 190));
    p.drawLine(0, 0, width(), 0);
    if (!hasResult_) {
        return;
    }

    // The score and the verdict.
    const bool judged = SoundsScored() || shown_.modelSpeech;
    const QColor verdictColour = SoundsScored()       ? VerdictColour(sounds_.scores.verdict)
                                 : shown_.modelSpeech ? VerdictColour(shown_.verdict)
                                                      : QColor(Qt::darkGray);
    const QRect scoreBox(0, 4, ScoreWidth, height() / 2 + 8);
    p.setPen(verdictColour);
    p.setFont(NamedFont(QStringLiteral("Times New Roman"), 44, true));
    p.drawText(scoreBox, Qt::AlignCenter, judged ? ScoreText() : QStringLiteral("—"));
    p.setFont(SongFont(18, true));
    p.drawText(QRect(0, scoreBox.bottom(), ScoreWidth, height() - scoreBox.bottom() - 4),
               Qt::AlignCenter, VerdictText());

    // The two rows: the model above the learner, on the model's time axis.
    const double left = ScoreWidth + RowLabelWidth;
    const double right = width() - HideButton->width() - 6;
    const double rowHeight = (height() - 12) / 2.0;
    const QRectF modelRow(left, 4, right - left, rowHeight);
    const QRectF learnerRow(left, 8 + rowHeight, right - left, rowHeight);
    p.setFont(SongFont(14));
    p.setPen(Qt::black);
    p.drawText(QRectF(ScoreWidth, modelRow.top(), RowLabelWidth, rowHeight), Qt::AlignCenter,
               QStringLiteral("示范"));
    p.drawText(QRectF(ScoreWidth, learnerRow.top(), RowLabelWidth, rowHeight), Qt::AlignCenter,
               QStringLiteral("你的"));
    p.fillRect(modelRow, Qt::white);
    p.fillRect(learnerRow, Qt::white);

    // Where the learner's sounds differ most, their row is tinted.
    const std::size_t n = shown_.mismatch.size();
    if (n > 0 && shown_.learnerSpeech) {
        const double step = learnerRow.width() / static_cast<double>(n);
        for (std::size_t i = 0; i < n; ++i) {
            const int alpha = static_cast<int>(std::lround(140 * shown_.mismatch[i]));
            p.fillRect(QRectF(learnerRow.left() + static_cast<double>(i) * step, learnerRow.top(),
                              step + 0.5, learnerRow.height()),
                       QColor(255, 80, 60, alpha));
        }
    }
    DrawEnvelope(p, modelRow, shown_.modelEnvelope, ModelColour);
    DrawPitch(p, modelRow, shown_.modelPitch);
    if (shown_.learnerSpeech) {
        DrawEnvelope(p, learnerRow, shown_.learnerEnvelope, LearnerColour);
        DrawPitch(p, learnerRow, shown_.learnerPitch);
    }
    p.setFont(SongFont(13));
    p.setPen(Qt::darkGray);
    if (SoundsScored()) {
        DrawSounds(p, modelRow);
        p.setFont(SongFont(13));
        p.setPen(Qt::black);
        p.drawText(learnerRow.adjusted(4, 0, -4, 0), Qt::AlignCenter | Qt::TextWordWrap,
                   HintText());
    } else if (hasSounds_ && sounds_.status.what == core::Failure::PronunciationModel) {
        p.drawText(learnerRow, Qt::AlignCenter | Qt::TextWordWrap, ErrorText(sounds_.status));
    } else if (!shown_.learnerSpeech) {
        p.drawText(learnerRow, Qt::AlignCenter, QStringLiteral("没有听到你的声音"));
    }
}
