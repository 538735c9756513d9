#pragma once
#include "core/pronunciationscore.h"
#include "core/voiceanalysis.h"
#include "sound/phonescorer.h"

#include <QWidget>

#include <string>

class QPainter;
class QRectF;
class QToolButton;
class VoiceComparer;

/// A strip that shows how the learner's last recording compares with the model: the score
/// (0 to 100) and its verdict ("很好", "接近", "再试一次") at the left; when the expected word
/// or symbol is known, the score comes from its sounds, which are shown coloured (good, close,
/// wrong) above the rows with a hint for the weakest one; at the right the model's
/// loudness above the learner's, each with its pitch contour, on the model's time axis (the
/// learner's frames aligned with the model's), the learner's row tinted where the sounds
/// differ most. Hidden until the first comparison arrives; its "×" hides it until the next.
/// The comparison itself runs on the VoiceComparer it owns.
class ComparisonView : public QWidget {
    Q_OBJECT
public:
    explicit ComparisonView(QWidget* parent = nullptr);
    ~ComparisonView() override;

    /// The recordings that follow are compared with this sound file (see VoiceComparer; a
    /// damaged file is replaced by fallbackText said at fallbackSpeed).
    void SetModelFile(const QString& file, core::VoicePart part = core::VoicePart::Whole,
                      const std::string& fallbackText = {}, int fallbackSpeed = 0);
    /// The recordings that follow are scored sound by sound against word ...
    void SetExpectedWord(const std::string& word);
    /// ... or against lesson symbol k.
    void SetExpectedSymbol(int k);
    /// ... or with this text said by the speech engine at speed.
    void SetModelSpeech(const std::string& text, int speed);
    /// The learner's voice folder (see VoiceComparer::SetVoiceFolder).
    void SetVoiceFolder(const std::string& folder);
    /// Compares the recording just saved in waveFile with the model; the strip shows the
    /// result when it is ready. False when there is nothing to compare with.
    bool CompareRecording(const QString& waveFile);
    /// Drops a comparison that is still running (the window hides or closes).
    void Cancel();

    /// The comparison shown, and whether there is one.
    const core::VoiceComparison& Shown() const { return shown_; }
    bool HasResult() const { return hasResult_; }
    /// The score as shown ("87"), "" before the first result or without a model.
    QString ScoreText() const;
    /// The verdict as shown ("很好", "接近", "再试一次").
    QString VerdictText() const;
    VoiceComparer* Comparer() const { return comparer_; }
    /// The sounds as shown, and whether the last result was scored sound by sound at all.
    const sound::PhoneScoring& Sounds() const { return sounds_; }
    bool HasSounds() const { return hasSounds_; }
    /// The hint shown for the weakest sound; "" when none.
    QString HintText() const;

    /// The words of a verdict.
    static QString VerdictWords(core::Verdict verdict);

    QToolButton* HideButton; ///< "×": hides the strip until the next comparison

signals:
    /// A comparison has been shown (with the score shown).
    void Updated(int score);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Show(const core::VoiceComparison& comparison);
    /// The sounds were scored: ok, or why not.
    bool SoundsScored() const { return hasSounds_ && static_cast<bool>(sounds_.status); }
    void DrawSounds(QPainter& p, const QRectF& row) const;

    VoiceComparer* comparer_;
    sound::PhoneScoring sounds_;
    bool hasSounds_ = false;     ///< sounds_ belongs to the result shown
    bool soundsPending_ = false; ///< sounds_ arrived for the comparison that follows
    core::VoiceComparison shown_;
    bool hasResult_ = false;
};
