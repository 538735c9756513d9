#include "outputvolume.h"

#include "core/volume.h"

namespace sound {

OutputVolume::OutputVolume(QObject* parent) : QObject(parent) {
}

OutputVolume& OutputVolume::Instance() {
    static OutputVolume volume;
    return volume;
}

void OutputVolume::Set(std::uint32_t volume) {
    if (volume == volume_) {
        return;
    }
    volume_ = volume;
    emit Changed(volume_);
}

double OutputVolume::Gain() const {
    return core::GainFromVolume(volume_);
}

} // namespace sound
