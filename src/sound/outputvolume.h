#pragma once
#include <QObject>

#include <cstdint>

namespace sound {

/// The program's output volume: one 32-bit value, left channel in the low 16 bits and right
/// channel in the high 16 bits. Every player and the speech output follow it.
class OutputVolume : public QObject {
    Q_OBJECT
public:
    /// Starts at full volume: the program adds no attenuation until the learner moves the knob
    /// (the system mixer still governs the device).
    explicit OutputVolume(QObject* parent = nullptr);

    /// The one volume the program's players and speech use.
    static OutputVolume& Instance();

    /// The current 32-bit volume value.
    std::uint32_t Get() const { return volume_; }
    /// Sets the volume value; Changed follows when it differs.
    void Set(std::uint32_t volume);
    /// The linear gain 0.0..1.0 that the current value stands for.
    double Gain() const;

signals:
    /// The volume value changed.
    void Changed(std::uint32_t volume);

private:
    std::uint32_t volume_ = 0xFFFFFFFFu;
};

} // namespace sound
